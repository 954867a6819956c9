#include "engine/update_run.h"

#include <string>
#include <vector>

#include "actions/update_log.h"
#include "engine/cleanup_dirs.h"
#include "engine/empty_source.h"
#include "engine/reconcile_pair.h"
#include "engine/run_internal.h"

namespace velqo {

namespace {

void StartRun(AppState& s) {
  s.Path1.Clear();
  s.Path2.Clear();
  s.flags.CancelRequested = 0;
  s.flags.ErrorLogged = 0;
  s.flags.FileChanged = 0;
  s.flags.DirectoryRemoved = 0;
  s.flags.ActionFailed = 0;
  s.flags.RootMissing = 0;
  // Each run keeps its versions in a folder of its own.
  s.versions.stamp.clear();
  s.versions.pruned.clear();
  // A log that is not appended to is emptied once per run, at its first line.
  s.log.TruncatePending = true;
}

// ActiveOptions is read afresh at each test: a pair may have replaced it.
const OptionSet& Active(const AppState& s) { return s.opt.ActiveOptions; }

bool SingleOrStructureMode(const AppState& s) {
  return (Active(s).SelectSeparate == 1 || Active(s).UseDir1 == 1) && Active(s).UseBatchFile == 0;
}

bool WalkMode(const AppState& s) {
  return (Active(s).UseDir1And == 1 || Active(s).UseSubOnly == 1) && Active(s).UseBatchFile == 0;
}

bool BatchOfPairsMode(const AppState& s) {
  return Active(s).UseBatchFile == 1 && Active(s).UseDir1 == 0 && Active(s).UseDir1And == 0 &&
         Active(s).UseSubOnly == 0;
}

bool BatchWithWalksMode(const AppState& s) {
  return Active(s).UseBatchFile == 1 && Active(s).SelectSeparate == 0;
}

void RunPairSequence(AppState& s, const PathChecks& checks) {
  const bool valid = checks.valid1 && checks.valid2;
  if (SingleOrStructureMode(s)) {
    if (valid && EmptySourceMayGoOn(s, s.Path1.view(), s.Path2.view())) ReconcileCurrentPair(s);
  } else if (WalkMode(s)) {
    if (!valid) return;
    // The walk changes Path1 and Path2; its roots are the checked texts.
    const std::string root1 = s.Path1.str();
    const std::string root2 = s.Path2.str();
    RunDirectoryWalk(s, root1, root2, SameStructure(root1, root2),
                     WalkOrigin::kMainWindow);
  } else if (BatchOfPairsMode(s)) {
    RunBatchOfPairs(s);
  } else if (BatchWithWalksMode(s)) {
    RunBatchWithWalks(s);
  }
}

// What the targets could not keep (owners without root, modes on vfat) is
// said once per run, not once per file: as a warning, and in the log, where
// the window's user reads what a run did.
void ReportNotKept(AppState& s) {
  const std::vector<std::string> notes = s.fs.TakeNotKept();
  if (notes.empty()) return;
  for (const std::string& note : notes) s.host.Warning(note);
  if (Active(s).EnableLog != 1) return;
  WriteLogLine(s, "*** Not Kept In Dir 2: ***");
  for (const std::string& note : notes) WriteLogLine(s, note);
}

}  // namespace

void ReconcileCurrentPair(AppState& s) {
  std::string text = "Updating Directory ";
  text += s.Path1.view();
  s.host.SetStatusText(text);
  s.host.PumpEvents();
  ReconcilePair(s);
}

UpdateOutcome RunUpdate(AppState& s) {
  StartRun(s);
  PathChecks checks;
  if (Active(s).UseBatchFile == 0) checks = TakeAndCheckPaths(s);
  RunPairSequence(s, checks);
  // Copies still waiting for a flush get it before the run is over, and
  // the directories made or matched their final mode and time.
  (void)s.fs.EndOfRun();
  ReportNotKept(s);
  return FinishRun(s);
}

}  // namespace velqo
