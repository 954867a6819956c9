#include "actions/deletion.h"

#include <string>

#include "actions/log_format.h"
#include "actions/update_log.h"
#include "actions/versions.h"
#include "common/platform/platform_ops.h"
#include "common/text/tostring.h"

namespace velqo {

namespace {

constexpr std::string_view kNotThere = "    did not exist ";

// The wait cursor for the length of one operation, when files are confirmed
// one by one.
class WaitCursor {
 public:
  explicit WaitCursor(AppState& s) : s_(s), on_(s.opt.ActiveOptions.ConfirmEveryFile == 1) {
    if (on_) s_.host.SetWaitCursor(true);
  }
  ~WaitCursor() {
    if (on_) s_.host.SetWaitCursor(false);
  }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  AppState& s_;
  bool on_;
};

bool LogsDeletions(const AppState& s) {
  return s.opt.ActiveOptions.EnableLog == 1 && s.opt.ActiveOptions.Brief != 1;
}

// A deletion that failed is an error of the run, in the log as well as on
// the screen.
void LogNotDeleted(AppState& s, std::string_view path) {
  s.flags.ActionFailed = 1;
  if (s.opt.ActiveOptions.EnableLog != 1) return;
  WriteLogLine(s, "!!!!! Could Not Delete - The Following File Was NOT Deleted !!!!!");
  WriteLogLine(s, path);
  s.flags.ErrorLogged = 1;
}

void ReportNotDeleted(AppState& s, std::string_view path) {
  std::string text = "The File ";
  text += path;
  text += " Cannot Be Deleted";
  s.host.MessageBox(text, "Error", Icon::kWarning, Buttons::kOk);
  LogNotDeleted(s, path);
}

// Clears the file's marks and deletes it. A file that stays (it cannot be
// opened, or the deletion is refused) gets its marks back, so a failed
// deletion changes nothing.
bool ClearAndDelete(AppState& s, std::string_view path) {
  std::uint32_t before = 0;
  const bool known = s.fs.GetAttributes(path, &before).ok();
  // A link is deleted as a link; its attributes would be those of what it
  // points to, outside this directory.
  const bool link = known && (before & kAttrReparsePoint) != 0;
  const bool cleared = known && !link && s.fs.SetAttributes(path, 0).ok();
  if (!link && !s.fs.OpenReadWrite(path).ok()) {
    if (cleared) (void)s.fs.SetAttributes(path, before);
    std::string text = "The File ";
    text += path;
    text += " Cannot Be Located";
    s.host.MessageBox(text, "Error", Icon::kInformation, Buttons::kOk);
    // A file that is gone already is no failure; one that stays is.
    if (EntryExists(s.fs, path)) LogNotDeleted(s, path);
    return false;
  }
  // In a tree whose old files are kept, the file goes into the versions
  // folder with its own marks instead.
  if (!DeleteKeepingVersion(s, path, cleared, before).ok()) {
    if (cleared) (void)s.fs.SetAttributes(path, before);
    ReportNotDeleted(s, path);
    return false;
  }
  return true;
}

// One file of a pair: asked for, deleted and logged. Its marks are not
// lifted, so a read-only file is reported as not located.
void DeleteOfPair(AppState& s, std::string_view path, std::string_view data) {
  if (!s.fs.OpenReadWrite(path).ok()) {
    std::string text = "The File ";
    text += path;
    text += " Cannot Be Located - It May Not Have Been Created Yet";
    s.host.MessageBox(text, "Cannot Locate Delete Target", Icon::kInformation, Buttons::kOk);
    if (LogsDeletions(s)) WriteLogEntryLine(s, NamePart(path), kNoFileColumn, kNotThere);
    return;
  }
  std::string question = "Erase The File ";
  question += path;
  question += " ?";
  const Answer answer =
      s.host.MessageBox(question, "Delete Confirmation", Icon::kQuestion, Buttons::kYesNo);
  MBDebug(s, path, "ThisPassPath");
  if (answer != Answer::kYes) return;
  if (!DeleteKeepingVersion(s, path, false, 0).ok()) {
    ReportNotDeleted(s, path);
    return;
  }
  s.flags.FileChanged = 1;
  MBDebug(s, path, "ThisPassPath");
  if (LogsDeletions(s)) WriteLogEntryLine(s, NamePart(path), data, "    was deleted ");
}

}  // namespace

bool DeleteFileChecked(AppState& s, std::string_view path, bool with_log_entry) {
  s.flags.FileChanged = 1;
  WaitCursor cursor(s);
  if (!ClearAndDelete(s, path)) return false;
  if (with_log_entry && LogsDeletions(s)) {
    const std::string_view name = NamePart(path);
    WriteLogEntryLine(s, name, kNoFileColumn, kNotThere);
    WriteLogEntryLine(s, name, s.File2Data.view(), "    was deleted");
  }
  return true;
}

void DeleteOneFile(AppState& s, std::string_view path, bool with_log_entry) {
  (void)DeleteFileChecked(s, path, with_log_entry);
}

void DeletePair(AppState& s, std::string_view source, std::string_view target, int kind) {
  WaitCursor cursor(s);
  const bool towards_dir1 = kind == 1 || kind == 3;
  DeleteOfPair(s, towards_dir1 ? target : source, s.File1Data.view());
  DeleteOfPair(s, towards_dir1 ? source : target, s.File2Data.view());
}

void PurgeOldFile(AppState& s, std::string_view directory, std::string_view name) {
  const OptionSet& o = s.opt.ActiveOptions;
  const std::string path = ChildPath(directory, name);
  CaptureFileInfo(s, path, 1);
  if (o.JFDI == 0) {
    TOstring days(8);
    days.AppendInt(o.ExclDaysInt, 3);
    std::string question = path;
    question += " Is Older Than ";
    question += days.View();
    question += " Days And Will Be Deleted From Drive ";
    question += o.ExclDaysDriveString.view();
    question += ".  Press OK To Delete - Cancel To Prevent Deletion.";
    if (s.host.MessageBox(question, "Deleting Old File", Icon::kInformation, Buttons::kOkCancel) ==
        Answer::kCancel) {
      return;
    }
  }
  // The entry says the file was deleted, so it is written only when it was.
  if (!DeleteFileChecked(s, path, false) || !LogsDeletions(s)) return;
  WriteLogEntryLine(s, name, s.File1Data.view(), {});
  TOstring line(256);
  line.Append("     Was older than ");
  line.AppendInt(o.ExclDaysInt, 3);
  line.Append(" days and was deleted from drive ");
  line.Append(o.ExclDaysDriveString.view());
  WriteLogLine(s, line.View());
}

}  // namespace velqo
