#include "actions/deletion.h"

#include <gtest/gtest.h>

#include "actions/update_log.h"
#include "tests/actions/actions_fixture.h"

namespace velqo::testing {
namespace {

// A platform that refuses to delete anything.
class RefusingDelete : public PlatformWrapper {
 public:
  using PlatformWrapper::PlatformWrapper;
  Status DeleteFile(std::string_view) override { return Status::AccessDenied("in use"); }
};

const std::string kGap(39, ' ');

using Deletion = ActionsTest;

TEST_F(Deletion, CleanUpDeletesAReadOnlyFileAndLogsBothLines) {
  MakeFile("D:\\B\\LONE.TXT");
  sandbox.SetReadOnly("D:\\B\\LONE.TXT", true);
  CaptureFileInfo(*state, "D:\\B\\LONE.TXT", 2);
  DeleteOneFile(*state, "D:\\B\\LONE.TXT", true);
  EXPECT_FALSE(sandbox.Exists("D:\\B\\LONE.TXT"));
  EXPECT_EQ(state->flags.FileChanged, 1);
  const std::vector<std::string> expected = {"  LONE.TXT       " + kGap + "    did not exist ",
                                             "  LONE.TXT       " + InfoOf(4) + "    was deleted"};
  EXPECT_EQ(LogLines(), expected);
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(Deletion, MissingFileIsReportedAndNotLogged) {
  DeleteOneFile(*state, "D:\\B\\GONE.TXT", true);
  ExpectOnlyBox("The File D:\\B\\GONE.TXT Cannot Be Located", "Error", Icon::kInformation,
                Buttons::kOk);
  EXPECT_EQ(state->flags.FileChanged, 1);  // set before the file is looked at
  EXPECT_FALSE(sandbox.Exists("C:\\LOGS\\LOG.TXT"));
}

TEST_F(Deletion, RefusedDeletionIsReportedAndTheFileKeepsItsMarks) {
  RefusingDelete refusing(clock);
  Use(refusing);
  MakeFile("D:\\B\\KEPT.TXT");
  sandbox.SetReadOnly("D:\\B\\KEPT.TXT", true);
  EXPECT_FALSE(DeleteFileChecked(*state, "D:\\B\\KEPT.TXT", true));
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{"The File D:\\B\\KEPT.TXT Cannot Be Deleted"});
  std::uint32_t attributes = 0;
  ASSERT_TRUE(state->fs.GetAttributes("D:\\B\\KEPT.TXT", &attributes).ok());
  EXPECT_NE(attributes & kAttrReadOnly, 0u);
  // The failure is the run's error, in the log too.
  const std::vector<std::string> expected = {"!!!!! Could Not Delete - The Following File Was NOT Deleted !!!!!",
                                             "D:\\B\\KEPT.TXT"};
  EXPECT_EQ(LogLines(), expected);
  EXPECT_EQ(state->flags.ErrorLogged, 1);
  EXPECT_EQ(state->flags.ActionFailed, 1);
}

TEST_F(Deletion, PairOffersTheDir1FileFirstAndReportsAReadOnlyOneAsNotLocated) {
  MakeFile("C:\\A\\F.TXT");
  MakeFile("D:\\B\\F.TXT", "newer");
  sandbox.SetReadOnly("C:\\A\\F.TXT", true);
  CaptureFileInfo(*state, "C:\\A\\F.TXT", 1);
  CaptureFileInfo(*state, "D:\\B\\F.TXT", 2);
  state->sw.DebugMode = 1;
  host.Answer(Answer::kYes);
  // Kind 1: the Dir 2 file is the source, yet the Dir 1 file comes first.
  DeletePair(*state, "D:\\B\\F.TXT", "C:\\A\\F.TXT", 1);
  EXPECT_TRUE(sandbox.Exists("C:\\A\\F.TXT"));
  EXPECT_FALSE(sandbox.Exists("D:\\B\\F.TXT"));
  ASSERT_EQ(host.boxes.size(), 4u);
  EXPECT_EQ(host.boxes[0].text,
            "The File C:\\A\\F.TXT Cannot Be Located - It May Not Have Been Created Yet");
  EXPECT_EQ(host.boxes[0].caption, "Cannot Locate Delete Target");
  EXPECT_EQ(host.boxes[1].text, "Erase The File D:\\B\\F.TXT ?");
  EXPECT_EQ(host.boxes[1].caption, "Delete Confirmation");
  EXPECT_EQ(host.boxes[1].buttons, Buttons::kYesNo);
  EXPECT_EQ(host.boxes[2].caption, "ThisPassPath");
  EXPECT_EQ(host.boxes[3].text, "D:\\B\\F.TXT");
  const std::vector<std::string> expected = {"  F.TXT          " + kGap + "    did not exist ",
                                             "  F.TXT          " + InfoOf(5) + "    was deleted "};
  EXPECT_EQ(LogLines(), expected);
}

TEST_F(Deletion, PairAnsweredNoKeepsTheFilesAndBriefLogsNothing) {
  MakeFile("C:\\A\\F.TXT");
  MakeFile("D:\\B\\F.TXT");
  opt().Brief = 1;
  host.Answer(Answer::kNo);
  host.Answer(Answer::kYes);
  DeletePair(*state, "C:\\A\\F.TXT", "D:\\B\\F.TXT", 0);
  EXPECT_TRUE(sandbox.Exists("C:\\A\\F.TXT"));
  EXPECT_FALSE(sandbox.Exists("D:\\B\\F.TXT"));
  EXPECT_FALSE(sandbox.Exists("C:\\LOGS\\LOG.TXT"));
}

TEST_F(Deletion, PurgeAsksWithTheAgeAndLogsTheDeletion) {
  MakeFile("C:\\OLD.TXT");
  opt().ExclDaysInt = 5;
  (void)opt().ExclDaysDriveString.Assign("C");
  host.Answer(Answer::kCancel);
  PurgeOldFile(*state, "C:\\", "OLD.TXT");
  EXPECT_TRUE(sandbox.Exists("C:\\OLD.TXT"));
  ExpectOnlyBox(
      "C:\\OLD.TXT Is Older Than   5 Days And Will Be Deleted From Drive C.  Press OK To Delete - "
      "Cancel To Prevent Deletion.",
      "Deleting Old File", Icon::kInformation, Buttons::kOkCancel);
  EXPECT_FALSE(sandbox.Exists("C:\\LOGS\\LOG.TXT"));

  host.Answer(Answer::kOk);
  PurgeOldFile(*state, "C:\\", "OLD.TXT");
  EXPECT_FALSE(sandbox.Exists("C:\\OLD.TXT"));
  const std::vector<std::string> expected = {
      "  OLD.TXT        " + InfoOf(4), "     Was older than   5 days and was deleted from drive C"};
  EXPECT_EQ(LogLines(), expected);
}

TEST_F(Deletion, PurgeUnderJfdiDeletesWithoutAskingAndLogsOnlyWhatWasDeleted) {
  MakeFile("C:\\A\\OLD.TXT");
  opt().JFDI = 1;
  PurgeOldFile(*state, "C:\\A", "OLD.TXT");
  EXPECT_FALSE(sandbox.Exists("C:\\A\\OLD.TXT"));
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(LogLines().size(), 2u);

  PurgeOldFile(*state, "C:\\A", "OLD.TXT");  // gone meanwhile
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{"The File C:\\A\\OLD.TXT Cannot Be Located"});
  EXPECT_EQ(LogLines().size(), 2u);
}

}  // namespace
}  // namespace velqo::testing
