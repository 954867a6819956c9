// Which way a run carries files, and what counts as a change.

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "engine/change_detection.h"
#include "tests/engine/engine_fixture.h"

namespace velqo::testing {
namespace {

class DirectionTest : public EngineTest {
 protected:
  // Sets a file's last-write time to the nanosecond.
  void SetExactMtime(std::string_view path, std::time_t seconds, long nanoseconds) {
    const struct timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    ASSERT_EQ(utimensat(AT_FDCWD, sandbox.HostPath(path).c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
  }
  void ExactFile(std::string_view path, std::string_view contents, std::time_t seconds, long nanoseconds) {
    sandbox.WriteFile(path, contents);
    SetExactMtime(path, seconds, nanoseconds);
  }
};

TEST_F(DirectionTest, OneWayLeavesANewerDir2FileAloneAndNamesItOnce) {
  opt().OneWay = 1;
  opt().Add1To2 = 1;
  opt().VelqoOnly = 0;
  File("C:\\A\\thesis.pdf", std::string(5000, 't'), Base());
  File("D:\\B\\thesis.pdf", "edit", Base() + kHour);
  File("C:\\A\\newer.txt", "new", Base() + kHour);
  File("D:\\B\\newer.txt", "old", Base());
  File("D:\\B\\only2.txt", "2", Base());
  Run();
  EXPECT_EQ(sandbox.ReadFile("C:\\A\\thesis.pdf").size(), 5000u);
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\thesis.pdf"), "edit");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\newer.txt"), "new");
  EXPECT_FALSE(sandbox.Exists("C:\\A\\only2.txt"));
  ASSERT_EQ(host.warnings.size(), 1u);
  EXPECT_NE(host.warnings[0].find("D:\\B\\thesis.pdf Is Newer Than C:\\A\\thesis.pdf"), std::string::npos);
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(state->flags.ErrorLogged, 0);
  EXPECT_TRUE(LogHas("Newer In Dir 2 Than In Dir 1"));
}

TEST_F(DirectionTest, TwoWayRunsStillCopyNewerFilesIntoDir1) {
  // A stored set without the one-way key: both directions, as always.
  File("C:\\A\\f.txt", "old", Base());
  File("D:\\B\\f.txt", "new", Base() + kHour);
  Run();
  EXPECT_EQ(sandbox.ReadFile("C:\\A\\f.txt"), "new");
  EXPECT_TRUE(host.warnings.empty());
}

TEST_F(DirectionTest, AMirrorWithBackupsReplacesTheNewerDir2FileAndKeepsItsBackupAcrossRuns) {
  opt().VelqoOnly = 0;
  opt().CleanUp = 1;
  opt().OneWay = 1;
  opt().JFDI = 1;
  opt().CreateBackup = 1;
  state->sw.MirrorBackups = 1;
  File("C:\\A\\report.txt", "source", Base());
  File("D:\\B\\report.txt", "edited in the replica", Base() + kHour);
  File("D:\\B\\stray.txt", "not in Dir 1", Base());
  Run();
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\report.txt"), "source");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\report.~tx"), "edited in the replica");
  EXPECT_FALSE(sandbox.Exists("D:\\B\\stray.txt"));
  EXPECT_TRUE(host.warnings.empty());

  // The next mirror does not take the backup for a file Dir 1 lacks.
  File("C:\\A\\report.txt", "source again", Base() + 2 * kHour);
  Run();
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\report.txt"), "source again");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\report.~tx"), "source");
}

TEST_F(DirectionTest, AMirrorCountsTheRoomForANewerDir2FilesReplacementOnDir2sDrive) {
  opt().VelqoOnly = 0;
  opt().CleanUp = 1;
  opt().JFDI = 1;
  platform.frees['C'] = 0;  // Dir 1's drive is full, and is never written
  File("C:\\A\\report.txt", "source", Base());
  File("D:\\B\\report.txt", "newer", Base() + kHour);
  Run();
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\report.txt"), "source");
}

TEST_F(DirectionTest, AMirrorWithoutBackupsAskedForApartKeepsNone) {
  opt().VelqoOnly = 0;
  opt().CleanUp = 1;
  opt().JFDI = 1;
  opt().CreateBackup = 1;
  File("C:\\A\\report.txt", "source", Base());
  File("D:\\B\\report.txt", "newer", Base() + kHour);
  Run();
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\report.txt"), "source");
  EXPECT_FALSE(sandbox.Exists("D:\\B\\report.~tx"));
}

