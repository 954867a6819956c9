#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "actions/versions.h"
#include "engine/undo.h"
#include "tests/engine/engine_fixture.h"

namespace velqo::testing {
namespace {

namespace fsys = std::filesystem;

// Every file and link below root but the versions folder: path, mode,
// size, exact time and contents; directories by path and mode.
std::string TreeOf(const std::string& root) {
  std::ostringstream out;
  for (auto it = fsys::recursive_directory_iterator(root); it != fsys::recursive_directory_iterator(); ++it) {
    const std::string path = it->path().string();
    if (it->path().filename() == ".velqo-versions") {
      it.disable_recursion_pending();
      continue;
    }
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) continue;
    out << path.substr(root.size()) << ' ' << std::oct << st.st_mode << std::dec;
    if (!S_ISDIR(st.st_mode)) out << ' ' << st.st_size << ' ' << st.st_mtim.tv_sec << '.' << st.st_mtim.tv_nsec;
    if (S_ISREG(st.st_mode)) {
      std::ifstream in(path, std::ios::binary);
      out << ' ' << in.rdbuf();
    }
    out << '\n';
  }
  return out.str();
}

class VersionsTest : public EngineTest {
 protected:
  VersionsTest() {
    opt().VelqoOnly = 0;
    opt().SelectSeparate = 0;
    opt().UseDir1And = 1;
    opt().CleanUp = 1;
    opt().OneWay = 1;
    opt().JFDI = 1;
    opt().DIRDEL = 1;
    opt().CreateNewDir = 1;
    // Directories are removed only between tops of the same structure.
    sandbox.MakeDir("D:\\A");
    host.dir2 = "D:\\A";
    state->versions.enabled = true;
    state->versions.record = [this](const VersionChange& c) { journal.push_back(c); };
  }

  // A Dir 2 that a mirror changes in every way: a file replaced (with its
  // own mode), one deleted (read-only), a directory removed, a file added.
  void MakeTrees() {
    File("C:\\A\\report.txt", "source", Base());
    File("C:\\A\\new.txt", "only in Dir 1", Base());
    File("D:\\A\\report.txt", "edited in the replica", Base() + kHour);
    chmod(sandbox.HostPath("D:\\A\\report.txt").c_str(), 0640);
    File("D:\\A\\stray.txt", "not in Dir 1", Base());
    chmod(sandbox.HostPath("D:\\A\\stray.txt").c_str(), 0400);
    File("D:\\A\\old\\inner\\x.txt", "surplus", Base());
  }

  std::string Versions() const { return sandbox.HostPath("D:\\A\\.velqo-versions"); }
  std::string Stamp() const { return VersionStamp(platform.now); }

  // The undo as the console program runs it: its own versions, its own journal.
  UndoOutcome Undo(const std::vector<VersionChange>& changes) {
    undo_versions.enabled = true;
    undo_versions.top = "D:\\A";
    undo_versions.record = [this](const VersionChange& c) { undo_journal.push_back(c); };
    return UndoChanges(platform, undo_versions, changes);
  }

