#include "actions/copy_backup.h"
#include "actions/deletion.h"
#include "actions/dialogs.h"
#include "actions/update_log.h"
#include "engine/action_phases.h"

namespace velqo {

namespace {

constexpr std::string_view kCopyingMode = "Is Being Copied To:";

enum class Dialog { kCopy, kOlderCopy };

// One copy that may be put to the user: from and to are File1Path or
// File2Path; the dialog shows top (the source, or the older Dir 1 file)
// above bottom.
struct CopyAction {
  bool from_dir1;
  int kind;
  Dialog dialog;
};

class ConfirmedRun {
 public:
  explicit ConfirmedRun(AppState& s) : s_(s) { s_.ConfirmResult = mrOk; }

  // False when the pair is to end at once (Next Directory).
  bool Copy(const CopyAction& a) {
    if (s_.opt.ActiveOptions.JFDI == 1) {
      // A cancel pressed during the last copy stops before this one starts.
      Pump();
      if (s_.flags.PairStopped != 1) DoCopy(a);
      return true;
    }
    if (s_.ConfirmResult != mrOkToAll) Ask(a);
    switch (s_.ConfirmResult) {
      case mrNextDirectory:
        return false;
      case mrOk:
        Pump();
        DoCopy(a);
        break;
      case mrDeletePair:
        if (a.dialog == Dialog::kCopy) {
          Pump();
          DeletePair(s_, From(a), To(a), a.kind);
        }
        break;
      case mrCancelUpdate:
        Cancel();
        break;
      default:
        break;
    }
    if (s_.ConfirmResult == mrOkToAll && !status_shown_) {
      Pump();
      StatusShow(s_, kCopyingMode);
      Pump();
      status_shown_ = true;
    }
    if (s_.ConfirmResult == mrOkToAll) {
      ShowCopyPair(s_, a.kind);
      DoCopy(a);
      Pump();
    }
    return true;
  }

  // The CleanUp deletion of File2Path; false when the pair is to end.
  bool Delete() {
    if (s_.opt.ActiveOptions.JFDI == 1) {
      Pump();
      if (s_.flags.PairStopped != 1) DeleteOneFile(s_, s_.File2Path.view(), true);
      return true;
    }
    if (s_.ConfirmResult != mrOkToAllDelete) {
      ConfirmDelete(s_, s_.File2Path.view(), s_.File2Data.view());
    }
    switch (s_.ConfirmResult) {
      case mrNextDirectory:
        return false;
      case mrOk:
        CaptureFileInfo(s_, s_.File2Path.view(), 2);
        DeleteOneFile(s_, s_.File2Path.view(), true);
        break;
      case mrCancelUpdate:
        Cancel();
        break;
      default:
        break;
    }
    if (s_.ConfirmResult == mrOkToAllDelete && !delete_status_shown_) {
      Pump();
      delete_status_shown_ = true;
      StatusShow(s_, "Is Being Deleted...");
      Pump();
    }
    if (s_.ConfirmResult == mrOkToAllDelete) {
      ShowSingleFile(s_, 0);
      DeleteOneFile(s_, s_.File2Path.view(), true);
    }
    return true;
  }

 private:
  std::string_view From(const CopyAction& a) const {
    return a.from_dir1 ? s_.File1Path.view() : s_.File2Path.view();
  }
  std::string_view To(const CopyAction& a) const {
    return a.from_dir1 ? s_.File2Path.view() : s_.File1Path.view();
  }
  std::string_view FromData(const CopyAction& a) const {
    return a.from_dir1 ? s_.File1Data.view() : s_.File2Data.view();
  }
  std::string_view ToData(const CopyAction& a) const {
    return a.from_dir1 ? s_.File2Data.view() : s_.File1Data.view();
  }