TEST_F(DirectionTest, OnFineTimeFileSystemsEveryDifferenceOfSizeOrTimeIsCarried) {
  opt().OneWay = 1;
  // An edit within the same second, one that kept the date but not the
  // size, and two dates before 1980 a day apart.
  ExactFile("C:\\A\\quick.txt", "v2", Base(), 500'000'000);
  ExactFile("D:\\B\\quick.txt", "v1", Base(), 100'000'000);
  File("C:\\A\\kept-date.txt", "longer text", Base());
  File("D:\\B\\kept-date.txt", "short", Base());
  File("C:\\A\\old.txt", "1975 later", Local(1975, 6, 2, 12, 0, 0));
  File("D:\\B\\old.txt", "1975 first", Local(1975, 6, 1, 12, 0, 0));
  File("C:\\A\\same.txt", "same", Base());
  File("D:\\B\\same.txt", "same", Base());
  Run();
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\quick.txt"), "v2");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\kept-date.txt"), "longer text");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\old.txt"), "1975 later");
  EXPECT_TRUE(host.warnings.empty());
  // Carried times are exact, so the next run finds nothing to do.
  EXPECT_EQ(Run(), UpdateOutcome::kNothingToDo);
}

TEST_F(DirectionTest, BothWaysSameDateOtherSizeIsAConflictAndNothingIsCopied) {
  opt().VelqoOnly = 0;
  opt().AddBothWays = 1;
  File("C:\\A\\clash.txt", "one side", Base());
  File("D:\\B\\clash.txt", "the other side", Base());
  Run();
  EXPECT_EQ(sandbox.ReadFile("C:\\A\\clash.txt"), "one side");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\clash.txt"), "the other side");
  EXPECT_TRUE(host.ShownContaining(
      "The Files C:\\A\\clash.txt And D:\\B\\clash.txt Have The Same Date But Different Sizes"));
  EXPECT_TRUE(LogHas("Same Date, Different Sizes"));
  EXPECT_EQ(state->flags.ErrorLogged, 1);
}

TEST_F(DirectionTest, CoarseTimeFileSystemsKeepTheToleranceOfTheirPackedTimes) {
  opt().OneWay = 1;
  platform.fs_names['D'] = "FAT32";
  File("C:\\A\\close.txt", "same", Base() + 2);
  File("D:\\B\\close.txt", "same", Base());
  ExactFile("C:\\A\\frac.txt", "same", Base(), 900'000'000);
  ExactFile("D:\\B\\frac.txt", "same", Base(), 0);
  File("C:\\A\\far.txt", "new", Base() + 4);
  File("D:\\B\\far.txt", "old", Base());
  Run();
  EXPECT_EQ(sandbox.Mtime("D:\\B\\close.txt"), Base());  // not copied
  EXPECT_EQ(sandbox.Mtime("D:\\B\\frac.txt"), Base());
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\far.txt"), "new");
}

