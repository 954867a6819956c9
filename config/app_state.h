#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/text/fixed_text.h"
#include "common/text/path_rules.h"
#include "common/host/host.h"
#include "common/platform/platform.h"
#include "common/profile/profile.h"
#include "common/host/run_flags.h"
#include "config/option_set.h"

namespace velqo {

// Flags set once from the command line, and the demonstration's flag.
struct SwitchFlags {
  int AutoStart = 0;
  int QuietSwitch = 0;
  int DebugMode = 0;
  int PathsReadOnly = 0;
  int IntlTest = 0;
  int BriefSwitch = 0;
  int DirDelSwitch = 0;
  int JfdiSwitch = 0;
  int XattrSwitch = 0;
  int DemoMode = 0;
  // Lets a run whose top Dir 1 is empty go on unasked under JFDI (the
  // console program's option); off, such a run is refused.
  int AllowEmptySource = 0;
  // Keeps backups in CleanUp too, when CreateBackup is 1 (the console
  // program's -b with --mirror); off, a replica gets none.
  int MirrorBackups = 0;
};

// The five copies of the option set and what is kept with them.
struct OptionCopies {
  OptionSet DefaultOptions;
  OptionSet SessionOptions;
  OptionSet DirOptions;
  OptionSet ActiveOptions;
  OptionSet DialogOptions;
  FilterTables Tables;
  int OptUpdInUse = 0;
};

// Window and appearance settings read by the INI load for the main window.
struct WindowSettings {
  int MainLeft = 10;
  int MainTop = 10;
  int MainWidth = 600;
  int MainHeight = 240;
  std::string MainSkin;    // as stored
  std::string SkinInUse = "None";
  std::string WFontName = "Arial";
  int WFontSize = 8;
  std::string WFontStyle = "1";
  std::string WFontColor = "1";
  std::string MWCurBkGndColor = "12632256";
  bool HintsOn = true;
};

// Where the configuration lives, decided once at start.
struct ConfigPlaces {
  std::string WindowsDir;   // Windows form
  std::string ProgramDir;   // Windows form
  std::string IniPath;      // the located WINVELQO.INI
  int LastBatch = 1;        // the selected batch number
  std::string LastLogFileWritten;  // last value written to LastLogFile this session
};

// The update log's program-wide state.
struct LogState {
  bool HeaderPending = true;
  bool TruncatePending = false;
  // A log that cannot be written has been reported in this run.
  bool FailureReported = false;
  // The console program's naming: one file named for the run (Windows
  // form; empty: a generated name), and generated names by ISO date
  // ("2026-12-10.log") instead of the regional order.
  std::string FixedFile;
  bool IsoDateNames = false;
};

// One change a run made to the tree whose old files it keeps, as the run
// journal holds it. Paths are relative to the tree's top, "/"-joined.
struct VersionChange {
  enum class Kind { kReplaced = 1, kDeleted = 2, kAdded = 3, kDirectoryAdded = 4 };
  Kind kind = Kind::kReplaced;
  std::string path;
  std::string version;  // where the old file went; empty for an added file
  // The file the run left (replaced, added): what an undo expects to find.
  std::uint64_t size = 0;
  std::int64_t mtime_sec = 0;
  std::int32_t mtime_nsec = 0;
};

// The versions of what a run replaces or deletes in Dir 2, kept at the top
// of that tree in one folder per run.
struct VersionState {
  bool enabled = false;
  int keep_days = 30;
  // Prune versions older than keep_days when a run's top is pinned (off for
  // previews, which change nothing).
  bool prune = false;
  // The top of the tree (Windows form) and this run's folder name below
  // the versions folder, chosen when the first version is kept.
  std::string top;
  std::string stamp;
  // Tops already pruned in this run.
  std::vector<std::string> pruned;
  // Receives each change as it is made (the run journal); may be empty.
  std::function<void(const VersionChange&)> record;
};

// All program-wide state, from start to exit. One object, passed explicitly,
// so that every test starts from a fresh one.
struct AppState {
  AppState(Platform& platform, Host& host_ref) : fs(platform), host(host_ref), profiles(platform) {
    host.BindFlags(&flags);
  }
  AppState(const AppState&) = delete;
  AppState& operator=(const AppState&) = delete;

  Platform& fs;
  Host& host;
  ProfileStore profiles;

  RunFlags flags;
  SwitchFlags sw;
  OptionCopies opt;
  IntlSettings intl;
  WindowSettings window;
  ConfigPlaces places;
  LogState log;

  // The directory pair being worked on.
  PathText Path1;
  PathText Path2;
  // Gives Path2 as a walk's new directories are to be spelled on disk (the
  // spelling of their Dir 1 counterparts), asked only when one is made;
  // empty outside walks.
  std::function<std::string()> Path2Spelling;
  // Include and exclude patterns of this run (the console program's
  // --include, --exclude and --exclude-from), the first match deciding;
  // never stored. An entry they exclude takes no part on either side.
  PathRules PathPatterns;
  // Where the pair being worked on lies below the top of its walk, as the
  // patterns see it ("/"-joined, spelled as on disk); "" at the top.
  std::string PairBelowTop;
  // Path2 lies below the top Dir 2 of a walk: an entry the run may replace
  // by a directory, where a top the user named is never replaced.
  bool Path2BelowTop = false;
  // The current file action's two files and their descriptions.
  PathText File1Path;
  PathText File2Path;
  FixedText<301> File1Data;
  FixedText<301> File2Data;
  int ConfirmResult = mrOk;
  VersionState versions;
};

// Shows a debug box only in debug mode (switch /D).
inline void MBDebug(AppState& s, std::string_view text, std::string_view caption) {
  if (s.sw.DebugMode != 0) s.host.DebugBox(text, caption);
}

}  // namespace velqo
