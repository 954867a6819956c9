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
  flags = RunFlags();
  report.stopping_answer = true;
  EXPECT_EQ(ExitStatusOf(flags, UpdateOutcome::kCompleted, report), kExitCancelled);
}

}  // namespace
}  // namespace velqo::cli
