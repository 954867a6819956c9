#include "ui/logic/demonstration.h"

#include "actions/directories.h"
#include "common/platform/platform_ops.h"

namespace velqo::ui {

namespace {

constexpr std::string_view kLineBreaks = "\r\n\r\n";

// What a demonstration leaves as it found it.
struct SavedSession {
  explicit SavedSession(const AppState& s)
      : path1(s.Path1), path2(s.Path2), session(s.opt.SessionOptions), active(s.opt.ActiveOptions),
        tables(s.opt.Tables), upd_in_use(s.opt.OptUpdInUse) {}
  void Restore(AppState& s) const {
    s.Path1 = path1;
    s.Path2 = path2;
    s.opt.SessionOptions = session;
    s.opt.ActiveOptions = active;
    s.opt.Tables = tables;
    s.opt.OptUpdInUse = upd_in_use;
  }
  PathText path1;
  PathText path2;
  OptionSet session;
  OptionSet active;
  FilterTables tables;
  int upd_in_use;
};

}  // namespace

std::string DemoQuestion() {
  std::string text =
      "This demonstration will use Velqo's engine to do a VERY simple operation that might be of "
      "use in actual practice.  It will create a backup of the files in your My Documents "
      "directory in another, new, directory. Velqo will take the following steps: ";
  text += kLineBreaks;
  text += "1. Create a new directory, C:\\VelqoDemo\\My Backed Up Documents.";
  text += kLineBreaks;
  text += "2. Make a copy of all files in your My Documents to the new directory.";
  text += kLineBreaks;
  text += "After running the Demo and checking the results, the directory ";
  text += "can be easily removed by selecting the Demo|Remove Demonstration Directory. This demo makes the ";
  text += "assumption that the user has some files in their My Documents directory.  If there are no files ";
  text += "in the directory, the created backup directory will, of course, be empty. Press OK to ";
  text += "continue, Cancel to cancel the demonstration.";
  return text;
}

OptionSet DemoOptions(AppState& s) {
  OptionSet d;  // every field not named below is 0 or empty
  d.SelectSeparate = 1;
  d.Add1To2 = 1;
  d.ConfirmEveryFile = 1;
  d.CreateNewDir = 1;
  d.IgnoreOptUpd = 1;
  d.ArchiveFilter = 2;
  d.ReadOnlyFilter = 2;
  d.HiddenFilter = 2;
  d.SystemFilter = 2;
  d.IncArcDir = 1;
  d.IncRODir = 1;
  d.LogFilePath = s.opt.SessionOptions.LogFilePath;
  d.EnableLog = DirectoryExists(s.fs, d.LogFilePath.view()) ? 1 : 0;
  d.AutoGenerateFile = 1;
  d.AppendToFile = 1;
  d.ShowHints = 1;
  return d;
}

bool RunDemonstration(AppState& s, const std::function<void()>& run_update) {
  if (s.host.MessageBox(DemoQuestion(), "Continue With Demo?", Icon::kQuestion, Buttons::kOkCancel) !=
      Answer::kOk) {
    return false;
  }
  const SavedSession saved(s);
  s.opt.SessionOptions = DemoOptions(s);
  s.opt.ActiveOptions = s.opt.SessionOptions;
  s.sw.DemoMode = 1;
  run_update();
  s.sw.DemoMode = 0;
  // The active set too: the next update takes its directory-selection mode
  // from it before any pair derives it afresh, and would otherwise run with
  // the demonstration's.
  saved.Restore(s);
  return true;
}

void RemoveDemonstrationDirectory(AppState& s) {
  // The last run's tops may lie inside the tree, and a top is never
  // removed; the drive's root is the top of this removal.
  (void)s.fs.PinTops({std::string(kDemoRoot.substr(0, 3))});
  (void)RemoveDirTree(s, kDemoRoot);
}

}  // namespace velqo::ui