  void Ask(const CopyAction& a) {
    if (a.dialog == Dialog::kOlderCopy) {
      ConfirmOlderCopy(s_, From(a), To(a), FromData(a), ToData(a));
    } else {
      ConfirmCopy(s_, From(a), To(a), FromData(a), ToData(a));
    }
  }
  void DoCopy(const CopyAction& a) { CopyOneFile(s_, From(a), To(a), a.kind, KeepsBackups(s_)); }
  void Pump() { s_.host.PumpEvents(); }
  void Cancel() {
    s_.flags.PairStopped = 1;
    s_.flags.CancelRequested = 1;
  }

  AppState& s_;
  bool status_shown_ = false;
  bool delete_status_shown_ = false;
};

bool Stopped(const AppState& s) { return s.flags.PairStopped == 1; }

// Phase A: newer Dir 1 files over their Dir 2 namesakes.
bool PhaseA(AppState& s, ConfirmedRun& run, PairLists& lists) {
  const bool backup = s.opt.ActiveOptions.CreateBackup == 1;
  const bool go_on = ForEachInState(s, lists.list1, kStateNewer, [&] {
    CaptureFileInfo(s, s.File1Path.view(), 1);
    CaptureFileInfo(s, backup ? s.File1Path.view() : s.File2Path.view(), backup ? 2 : 4);
    return run.Copy(CopyAction{true, kCopy1Over2, Dialog::kCopy});
  });
  StatusHide(s);
  return go_on;
}

// Phase B: newer Dir 2 files. CleanUp makes Dir 2 a replica, so there the
// older Dir 1 file replaces the newer Dir 2 file, after its own question.
bool PhaseB(AppState& s, ConfirmedRun& run, PairLists& lists) {
  const bool backup = s.opt.ActiveOptions.CreateBackup == 1;
  const bool cleanup = s.opt.ActiveOptions.CleanUp == 1;
  const CopyAction action = cleanup ? CopyAction{true, kCopy1Over2, Dialog::kOlderCopy}
                                    : CopyAction{false, kCopy2Over1, Dialog::kCopy};
  const bool go_on = ForEachInState(s, lists.list2, kStateNewer, [&] {
    CaptureFileInfo(s, backup ? s.File2Path.view() : s.File1Path.view(), backup ? 1 : 3);
    CaptureFileInfo(s, s.File2Path.view(), 2);
    return run.Copy(action);
  });
  StatusHide(s);
  return go_on;
}

// Phase C: files only in Dir 1, added to Dir 2.
bool PhaseC(AppState& s, ConfirmedRun& run, PairLists& lists) {
  const OptionSet& o = s.opt.ActiveOptions;
  if (o.Add1To2 != 1 && o.AddBothWays != 1 && o.CleanUp != 1) return true;
  const bool go_on = ForEachInState(s, lists.list1, kStateLone, [&] {
    CaptureFileInfo(s, s.File1Path.view(), 1);
    CaptureFileInfo(s, s.File1Path.view(), 2);
    return run.Copy(CopyAction{true, kCopyAdd1To2, Dialog::kCopy});
  });
  StatusHide(s);
  return go_on;
}

// Phase D: files only in Dir 2: deleted by CleanUp, added to Dir 1 both ways.
void PhaseD(AppState& s, ConfirmedRun& run, PairLists& lists) {
  const OptionSet& o = s.opt.ActiveOptions;
  if (o.AddBothWays != 1 && o.CleanUp != 1) return;
  const bool cleanup = o.CleanUp == 1;
  ForEachInState(s, lists.list2, kStateLone, [&] {
    CaptureFileInfo(s, s.File2Path.view(), 1);
    CaptureFileInfo(s, s.File2Path.view(), 2);
    if (cleanup) return run.Delete();
    return run.Copy(CopyAction{false, kCopyAdd2To1, Dialog::kCopy});
  });
  StatusHide(s);
}

}  // namespace

void ConfirmedPhases(AppState& s, PairLists& lists) {
  ConfirmedRun run(s);
  if (!PhaseA(s, run, lists) || Stopped(s)) return;
  if (!PhaseB(s, run, lists) || Stopped(s)) return;
  if (!PhaseC(s, run, lists) || Stopped(s)) return;
  PhaseD(s, run, lists);
}

}  // namespace velqo
