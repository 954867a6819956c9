#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "actions/copy_backup.h"
#include "actions/update_log.h"
#include "common/posix/copy_test_seam.h"
#include "tests/actions/actions_fixture.h"
#include "tests/common/posix/xattr_probe.h"

namespace velqo::testing {
namespace {

const std::string kBackupNotice =
    "!! Could Not Create Backup File - The Following Action Could Not Be Completed !!";

class Backup : public ActionsTest {
 protected:
  ~Backup() override { SetCopyChunkHookForTesting(nullptr); }
  // A copy of from over to with backups on, as the action phases make it.
  void CopyKeeping(std::string_view from, std::string_view to, int kind) { CopyOneFile(*state, from, to, kind, true); }
  void Dir1Over2() { CopyKeeping("C:\\A\\DATA.DAT", "D:\\B\\DATA.DAT", kCopy1Over2); }
  // The end of a pair: copies become durable and may be backed up.
  void Flush() { ASSERT_TRUE(state->fs.FlushCopies().ok()); }
  bool Marks() const { return StoresExtendedAttributes(sandbox.DriveDir('d')); }
};

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

TEST_F(Backup, TheOldFileStaysAsTheBackupWhichTheNextBackupReplaces) {
  MakeFile("D:\\B\\DATA.DAT", "version 1");
  MakeFile("C:\\A\\DATA.DAT", "version 2");
  Dir1Over2();
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\DATA.DAT"), "version 2");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\DATA.~DA"), "version 1");
  Flush();
  MakeFile("C:\\A\\DATA.DAT", "version 3");
  Dir1Over2();
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\DATA.DAT"), "version 3");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\DATA.~DA"), "version 2");
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(state->flags.ErrorLogged, 0);
}

TEST_F(Backup, EachSideLogsTheBackupBeforeTheCopyWithTheOldFilesDescription) {
  MakeFile("C:\\A\\DATA.DAT", "current");
  MakeFile("D:\\B\\DATA.DAT", "the newer one");
  CaptureFileInfo(*state, "D:\\B\\DATA.DAT", 1);
  CaptureFileInfo(*state, "D:\\B\\DATA.DAT", 2);
  CopyKeeping("D:\\B\\DATA.DAT", "C:\\A\\DATA.DAT", kCopy2Over1);
  EXPECT_EQ(sandbox.ReadFile("C:\\A\\DATA.~DA"), "current");
  Flush();
  MakeFile("C:\\A\\DATA.DAT", "the newest");
  CopyKeeping("C:\\A\\DATA.DAT", "D:\\B\\DATA.DAT", kCopy1Over2);
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\DATA.~DA"), "the newer one");
  const std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], "  DATA.DAT       " + InfoOf(7) + "    was renamed to ");
  EXPECT_EQ(lines[1], "  DATA.~DA       ");
  EXPECT_EQ(lines[2].substr(0, 17 + InfoOf(13).size()), "  DATA.DAT       " + InfoOf(13));
  EXPECT_EQ(lines[4], "  DATA.~DA       " + std::string(39, ' ') + "    was renamed from ");
  EXPECT_EQ(lines[5], "  DATA.DAT       " + InfoOf(13));
}

TEST_F(Backup, BakAndTildeFilesAreReplacedWithoutABackup) {
  for (const char* name : {"DATA.BAK", "DATA.~DA"}) {
    MakeFile(std::string("C:\\A\\") + name, "new");
    MakeFile(std::string("D:\\B\\") + name, "old");
    CopyKeeping(std::string("C:\\A\\") + name, std::string("D:\\B\\") + name, kCopy1Over2);
    EXPECT_EQ(sandbox.ReadFile(std::string("D:\\B\\") + name), "new");
  }
  EXPECT_FALSE(sandbox.Exists("D:\\B\\DATA.~BA"));
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(LogLines().size(), 4u);  // the two copy entries alone
}

