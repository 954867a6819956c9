#include "cli/cli_run.h"

namespace velqo::cli {

int ExitStatusOf(const RunFlags& flags, UpdateOutcome outcome, const RunReport& report) {
  // An answer nobody gave is never a cancel: the run stopped for want of
  // input. Otherwise a cancel wins: the errors it cut short are expected.
  if (report.answered_by_end_of_input > 0) return kExitError;
  if (flags.CancelRequested != 0 || report.cancel_typed) return kExitCancelled;
  // A run that refused its directories reports "No Update Necessary", yet
  // nothing was done: scripts must not read that as success. Nor a run
  // that left questions unanswered.
  if (flags.ErrorLogged != 0 || report.reported_error || report.failed_change ||
      report.unanswered) {
    return kExitError;
  }
  // A declined optional deletion or directory creation leaves the outcome
  // as it was; only a run that ended "Update Cancelled" was cancelled.
  if (outcome == UpdateOutcome::kCancelled) return kExitCancelled;
  return kExitDone;
}

}  // namespace velqo::cli
