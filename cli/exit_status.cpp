#include "cli/cli_run.h"

namespace velqo::cli {

int ExitStatusOf(const RunFlags& flags, UpdateOutcome outcome, bool reported_error) {
  // A cancel the user asked for wins: the errors it cut short are expected.
  if (flags.CancelRequested != 0) return kExitCancelled;
  // A run that refused its directories reports "No Update Necessary", yet
  // nothing was done: scripts must not read that as success.
  if (flags.ErrorLogged != 0 || reported_error) return kExitError;
  // Stopped short by a declined question (disk space, a new directory).
  if (outcome == UpdateOutcome::kCancelled) return kExitCancelled;
  return kExitDone;
}

}  // namespace velqo::cli