TEST_F(Backup, ABackupNameHoldingAnythingElseLeavesTheTargetUnreplaced) {
  if (!Marks()) GTEST_SKIP() << "no extended attributes to mark backups with";
  // A synced file that carries a backup's name, and two files of one
  // directory whose backup names collide.
  MakeFile("D:\\B\\DATA.~DA", "a file of the user's");
  MakeFile("D:\\B\\DATA.DAT", "old data");
  MakeFile("C:\\A\\DATA.DAT", "new data");
  MakeFile("D:\\B\\report.txt", "old txt");
  MakeFile("C:\\A\\report.txt", "new txt");
  MakeFile("D:\\B\\report.txx", "old txx");
  MakeFile("C:\\A\\report.txx", "new txx");
  opt().JFDI = 1;
  Dir1Over2();
  CopyKeeping("C:\\A\\report.txt", "D:\\B\\report.txt", kCopy1Over2);
  CopyKeeping("C:\\A\\report.txx", "D:\\B\\report.txx", kCopy1Over2);
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\DATA.~DA"), "a file of the user's");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\DATA.DAT"), "old data");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\report.txt"), "new txt");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\report.~tx"), "old txt");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\report.txx"), "old txx");
  EXPECT_EQ(state->flags.ErrorLogged, 1);
  const std::vector<std::string> lines = LogLines();
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(lines[0], kBackupNotice);
  EXPECT_EQ(lines[3], "!!!!! Could Not Perform Copy - The Following Action Could Not Be Completed !!!!!");
}

TEST_F(Backup, AReadOnlyOlderBackupIsKeptAndTheTargetWithIt) {
  MakeFile("D:\\B\\DATA.DAT", "version 1");
  MakeFile("C:\\A\\DATA.DAT", "version 2");
  Dir1Over2();
  Flush();
  sandbox.SetReadOnly("D:\\B\\DATA.~DA", true);
  MakeFile("C:\\A\\DATA.DAT", "version 3");
  opt().Brief = 1;
  const std::size_t logged = LogLines().size();
  Dir1Over2();
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\DATA.DAT"), "version 2");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\DATA.~DA"), "version 1");
  ExpectOnlyBox("Cannot Back Up File", "Error", Icon::kWarning, Buttons::kOk);
  ASSERT_GT(LogLines().size(), logged);
  EXPECT_EQ(LogLines()[logged], kBackupNotice);
}

TEST_F(Backup, AFailedCopyLeavesTargetAndEarlierBackupAsTheyWere) {
  MakeFile("D:\\B\\DATA.DAT", "version 1");
  MakeFile("C:\\A\\DATA.DAT", "version 2");
  Dir1Over2();
  Flush();
  MakeFile("C:\\A\\DATA.DAT", "version 3");
  SetCopyChunkHookForTesting([](std::uint64_t, std::uint64_t) { return ENOSPC; });
  opt().JFDI = 1;
  const std::size_t logged = LogLines().size();
  Dir1Over2();
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\DATA.DAT"), "version 2");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\DATA.~DA"), "version 1");
  ASSERT_GT(LogLines().size(), logged);
  EXPECT_EQ(LogLines()[logged], "!!!!! Could Not Perform Copy - The Following Action Could Not Be Completed !!!!!");
}

TEST_F(Backup, ACopyAnInterruptedRunLeftUnflushedIsNeverBackedUp) {
  if (!Marks()) GTEST_SKIP() << "no extended attributes to mark pending copies with";
  MakeFile("D:\\B\\DATA.DAT", "the user's old version");
  MakeFile("C:\\A\\DATA.DAT", "new");
  // A run that dies before its flush: its copy keeps the provisional time.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::unique_ptr<Platform> dying = NewPosixPlatform(sandbox.Config());
    bool backup_failed = false;
    const bool copied =
        dying->CopyFileWithBackup("C:\\A\\DATA.DAT", "D:\\B\\DATA.DAT", "D:\\B\\DATA.~DA", &backup_failed).ok();
    _exit(copied ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_LT(sandbox.Mtime("D:\\B\\DATA.DAT"), sandbox.Mtime("C:\\A\\DATA.DAT"));
  MakeFile("C:\\A\\DATA.DAT", "newer");
  Dir1Over2();
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\DATA.DAT"), "newer");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\DATA.~DA"), "the user's old version");
}

}  // namespace
}  // namespace velqo::testing
