#include <gtest/gtest.h>

#include "cli/cli_run.h"

namespace velqo::cli {
namespace {

TEST(ExitStatusTest, CancelBeatsErrorsAndErrorsBeatTheOutcomeText) {
  RunFlags flags;
  RunReport report;
  EXPECT_EQ(ExitStatusOf(flags, UpdateOutcome::kCompleted, report), kExitDone);
  EXPECT_EQ(ExitStatusOf(flags, UpdateOutcome::kNothingToDo, report), kExitDone);
  EXPECT_EQ(ExitStatusOf(flags, UpdateOutcome::kCancelled, report), kExitCancelled);

  // A run that refused its paths says "No Update Necessary" but did nothing.
  report.reported_error = true;
  EXPECT_EQ(ExitStatusOf(flags, UpdateOutcome::kNothingToDo, report), kExitError);
  report.reported_error = false;
  flags.ErrorLogged = 1;
  EXPECT_EQ(ExitStatusOf(flags, UpdateOutcome::kCancelled, report), kExitError);

  flags.CancelRequested = 1;
  EXPECT_EQ(ExitStatusOf(flags, UpdateOutcome::kCancelled, report), kExitCancelled);
}

TEST(ExitStatusTest, UnseenFailuresAndUnansweredQuestionsAreErrorsNotCancels) {
  RunFlags flags;
  RunReport report;
  // An unattended run without a log shows no box for a failed copy.
  report.failed_change = true;
  EXPECT_EQ(ExitStatusOf(flags, UpdateOutcome::kCompleted, report), kExitError);
  report = RunReport();
  report.unanswered = true;
  EXPECT_EQ(ExitStatusOf(flags, UpdateOutcome::kCompleted, report), kExitError);
  // A walk ended early by itself (no typed Cancel) is no cancel; a typed
  // Cancel that ended it is.
  report = RunReport();
  flags.EndRunRequested = 1;
  flags.PairStopped = 1;
  EXPECT_EQ(ExitStatusOf(flags, UpdateOutcome::kCompleted, report), kExitDone);
  report.cancel_typed = true;
  EXPECT_EQ(ExitStatusOf(flags, UpdateOutcome::kCompleted, report), kExitCancelled);
  // Cancel taken for want of input is an error, not a cancel.
  report.answered_by_end_of_input = 1;
  EXPECT_EQ(ExitStatusOf(flags, UpdateOutcome::kCompleted, report), kExitError);
}

}  // namespace
}  // namespace velqo::cli
