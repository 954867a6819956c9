#include "tests/engine/engine_fixture.h"

#include "engine/run_internal.h"

namespace velqo::testing {
namespace {

class UpdateRunTest : public EngineTest {};

TEST_F(UpdateRunTest, MissingDir1IsReportedAndNothingIsReconciled) {
  host.dir1 = "C:\\NOPE";
  File("D:\\B\\x.txt", "x", Base());
  EXPECT_EQ(Run(), UpdateOutcome::kNothingToDo);
  EXPECT_EQ(host.MessageTexts(),
            std::vector<std::string>{"Directory Path 1 is invalid - please respecify"});
  EXPECT_EQ(host.status_texts.back(), "No Update Necessary Under Selected Options");
  EXPECT_EQ(LogLines().back(),
            "!!!!!!!!!!!!!! No Update Necessary Under Selected Options !!!!!!!!!!!!!!!!!!!!!!");
}

TEST_F(UpdateRunTest, MissingDir2BelowAnExistingRootIsCreatedOnYes) {
  host.dir2 = "D:\\NEW\\SUB";
  File("C:\\A\\x.txt", "x", Base());
  host.Answer(Answer::kYes);
  Run();
  ASSERT_FALSE(host.Messages().empty());
  EXPECT_EQ(host.Messages()[0].caption, "Create Directory Path 2?");
  EXPECT_TRUE(sandbox.Exists("D:\\NEW\\SUB"));
  EXPECT_EQ(host.unscripted, 0);
}

TEST_F(UpdateRunTest, DeclinedCreationReconcilesNothing) {
  host.dir2 = "D:\\NEW";
  File("C:\\A\\x.txt", "x", Base());
  opt().Add1To2 = 1;
  host.Answer(Answer::kNo);
  Run();
  EXPECT_TRUE(host.Shown("Directory Path 2 is invalid - please respecify"));
  EXPECT_FALSE(sandbox.Exists("D:\\NEW"));
}

TEST_F(UpdateRunTest, Dir2OnAMissingDriveGetsTheRootMessageAndBecomesCDrive) {
  host.dir2 = "Q:\\X";
  Run();
  EXPECT_TRUE(host.ShownContaining("The ROOT of the Directory Path 2 does not exist"));
  EXPECT_EQ(state->Path2.view(), "C:\\");
  EXPECT_FALSE(host.ShownContaining("Do you wish to create"));
}

TEST_F(UpdateRunTest, MissingDriveRootAsDir2GetsItsOwnMessage) {
  host.dir2 = "Q:\\";
  Run();
  EXPECT_TRUE(host.ShownContaining("Since it is a ROOT directory"));
}

TEST_F(UpdateRunTest, ATextThatCannotBeAPathIsInvalidNotCut) {
  host.dir1 = "C:\\" + std::string(32765, 'a');
  Run();
  EXPECT_TRUE(host.Shown("Directory Path 1 is invalid - please respecify"));
  EXPECT_TRUE(state->Path1.empty());
}

TEST_F(UpdateRunTest, OutcomesFollowTheFlagsOfTheRun) {
  File("C:\\A\\x.txt", "new", Base() + kHour);
  File("D:\\B\\x.txt", "old", Base());
  EXPECT_EQ(Run(), UpdateOutcome::kCompleted);
  EXPECT_EQ(host.status_texts.back(), "Update Completed");
  EXPECT_EQ(LogLines().back(),
            "!!!!!!!!!!!!!!!!!!!!!!!!!  Update Completed  !!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!");
  // The trees follow a run that went through.
  EXPECT_EQ(host.tree_moves, (std::vector<std::string>{"1:C:\\A", "2:D:\\B"}));
  EXPECT_FALSE(host.cancel_enabled);
  EXPECT_TRUE(host.update_enabled);

  // Now equal: nothing to do, and the pair stopped, so the trees stay.
  host.tree_moves.clear();
  EXPECT_EQ(Run(), UpdateOutcome::kNothingToDo);
  EXPECT_TRUE(host.tree_moves.empty());
}

TEST_F(UpdateRunTest, CancelInADialogEndsAsCancelled) {
  opt().ConfirmEveryFile = 1;
  File("C:\\A\\x.txt", "new", Base() + kHour);
  File("D:\\B\\x.txt", "old", Base());
  host.AnswerConfirm(mrCancelUpdate);
  EXPECT_EQ(Run(), UpdateOutcome::kCancelled);
  EXPECT_EQ(host.status_texts.back(), "Update Cancelled");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\x.txt"), "old");
  EXPECT_EQ(LogLines().back(),
            "!!!!!!!!!!!!!!!!!!!!!!!!!  Update Cancelled  !!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!");
}

TEST_F(UpdateRunTest, AutostartEndsTheProgramOnlyWithoutLoggedErrors) {
  state->sw.AutoStart = 1;
  Run();
  EXPECT_TRUE(host.end_requested);
  EXPECT_EQ(state->sw.AutoStart, 0);

  host.end_requested = false;
  state->sw.AutoStart = 1;
  opt().JFDI = 1;
  File("C:\\A\\x.txt", "new", Base() + kHour);
  File("D:\\B\\x.txt", "old", Base());
  platform.failing_copies.insert("C:\\A\\x.txt");
  Run();
  EXPECT_FALSE(host.end_requested);
  EXPECT_TRUE(host.Shown("An Error Occurred On This Update - Check Log File"));
  EXPECT_EQ(state->sw.AutoStart, 0);
}

TEST_F(UpdateRunTest, BatchItemsSplitAtTheFirstBangOrElseTheFirstBlank) {
  EXPECT_EQ(SplitBatchItem("C:\\A!D:\\B C").dir2, "D:\\B C");
  EXPECT_EQ(SplitBatchItem("C:\\A D:\\B").dir1, "C:\\A");
  EXPECT_EQ(SplitBatchItem("C:\\A D:\\B").dir2, "D:\\B");
  EXPECT_EQ(SplitBatchItem("C:\\A").dir1, "");
}

TEST_F(UpdateRunTest, BatchSkipsAnItemWithoutDir1AndGoesOn) {
  opt().SelectSeparate = 0;
  opt().UseBatchFile = 1;
  opt().Add1To2 = 1;
  File("C:\\A\\x.txt", "x", Base());
  host.dir_pairs = {"C:\\MISSING!D:\\M", "C:\\A D:\\B"};
  Run();
  EXPECT_TRUE(host.Shown("The Dir1 Directory  Associated With DirPair  1 Must Exist."));
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\x.txt"), "x");
  EXPECT_TRUE(host.tree_moves.empty());
}

TEST_F(UpdateRunTest, BatchStopsWhenTheUserEndsTheUpdate) {
  opt().SelectSeparate = 0;
  opt().UseBatchFile = 1;
  opt().Add1To2 = 1;
  File("C:\\A\\x.txt", "x", Base());
  sandbox.MakeDir("C:\\C");
  File("C:\\C\\y.txt", "y", Base());
  host.dir_pairs = {"C:\\A!D:\\NEW", "C:\\C!D:\\C"};
  host.Answer(Answer::kCancel);  // the question to create D:\NEW
  Run();
  EXPECT_TRUE(host.Shown("Will End This Update Without Trying Further Directories"));
  EXPECT_FALSE(sandbox.Exists("D:\\C\\y.txt"));
}

TEST_F(UpdateRunTest, DemonstrationUsesTheDocumentsFolderAndItsOwnTarget) {
  state->sw.DemoMode = 1;
  const std::string docs = fs->ShellFolder("Personal");
  ASSERT_FALSE(docs.empty());
  sandbox.MakeDir(docs);
  File(docs + "\\letter.txt", "dear", Base());
  opt().Add1To2 = 1;
  Run();
  EXPECT_EQ(sandbox.ReadFile("C:\\VelqoDemo\\My Backed Up Documents\\letter.txt"), "dear");
}

}  // namespace
}  // namespace velqo::testing
