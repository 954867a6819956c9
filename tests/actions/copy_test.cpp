#include <gtest/gtest.h>

#include "actions/copy_backup.h"
#include "actions/update_log.h"
#include "tests/actions/actions_fixture.h"

namespace velqo::testing {
namespace {

const std::string kCopyNotice =
    "!!!!! Could Not Perform Copy - The Following Action Could Not Be Completed !!!!!";

// A platform whose copies all fail, as on a full disk.
class FailingCopy : public PlatformWrapper {
 public:
  using PlatformWrapper::PlatformWrapper;
  Status CopyFile(std::string_view, std::string_view) override {
    return Status::NoSpace("disk full");
  }
};

class Copy : public ActionsTest {
 protected:
  // C:\A\F.TXT (newer) and D:\B\F.TXT (older), both described.
  void MakePair() {
    MakeFile("C:\\A\\F.TXT", "new");
    MakeFile("D:\\B\\F.TXT", "old");
    Describe();
  }
  void Describe() {
    CaptureFileInfo(*state, "C:\\A\\F.TXT", 1);
    CaptureFileInfo(*state, "D:\\B\\F.TXT", 2);
  }
  std::uint32_t AttributesOf(std::string_view path) {
    std::uint32_t a = 0;
    EXPECT_TRUE(state->fs.GetAttributes(path, &a).ok()) << path;
    return a;
  }
  void CopyOver() { CopyOneFile(*state, "C:\\A\\F.TXT", "D:\\B\\F.TXT", kCopy1Over2); }
};

TEST_F(Copy, ReadOnlyTargetWithoutXattrFailsAndIsLoggedEvenWhenBrief) {
  MakePair();
  sandbox.SetReadOnly("D:\\B\\F.TXT", true);
  opt().Brief = 1;
  CopyOver();
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\F.TXT"), "old");
  ExpectOnlyBox(
      "Cannot Execute Copy Of C:\\A\\F.TXT To D:\\B\\F.TXT.  Press OK To Continue With The Rest "
      "Of The Files In This Directory Or Press Cancel To Terminate This Update.",
      "Error", Icon::kWarning, Buttons::kOkCancel);
  EXPECT_EQ(state->flags.ErrorLogged, 1);
  EXPECT_EQ(state->flags.FileChanged, 0);
  EXPECT_EQ(state->flags.PairStopped, 0);
  const std::vector<std::string> expected = {
      kCopyNotice, "  F.TXT          " + InfoOf(3) + "    was copied over ",
      "  F.TXT          " + InfoOf(3)};
  EXPECT_EQ(LogLines(), expected);
}

TEST_F(Copy, ReadOnlyTargetWithXattrIsReplacedAndTakesTheSourcesAttributes) {
  MakePair();
  sandbox.SetReadOnly("D:\\B\\F.TXT", true);
  opt().XATTR = 1;
  opt().Brief = 1;
  CopyOver();
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\F.TXT"), "new");
  EXPECT_EQ(AttributesOf("D:\\B\\F.TXT"), AttributesOf("C:\\A\\F.TXT"));
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(state->flags.FileChanged, 1);
  EXPECT_TRUE(LogLines().empty());  // a successful copy is not logged when brief
}

TEST_F(Copy, ReplacedTargetKeepsItsOwnMarksAndANewFileTakesTheSources) {
  MakePair();
  ASSERT_TRUE(state->fs.SetAttributes("D:\\B\\F.TXT", kAttrHidden | kAttrArchive).ok());
  CopyOver();
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\F.TXT"), "new");
  EXPECT_EQ(AttributesOf("D:\\B\\F.TXT"), kAttrHidden | kAttrArchive);

  ASSERT_TRUE(state->fs.SetAttributes("C:\\A\\F.TXT", kAttrHidden | kAttrReadOnly).ok());
  CopyOneFile(*state, "C:\\A\\F.TXT", "D:\\B\\NEW.TXT", kCopyAdd1To2);
  EXPECT_EQ(AttributesOf("D:\\B\\NEW.TXT"), kAttrHidden | kAttrReadOnly);
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(Copy, FailedCopyLeavesTheTargetAsItWasAndCancelStopsThePair) {
  FailingCopy failing(clock);
  Use(failing);
  MakePair();
  sandbox.SetReadOnly("D:\\B\\F.TXT", true);
  opt().XATTR = 1;
  host.Answer(Answer::kCancel);
  CopyOver();
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\F.TXT"), "old");
  EXPECT_NE(AttributesOf("D:\\B\\F.TXT") & kAttrReadOnly, 0u);  // cleared for the copy, then restored
  EXPECT_EQ(state->flags.PairStopped, 1);
  EXPECT_EQ(state->flags.ErrorLogged, 1);
  EXPECT_EQ(LogLines().size(), 3u);
}

TEST_F(Copy, JfdiSuppressesTheWarningButNotTheFailureNotice) {
  FailingCopy failing(clock);
  Use(failing);
  MakePair();
  opt().JFDI = 1;
  CopyOver();
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(state->flags.PairStopped, 0);
  ASSERT_FALSE(LogLines().empty());
  EXPECT_EQ(LogLines()[0], kCopyNotice);
}

TEST_F(Copy, EntryNamesTheDir1FileFirstWithThePhraseOfItsKind) {
  MakeFile("C:\\A\\ONE.TXT");
  MakeFile("D:\\B\\TWO.TXT");
  struct Case {
    int kind;
    int backup;
    std::string phrase;
  };
  const Case cases[] = {{kCopy1Over2, 0, "    was copied over "}, {kCopy1Over2, 1, "    was copied to "},
                        {kCopy2Over1, 0, "    was replaced by "}, {kCopy2Over1, 1, "    was copied from "},
                        {kCopyAdd1To2, 0, "    was copied to "},  {kCopyAdd2To1, 0, "    was copied from "}};
  for (const Case& c : cases) {
    opt().CreateBackup = c.backup;
    const bool towards_dir1 = c.kind == kCopy2Over1 || c.kind == kCopyAdd2To1;
    if (towards_dir1) {
      CopyOneFile(*state, "D:\\B\\TWO.TXT", "C:\\A\\ONE.TXT", c.kind);
    } else {
      CopyOneFile(*state, "C:\\A\\ONE.TXT", "D:\\B\\TWO.TXT", c.kind);
    }
  }
  const std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), 12u);
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(lines[2 * i], "  ONE.TXT        " + std::string(state->File1Data.view()) + cases[i].phrase);
    EXPECT_EQ(lines[2 * i + 1], "  TWO.TXT        " + std::string(state->File2Data.view()));
  }
}

}  // namespace
}  // namespace velqo::testing
