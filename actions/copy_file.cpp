#include <cstdint>
#include <string>

#include "actions/copy_backup.h"
#include "actions/log_format.h"
#include "actions/type_change.h"
#include "actions/update_log.h"
#include "actions/versions.h"

namespace velqo {

namespace {

constexpr unsigned kFailCriticalErrors = 1;

constexpr std::string_view kAttributeWarningTail =
    "That Read-Only Files May Be Encountered.  Your System Configuration Prevents "
    "Velqo From Modifying The Attributes Of The File Above To Clear The Read-Only "
    "Attribute (If It Exists).  The Update Of This File May Fail. "
    "Press OK To Continue With The Rest Of The Files "
    "In This Directory Or Press Cancel To Terminate This Update.";

bool TowardsDir1(int kind) { return kind == kCopy2Over1 || kind == kCopyAdd2To1; }

std::string AttributeWarning(std::string_view target, std::string_view reason) {
  std::string text = "Cannot Modify The File Attributes Of ";
  text += target;
  text += reason;
  text += kAttributeWarningTail;
  return text;
}

std::string CopyWarning(std::string_view source, std::string_view target) {
  std::string text = "Cannot Execute Copy Of ";
  text += source;
  text += " To ";
  text += target;
  text += ".  Press OK To Continue With The Rest Of The Files ";
  text += "In This Directory Or Press Cancel To Terminate This Update.";
  return text;
}

// A warning of the copy, unless JFDI. Cancel terminates the update, as the
// warning says: not this file, but every file and pair after it.
void Warn(AppState& s, const std::string& text) {
  if (s.opt.ActiveOptions.JFDI != 0) return;
  if (s.host.MessageBox(text, "Error", Icon::kWarning, Buttons::kOkCancel) == Answer::kCancel) {
    s.flags.PairStopped = 1;
    s.flags.CancelRequested = 1;
  }
}

std::string_view CopyPhrase(int kind, bool backups) {
  switch (kind) {
    case kCopy2Over1:
      return backups ? "    was copied from " : "    was replaced by ";
    case kCopyAdd1To2:
      return "    was copied to ";
    case kCopyAdd2To1:
      return "    was copied from ";
    default:
      return backups ? "    was copied to " : "    was copied over ";
  }
}

void LogCopy(AppState& s, std::string_view source, std::string_view target, int kind,
             bool failed) {
  const OptionSet& o = s.opt.ActiveOptions;
  if (failed) s.flags.ActionFailed = 1;
  if (o.EnableLog != 1) return;
  if (failed) {
    WriteLogLine(s,
                 "!!!!! Could Not Perform Copy - The Following"
                 " Action Could Not Be Completed !!!!!");
    s.flags.ErrorLogged = 1;
  }
  if (o.Brief == 1 && !failed) return;
  // The first line always names the Dir 1 side file, whatever the direction.
  const std::string_view dir1_file = TowardsDir1(kind) ? target : source;
  const std::string_view dir2_file = TowardsDir1(kind) ? source : target;
  WriteLogEntryLine(s, NamePart(dir1_file), s.File1Data.view(), CopyPhrase(kind, o.CreateBackup == 1));
  WriteLogEntryLine(s, NamePart(dir2_file), s.File2Data.view(), {});
}

struct Attributes {
  bool known = false;
  std::uint32_t bits = 0;
  bool IsLink() const { return known && (bits & kAttrReparsePoint) != 0; }
};

Attributes AttributesOf(Platform& fs, std::string_view path) {
  Attributes a;
  a.known = fs.GetAttributes(path, &a.bits).ok();
  return a;
}

// Gives a fresh copy its attributes. A link has no attributes of its own
// here, and setting them would reach whatever it points to, so links are
// left alone.
void SettleAttributes(AppState& s, std::string_view target, const Attributes& source,
                      const Attributes& before) {
  if (!source.known || source.IsLink()) return;
  if (s.opt.ActiveOptions.XATTR == 1) {
    if (!s.fs.SetAttributes(target, source.bits).ok()) {
      Warn(s, AttributeWarning(target,
                               ".  You Are Running With The /O Switch Set Indicating The Likelihood "));
    }
    return;
  }
  // A replaced file keeps its own marks (a hidden target stays hidden); a
  // new one, or one that replaced a link, takes the source's.
  const bool keep_own = before.known && !before.IsLink();
  (void)s.fs.SetAttributes(target, keep_own ? before.bits : source.bits);
}

void LogBackup(AppState& s, std::string_view path, std::string_view backup, std::string_view info, int side,
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
    WriteLogEntryLine(s, NamePart(path), info, "    was renamed to ");
    WriteLogEntryLine(s, NamePart(backup), {}, {});
  } else {
    WriteLogEntryLine(s, NamePart(backup), kNoFileColumn, "    was renamed from ");
    WriteLogEntryLine(s, NamePart(path), info, {});
  }
}

bool IsReadOnlyFile(const Attributes& a) { return a.known && !a.IsLink() && (a.bits & kAttrReadOnly) != 0; }

// Read-only files that the settings let be replaced (XATTR), made writable
// for the copy: a read-only file cannot be marked as a backup by anyone
// but root, and a read-only backup of this program's from an earlier run
// could not be replaced. Each gets its own marks back as the copy ends.
class WritableForBackup {
 public:
  WritableForBackup(AppState& s, std::string_view target, std::string_view backup)
      : s_(s), target_(target), backup_(backup) {
    if (s.opt.ActiveOptions.XATTR != 1) return;
    target_before_ = AttributesOf(s.fs, target);
    backup_before_ = AttributesOf(s.fs, backup);
    target_cleared_ = Clear(target_, target_before_);
    backup_cleared_ = Clear(backup_, backup_before_);
  }
  // After a copy: the old data, now the backup, keeps the target's old
  // marks; after a failure everything is as it was.
  void Finish(bool copied) {
    if (copied) {
      if (target_cleared_) (void)s_.fs.SetAttributes(backup_, target_before_.bits);
      return;
    }
    if (target_cleared_) (void)s_.fs.SetAttributes(target_, target_before_.bits);
    if (backup_cleared_) (void)s_.fs.SetAttributes(backup_, backup_before_.bits);
  }

