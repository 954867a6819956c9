#include <gtest/gtest.h>

#include "actions/copy_backup.h"
#include "actions/update_log.h"
#include "tests/actions/actions_fixture.h"

namespace velqo::testing {
namespace {

using Backup = ActionsTest;

TEST(BackupName, ReplacesTheExtensionByATildeAndAllButItsLastCharacter) {
  const std::pair<std::string, std::string> named[] = {
      {"C:\\A\\REPORT.TXT", "C:\\A\\REPORT.~TX"}, {"C:\\A\\PAGE.HTML", "C:\\A\\PAGE.~HTM"},
      {"C:\\A\\DATA.DB", "C:\\A\\DATA.~D"},       {"C:\\A\\MAIN.C", "C:\\A\\MAIN.~"},
      {"C:\\A\\OLD.TAR.GZ", "C:\\A\\OLD.TAR.~G"}, {"C:\\A.B\\README", "C:\\A.B\\README.~"},
      {"C:\\A\\NAME.", "C:\\A\\NAME.~"},          {"C:\\A\\.profile", "C:\\A\\.~profil"}};
  for (const auto& [path, expected] : named) {
    std::string backup;
    EXPECT_TRUE(BackupPathFor(path, &backup)) << path;
    EXPECT_EQ(backup, expected);
  }
  for (const char* path : {"C:\\A\\DATA.BAK", "C:\\A\\data.bAk", "C:\\A\\DATA.~DA", "C:\\A\\X.~"}) {
    std::string backup = "unchanged";
    EXPECT_FALSE(BackupPathFor(path, &backup)) << path;
    EXPECT_EQ(backup, "unchanged");
  }
}

TEST_F(Backup, Dir1FileReplacesAnOlderBackupAndIsLogged) {
  MakeFile("C:\\A\\DATA.DAT", "current");
  sandbox.WriteFile("C:\\A\\DATA.~DA", "older backup");
  CaptureFileInfo(*state, "C:\\A\\DATA.DAT", 3);
  BackupFile(*state, "C:\\A\\DATA.DAT", 0);
  EXPECT_FALSE(sandbox.Exists("C:\\A\\DATA.DAT"));
  EXPECT_EQ(sandbox.ReadFile("C:\\A\\DATA.~DA"), "current");
  EXPECT_EQ(host.status_window, std::vector<std::string>{"files:C:\\A\\DATA.DAT|C:\\A\\DATA.~DA"});
  const std::vector<std::string> expected = {"  DATA.DAT       " + InfoOf(7) + "    was renamed to ",
                                             "  DATA.~DA       "};
  EXPECT_EQ(LogLines(), expected);
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(Backup, Dir2FileNamesTheBackupFirst) {
  MakeFile("D:\\B\\DATA.DAT", "current");
  CaptureFileInfo(*state, "D:\\B\\DATA.DAT", 4);
  BackupFile(*state, "D:\\B\\DATA.DAT", 1);
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\DATA.~DA"), "current");
  const std::vector<std::string> expected = {
      "  DATA.~DA       " + std::string(39, ' ') + "    was renamed from ",
      "  DATA.DAT       " + InfoOf(7)};
  EXPECT_EQ(LogLines(), expected);
}

TEST_F(Backup, BakAndTildeFilesAreLeftAloneWithoutATrace) {
  MakeFile("C:\\A\\DATA.BAK");
  MakeFile("C:\\A\\DATA.~DA");
  BackupFile(*state, "C:\\A\\DATA.BAK", 0);
  BackupFile(*state, "C:\\A\\DATA.~DA", 0);
  EXPECT_TRUE(sandbox.Exists("C:\\A\\DATA.BAK"));
  EXPECT_TRUE(sandbox.Exists("C:\\A\\DATA.~DA"));
  EXPECT_TRUE(host.status_window.empty());
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_FALSE(sandbox.Exists("C:\\LOGS\\LOG.TXT"));
}

TEST_F(Backup, ReadOnlyOlderBackupMakesTheBackupFailWithoutAnErrorOfTheRun) {
  MakeFile("C:\\A\\DATA.DAT", "current");
  sandbox.WriteFile("C:\\A\\DATA.~DA", "older backup");
  sandbox.SetReadOnly("C:\\A\\DATA.~DA", true);
  CaptureFileInfo(*state, "C:\\A\\DATA.DAT", 1);
  opt().Brief = 1;
  BackupFile(*state, "C:\\A\\DATA.DAT", 0);
  EXPECT_EQ(sandbox.ReadFile("C:\\A\\DATA.DAT"), "current");
  EXPECT_EQ(sandbox.ReadFile("C:\\A\\DATA.~DA"), "older backup");
  ExpectOnlyBox("Cannot Back Up File", "Error", Icon::kWarning, Buttons::kOk);
  EXPECT_EQ(state->flags.ErrorLogged, 0);
  const std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "!! Could Not Create Backup File - The Following Action Could Not Be Completed !!");

  opt().JFDI = 1;
  BackupFile(*state, "C:\\A\\DATA.DAT", 0);
  EXPECT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(LogLines().size(), 6u);
}

}  // namespace
}  // namespace velqo::testing
