#include "engine/action_phases.h"

#include "actions/copy_backup.h"
#include "actions/dialogs.h"
#include "actions/update_log.h"
#include "common/platform/platform_ops.h"
#include "engine/pair_context.h"
#include "engine/skipped_paths.h"

namespace velqo {

namespace {

bool AnyInState(FileList& list, std::int32_t state) {
  for (int i = 0; i < list.count(); ++i) {
    if (list.State(i) == state) return true;
  }
  return false;
}

bool SomethingToDo(AppState& s, PairLists& lists) {
  const OptionSet& o = s.opt.ActiveOptions;
  if (AnyInState(lists.list1, kStateNewer) || AnyInState(lists.list2, kStateNewer)) return true;
  if ((o.Add1To2 == 1 || o.AddBothWays == 1) && AnyInState(lists.list1, kStateLone)) return true;
  return o.AddBothWays == 1 && AnyInState(lists.list2, kStateLone);
}

void Copy(AppState& s, int kind) {
  const bool towards_dir2 = kind == kCopy1Over2 || kind == kCopyAdd1To2;
  const bool backup = KeepsBackups(s);
  ShowCopyPair(s, kind);
  if (towards_dir2) {
    CopyOneFile(s, s.File1Path.view(), s.File2Path.view(), kind, backup);
  } else {
    CopyOneFile(s, s.File2Path.view(), s.File1Path.view(), kind, backup);
  }
  s.host.PumpEvents();
}

// The phases that ask nothing.
void PlainPhases(AppState& s, PairLists& lists) {
  const bool backup = s.opt.ActiveOptions.CreateBackup == 1;
  s.flags.NoActionTaken = SomethingToDo(s, lists) ? 0 : 1;
  if (s.flags.NoActionTaken == 1) {
    s.flags.PairStopped = 1;
  } else {
    StatusShow(s, "Is Being Copied To:");
    s.host.PumpEvents();
  }
  ForEachInState(s, lists.list1, kStateNewer, [&] {
    CaptureFileInfo(s, s.File1Path.view(), 1);
    // With backups both columns of the entry describe the source, the
    // backup's own entry the old file.
    CaptureFileInfo(s, backup ? s.File1Path.view() : s.File2Path.view(), backup ? 2 : 4);
    Copy(s, kCopy1Over2);
    return true;
  });
  ForEachInState(s, lists.list2, kStateNewer, [&] {
    CaptureFileInfo(s, backup ? s.File2Path.view() : s.File1Path.view(), backup ? 1 : 3);
    CaptureFileInfo(s, s.File2Path.view(), 2);
    Copy(s, kCopy2Over1);
    return true;
  });
  const OptionSet& o = s.opt.ActiveOptions;
  if (o.Add1To2 == 1 || o.AddBothWays == 1) {
    ForEachInState(s, lists.list1, kStateLone, [&] {
      CaptureFileInfo(s, s.File1Path.view(), 1);
      CaptureFileInfo(s, s.File1Path.view(), 2);
      Copy(s, kCopyAdd1To2);
      return true;
    });
  }
  if (o.AddBothWays == 1) {
    ForEachInState(s, lists.list2, kStateLone, [&] {
      CaptureFileInfo(s, s.File2Path.view(), 1);
      CaptureFileInfo(s, s.File2Path.view(), 2);
      Copy(s, kCopyAdd2To1);
      return true;
    });
  }
  StatusHide(s);
}

}  // namespace

bool KeepsBackups(const AppState& s) {
  const OptionSet& o = s.opt.ActiveOptions;
  return o.CreateBackup == 1 && (o.CleanUp == 0 || s.sw.MirrorBackups == 1);
}

bool SetFilePaths(AppState& s, std::string_view name) {
  const std::string path1 = ChildPath(s.Path1.view(), name);
  const std::string path2 = ChildPath(s.Path2.view(), name);
  for (const std::string* path : {&path1, &path2}) {
    if (path->size() > PathText::kMaxLength) {
      ReportPathTooLong(s, *path);
      return false;
    }
  }
  return s.File1Path.Assign(path1) && s.File2Path.Assign(path2);
}

void RunActionPhases(AppState& s, PairLists& lists) {
  if (s.flags.PairStopped == 1) return;
  const OptionSet& o = s.opt.ActiveOptions;
  // Backups are made with each copy, once its new data is complete: one
  // that is declined, fails or is interrupted leaves the target under its
  // own name and an earlier backup as it was.
  if (o.ConfirmEveryFile == 1 || o.CleanUp == 1 || o.JFDI == 1) {
    ConfirmedPhases(s, lists);
  } else {
    PlainPhases(s, lists);
  }
}

}  // namespace velqo
