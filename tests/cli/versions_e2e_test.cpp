#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

#include "actions/versions.h"
#include "common/time/local_clock.h"
#include "state/pair_key.h"
#include "tests/cli/cli_fixture.h"

namespace velqo::cli {
namespace {

// The target as a user sees it: every file, link and directory below root
// but the versions folder, with mode, size, exact time and contents
// (directories by path and mode: what they hold is listed anyway).
std::string TargetTree(const std::string& root) {
  std::ostringstream out;
  for (auto it = fsys::recursive_directory_iterator(root); it != fsys::recursive_directory_iterator(); ++it) {
    if (it->path().filename() == ".velqo-versions") {
      it.disable_recursion_pending();
      continue;
    }
    const std::string path = it->path().string();
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) continue;
    out << path.substr(root.size()) << ' ' << std::oct << st.st_mode << std::dec;
    if (!S_ISDIR(st.st_mode)) out << ' ' << st.st_size << ' ' << st.st_mtim.tv_sec << '.' << st.st_mtim.tv_nsec;
    if (S_ISREG(st.st_mode)) out << ' ' << ReadText(path);
    out << '\n';
  }
  return out.str();
}

// Dir 1 and Dir 2 have the same path on their drives, so that a mirror
// with --delete-dirs removes the directories Dir 1 lacks.
class VersionsEndToEnd : public CliEndToEnd {
 protected:
  void SetUp() override {
    ASSERT_EQ(Run({}).exit_status, 0);  // the first run writes the INI file
    sandbox.WriteFile("C:\\data\\report.txt", "the source's older report");
    sandbox.SetMtime("C:\\data\\report.txt", 1700000000);
    sandbox.WriteFile("C:\\data\\new.txt", "only in the source");
    sandbox.SetMtime("C:\\data\\new.txt", 1700000000);
    sandbox.WriteFile("D:\\data\\report.txt", "edited in the replica");
    sandbox.SetMtime("D:\\data\\report.txt", 1700003600);
    chmod(Host("D:\\data\\report.txt").c_str(), 0640);
    sandbox.WriteFile("D:\\data\\stray.txt", "not in the source");
    chmod(Host("D:\\data\\stray.txt").c_str(), 0600);
    sandbox.WriteFile("D:\\data\\old\\deep.txt", "in a directory the source lacks");
    sandbox.SetMtime("D:\\data\\old\\deep.txt", 1690000000);
  }