 private:
  bool Clear(std::string_view path, const Attributes& a) {
    return IsReadOnlyFile(a) && s_.fs.SetAttributes(path, a.bits & ~kAttrReadOnly).ok();
  }

  AppState& s_;
  std::string_view target_;
  std::string_view backup_;
  Attributes target_before_;
  Attributes backup_before_;
  bool target_cleared_ = false;
  bool backup_cleared_ = false;
};

// Copies over target while its present data stays under the backup name;
// false when nothing changed. A backup that cannot be made leaves the
// target unreplaced: replacing it anyway would lose the only old version.
bool CopyWithBackup(AppState& s, std::string_view source, std::string_view target, std::string_view backup,
                    int side) {
  const Attributes from = AttributesOf(s.fs, source);
  const std::string old_info = DescribeFile(s, target);
  const bool had_old = old_info != kNoFileColumn;
  bool backup_failed = false;
  WritableForBackup writable(s, target, backup);
  const bool copied = s.fs.CopyFileWithBackup(source, target, backup, &backup_failed).ok();
  writable.Finish(copied);
  if (!copied) {
    if (backup_failed) {
      if (s.opt.ActiveOptions.JFDI == 0) {
        s.host.MessageBox("Cannot Back Up File", "Error", Icon::kWarning, Buttons::kOk);
      }
      LogBackup(s, target, backup, old_info, side, true);
    } else {
      Warn(s, CopyWarning(source, target));
    }
    return false;
  }
  s.flags.FileChanged = 1;
  if (had_old) LogBackup(s, target, backup, old_info, side, false);
  // The old file lives on as the backup; the target is a new file and
  // takes the source's attributes.
  SettleAttributes(s, target, from, Attributes{});
  return true;
}

// Copies and settles the attributes; false when the copy failed.
bool CopyAndSettle(AppState& s, std::string_view source, std::string_view target) {
  const Attributes from = AttributesOf(s.fs, source);
  const Attributes before = AttributesOf(s.fs, target);
  bool cleared = false;
  if (before.known && !before.IsLink() && s.opt.ActiveOptions.XATTR == 1) {
    cleared = s.fs.SetAttributes(target, 0).ok();
    if (!cleared) {
      Warn(s, AttributeWarning(target,
                               ".  Your Settings Allow Update Of Read-Only Files, Indicating "));
    }
  }
  if (!s.fs.CopyFile(source, target).ok()) {
    // The old target is still there, untouched by the failed copy; it gets
    // back the marks that were cleared for it.
    if (cleared) (void)s.fs.SetAttributes(target, before.bits);
    Warn(s, CopyWarning(source, target));
    return false;
  }
  s.flags.FileChanged = 1;
  SettleAttributes(s, target, from, before);
  return true;
}

// The old file a copy replaces in a tree whose old files are kept.
struct OldVersion {
  bool versioned = false;  // the target lies in that tree
  bool kept = false;       // there was a file, now kept as a version too
  std::string relative;
  std::string version;
  Attributes attributes;
};

// Keeps the target's present file as a version before a copy replaces it;
// false (reported) when it cannot be kept: the copy then does not go
// ahead, since the old file would be lost with it.
bool KeepReplaced(AppState& s, std::string_view target, OldVersion* old) {
  old->versioned = RelativeToVersionTop(s.versions, target, &old->relative);
  if (!old->versioned) return true;
  old->attributes = AttributesOf(s.fs, target);
  if (!old->attributes.known || (old->attributes.bits & kAttrDirectory) != 0) return true;
  const Status st = KeepOldVersion(s.fs, s.versions, target, old->relative, VersionKeep::kLink, &old->version);
  if (st.ok()) {
    old->kept = true;
    return true;
  }
  if (s.opt.ActiveOptions.JFDI == 0) {
    s.host.MessageBox("Cannot Keep The Old Version Of " + std::string(target), "Error", Icon::kWarning, Buttons::kOk);
  } else {
    s.host.Warning("cannot keep the old version of " + std::string(target) + ": " + st.ToString());
  }
  return false;
}

// After the copy: the version keeps the old file's own marks (a copy may
// have cleared them on the shared file), and the change is journaled.
void FinishVersion(AppState& s, std::string_view target, OldVersion& old, bool copied) {
  if (!old.versioned || !copied) return;
  if (!old.kept) {
    RecordVersionChange(s.fs, s.versions, VersionChange::Kind::kAdded, target, old.relative, {});
    return;
  }
  if (!old.attributes.IsLink()) {
    (void)s.fs.SetAttributes(BelowTop(s.versions.top, old.version), old.attributes.bits);
  }
  RecordVersionChange(s.fs, s.versions, VersionChange::Kind::kReplaced, target, old.relative, old.version);
}

}  // namespace

