#include "cli/cli_run.h"

namespace velqo::cli {

int ExitStatusOf(const RunFlags& flags, UpdateOutcome outcome, const RunReport& report) {
  // A cancel wins: the errors it cut short are expected. A question left
  // unanswered stopped part of the run, which may still read "Update
  // Completed" for the pairs done before it.
  if (flags.CancelRequested != 0 || report.stopping_answer) return kExitCancelled;
  // A run that refused its directories reports "No Update Necessary", yet
  // nothing was done: scripts must not read that as success.
  if (flags.ErrorLogged != 0 || report.reported_error) return kExitError;
  // Stopped short by a declined question (disk space, a new directory).
  if (outcome == UpdateOutcome::kCancelled) return kExitCancelled;
  return kExitDone;
}

}  // namespace velqo::cli