  std::string Host(std::string_view windows) const { return sandbox.HostPath(windows); }
  ChildResult Mirror(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"-r", "--mirror", "--delete-dirs", "-j"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back("C:\\data");
    args.push_back("D:\\data");
    return Run(args);
  }
  std::vector<std::string> Stamps() const { return DirEntries("D:\\data\\.velqo-versions"); }
};

TEST_F(VersionsEndToEnd, AMirrorKeepsVersionsAndAnUndoGivesTheTargetBackExactly) {
  // Before any run there is nothing to undo, and asking makes no journal.
  const ChildResult never = Run({"-n", "--undo", "C:\\data", "D:\\data"});
  EXPECT_EQ(never.exit_status, 1);
  EXPECT_NE(never.err.find("nothing to undo"), std::string::npos) << never.err;
  EXPECT_FALSE(fsys::exists(LogDir() + "/state.db"));

  const std::string before = TargetTree(Host("D:\\data"));
  const ChildResult mirrored = Mirror();
  ASSERT_EQ(mirrored.exit_status, 0) << mirrored.out << mirrored.err;
  EXPECT_TRUE(fsys::exists(LogDir() + "/state.db"));
  EXPECT_EQ(sandbox.ReadFile("D:\\data\\report.txt"), "the source's older report");
  EXPECT_FALSE(sandbox.Exists("D:\\data\\stray.txt"));
  EXPECT_FALSE(sandbox.Exists("D:\\data\\old"));
  ASSERT_EQ(Stamps().size(), 1u);
  const std::string kept = "D:\\data\\.velqo-versions\\" + Stamps()[0];
  EXPECT_EQ(sandbox.ReadFile(kept + "\\report.txt"), "edited in the replica");
  EXPECT_EQ(sandbox.ReadFile(kept + "\\old\\deep.txt"), "in a directory the source lacks");
  struct stat st {};
  ASSERT_EQ(stat(Host("D:\\data\\.velqo-versions").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  // The preview of the undo says what it would do and does nothing.
  const std::string after_mirror = Snapshot(sandbox.DriveDir('D'));
  const ChildResult planned = Run({"-n", "--undo", "C:\\data", "D:\\data"});
  EXPECT_EQ(planned.exit_status, 0) << planned.err;
  EXPECT_NE(planned.out.find("restore " + Host("D:\\data\\report.txt") + "\n"), std::string::npos) << planned.out;
  EXPECT_NE(planned.out.find("restore " + Host("D:\\data\\old\\deep.txt") + "\n"), std::string::npos);
  EXPECT_NE(planned.out.find("remove " + Host("D:\\data\\new.txt") + "\n"), std::string::npos);
  EXPECT_EQ(Snapshot(sandbox.DriveDir('D')), after_mirror);

  // The pair in the other order is the same pair.
  const ChildResult undone = Run({"--undo", "D:\\data", "C:\\data"});
  ASSERT_EQ(undone.exit_status, 0) << undone.out << undone.err;
  EXPECT_EQ(TargetTree(Host("D:\\data")), before);

  // The undo is a run: the next undo takes it back.
  const ChildResult redone = Run({"--undo", "C:\\data", "D:\\data"});
  ASSERT_EQ(redone.exit_status, 0) << redone.out << redone.err;
  EXPECT_EQ(sandbox.ReadFile("D:\\data\\report.txt"), "the source's older report");
  EXPECT_EQ(sandbox.ReadFile("D:\\data\\new.txt"), "only in the source");
  EXPECT_FALSE(sandbox.Exists("D:\\data\\stray.txt"));
}

TEST_F(VersionsEndToEnd, AFileEditedAfterTheRunIsLeftAloneAndNamedWithStatus2) {
  ASSERT_EQ(Mirror().exit_status, 0);
  sandbox.WriteFile("D:\\data\\report.txt", "edited again after the mirror");
  const ChildResult undone = Run({"--undo", "C:\\data", "D:\\data"});
  EXPECT_EQ(undone.exit_status, 2);
  EXPECT_NE(undone.err.find("left as it is, changed since the run: " + Host("D:\\data\\report.txt")),
            std::string::npos)
      << undone.err;
  EXPECT_EQ(sandbox.ReadFile("D:\\data\\report.txt"), "edited again after the mirror");
  EXPECT_EQ(sandbox.ReadFile("D:\\data\\stray.txt"), "not in the source");
  EXPECT_FALSE(sandbox.Exists("D:\\data\\new.txt"));
}

TEST_F(VersionsEndToEnd, AnUndoThatCouldNotFinishGoesOnWhenRunAgain) {
  const std::string before = TargetTree(Host("D:\\data"));
  ASSERT_EQ(Mirror().exit_status, 0);
  // A file where the removed directory has to come back: that part of the
  // undo fails, the rest is done, and the undo stays open.
  sandbox.WriteFile("D:\\data\\old", "in the way");
  const ChildResult stopped = Run({"--undo", "C:\\data", "D:\\data"});
  EXPECT_EQ(stopped.exit_status, 2);
  EXPECT_NE(stopped.err.find("cannot undo old/deep.txt"), std::string::npos) << stopped.err;
  EXPECT_EQ(sandbox.ReadFile("D:\\data\\report.txt"), "edited in the replica");
  EXPECT_FALSE(sandbox.Exists("D:\\data\\new.txt"));

  ASSERT_EQ(unlink(Host("D:\\data\\old").c_str()), 0);
  const ChildResult finished = Run({"--undo", "C:\\data", "D:\\data"});
  ASSERT_EQ(finished.exit_status, 0) << finished.out << finished.err;
  EXPECT_NE(finished.out.find("1 restored, 0 removed, 0 left"), std::string::npos) << finished.out;
  EXPECT_EQ(TargetTree(Host("D:\\data")), before);
  // Both parts are one undo, which the next undo takes back whole.
  ASSERT_EQ(Run({"--undo", "C:\\data", "D:\\data"}).exit_status, 0);
  EXPECT_EQ(sandbox.ReadFile("D:\\data\\report.txt"), "the source's older report");
  EXPECT_EQ(sandbox.ReadFile("D:\\data\\new.txt"), "only in the source");
  EXPECT_FALSE(sandbox.Exists("D:\\data\\old"));
}

TEST_F(VersionsEndToEnd, AMirrorOfAPairAnotherRunHoldsChangesNothing) {
  std::string real1;
  std::string real2;
  ASSERT_TRUE(state::RealPath(Host("C:\\data"), &real1).ok());
  ASSERT_TRUE(state::RealPath(Host("D:\\data"), &real2).ok());
  fsys::create_directories(LogDir());
  state::PairLock held;
  ASSERT_TRUE(state::PairLock::Acquire(LogDir(), state::MakePairKey(real1, real2), false, &held).ok());
  const std::string before = Snapshot(sandbox.DriveDir('D'));
  const ChildResult refused = Mirror();
  EXPECT_EQ(refused.exit_status, 1);
  EXPECT_NE(refused.err.find("another run is working on"), std::string::npos) << refused.err;
  EXPECT_EQ(Snapshot(sandbox.DriveDir('D')), before);
  EXPECT_EQ(Run({"--undo", "C:\\data", "D:\\data"}).exit_status, 1);
}

TEST_F(VersionsEndToEnd, VersionsSurviveLaterRunsAndAreNeverCopiedEitherWay) {
  ASSERT_EQ(Mirror().exit_status, 0);
  const std::vector<std::string> first = Stamps();
  ASSERT_EQ(first.size(), 1u);
  // A later mirror with nothing to do, and one that replaces again.
  ASSERT_EQ(Mirror().exit_status, 0);
  sandbox.WriteFile("C:\\data\\report.txt", "a newer source");
  sleep(1);  // its own second, so its own folder
  ASSERT_EQ(Mirror().exit_status, 0);
  const std::vector<std::string> later = Stamps();
  ASSERT_EQ(later.size(), 2u);
  EXPECT_EQ(later[0], first[0]);
  EXPECT_EQ(sandbox.ReadFile("D:\\data\\.velqo-versions\\" + first[0] + "\\report.txt"), "edited in the replica");
  // A two-way run lists, copies and counts nothing of it.
  const ChildResult both = Run({"-r", "--both-ways", "-j", "--versions", "-v", "C:\\data", "D:\\data"});
  ASSERT_EQ(both.exit_status, 0) << both.out << both.err;
  EXPECT_EQ(both.out.find("velqo-versions"), std::string::npos) << both.out;
  EXPECT_FALSE(sandbox.Exists("C:\\data\\.velqo-versions"));
  const ChildResult planned = Run({"-n", "-a", "--mirror", "--delete-dirs", "-j", "D:\\data", "E:\\copy"});
  EXPECT_EQ(planned.out.find("velqo-versions"), std::string::npos) << planned.out;
  // Without versions a mirror keeps none.
  sandbox.WriteFile("E:\\plain\\x.txt", "x");
  ASSERT_EQ(Run({"--mirror", "--no-versions", "-j", "C:\\data", "E:\\plain"}).exit_status, 0);
  EXPECT_FALSE(sandbox.Exists("E:\\plain\\.velqo-versions"));
}

TEST_F(VersionsEndToEnd, RetentionRemovesOnlyOldVersionsAndTheOldOnesAreListedAndRestored) {
  LocalTime now;
  const std::time_t t = std::time(nullptr);
  ASSERT_TRUE(LocalFromTime(t, &now));
  LocalTime long_ago;
  ASSERT_TRUE(LocalFromTime(t - 40 * 86400, &long_ago));
  LocalTime lately;
  ASSERT_TRUE(LocalFromTime(t - 10 * 86400, &lately));
  const std::string folder = "D:\\data\\.velqo-versions\\";
  sandbox.WriteFile(folder + VersionStamp(long_ago) + "\\report.txt", "very old");
  sandbox.WriteFile(folder + VersionStamp(lately) + "\\report.txt", "ten days old");
  ASSERT_EQ(Mirror({"--keep-versions=30"}).exit_status, 0);
  EXPECT_FALSE(sandbox.Exists(folder + VersionStamp(long_ago)));
  EXPECT_EQ(sandbox.ReadFile(folder + VersionStamp(lately) + "\\report.txt"), "ten days old");

  const ChildResult listed = Run({"--versions-of=" + Host("D:\\data\\report.txt")});
  ASSERT_EQ(listed.exit_status, 0) << listed.err;
  const std::vector<std::string> lines = LinesWith(listed.out, "report.txt");
  ASSERT_EQ(lines.size(), 2u) << listed.out;
  EXPECT_EQ(lines[0].substr(0, 17), VersionStamp(lately));

  const ChildResult restored = Run({"--restore", Host("D:\\data\\report.txt"), "--from=" + VersionStamp(lately)});
  ASSERT_EQ(restored.exit_status, 0) << restored.err;
  EXPECT_EQ(sandbox.ReadFile("D:\\data\\report.txt"), "ten days old");
  // What it replaced is a version now too.
  EXPECT_EQ(LinesWith(Run({"--versions-of=" + Host("D:\\data\\report.txt")}).out, "report.txt").size(), 3u);
  EXPECT_EQ(Run({"--restore", Host("D:\\data\\report.txt"), "--from=2001-01-01_000000"}).exit_status, 1);
}

}  // namespace
}  // namespace velqo::cli
