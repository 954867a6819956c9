#include <unistd.h>

#include "engine/cleanup_dirs.h"
#include "tests/engine/engine_fixture.h"

namespace velqo::testing {
namespace {

class CleanupDirsTest : public EngineTest {
 protected:
  CleanupDirsTest() {
    opt().SelectSeparate = 0;
    opt().UseDir1And = 1;
    opt().VelqoOnly = 0;
    opt().CleanUp = 1;
    opt().DIRDEL = 1;
    opt().CreateNewDir = 1;
    sandbox.MakeDir("C:\\WORK\\Keep");
    sandbox.MakeDir("D:\\WORK\\Keep");
    host.dir1 = "C:\\WORK";
    host.dir2 = "D:\\WORK";
  }

  std::vector<std::string> RemovalQuestions() const {
    std::vector<std::string> out;
    for (const ShownBox& b : host.Messages()) {
      if (b.caption == "Confirm Directory Deletion Operation") out.push_back(b.text);
    }
    return out;
  }
};

TEST_F(CleanupDirsTest, TopDirectoriesMustDifferOnlyInTheirDrive) {
  EXPECT_TRUE(SameStructure("C:\\WORK", "D:\\WORK"));
  EXPECT_TRUE(SameStructure("C:\\WORK", "d:\\WORK"));
  EXPECT_FALSE(SameStructure("C:\\WORK", "D:\\work"));
}

TEST_F(CleanupDirsTest, DifferentStructuresGetTheAlertAndFilesAreStillReconciled) {
  opt().JFDI = 1;
  sandbox.MakeDir("D:\\U\\surplus");
  File("C:\\WORK\\f.txt", "f", Base());
  host.dir2 = "D:\\U";
  Run();
  const std::vector<ShownBox> boxes = host.Messages();
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes[0].caption, "Cleanup Directories Alert");
  EXPECT_NE(boxes[0].text.find("Were\r\nC:\\WORK\r\n And \r\nD:\\U"), std::string::npos);
  EXPECT_TRUE(sandbox.Exists("D:\\U\\surplus"));
  EXPECT_EQ(sandbox.ReadFile("D:\\U\\f.txt"), "f");
}

TEST_F(CleanupDirsTest, WithJfdiASurplusSubtreeGoesInOneRemovalWithTwoLogLines) {
  opt().JFDI = 1;
  File("D:\\WORK\\X\\Y\\Z\\z.txt", "z", Base());
  Run();
  EXPECT_FALSE(sandbox.Exists("D:\\WORK\\X"));
  EXPECT_TRUE(sandbox.Exists("D:\\WORK\\Keep"));
  const std::vector<std::string> log = LogLines();
  int removals = 0;
  for (std::size_t i = 0; i + 1 < log.size(); ++i) {
    if (log[i].find("has been deleted by CleanUp") == std::string::npos) continue;
    ++removals;
    EXPECT_EQ(log[i + 1], "       D:\\WORK\\X");
  }
  EXPECT_EQ(removals, 1);
}

TEST_F(CleanupDirsTest, AnsweringNoKeepsTheDirectoryAndAsksNothingBelowIt) {
  sandbox.MakeDir("D:\\WORK\\X\\Y");
  sandbox.MakeDir("D:\\WORK\\Keep\\Gone");
  host.Answer(Answer::kNo);   // D:\WORK\X
  host.Answer(Answer::kYes);  // D:\WORK\Keep\Gone
  Run();
  EXPECT_EQ(RemovalQuestions(),
            (std::vector<std::string>{
                "Do You Wish To Delete D:\\WORK\\X And All Of Its Subdirectories As Part Of The "
                "Current CleanUp Operation?",
                "Do You Wish To Delete D:\\WORK\\Keep\\Gone And All Of Its Subdirectories As Part "
                "Of The Current CleanUp Operation?"}));
  EXPECT_TRUE(sandbox.Exists("D:\\WORK\\X\\Y"));
  EXPECT_FALSE(sandbox.Exists("D:\\WORK\\Keep\\Gone"));
  EXPECT_TRUE(sandbox.Exists("D:\\WORK\\Keep"));
}

TEST_F(CleanupDirsTest, ASiblingWhoseNameExtendsASurplusOneIsNotTakenAsInsideIt) {
  opt().JFDI = 1;
  sandbox.MakeDir("D:\\WORK\\b");
  sandbox.MakeDir("D:\\WORK\\bc");
  Run();
  EXPECT_FALSE(sandbox.Exists("D:\\WORK\\b"));
  EXPECT_FALSE(sandbox.Exists("D:\\WORK\\bc"));
}

TEST_F(CleanupDirsTest, AFailedRemovalIsLoggedAsSuchAndTheRunGoesOn) {
  opt().JFDI = 1;
  sandbox.MakeDir("D:\\WORK\\Busy");
  sandbox.MakeDir("D:\\WORK\\Free");
  File("C:\\WORK\\f.txt", "f", Base());
  platform.failing_removals.insert("D:\\WORK\\Busy");
  Run();
  EXPECT_TRUE(sandbox.Exists("D:\\WORK\\Busy"));
  EXPECT_FALSE(sandbox.Exists("D:\\WORK\\Free"));
  EXPECT_TRUE(LogHas("!!! CleanUp Could Not Completely Remove The Directory Below"));
  EXPECT_EQ(sandbox.ReadFile("D:\\WORK\\f.txt"), "f");
}

TEST_F(CleanupDirsTest, NothingBelowAnUnreadableDir1DirectoryIsRemoved) {
  opt().JFDI = 1;
  sandbox.MakeDir("C:\\WORK\\Locked");
  sandbox.MakeDir("D:\\WORK\\Locked\\Inside");
  platform.unreadable.insert("C:\\WORK\\Locked\\*.*");
  Run();
  EXPECT_TRUE(sandbox.Exists("D:\\WORK\\Locked\\Inside"));
}

TEST_F(CleanupDirsTest, RemovalNeverFollowsALinkOutOfTheTree) {
  opt().JFDI = 1;
  File("E:\\outside\\precious.txt", "p", Base());
  sandbox.MakeDir("D:\\WORK\\Surplus");
  ASSERT_EQ(symlink(sandbox.HostPath("E:\\outside").c_str(),
                    sandbox.HostPath("D:\\WORK\\Surplus\\link").c_str()),
            0);
  Run();
  EXPECT_FALSE(sandbox.Exists("D:\\WORK\\Surplus"));
  EXPECT_EQ(sandbox.ReadFile("E:\\outside\\precious.txt"), "p");
}

TEST_F(CleanupDirsTest, WithoutDirdelNoDirectoryIsTouched) {
  opt().DIRDEL = 0;
  opt().JFDI = 1;
  sandbox.MakeDir("D:\\WORK\\X");
  Run();
  EXPECT_TRUE(sandbox.Exists("D:\\WORK\\X"));
}

}  // namespace
}  // namespace velqo::testing