  std::vector<VersionChange> journal;
  VersionState undo_versions;
  std::vector<VersionChange> undo_journal;
};

TEST_F(VersionsTest, AMirrorKeepsWhatItReplacesAndDeletesAndItsUndoGivesTheTreeBackExactly) {
  MakeTrees();
  const std::string before = TreeOf(sandbox.HostPath("D:\\A"));
  Run();
  EXPECT_EQ(sandbox.ReadFile("D:\\A\\report.txt"), "source");
  EXPECT_FALSE(sandbox.Exists("D:\\A\\stray.txt"));
  EXPECT_FALSE(sandbox.Exists("D:\\A\\old"));
  const std::string kept = "D:\\A\\.velqo-versions\\" + Stamp();
  EXPECT_EQ(sandbox.ReadFile(kept + "\\report.txt"), "edited in the replica");
  EXPECT_EQ(sandbox.ReadFile(kept + "\\stray.txt"), "not in Dir 1");
  EXPECT_EQ(sandbox.ReadFile(kept + "\\old\\inner\\x.txt"), "surplus");
  struct stat st {};
  ASSERT_EQ(stat(Versions().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  // The kept files are the old ones, marks and all.
  ASSERT_EQ(stat(sandbox.HostPath(kept + "\\report.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(st.st_mtime, Base() + kHour);
  ASSERT_EQ(stat(sandbox.HostPath(kept + "\\stray.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0400u);

  std::map<std::string, VersionChange::Kind> kinds;
  for (const VersionChange& c : journal) kinds[c.path] = c.kind;
  EXPECT_EQ(kinds, (std::map<std::string, VersionChange::Kind>{{"new.txt", VersionChange::Kind::kAdded},
                                                               {"old/inner/x.txt", VersionChange::Kind::kDeleted},
                                                               {"report.txt", VersionChange::Kind::kReplaced},
                                                               {"stray.txt", VersionChange::Kind::kDeleted}}));

  const UndoOutcome undone = Undo(journal);
  EXPECT_TRUE(undone.left.empty());
  EXPECT_TRUE(undone.failed.empty()) << undone.failed.front();
  EXPECT_EQ(undone.restored, 3);
  EXPECT_EQ(undone.removed, 1);
  EXPECT_EQ(TreeOf(sandbox.HostPath("D:\\A")), before);
  // What the undo took away is kept too, in a folder of its own (the same second).
  EXPECT_EQ(sandbox.ReadFile(kept + ".2\\new.txt"), "only in Dir 1");
  EXPECT_EQ(sandbox.ReadFile(kept + ".2\\report.txt"), "source");
  // The undo is a run that can be taken back in its turn.
  const std::vector<VersionChange> undo_of_undo = undo_journal;
  undo_journal.clear();
  undo_versions.stamp.clear();
  platform.now.second += 1;
  const UndoOutcome redone = Undo(undo_of_undo);
  EXPECT_TRUE(redone.left.empty());
  EXPECT_EQ(sandbox.ReadFile("D:\\A\\report.txt"), "source");
  EXPECT_EQ(sandbox.ReadFile("D:\\A\\new.txt"), "only in Dir 1");
  EXPECT_FALSE(sandbox.Exists("D:\\A\\stray.txt"));
}

TEST_F(VersionsTest, AFileChangedSinceTheRunIsLeftAsItIsAndNamed) {
  MakeTrees();
  Run();
  File("D:\\A\\report.txt", "edited after the mirror", Base() + 2 * kHour);
  File("D:\\A\\stray.txt", "a new file where the deleted one was", Base());
  const UndoOutcome undone = Undo(journal);
  EXPECT_EQ(std::set<std::string>(undone.left.begin(), undone.left.end()),
            (std::set<std::string>{"report.txt", "stray.txt"}));
  EXPECT_EQ(sandbox.ReadFile("D:\\A\\report.txt"), "edited after the mirror");
  EXPECT_EQ(sandbox.ReadFile("D:\\A\\stray.txt"), "a new file where the deleted one was");
  // The rest is undone all the same.
  EXPECT_EQ(sandbox.ReadFile("D:\\A\\old\\inner\\x.txt"), "surplus");
  EXPECT_FALSE(sandbox.Exists("D:\\A\\new.txt"));
}

TEST_F(VersionsTest, AnUndoInterruptedMidwayFinishesWhenRunAgain) {
  MakeTrees();
  const std::string before = TreeOf(sandbox.HostPath("D:\\A"));
  Run();
  // Part of the undo: its first step only, as if killed then.
  undo_versions.enabled = true;
  undo_versions.top = "D:\\A";
  const std::vector<UndoStep> plan = PlanUndo(*fs, "D:\\A", journal);
  ASSERT_FALSE(plan.empty());
  ASSERT_TRUE(CarryOutUndoStep(*fs, undo_versions, plan.front()).ok());
  ASSERT_TRUE(fs->EndOfRun().ok());
  // A restore killed before its flush leaves its copy with a provisional
  // time: the report's old data, not yet looking up to date.
  const std::string report = sandbox.HostPath("D:\\A\\report.txt");
  chmod(report.c_str(), 0644);
  { std::ofstream(report, std::ios::binary | std::ios::trunc) << "edited in the replica"; }
  const struct timespec times[2] = {{Base(), 0}, {Base() - kHour, 999999999}};
  ASSERT_EQ(utimensat(AT_FDCWD, report.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
  const auto replaced = std::find_if(journal.begin(), journal.end(),
                                     [](const VersionChange& c) { return c.path == "report.txt"; });
  ASSERT_NE(replaced, journal.end());
  const UndoStep again = PlanUndoStep(*fs, "D:\\A", *replaced);
  EXPECT_EQ(again.action, UndoAction::kRestore);
  EXPECT_TRUE(again.redo);

  undo_versions.stamp.clear();
  const UndoOutcome rest = Undo(journal);
  EXPECT_TRUE(rest.left.empty()) << rest.left.front();
  EXPECT_TRUE(rest.failed.empty());
  EXPECT_EQ(TreeOf(sandbox.HostPath("D:\\A")), before);
}

TEST_F(VersionsTest, VersionsSurviveLaterRunsAndAreNeverMirroredOrListed) {
  MakeTrees();
  // A versions folder in Dir 1 (kept by an earlier mirror the other way).
  File("C:\\A\\.velqo-versions\\2023-11-01_100000\\mine.txt", "Dir 1's own version", Base());
  Run();
  const std::string kept = "D:\\A\\.velqo-versions\\" + Stamp() + "\\report.txt";
  ASSERT_TRUE(sandbox.Exists(kept));
  EXPECT_FALSE(sandbox.Exists("D:\\A\\.velqo-versions\\2023-11-01_100000"));
  // Later mirrors, with directory removal on, neither remove nor change them.
  File("C:\\A\\report.txt", "source again", Base() + 3 * kHour);
  journal.clear();
  platform.now.minute += 1;
  Run();
  EXPECT_EQ(sandbox.ReadFile(kept), "edited in the replica");
  EXPECT_EQ(sandbox.ReadFile("D:\\A\\.velqo-versions\\" + Stamp() + "\\report.txt"), "source");
  ASSERT_EQ(journal.size(), 1u);
  EXPECT_EQ(journal[0].path, "report.txt");
  // Nothing of the versions folder reached Dir 1, and Dir 1's stays its own.
  EXPECT_EQ(sandbox.HostNames("C:\\A\\.velqo-versions"), std::vector<std::string>{"2023-11-01_100000"});
}

TEST_F(VersionsTest, DirectoriesTheRunMadeGoWithItsUndoUnlessTheyHoldNewFiles) {
  File("C:\\A\\made\\deeper\\f.txt", "f", Base());
  File("C:\\A\\also\\g.txt", "g", Base());
  const std::string before = TreeOf(sandbox.HostPath("D:\\A"));
  Run();
  ASSERT_EQ(sandbox.ReadFile("D:\\A\\made\\deeper\\f.txt"), "f");
  std::vector<std::string> made;
  for (const VersionChange& c : journal) {
    if (c.kind == VersionChange::Kind::kDirectoryAdded) made.push_back(c.path);
  }
  std::sort(made.begin(), made.end());
  EXPECT_EQ(made, (std::vector<std::string>{"also", "made", "made/deeper"}));
  // Someone's file in a directory the run made keeps that directory.
  File("D:\\A\\also\\theirs.txt", "not the run's", Base());
  const UndoOutcome undone = Undo(journal);
  EXPECT_EQ(undone.left, std::vector<std::string>{"also"});
  EXPECT_FALSE(sandbox.Exists("D:\\A\\made"));
  EXPECT_FALSE(sandbox.Exists("D:\\A\\also\\g.txt"));
  EXPECT_EQ(sandbox.ReadFile("D:\\A\\also\\theirs.txt"), "not the run's");
  ASSERT_EQ(unlink(sandbox.HostPath("D:\\A\\also\\theirs.txt").c_str()), 0);
  ASSERT_EQ(rmdir(sandbox.HostPath("D:\\A\\also").c_str()), 0);
  EXPECT_EQ(TreeOf(sandbox.HostPath("D:\\A")), before);
}

TEST_F(VersionsTest, BackupsBesideTheFilesAreKeptAsBeforeAlongsideTheVersions) {
  opt().CreateBackup = 1;
  state->sw.MirrorBackups = 1;
  MakeTrees();
  Run();
  EXPECT_EQ(sandbox.ReadFile("D:\\A\\report.txt"), "source");
  EXPECT_EQ(sandbox.ReadFile("D:\\A\\report.~tx"), "edited in the replica");
  EXPECT_EQ(sandbox.ReadFile("D:\\A\\.velqo-versions\\" + Stamp() + "\\report.txt"), "edited in the replica");
  // The undo gives the old file back; the backup stays the user's.
  const UndoOutcome undone = Undo(journal);
  EXPECT_TRUE(undone.left.empty());
  EXPECT_EQ(sandbox.ReadFile("D:\\A\\report.txt"), "edited in the replica");
  EXPECT_EQ(sandbox.ReadFile("D:\\A\\report.~tx"), "edited in the replica");
}

TEST_F(VersionsTest, RetentionRemovesOnlyOldRunFoldersAndNeverFollowsALink) {
  sandbox.WriteFile("E:\\outside\\precious.txt", "not a version");
  const std::string folder = "D:\\A\\.velqo-versions\\";
  File(folder + "2023-09-01_080000\\old.txt", "old", Base());
  sandbox.SetReadOnly(folder + "2023-09-01_080000\\old.txt", true);
  ASSERT_EQ(symlink(sandbox.HostPath("E:\\outside").c_str(),
                    sandbox.HostPath(folder + "2023-09-01_080000\\link").c_str()),
            0);
  File(folder + "2023-11-10_090000\\recent.txt", "recent", Base());
  File(folder + "notes\\mine.txt", "not a run's", Base());
  std::string failed;
  const int removed = PruneVersions(*fs, "D:\\A", 30, platform.now, &failed);
  EXPECT_EQ(removed, 1);
  EXPECT_TRUE(failed.empty()) << failed;
  EXPECT_FALSE(sandbox.Exists(folder + "2023-09-01_080000"));
  EXPECT_TRUE(sandbox.Exists(folder + "2023-11-10_090000\\recent.txt"));
  EXPECT_TRUE(sandbox.Exists(folder + "notes\\mine.txt"));
  EXPECT_EQ(sandbox.ReadFile("E:\\outside\\precious.txt"), "not a version");
  // Fewer days keep fewer.
  EXPECT_EQ(PruneVersions(*fs, "D:\\A", 3, platform.now, &failed), 1);
  EXPECT_FALSE(sandbox.Exists(folder + "2023-11-10_090000"));
}

TEST_F(VersionsTest, AJournaledPathLeadingOutOfTheTreeIsRefused) {
  File("D:\\outside.txt", "not in the tree", Base());
  VersionChange c;
  c.kind = VersionChange::Kind::kAdded;
  c.path = "../outside.txt";
  EXPECT_EQ(PlanUndoStep(*fs, "D:\\A", c).action, UndoAction::kRefused);
  c.kind = VersionChange::Kind::kDeleted;
  c.path = "fine.txt";
  c.version = "../../outside.txt";
  EXPECT_EQ(PlanUndoStep(*fs, "D:\\A", c).action, UndoAction::kRefused);
  const UndoOutcome out = Undo({c});
  EXPECT_EQ(out.left, std::vector<std::string>{"fine.txt"});
  EXPECT_EQ(sandbox.ReadFile("D:\\outside.txt"), "not in the tree");
  EXPECT_FALSE(sandbox.Exists("D:\\A\\fine.txt"));
}

TEST(VersionStampTest, NamesRoundTripAndOtherNamesAreNotStamps) {
  const LocalTime t{2026, 2, 28, 23, 5, 9, 0};
  EXPECT_EQ(VersionStamp(t), "2026-02-28_230509");
  LocalTime read;
  ASSERT_TRUE(ParseVersionStamp("2026-02-28_230509.3", &read));
  EXPECT_EQ(read.year, 2026);
  EXPECT_EQ(read.day, 28);
  EXPECT_EQ(read.second, 9);
  for (const char* other : {"2026-02-30_230509", "2026-02-28_240000", "2026-02-28-230509", "notes",
                            "2026-02-28_230509x", "2026-2-28_230509", "2026-02-28_230509./../x", "2026-02-28_230509."}) {
    EXPECT_FALSE(ParseVersionStamp(other, &read)) << other;
  }
}

}  // namespace
}  // namespace velqo::testing