TEST(ChangeDetection, PrecisionIsTheCoarserSideAndUnknownFileSystemsAreCoarse) {
  EXPECT_EQ(TimePrecisionOf("EXT4"), 1);
  EXPECT_EQ(TimePrecisionOf("tmpfs"), 1);
  EXPECT_EQ(TimePrecisionOf("NTFS"), 100);
  EXPECT_EQ(TimePrecisionOf("FAT32"), 0);
  EXPECT_EQ(TimePrecisionOf("exFAT"), 0);
  EXPECT_EQ(TimePrecisionOf("CIFS"), 0);
  EXPECT_EQ(PairPrecision(1, 100), 100);
  EXPECT_EQ(PairPrecision(1, 0), 0);

  // Cut to whole seconds (ext3 beside ext4), before 1970 as after.
  const FileVersion a{0, -10, 999'999'999, 5};
  const FileVersion b{0, -10, 0, 5};
  EXPECT_EQ(CompareVersions(a, b, 1'000'000'000), Difference::kSame);
  EXPECT_EQ(CompareVersions(a, b, 1), Difference::kDir1Newer);
  const FileVersion c{0, -11, 999'999'999, 5};
  EXPECT_EQ(CompareVersions(c, b, 1'000'000'000), Difference::kDir2Newer);
  const FileVersion d{0, -10, 0, 6};
  EXPECT_EQ(CompareVersions(d, b, 100), Difference::kSameTimeOtherSize);
}

}  // namespace
}  // namespace velqo::testing

namespace velqo::testing {
namespace {

// Root is not stopped by modes, so the run is made by a child that has
// given up root; the whole sandbox is given to that user first.
TEST(ReadOnlyTargetTest, WithOverwriteAndBackupsANormalUserReplacesItAndKeepsTheOldVersion) {
  Sandbox sandbox;
  sandbox.WriteFile("C:\\A\\f.txt", "new");
  sandbox.SetMtime("C:\\A\\f.txt", 1700003600);
  sandbox.WriteFile("D:\\B\\f.txt", "old");
  sandbox.SetMtime("D:\\B\\f.txt", 1700000000);
  sandbox.SetReadOnly("D:\\B\\f.txt", true);
  if (geteuid() == 0) {
    for (const auto& e : std::filesystem::recursive_directory_iterator(sandbox.root())) {
      (void)::lchown(e.path().c_str(), 65534, 65534);
    }
    (void)::chown(sandbox.root().c_str(), 65534, 65534);
  }
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(77);
    if (geteuid() == 0) _exit(77);
    auto fs = NewPosixPlatform(sandbox.Config());
    ScriptedHost host;
    AppState s(*fs, host);
    s.places.IniPath = "C:\\WINVELQO.INI";
    OptionSet& o = s.opt.SessionOptions;
    o.SelectSeparate = 1;
    o.Add1To2 = 1;
    o.OneWay = 1;
    o.ArchiveFilter = o.ReadOnlyFilter = o.HiddenFilter = o.SystemFilter = 2;
    o.CreateBackup = 1;
    o.XATTR = 1;
    o.JFDI = 1;
    host.dir1 = "C:\\A";
    host.dir2 = "D:\\B";
    s.opt.ActiveOptions = o;
    RunUpdate(s);
    const bool first = sandbox.ReadFile("D:\\B\\f.txt") == "new" && sandbox.ReadFile("D:\\B\\f.~tx") == "old";
    std::uint32_t bits = 0;
    const bool backup_read_only = fs->GetAttributes("D:\\B\\f.~tx", &bits).ok() && (bits & kAttrReadOnly) != 0;
    // The next change replaces the read-only backup of the last run too.
    sandbox.SetReadOnly("D:\\B\\f.txt", true);
    sandbox.WriteFile("C:\\A\\f.txt", "newer");
    sandbox.SetMtime("C:\\A\\f.txt", 1700007200);
    s.opt.ActiveOptions = o;
    RunUpdate(s);
    const bool second =
        sandbox.ReadFile("D:\\B\\f.txt") == "newer" && sandbox.ReadFile("D:\\B\\f.~tx") == "new";
    _exit(first ? (backup_read_only ? (second ? 0 : 3) : 2) : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot give up root here";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: not replaced, 2: backup not read-only, 3: second run failed";
}

}  // namespace
}  // namespace velqo::testing

namespace velqo::testing {
namespace {

class TypeChangeTest : public EngineTest {
 protected:
  TypeChangeTest() {
    opt().SelectSeparate = 0;
    opt().UseDir1And = 1;
    opt().VelqoOnly = 0;
    opt().Add1To2 = 1;
    opt().OneWay = 1;
    opt().CreateNewDir = 1;
    opt().JFDI = 1;
    // C:\A\x became a file, C:\A\y a directory.
    File("C:\\A\\x", "now a file", Base());
    File("C:\\A\\y\\f.txt", "in the new directory", Base());
    File("D:\\B\\x\\inner.txt", "old directory's file", Base());
    File("D:\\B\\y", "old file", Base());
  }
};

TEST_F(TypeChangeTest, AOneWayRunReplacesEntriesOfTheOtherType) {
  Run();
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\x"), "now a file");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\y\\f.txt"), "in the new directory");
  EXPECT_FALSE(sandbox.Exists("D:\\B\\x.~"));
  EXPECT_EQ(state->flags.ErrorLogged, 0);
}

TEST_F(TypeChangeTest, WithBackupsTheOldEntriesAreKeptUnderTheirBackupNames) {
  opt().CreateBackup = 1;
  Run();
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\x"), "now a file");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\x.~\\inner.txt"), "old directory's file");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\y\\f.txt"), "in the new directory");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\y.~"), "old file");

  // A mirror that keeps backups does the same.
  File("D:\\B\\z", "old file", Base());
  File("C:\\A\\z\\g.txt", "g", Base());
  opt().Add1To2 = 0;
  opt().CleanUp = 1;
  state->sw.MirrorBackups = 1;
  Run();
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\z.~"), "old file");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\z\\g.txt"), "g");
  // Later mirrors keep the backups of the files that became directories.
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\y.~"), "old file");
  Run();
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\z.~"), "old file");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\y.~"), "old file");
}

TEST_F(TypeChangeTest, AMirrorRemovingDirectoriesKeepsTheBackedUpOnesOnlyWhenItKeepsBackups) {
  File("C:\\T\\x", "now a file", Base());
  File("D:\\T\\x.~\\inner.txt", "old directory's file", Base());
  sandbox.MakeDir("D:\\T\\gone");
  host.dir1 = "C:\\T";
  host.dir2 = "D:\\T";
  opt().Add1To2 = 0;
  opt().CleanUp = 1;
  opt().DIRDEL = 1;
  opt().CreateBackup = 1;
  state->sw.MirrorBackups = 1;
  Run();
  EXPECT_FALSE(sandbox.Exists("D:\\T\\gone"));
  EXPECT_EQ(sandbox.ReadFile("D:\\T\\x.~\\inner.txt"), "old directory's file");
  state->sw.MirrorBackups = 0;
  Run();
  EXPECT_FALSE(sandbox.Exists("D:\\T\\x.~"));
}

TEST_F(TypeChangeTest, ATwoWayRunReplacesNothing) {
  opt().OneWay = 0;
  Run();
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\x\\inner.txt"), "old directory's file");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\y"), "old file");
  EXPECT_EQ(sandbox.ReadFile("C:\\A\\x"), "now a file");
}

}  // namespace
}  // namespace velqo::testing
