#include "engine/reconcile_pair.h"

#include <string>

#include "common/text/tostring.h"
#include "config/options_upd.h"
#include "engine/pair_context.h"

namespace velqo {

namespace {

void ShowNumber(AppState& s, std::int64_t value, int width, std::string_view caption) {
  if (s.sw.DebugMode == 0) return;
  TOstring text(250);
  text.AppendInt(value, width);
  MBDebug(s, text.View(), caption);
}

void ShowStates(AppState& s, FileList& list, std::string_view caption) {
  if (s.sw.DebugMode == 0 || list.count() == 0) return;
  TOstring text(250);
  for (int i = 0; i < list.count(); ++i) {
    if (i > 0) text.Append(", ");
    text.AppendInt(list.State(i), 2);
  }
  MBDebug(s, text.View(), caption);
}

void ShowNothingToDo(AppState& s) {
  if (s.sw.DebugMode == 0) return;
  std::string text = "Under current option set, no files need updating between ";
  text += s.Path1.view();
  text += " and ";
  text += s.Path2.view();
  MBDebug(s, text, "Update Status");
}

// Whatever way the pair took: no dialog stays up, and the copies made get
// their real times once their data is durable.
void EndPair(AppState& s, PairContext& pair) {
  pair.lists.list1.Free();
  pair.lists.list2.Free();
  s.host.StatusHide();
  (void)s.fs.EndOfPair();
}

void MatchFiles(AppState& s, PairContext& pair) {
  if (pair.lists.list1.count() == 0 && pair.lists.list2.count() == 0) return;
  GenerateFileIndices(s, pair);
  s.host.PumpEvents();
  MBDebug(s, "GenerateFileIndices Completed", "Debug Info");
  ShowStates(s, pair.lists.list1, "CreateBackup1");
  ShowStates(s, pair.lists.list2, "CreateBackup2");
}

void RunPair(AppState& s, PairContext& pair) {
  s.host.PumpEvents();
  s.flags.PairStopped = 0;
  DeriveRunOptions(s, s.Path1.view());
  s.log.HeaderPending = true;
  ShowNumber(s, s.opt.Tables.NumExtensions, 3, "NumExtensions");
  s.File1Data.Clear();
  s.File2Data.Clear();
  MBDebug(s, "LoadFileArrays Starting", "Debug Info");
  LoadFileArrays(s, pair.lists);
  MBDebug(s, "LoadFileArrays Completed", "Debug Info");
  s.flags.NothingToUpdate = 1;
  if (s.flags.PairStopped == 1) return;
  MatchFiles(s, pair);
  if (s.flags.NothingToUpdate == 1) {
    ShowNothingToDo(s);
    s.flags.PairStopped = 1;
  }
  if (DriveIsShort(s, pair.space)) return;
  RunActionPhases(s, pair.lists);
}

}  // namespace

void ReconcilePair(AppState& s) {
  PairContext pair;
  RunPair(s, pair);
  EndPair(s, pair);
}

}  // namespace velqo
