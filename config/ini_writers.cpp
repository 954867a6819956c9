#include "config/ini_writers.h"

#include <optional>
#include <string>

#include "common/platform/platform_ops.h"
#include "common/platform/windows_path.h"
#include "config/config_texts.h"
#include "config/ini_load.h"
#include "config/ini_locate.h"
#include "config/key_reading.h"
#include "config/option_keys.h"
#include "config/typed_path.h"

namespace velqo {

namespace {

constexpr std::string_view kFirstRunPath = "c:\\";

// The Windows form of a Dir text when it names an existing directory; else
// the box that it will not be saved.
std::optional<std::string> ValidDirectory(AppState& s, const std::string& typed,
                                          std::string_view invalid_text) {
  std::optional<std::string> path = TypedPathToWindows(s.fs, typed);
  if (path && path->size() <= kMaxStoredPath && DirectoryExists(s.fs, *path)) return path;
  s.host.MessageBox(invalid_text, kErrorCaption, Icon::kWarning, Buttons::kOk);
  return std::nullopt;
}

void WritePath(AppState& s, ProfileSection& file, std::string_view key,
               const std::optional<std::string>& path, WriteFailureNotice& notice) {
  if (path && s.sw.PathsReadOnly == 0) notice.Note(file.WriteText(key, *path));
}

}  // namespace

void WriteOptionKeys(ProfileSection& file, const OptionSet& from,
                     std::span<const std::string_view> order, WriteFailureNotice& notice) {
  for (std::string_view key : order) notice.Note(WriteOptionKey(file, from, key));
}

void WriteBatchOrPaths(AppState& s, ProfileSection& file, bool first_run, bool update_paths,
                       WriteFailureNotice& notice) {
  if (s.opt.DefaultOptions.UseBatchFile != 0) {
    notice.Note(file.WriteInt("LastBatch", s.places.LastBatch));
    return;
  }
  std::optional<std::string> path1;
  std::optional<std::string> path2;
  if (first_run) {
    path1 = path2 = std::string(kFirstRunPath);
  } else {
    path1 = ValidDirectory(s, s.host.Dir1Text(), kPath1Invalid);
    path2 = ValidDirectory(s, s.host.Dir2Text(), kPath2Invalid);
  }
  if (update_paths) {
    if (path1) (void)s.Path1.Assign(*path1);
    if (path2) (void)s.Path2.Assign(*path2);
  }
  WritePath(s, file, "Path1", path1, notice);
  WritePath(s, file, "Path2", path2, notice);
}

void WriteDefaults(AppState& s, bool first_run) {
  ProfileSection ini = ProgramSection(s);
  WriteFailureNotice notice(s.host, kIniWriteFailed);
  {
    HeldWrites keys(ini);
    WriteOptionKeys(ini, s.opt.ActiveOptions, DefaultsWriteOrder(), notice);
    WriteBatchOrPaths(s, ini, first_run, first_run, notice);
    notice.Note(keys.Finish());
  }
  if (first_run) {
    IniLoadAfterFirstRun(s);
  } else {
    IniLoad(s);
  }
}

void WriteOnClose(AppState& s, const WindowGeometry& live, int screen_width, int screen_height) {
  WindowGeometry g = live;
  // A window that covers the whole screen was maximised: store a normal one.
  if (g.height >= screen_height && g.width >= screen_width) g = {10, 10, 600, 240};
  s.window.MainLeft = g.left;
  s.window.MainTop = g.top;
  s.window.MainHeight = g.height;
  s.window.MainWidth = g.width;
  ProfileSection ini = ProgramSection(s);
  WriteFailureNotice notice(s.host, kIniWriteFailed);
  HeldWrites keys(ini);
  notice.Note(ini.WriteInt("MainLeft", g.left));
  notice.Note(ini.WriteInt("MainTop", g.top));
  notice.Note(ini.WriteInt("MainHeight", g.height));
  notice.Note(ini.WriteInt("MainWidth", g.width));
  notice.Note(ini.WriteText("MainSkin", s.window.SkinInUse));
  WriteBatchOrPaths(s, ini, false, true, notice);
  notice.Note(keys.Finish());
}

}  // namespace velqo
