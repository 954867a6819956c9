#include "config/ini_load.h"

#include "common/platform/platform_ops.h"
#include "common/platform/windows_path.h"
#include "config/config_texts.h"
#include "config/file_problem.h"
#include "config/ini_locate.h"
#include "config/ini_writers.h"
#include "config/intl.h"
#include "config/key_reading.h"
#include "config/log_directory.h"
#include "config/option_tables.h"
#include "config/switch_fold.h"
#include "config/typed_path.h"
#include "config/window_keys.h"

namespace velqo {

namespace {

constexpr std::string_view kMissingText = "*";

// A stored path is read whole, whatever its form: cut short, it could name
// another directory (one whose name begins the same way), and a host form
// can be longer than the array yet convert to a Windows form that fits.
// One that does not fit is dropped, and the path counts as invalid.
std::optional<std::string> StoredPath(AppState& s, std::string_view stored) {
  std::optional<std::string> windows = TypedPathToWindows(s.fs, stored);
  if (windows && windows->size() > kMaxStoredPath) windows.reset();
  return windows;
}

void ReadStoredPath(AppState& s, ProfileSection& ini, std::string_view key, PathText* path) {
  const std::optional<std::string> value = StoredPath(s, ini.ReadWholeText(key, {}));
  if (!value || !path->Assign(*value)) path->Clear();
}

void ApplyBracketDrive(OptionSet& d) {
  // An old form of the purge drive: "[-c-]" stands for the letter c.
  if (d.ExclDaysDriveString[0] != '[') return;
  const char letter = d.ExclDaysDriveString[2];
  d.ExclDaysDriveString.Clear();
  if (letter != '\0') (void)d.ExclDaysDriveString.Assign(std::string_view(&letter, 1));
}

void ApplyJfdiToConfirm(OptionSet& d) {
  if (d.JFDI != 1) return;
  d.ConfirmEveryFile = 0;
  d.CreateNewDir = 1;
}

void ApplyJfdiToLog(OptionSet& d) {
  if (d.JFDI == 1) d.EnableLog = 1;
}

void ApplyReadOnlyToXattr(OptionSet& d) {
  if (d.ReadOnlyFilter != 0) d.XATTR = 1;
}

void AfterKey(AppState& s, ProfileSection& ini, ThenDo then) {
  OptionSet& d = s.opt.DefaultOptions;
  switch (then) {
    case ThenDo::kJfdiForcesConfirm:
      ApplyJfdiToConfirm(d);
      break;
    case ThenDo::kReadPaths:
      ReadStoredPath(s, ini, "Path1", &s.Path1);
      ReadStoredPath(s, ini, "Path2", &s.Path2);
      break;
    case ThenDo::kReadOnlyForcesXattr:
      ApplyReadOnlyToXattr(d);
      break;
    case ThenDo::kJfdiForcesLog:
      ApplyJfdiToLog(d);
      break;
    case ThenDo::kBracketDrive:
      ApplyBracketDrive(d);
      break;
    case ThenDo::kNothing:
    case ThenDo::kSwitchAlert:
      break;
  }
}

void ReadLogPath(AppState& s, ProfileSection& ini, const KeyRule& rule,
                 WriteFailureNotice& notice) {
  OptionSet& d = s.opt.DefaultOptions;
  const std::string stored = ini.ReadWholeText(rule.key, kMissingText);
  if (stored == kMissingText) {
    if (!d.LogFilePath.Assign(FirstRunLogDirectory(s))) d.LogFilePath.Clear();
    notice.Note(ini.WriteText(rule.key, d.LogFilePath.view()));
    EnsureLogDirectory(s, d.LogFilePath.view());
    return;
  }
  // A path that does not fit logs nowhere, with the log directory's message
  // naming it as stored.
  const std::optional<std::string> windows = StoredPath(s, stored);
  if (!windows || !d.LogFilePath.Assign(*windows)) d.LogFilePath.Clear();
  EnsureLogDirectory(s, stored);
}

void ReadOptionKeys(AppState& s, ProfileSection& ini, WriteFailureNotice& notice) {
  OptionSet& d = s.opt.DefaultOptions;
  for (const KeyRule& rule : IniLoadRules()) {
    if (IsSwitchField(rule.key)) {
      FoldSwitchField(s, rule.key, &ini);
      continue;
    }
    if (rule.missing == WhenMissing::kLogDirectory) {
      ReadLogPath(s, ini, rule, notice);
      continue;
    }
    const KeyReadResult read = ReadOptionKey(ini, rule, false, &d);
    if (read.wants_box) {
      s.host.MessageBox(kIniKeyMissing, kErrorCaption, Icon::kWarning, Buttons::kOk);
    }
    notice.Note(!read.write_failed);
    AfterKey(s, ini, rule.then);
  }
}

// The first-run set, held for this session only because the file would not
// take it.
void UseFirstRunSet(AppState& s) {
  OptionSet& d = s.opt.DefaultOptions;
  ApplyFirstRunValues(&d, FirstRunLogDirectory(s));
  for (std::string_view key : SwitchFieldNames()) FoldSwitchField(s, key, nullptr);
  ApplyJfdiToConfirm(d);
  ApplyJfdiToLog(d);
  ApplyReadOnlyToXattr(d);
  EnsureLogDirectory(s, d.LogFilePath.view());
}

void FinishOptionKeys(AppState& s) {
  OptionSet& d = s.opt.DefaultOptions;
  s.window.HintsOn = d.ShowHints == 1;
  if (d.UseDir1 == 0 && d.UseDir1And == 0 && d.UseSubOnly == 0) d.SelectSeparate = 1;
}

void FinishLoad(AppState& s) {
  RebuildTables(s, s.opt.DefaultOptions);
  s.opt.ActiveOptions = s.opt.DefaultOptions;
  s.opt.SessionOptions = s.opt.DefaultOptions;
}

void RunFirstRun(AppState& s, WriteFailureNotice& notice) {
  ProfileSection ini = ProgramSection(s);
  ApplyFirstRunValues(&s.opt.DefaultOptions, FirstRunLogDirectory(s));
  // The paths start as the program's directory; the defaults writer then
  // stores c:\ over them unless they are read-only, in which case a stored
  // path is kept and only an absent one is created.
  for (auto [key, path] : {std::pair{"Path1", &s.Path1}, std::pair{"Path2", &s.Path2}}) {
    if (!path->Assign(s.places.ProgramDir)) path->Clear();
    if (s.sw.PathsReadOnly == 0 || !ini.HasKey(key)) notice.Note(ini.WriteText(key, path->view()));
  }
  s.opt.ActiveOptions = s.opt.DefaultOptions;
  WriteDefaults(s, true);
}

// A file that cannot be read (beyond the bound, no access) is said once and
// never written: the session runs on first-run values and the file stays as
// it is, for its owner to mend.
bool IniFileUsable(AppState& s, WriteFailureNotice& notice) {
  const Status readable = s.profiles.Check(s.places.IniPath);
  if (readable.ok()) return true;
  s.host.MessageBox(
      FileProblemMessage("Settings File", s.places.IniPath,
                         DescribeFileProblem(s.fs, s.places.IniPath, readable,
                                             kProgramProfileLimit),
                         "The First-Run Settings Are Used For This Session And The File Is Left "
                         "As It Is."),
      kErrorCaption, Icon::kWarning, Buttons::kOk);
  notice.Silence();
  return false;
}

void LoadPass(AppState& s, bool first_run_allowed) {
  ProfileSection ini = ProgramSection(s);
  WriteFailureNotice notice(s.host, kIniWriteFailed);
  const bool usable = IniFileUsable(s, notice);
  // Every repair of this load, and a first run's whole set, in one write.
  HeldWrites repairs(ini);
  LoadWindowGeometry(s, notice);
  LoadSkin(s, notice);
  LoadIntlSettings(s);
  LoadFontKeys(s);
  // Kept here too, so that a writer never stores a stale batch number.
  s.places.LastBatch = ini.ReadInt("LastBatch", 1);
  // Only a file without the key is a first run: a hand-edited value must not
  // reset every setting.
  if (ini.HasKey("VelqoOnly")) {
    s.opt.DefaultOptions.VelqoOnly = ini.ReadInt("VelqoOnly", 2);
    ReadOptionKeys(s, ini, notice);
  } else if (first_run_allowed && usable) {
    RunFirstRun(s, notice);
  } else {
    UseFirstRunSet(s);
  }
  notice.Note(repairs.Finish());
  FinishOptionKeys(s);
  FinishLoad(s);
}

}  // namespace

void IniLoad(AppState& s) { LoadPass(s, true); }

void IniReloadAfterEdit(AppState& s) {
  s.profiles.Flush();
  LoadPass(s, true);
}

void IniLoadAfterFirstRun(AppState& s) { LoadPass(s, false); }

}  // namespace velqo
