#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/platform/platform.h"
#include "config/app_state.h"

namespace velqo {

// What undoing one change of a run does, judged by what is at its place now.
enum class UndoAction {
  kRestore,         // the old file comes back from its version
  kRemove,          // the file the run added goes (kept as a version)
  kDone,            // already as it was before the run (an earlier undo got here)
  kChanged,         // changed since the run: left as it is
  kVersionMissing,  // the old file's version is gone (pruned, removed): left as it is
  kRefused,         // a journaled path that would lead out of the tree: never followed
};

struct UndoStep {
  UndoAction action = UndoAction::kDone;
  VersionChange change;  // the run's change, as journaled
  // A restore an interrupted undo began: the copy at the place is its own
  // unfinished one, so the present file is not kept again.
  bool redo = false;
};

// How one change of a run would be undone now. top is the tree's top.
UndoStep PlanUndoStep(Platform& fs, std::string_view top, const VersionChange& change);

// The whole plan, last change first: what an undo shows before it starts
// (and what -n prints). Changes nothing.
std::vector<UndoStep> PlanUndo(Platform& fs, std::string_view top, const std::vector<VersionChange>& changes);

// Carries out one step. What it replaces or removes is kept as a version
// in v (whose top is the tree's), and every change goes to v.record, so
// the undo is a run that can itself be undone. Returns the failure.
Status CarryOutUndoStep(Platform& fs, VersionState& v, const UndoStep& step);

struct UndoOutcome {
  int restored = 0;
  int removed = 0;
  std::vector<std::string> left;     // relative paths changed since the run, or without versions
  std::vector<std::string> failed;   // what could not be done, with the reason
};

// Undoes a run's changes, last first, judging each one just before it is
// undone: an undo interrupted and started again finds what it did already
// as it was before the run and goes on with the rest. Flushes at the end.
UndoOutcome UndoChanges(Platform& fs, VersionState& v, const std::vector<VersionChange>& changes);

}  // namespace velqo
