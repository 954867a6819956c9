#include "actions/directories.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/actions/actions_fixture.h"

namespace velqo::testing {
namespace {

const std::string kAsk =
    "The Directory Path D:\\NEW\\SUB Does Not Exist.  Do You Wish To Create This Directory?";

class Directories : public ActionsTest {
 protected:
  Directories() { opt().CreateNewDir = 0; }
  void Ensure(std::string_view path, DirPurpose purpose = DirPurpose::kPair) {
    state->flags.PairDirsReady = 1;
    EnsureDirectory(*state, path, purpose);
  }
};

TEST_F(Directories, YesCreatesTheMissingAncestorsToo) {
  opt().JFDI = 1;  // does not answer the question
  host.Answer(Answer::kYes);
  Ensure("D:\\NEW\\SUB\\");
  EXPECT_TRUE(sandbox.Exists("D:\\NEW\\SUB"));
  ExpectOnlyBox(
      "The Directory Path D:\\NEW\\SUB\\ Does Not Exist.  Do You Wish To Create This Directory?",
      "Directory Path Invalid", Icon::kQuestion, Buttons::kYesNoCancel);
  EXPECT_EQ(state->flags.PairDirsReady, 1);
}

TEST_F(Directories, NoAndCancelLeaveThePairOutAndCancelEndsTheRun) {
  host.Answer(Answer::kNo);
  Ensure("D:\\NEW\\SUB");
  EXPECT_EQ(state->flags.PairDirsReady, 0);
  EXPECT_EQ(state->flags.EndRunRequested, 0);
  host.Answer(Answer::kCancel);
  Ensure("D:\\NEW\\SUB", DirPurpose::kLog);
  EXPECT_EQ(state->flags.PairDirsReady, 0);
  EXPECT_EQ(state->flags.EndRunRequested, 1);
  host.Answer(Answer::kNo);
  Ensure("D:\\NEW\\SUB", DirPurpose::kLog);
  const std::vector<std::string> expected = {
      kAsk, "Cannot Update This Directory Pair Since One of The Directories Does Not Exist",
      kAsk + " The Logging Capability Of ProVelqo Will Not Operate Properly Unless This Directory Is Created.",
      "Will End This Update Without Trying Further Directories",
      kAsk + " The Logging Capability Of ProVelqo Will Not Operate Properly Unless This Directory Is Created.",
      "Cannot Use Logging Feature Without This Directory.  Please Disable Logging."};
  EXPECT_EQ(host.MessageTexts(), expected);
  EXPECT_EQ(host.Messages()[1].icon, Icon::kInformation);
  EXPECT_FALSE(sandbox.Exists("D:\\NEW"));
}

TEST_F(Directories, MissingDriveGivesTheRootMessageInsteadOfTheQuestion) {
  Ensure("F:\\DATA");
  ExpectOnlyBox(
      "Cannot Update The Directory Path F:\\DATA Because Its ROOT Doesn't Exist - Thus It Cannot Be "
      "Created. Will End This Update Without Trying Further Subdirectories Of This Pair.",
      "Directory Path Invalid", Icon::kStop, Buttons::kOk);
  EXPECT_EQ(state->flags.EndRunRequested, 1);
  EXPECT_EQ(state->flags.PairDirsReady, 0);
}

TEST_F(Directories, UncreatableDirectoryIsReportedAndLoggedInThreeLines) {
  sandbox.WriteFile("D:\\NEW", "a file of that name");
  opt().CreateNewDir = 1;
  Ensure("D:\\NEW");
  ExpectOnlyBox("Cannot Create Directory", "Error", Icon::kWarning, Buttons::kOk);
  EXPECT_EQ(state->flags.PairDirsReady, 0);
  EXPECT_EQ(state->flags.ErrorLogged, 1);
  const std::vector<std::string> expected = {
      "!!! Could Not Create The Following Directory:                                !!!", "D:\\NEW",
      "!!! All Operations Relating To The Directory Listed Above Were NOT Completed !!!"};
  EXPECT_EQ(LogLines(), expected);

  opt().JFDI = 1;
  Ensure("D:\\NEW");
  EXPECT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(LogLines().size(), 6u);
}

// A platform that cannot delete one particular file.
class StuckFile : public PlatformWrapper {
 public:
  using PlatformWrapper::PlatformWrapper;
  Status DeleteFile(std::string_view path) override {
    if (path.find("STUCK") != std::string_view::npos) return Status::AccessDenied("in use");
    return target().DeleteFile(path);
  }
};

TEST_F(Directories, TreeRemovalClearsReadOnlyAndHiddenFiles) {
  sandbox.WriteFile("D:\\T\\RO.TXT", "x");
  sandbox.WriteFile("D:\\T\\SUB\\DEEP\\.hidden", "x");
  sandbox.WriteFile("D:\\T\\SUB\\H.TXT", "x");
  sandbox.SetReadOnly("D:\\T\\RO.TXT", true);
  ASSERT_TRUE(state->fs.SetAttributes("D:\\T\\SUB\\H.TXT", kAttrHidden | kAttrSystem).ok());
  EXPECT_TRUE(RemoveDirTree(*state, "D:\\T"));
  EXPECT_FALSE(sandbox.Exists("D:\\T"));
  EXPECT_TRUE(RemoveDirTree(*state, "D:\\T"));  // already gone: nothing to do
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(Directories, TreeRemovalUnlinksLinksWithoutFollowingThem) {
  sandbox.WriteFile("E:\\KEEP\\K.TXT", "outside");
  sandbox.MakeDir("D:\\T");
  std::filesystem::create_directory_symlink(sandbox.HostPath("E:\\KEEP"), sandbox.HostPath("D:\\T\\LINKDIR"));
  std::filesystem::create_symlink(sandbox.HostPath("E:\\KEEP\\K.TXT"), sandbox.HostPath("D:\\T\\LINK.TXT"));
  std::filesystem::create_directory_symlink(sandbox.HostPath("E:\\KEEP"), sandbox.HostPath("D:\\TOPLINK"));
  std::filesystem::create_symlink(sandbox.HostPath("E:\\NOWHERE"), sandbox.HostPath("D:\\T\\DANGLING"));
  sandbox.SetReadOnly("E:\\KEEP\\K.TXT", true);
  EXPECT_TRUE(RemoveDirTree(*state, "D:\\T"));
  EXPECT_TRUE(RemoveDirTree(*state, "D:\\TOPLINK"));
  EXPECT_FALSE(sandbox.Exists("D:\\T"));
  EXPECT_FALSE(sandbox.Exists("D:\\TOPLINK"));
  EXPECT_EQ(sandbox.ReadFile("E:\\KEEP\\K.TXT"), "outside");
  std::uint32_t attributes = 0;
  ASSERT_TRUE(state->fs.GetAttributes("E:\\KEEP\\K.TXT", &attributes).ok());
  EXPECT_NE(attributes & kAttrReadOnly, 0u);
}

TEST_F(Directories, FailureInsideATreeEndsThatRemovalButNotTheRun) {
  StuckFile stuck(clock);
  Use(stuck);
  sandbox.WriteFile("D:\\T\\SUB\\STUCK.TXT", "x");
  EXPECT_FALSE(RemoveDirTree(*state, "D:\\T"));
  ExpectOnlyBox(
      "Cannot Delete The File D:\\T\\SUB\\STUCK.TXT.  The Directory D:\\T Has Not Been Removed "
      "Completely.",
      "Error", Icon::kWarning, Buttons::kOk);
  EXPECT_TRUE(sandbox.Exists("D:\\T\\SUB\\STUCK.TXT"));
  EXPECT_EQ(state->flags.CancelRequested, 0);
  EXPECT_EQ(state->flags.EndRunRequested, 0);
}

TEST_F(Directories, TreeWithPathsBeyond256CharactersIsRemovedWhole) {
  std::string deep = "D:\\T";
  while (deep.size() <= 600) deep += "\\ABCDEFGHIJ";
  sandbox.WriteFile(deep + "\\F.TXT", "x");
  EXPECT_TRUE(RemoveDirTree(*state, "D:\\T"));
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_FALSE(sandbox.Exists("D:\\T"));
}

}  // namespace
}  // namespace velqo::testing
