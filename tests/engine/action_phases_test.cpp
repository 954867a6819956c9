#include <algorithm>

#include "tests/engine/engine_fixture.h"

namespace velqo::testing {
namespace {

// One file of each kind: newer in Dir 1, newer in Dir 2, equal, only in
// Dir 1, only in Dir 2. Dir 1's files hold "1", Dir 2's "2".
class ActionPhasesTest : public EngineTest {
 protected:
  void Layout() {
    File("C:\\A\\n1.txt", "1", Base() + kHour);
    File("D:\\B\\n1.txt", "2", Base());
    File("C:\\A\\n2.txt", "1", Base());
    File("D:\\B\\n2.txt", "2", Base() + kHour);
    File("C:\\A\\same.txt", "1", Base());
    File("D:\\B\\same.txt", "2", Base());
    File("C:\\A\\only1.txt", "1", Base());
    File("D:\\B\\only2.txt", "2", Base());
  }
  std::string Contents(std::string_view path) const {
    return sandbox.Exists(path) ? sandbox.ReadFile(path) : "-";
  }
  // What each directory holds afterwards, file by file.
  std::string Result() const {
    return "C:" + Contents("C:\\A\\n1.txt") + Contents("C:\\A\\n2.txt") + Contents("C:\\A\\same.txt") +
           Contents("C:\\A\\only1.txt") + Contents("C:\\A\\only2.txt") + " D:" +
           Contents("D:\\B\\n1.txt") + Contents("D:\\B\\n2.txt") + Contents("D:\\B\\same.txt") +
           Contents("D:\\B\\only1.txt") + Contents("D:\\B\\only2.txt");
  }
  void Mode(int OptionSet::*mode) {
    opt().VelqoOnly = 0;
    opt().*mode = 1;
  }
  bool StatusShown() const {
    for (const std::string& call : host.status_window) {
      if (call == "show") return true;
    }
    return false;
  }
};

TEST_F(ActionPhasesTest, MatchingOnlyBringsEachMatchedFileUpToDate) {
  Layout();
  Run();
  EXPECT_EQ(Result(), "C:1211- D:122-2");
  EXPECT_TRUE(Confirmations().empty());
}

TEST_F(ActionPhasesTest, AddOneToTwoAlsoAddsDir1OnlyFiles) {
  Mode(&OptionSet::Add1To2);
  Layout();
  Run();
  EXPECT_EQ(Result(), "C:1211- D:12212");
}

TEST_F(ActionPhasesTest, AddBothWaysAddsInBothDirections) {
  Mode(&OptionSet::AddBothWays);
  Layout();
  Run();
  EXPECT_EQ(Result(), "C:12112 D:12212");
}

TEST_F(ActionPhasesTest, CleanUpWithJfdiMakesDir2AReplicaWithoutAnyDialog) {
  Mode(&OptionSet::CleanUp);
  opt().JFDI = 1;
  opt().CreateBackup = 1;  // CleanUp never backs up
  Layout();
  Run();
  EXPECT_EQ(Result(), "C:1111- D:1121-");
  EXPECT_TRUE(Confirmations().empty());
  EXPECT_FALSE(StatusShown());
  EXPECT_FALSE(sandbox.Exists("D:\\B\\n1.~tx"));
}

TEST_F(ActionPhasesTest, CleanUpPutsEveryActionToTheUser) {
  Mode(&OptionSet::CleanUp);
  Layout();
  Run();
  EXPECT_EQ(Confirmations(), (std::vector<std::string>{"copy:C:\\A\\n1.txt|D:\\B\\n1.txt",
                                                      "older:C:\\A\\n2.txt|D:\\B\\n2.txt",
                                                      "copy:C:\\A\\only1.txt|D:\\B\\only1.txt",
                                                      "delete:D:\\B\\only2.txt"}));
  EXPECT_EQ(Result(), "C:1111- D:1121-");
}

TEST_F(ActionPhasesTest, OkToAllCoversTheCopiesOfThePairButNotItsDeletions) {
  Mode(&OptionSet::CleanUp);
  Layout();
  host.AnswerConfirm(mrOkToAll);
  host.AnswerConfirm(mrNextFile);  // the deletion is still asked
  Run();
  EXPECT_EQ(Confirmations(), (std::vector<std::string>{"copy:C:\\A\\n1.txt|D:\\B\\n1.txt",
                                                      "delete:D:\\B\\only2.txt"}));
  EXPECT_EQ(Result(), "C:1111- D:11212");
  EXPECT_TRUE(StatusShown());
}

TEST_F(ActionPhasesTest, OkToAllEndsWithItsPairAndNextDirectoryEndsThePairAtOnce) {
  opt().SelectSeparate = 0;
  opt().UseDir1And = 1;
  opt().ConfirmEveryFile = 1;
  opt().CreateNewDir = 1;
  Mode(&OptionSet::AddBothWays);
  Layout();
  File("C:\\A\\sub\\s1.txt", "1", Base());
  host.AnswerConfirm(mrNextDirectory);  // first question of C:\A
  host.AnswerConfirm(mrOkToAll);        // first question of C:\A\sub
  Run();
  EXPECT_EQ(Confirmations(), (std::vector<std::string>{"copy:C:\\A\\n1.txt|D:\\B\\n1.txt",
                                                      "copy:C:\\A\\sub\\s1.txt|D:\\B\\sub\\s1.txt"}));
  EXPECT_EQ(Result(), "C:1111- D:222-2");
  EXPECT_EQ(Contents("D:\\B\\sub\\s1.txt"), "1");
}

TEST_F(ActionPhasesTest, NextFileOrAClosedDialogSkipsOnlyThatFile) {
  opt().ConfirmEveryFile = 1;
  Mode(&OptionSet::AddBothWays);
  Layout();
  host.AnswerConfirm(mrNextFile);
  host.AnswerConfirm(mrCancel);
  host.AnswerConfirm(mrOk);
  host.AnswerConfirm(mrOk);
  Run();
  EXPECT_EQ(Confirmations().size(), 4u);
  EXPECT_EQ(Result(), "C:11112 D:22212");
}

TEST_F(ActionPhasesTest, DeletePairAsksForTheDir1FileFirst) {
  opt().ConfirmEveryFile = 1;
  Layout();
  host.AnswerConfirm(mrDeletePair);
  host.Answer(Answer::kYes);
  host.Answer(Answer::kNo);
  host.AnswerConfirm(mrNextFile);
  Run();
  const std::vector<ShownBox> boxes = host.Messages();
  ASSERT_GE(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Erase The File C:\\A\\n1.txt ?");
  EXPECT_EQ(boxes[1].text, "Erase The File D:\\B\\n1.txt ?");
  EXPECT_EQ(Contents("C:\\A\\n1.txt"), "-");
  EXPECT_EQ(Contents("D:\\B\\n1.txt"), "2");
}

TEST_F(ActionPhasesTest, BackupsAreMadeWithEachCopyAndOnlyForCopiesMade) {
  opt().CreateBackup = 1;
  Layout();
  Run();
  EXPECT_EQ(Contents("D:\\B\\n1.~tx"), "2");
  EXPECT_EQ(Contents("C:\\A\\n2.~tx"), "1");
  EXPECT_EQ(Result(), "C:1211- D:122-2");

  // A declined copy leaves its target and makes no backup.
  File("C:\\A\\n1.txt", "3", Base() + 3 * kHour);
  opt().ConfirmEveryFile = 1;
  host.AnswerConfirm(mrNextFile);
  Run();
  EXPECT_EQ(Contents("D:\\B\\n1.txt"), "1");
  EXPECT_EQ(Contents("D:\\B\\n1.~tx"), "2");
}

TEST_F(ActionPhasesTest, OnlyLoneFilesInMatchingModeTakeNoAction) {
  File("C:\\A\\only1.txt", "1", Base());
  EXPECT_EQ(Run(), UpdateOutcome::kNothingToDo);
  EXPECT_EQ(state->flags.NoActionTaken, 1);
  EXPECT_EQ(state->flags.PairStopped, 1);
  EXPECT_EQ(state->flags.NothingToUpdate, 0);
}

TEST_F(ActionPhasesTest, AFailedCopyKeepsTheOldTargetAndTheRunGoesOn) {
  opt().JFDI = 1;
  File("C:\\A\\a.txt", "new", Base() + kHour);
  File("D:\\B\\a.txt", "old", Base());
  File("C:\\A\\b.txt", "new", Base() + kHour);
  File("D:\\B\\b.txt", "old", Base());
  platform.failing_copies.insert("C:\\A\\a.txt");
  Run();
  EXPECT_EQ(Contents("D:\\B\\a.txt"), "old");
  EXPECT_EQ(Contents("D:\\B\\b.txt"), "new");
  EXPECT_TRUE(LogHas("!!!!! Could Not Perform Copy"));
}

TEST_F(ActionPhasesTest, ReadOnlyTargetsNeedXattrWhileHiddenOnesStayHidden) {
  File("C:\\A\\ro.txt", "new", Base() + kHour);
  File("D:\\B\\ro.txt", "old", Base());
  File("C:\\A\\hid.txt", "new", Base() + kHour);
  File("D:\\B\\hid.txt", "old", Base());
  sandbox.SetReadOnly("D:\\B\\ro.txt", true);
  ASSERT_TRUE(fs->SetAttributes("D:\\B\\hid.txt", kAttrHidden | kAttrArchive).ok());
  host.Answer(Answer::kOk);  // the copy warning
  Run();
  EXPECT_EQ(Contents("D:\\B\\ro.txt"), "old");
  EXPECT_TRUE(host.ShownContaining("Cannot Execute Copy Of C:\\A\\ro.txt"));
  EXPECT_EQ(Contents("D:\\B\\hid.txt"), "new");
  std::uint32_t attributes = 0;
  ASSERT_TRUE(fs->GetAttributes("D:\\B\\hid.txt", &attributes).ok());
  EXPECT_NE(attributes & kAttrHidden, 0u);

  opt().XATTR = 1;
  Run();
  EXPECT_EQ(Contents("D:\\B\\ro.txt"), "new");
}

}  // namespace
}  // namespace velqo::testing
