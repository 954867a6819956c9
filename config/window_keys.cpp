#include "config/window_keys.h"

#include "common/platform/platform_ops.h"
#include "config/config_texts.h"
#include "config/ini_locate.h"

namespace velqo {

namespace {

constexpr std::int32_t kMissingInt = 30000;

struct GeometryKey {
  std::string_view name;
  int WindowSettings::*field;
  int fallback;
};

constexpr GeometryKey kGeometry[] = {
    {"MainLeft", &WindowSettings::MainLeft, 10},
    {"MainTop", &WindowSettings::MainTop, 10},
    {"MainWidth", &WindowSettings::MainWidth, 600},
    {"MainHeight", &WindowSettings::MainHeight, 240},
};

bool SkinFileExists(AppState& s, std::string_view name) {
  const std::string skins = ChildPath(s.fs.DataDirectory(), "Skins");
  std::uint32_t attributes = 0;
  return s.fs.GetAttributes(ChildPath(skins, std::string(name) + ".skn"), &attributes).ok() &&
         (attributes & kAttrDirectory) == 0;
}

}  // namespace

void LoadWindowGeometry(AppState& s, WriteFailureNotice& notice) {
  ProfileSection ini = ProgramSection(s);
  for (const GeometryKey& key : kGeometry) {
    std::int32_t value = ini.ReadInt(key.name, kMissingInt);
    if (value == kMissingInt) {
      value = key.fallback;
      notice.Note(ini.WriteInt(key.name, value));
    }
    s.window.*key.field = value;
  }
}

void LoadSkin(AppState& s, WriteFailureNotice& notice) {
  ProfileSection ini = ProgramSection(s);
  s.window.MainSkin = ini.ReadText("MainSkin", {}, 257);
  if (EntryExists(s.fs, ChildPath(s.fs.CurrentDirectory(), "noskins.txt"))) {
    s.window.SkinInUse = kNoSkin;
    return;
  }
  if (s.window.MainSkin.empty()) {
    s.window.MainSkin = kDefaultSkin;
    notice.Note(ini.WriteText("MainSkin", kDefaultSkin));
  }
  // "None" names no file, so it comes out as no skin like any missing one.
  s.window.SkinInUse = SkinFileExists(s, s.window.MainSkin) ? s.window.MainSkin : kNoSkin;
}

void LoadFontKeys(AppState& s) {
  ProfileSection ini = ProgramSection(s);
  s.window.WFontName = ini.ReadText("WFontName", "Arial", 33);
  s.window.WFontSize = ini.ReadInt("WFontSize", 8);
  s.window.WFontStyle = ini.ReadText("WFontStyle", "1", 46);
  s.window.WFontColor = ini.ReadText("WFontColor", "1", 11);
  s.window.MWCurBkGndColor = ini.ReadText("MWCurBkGndColor", "12632256", 11);
}

}  // namespace velqo
