#include "config/ini_writers.h"

#include <optional>
#include <string>

#include "common/platform_ops.h"
#include "config/config_texts.h"
#include "config/ini_load.h"
#include "config/ini_locate.h"
#include "config/key_reading.h"
#include "config/option_keys.h"
#include "config/typed_path.h"

namespace velqo {

namespace {

constexpr std::string_view kFirstRunPath = "c:\\";

void ReportIfFailed(AppState& s, bool written) {
  if (!written) s.host.MessageBox(kIniWriteFailed, kErrorCaption, Icon::kWarning, Buttons::kOk);
}

// The Windows form of a Dir text when it names an existing directory; else
// the box that it will not be saved.
std::optional<std::string> ValidDirectory(AppState& s, const std::string& typed,
                                          std::string_view invalid_text) {
  std::optional<std::string> path = TypedPathToWindows(s.fs, typed);
  if (path && path->size() <= PathText::kMaxLength && DirectoryExists(s.fs, *path)) return path;
  s.host.MessageBox(invalid_text, kErrorCaption, Icon::kWarning, Buttons::kOk);
  return std::nullopt;
}

void WritePath(AppState& s, ProfileSection& file, std::string_view key,
               const std::optional<std::string>& path) {
  if (path && s.sw.PathsReadOnly == 0) ReportIfFailed(s, file.WriteText(key, *path));
}

}  // namespace

void WriteOptionKeys(AppState& s, ProfileSection& file, const OptionSet& from,
                     std::span<const std::string_view> order, std::string_view failure_text) {
  for (std::string_view key : order) {
    if (!WriteOptionKey(file, from, key)) {
      s.host.MessageBox(failure_text, kErrorCaption, Icon::kWarning, Buttons::kOk);
    }
  }
}

void WriteBatchOrPaths(AppState& s, ProfileSection& file, bool first_run, bool update_paths) {
  if (s.opt.DefaultOptions.UseBatchFile != 0) {
    ReportIfFailed(s, file.WriteInt("LastBatch", s.places.LastBatch));
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
  WritePath(s, file, "Path1", path1);
  WritePath(s, file, "Path2", path2);
}

void WriteDefaults(AppState& s, bool first_run) {
  ProfileSection ini = ProgramSection(s);
  WriteOptionKeys(s, ini, s.opt.ActiveOptions, DefaultsWriteOrder(), kIniWriteFailed);
  WriteBatchOrPaths(s, ini, first_run, first_run);
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
  ReportIfFailed(s, ini.WriteInt("MainLeft", g.left));
  ReportIfFailed(s, ini.WriteInt("MainTop", g.top));
  ReportIfFailed(s, ini.WriteInt("MainHeight", g.height));
  ReportIfFailed(s, ini.WriteInt("MainWidth", g.width));
  ReportIfFailed(s, ini.WriteText("MainSkin", s.window.SkinInUse));
  WriteBatchOrPaths(s, ini, false, true);
}

}  // namespace velqo
