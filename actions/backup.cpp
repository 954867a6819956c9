#include <algorithm>
#include <string>
#include <utility>

#include "actions/copy_backup.h"
#include "actions/dialogs.h"
#include "actions/log_format.h"
#include "actions/update_log.h"
#include "common/platform_ops.h"

namespace velqo {

namespace {

void LogBackup(AppState& s, std::string_view path, std::string_view backup, int side,
               bool failed) {
  const OptionSet& o = s.opt.ActiveOptions;
  if (o.EnableLog != 1) return;
  if (failed) {
    WriteLogLine(s,
                 "!! Could Not Create Backup File - The Following"
                 " Action Could Not Be Completed !!");
  }
  if (o.Brief == 1 && !failed) return;
  if (side == 0) {
    WriteLogEntryLine(s, NamePart(path), s.File1Data.view(), "    was renamed to ");
    WriteLogEntryLine(s, NamePart(backup), {}, {});
  } else {
    WriteLogEntryLine(s, NamePart(backup), kNoFileColumn, "    was renamed from ");
    WriteLogEntryLine(s, NamePart(path), s.File2Data.view(), {});
  }
}

}  // namespace

bool BackupPathFor(std::string_view path, std::string* backup) {
  const std::string_view name = NamePart(path);
  if (name.empty()) return false;
  // The extension is what follows the name's last dot; a name without one
  // is treated like a one-letter extension and gets the backup NAME.~.
  const std::size_t dot = name.rfind('.');
  const std::string_view extension =
      dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
  if (EqualsIgnoreCase(extension, "BAK")) return false;
  if (!extension.empty() && extension.front() == '~') return false;
  const std::size_t stem = path.size() - name.size() + std::min(dot, name.size());
  std::string result(path.substr(0, stem));
  result += ".~";
  if (!extension.empty()) result += extension.substr(0, extension.size() - 1);
  *backup = std::move(result);
  return true;
}

void BackupFile(AppState& s, std::string_view path, int side) {
  s.host.PumpEvents();
  std::string backup;
  if (!BackupPathFor(path, &backup)) return;
  ShowBackupPair(s, path, backup, side);
  // An older backup is replaced. One that cannot be opened (read-only, in
  // use) stays, and then the rename onto its name fails.
  if (s.fs.OpenReadWrite(backup).ok()) (void)s.fs.DeleteFile(backup);
  const bool failed = !s.fs.MoveFile(path, backup).ok();
  if (failed && s.opt.ActiveOptions.JFDI == 0) {
    s.host.MessageBox("Cannot Back Up File", "Error", Icon::kWarning, Buttons::kOk);
  }
  LogBackup(s, path, backup, side, failed);
}

}  // namespace velqo
