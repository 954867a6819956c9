#pragma once

#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "common/posix/posix_platform.h"
#include "common/host/run_flags.h"
#include "engine/update_run.h"

namespace velqo::cli {

// Exit statuses of velqo-cli.
enum ExitStatus : int {
  kExitDone = 0,       // "Update Completed" or nothing to do, and no error reported
  kExitNoStart = 1,    // usage error, or could not start: Windows directory, stored paths
  kExitError = 2,      // an error was logged or reported, a question went unanswered,
                       // or the run would have deleted more than --max-delete allows
  kExitCancelled = 3,  // cancelled: "Update Cancelled", Ctrl-C, a typed Cancel UpDate
};

inline constexpr const char* kProductTitle = "ProVelqo v5.00";

// What the console program runs against: its streams and what is known
// about the terminal. main() fills it from the process; tests from strings.
struct CliIo {
  CliIo(std::istream& in_ref, std::ostream& out_ref, std::ostream& err_ref)
      : in(in_ref), out(out_ref), err(err_ref) {}
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  bool echo_answers = false;  // standard input is not a terminal
  bool progress = false;      // standard error is a terminal
  int width = 80;             // columns of that terminal
  std::string cwd;            // for relative directory arguments
  std::function<int()> interrupts;
};

// Runs the console program: args as main() receives them (args[0] the
// program's path). Returns the exit status.
int RunCli(const std::vector<std::string>& args, const PlatformConfig& config, CliIo& io);

// What the terminal saw of a run besides its flags.
struct RunReport {
  // A box with an error caption or icon was shown (a path the run refused,
  // a batch item skipped).
  bool reported_error = false;
  // A copy, rename, deletion or directory change failed, reported or not
  // (an unattended run without a log shows no box).
  bool failed_change = false;
  // A question took its safe answer for want of one (end of input, or an
  // interrupt while asking): the run did less than an answer might have let it.
  bool unanswered = false;
  // Of those, questions answered because standard input had ended. Nobody
  // chose to cancel, so such a run is an error even when the answer taken
  // was Cancel: a cron job with no terminal is never taken for complete.
  int answered_by_end_of_input = 0;
  // The user answered Cancel to a question whose Cancel stops the run.
  bool cancel_typed = false;
};

// The exit status of a finished run.
int ExitStatusOf(const RunFlags& flags, UpdateOutcome outcome, const RunReport& report);

}  // namespace velqo::cli