void CopyOneFile(AppState& s, std::string_view source, std::string_view target, int kind, bool backup) {
  s.host.PumpEvents();
  s.fs.SetErrorMode(kFailCriticalErrors);
  const bool wait = s.opt.ActiveOptions.ConfirmEveryFile == 1;
  if (wait) s.host.SetWaitCursor(true);
  // Only a replaced file has old data to keep; .BAK and "~" files get no backup.
  // A file of Dir 1 whose Dir 2 namesake is a directory replaces it in a
  // run that writes only Dir 2.
  if (kind == kCopyAdd1To2 && TypeChangeToMake(s, target, false) && !ClearForTypeChange(s, target, backup)) {
    LogCopy(s, source, target, kind, true);
    if (wait) s.host.SetWaitCursor(false);
    s.fs.SetErrorMode(0);
    return;
  }
  OldVersion old;
  if (!KeepReplaced(s, target, &old)) {
    LogCopy(s, source, target, kind, true);
    if (wait) s.host.SetWaitCursor(false);
    s.fs.SetErrorMode(0);
    return;
  }
  std::string backup_path;
  const bool replaces = kind == kCopy1Over2 || kind == kCopy2Over1;
  const bool copied = backup && replaces && BackupPathFor(target, &backup_path)
                          ? CopyWithBackup(s, source, target, backup_path, kind == kCopy2Over1 ? 0 : 1)
                          : CopyAndSettle(s, source, target);
  FinishVersion(s, target, old, copied);
  LogCopy(s, source, target, kind, !copied);
  if (wait) s.host.SetWaitCursor(false);
  s.fs.SetErrorMode(0);
}

}  // namespace velqo
