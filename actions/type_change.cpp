#include "actions/type_change.h"

#include <string>

#include "actions/copy_backup.h"
#include "actions/deletion.h"
#include "actions/directories.h"
#include "actions/log_format.h"
#include "actions/update_log.h"

namespace velqo {

namespace {

void LogStep(AppState& s, std::string_view what, std::string_view path) {
  if (s.opt.ActiveOptions.EnableLog != 1 || s.opt.ActiveOptions.Brief == 1) return;
  WriteLogLine(s, what);
  WriteLogLine(s, path);
}

void ReportFailure(AppState& s, std::string_view target, std::string_view reason) {
  std::string text = "Cannot Replace ";
  text += target;
  text += reason;
  if (s.opt.ActiveOptions.JFDI == 1) {
    s.host.UnattendedNotice(text);
  } else {
    s.host.MessageBox(text, "Error", Icon::kWarning, Buttons::kOk);
  }
  if (s.opt.ActiveOptions.EnableLog == 1) {
    WriteLogLine(s, "!!! Could Not Replace An Entry Of The Other Type: !!!");
    WriteLogLine(s, target);
    s.flags.ErrorLogged = 1;
  }
  s.flags.ActionFailed = 1;
}

bool IsRealDirectory(std::uint32_t attributes) {
  return (attributes & kAttrDirectory) != 0 && (attributes & kAttrReparsePoint) == 0;
}

bool MoveToBackup(AppState& s, std::string_view target) {
  std::string backup;
  if (!BackupPathFor(target, &backup)) {
    ReportFailure(s, target, " - It Has No Backup Name.");
    return false;
  }
  // An existing entry under the backup name is never replaced for this:
  // it may be anything, a backup of something else included.
  if (!s.fs.MoveFile(target, backup).ok()) {
    ReportFailure(s, target, " - It Could Not Be Renamed To " + backup + ".");
    return false;
  }
  s.flags.FileChanged = 1;
  LogStep(s, "    The entry below was replaced by one of another type, and kept as", backup);
  return true;
}

}  // namespace

bool TypeChangeToMake(AppState& s, std::string_view target, bool directory_wanted) {
  if (!WritesOnlyDir2(s.opt.ActiveOptions)) return false;
  std::uint32_t attributes = 0;
  if (!s.fs.GetAttributes(target, &attributes).ok()) return false;
  return IsRealDirectory(attributes) != directory_wanted;
}

bool ClearForTypeChange(AppState& s, std::string_view target, bool backup) {
  if (backup) return MoveToBackup(s, target);
  std::uint32_t attributes = 0;
  if (!s.fs.GetAttributes(target, &attributes).ok()) return true;
  if (IsRealDirectory(attributes)) {
    if (!RemoveDirTree(s, target)) {
      ReportFailure(s, target, " - The Directory Could Not Be Removed Completely.");
      return false;
    }
    s.flags.DirectoryRemoved = 1;
    LogStep(s, "    The directory below (and its subdirectories) was replaced by a file", target);
    return true;
  }
  // A read-only file may be deleted only where read-only files may be replaced.
  if ((attributes & kAttrReadOnly) != 0 && s.opt.ActiveOptions.XATTR == 1) {
    (void)s.fs.SetAttributes(target, attributes & ~kAttrReadOnly);
  }
  if (!s.fs.DeleteFile(target).ok()) {
    ReportFailure(s, target, " - The File Could Not Be Deleted.");
    return false;
  }
  s.flags.FileChanged = 1;
  LogStep(s, "    The file below was replaced by a directory", target);
  return true;
}

}  // namespace velqo
