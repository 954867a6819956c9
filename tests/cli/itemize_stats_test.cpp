// The lines -v (--itemize-changes) prints for each change, and --stats.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "cli/itemize.h"
#include "cli/run_stats.h"
#include "tests/cli/cli_fixture.h"

namespace velqo::cli {
namespace {

class ItemizeLineTest : public velqo::testing::SandboxTest {};

TEST_F(ItemizeLineTest, NamesTheKindTheSideAndThePathBelowItsTop) {
  sandbox.WriteFile("C:\\src\\Notes\\a b.txt", "x");
  const HostPaths paths(*fs);
  const RunTops tops{"C:\\src", "D:\\dst"};
  using K = FileChange::Kind;
  EXPECT_EQ(ItemizeLine(MakeChange(K::kCopy, "C:\\src\\a", "D:\\dst\\a"), tops, paths), "copy > a");
  EXPECT_EQ(ItemizeLine(MakeChange(K::kCopy, "C:\\src\\a", "D:\\dst\\a", 1, true), tops, paths),
            "update > a");
  // Towards Dir 1, in the spelling on disk.
  EXPECT_EQ(ItemizeLine(MakeChange(K::kCopy, "D:\\dst\\x", "c:\\src\\notes\\a b.txt", 1, true), tops,
                        paths),
            "update < Notes/a b.txt");
  EXPECT_EQ(ItemizeLine(MakeChange(K::kBackup, "D:\\dst\\r.txt", "D:\\dst\\r.~tx"), tops, paths),
            "backup > r.~tx");
  EXPECT_EQ(ItemizeLine(MakeChange(K::kDelete, "D:\\dst\\old"), tops, paths), "delete > old");
  EXPECT_EQ(ItemizeLine(MakeChange(K::kCreateDirectory, "D:\\dst"), tops, paths), "mkdir > .");
  EXPECT_EQ(ItemizeLine(MakeChange(K::kRemoveDirectory, "D:\\dst\\s\\t"), tops, paths),
            "rmdir > s/t");
  // Outside both tops: the whole host path. A name's line break is no line.
  EXPECT_EQ(ItemizeLine(MakeChange(K::kDelete, "D:\\other\\f"), tops, paths),
            "delete = " + sandbox.HostPath("D:\\other\\f"));
  EXPECT_EQ(ItemizeLine(MakeChange(K::kDelete, "D:\\dst\\a\nb"), tops, paths), "delete > a?b");
  // A top that merely starts like another is not its parent.
  EXPECT_EQ(ItemizeLine(MakeChange(K::kDelete, "D:\\dst2\\f"), tops, paths),
            "delete = " + sandbox.HostPath("D:\\dst2\\f"));
}

TEST(RunStatsTest, CountsWhatWasDoneAndWhatFailedApart) {
  RunStats stats;
  using K = FileChange::Kind;
  stats.Count(MakeChange(K::kCopy, "a", "b", 100), true);
  stats.Count(MakeChange(K::kCopy, "a", "b", 50, true), true);
  stats.Count(MakeChange(K::kCopy, "a", "b", 7), false);
  stats.Count(MakeChange(K::kDelete, "c", {}, 30), true);
  stats.Count(MakeChange(K::kCreateDirectory, "d"), true);
  const std::string text = StatsText(stats, std::chrono::seconds(2));
  EXPECT_NE(text.find("Files copied: 1 (100 B)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Files updated: 1 (50 B)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Files deleted: 1 (30 B)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Directories made: 1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Changes that failed: 1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Elapsed: 2.00 s, 75 B/s\n"), std::string::npos) << text;
}

class ItemizeRun : public CliEndToEnd {};

TEST_F(ItemizeRun, EveryChangeOfAnUpdateHasItsLineAndStatsSumThemUp) {
  ASSERT_EQ(Run({}).exit_status, 0);
  SetIni({{"EnableLog", "0"}, {"ConfirmEveryFile", "0"}, {"CreateBackup", "1"}});
  sandbox.WriteFile("C:\\src\\new.txt", "new");
  sandbox.WriteFile("C:\\src\\report.txt", "report, newer");
  sandbox.SetMtime("C:\\src\\report.txt", 1700009000);
  sandbox.WriteFile("D:\\dst\\report.txt", "report");
  sandbox.SetMtime("D:\\dst\\report.txt", 1700000000);
  sandbox.WriteFile("D:\\dst\\back.txt", "only here, newer");
  sandbox.SetMtime("D:\\dst\\back.txt", 1700009000);
  const ChildResult r = Run({"--both-ways", "--no-confirm", "-j", "-v", "--stats",
                             sandbox.HostPath("C:\\src"), sandbox.HostPath("D:\\dst")});
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  const std::vector<std::string> lines = LinesWith(r.out, " ");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "copy > new.txt"), lines.end()) << r.out;
  EXPECT_NE(std::find(lines.begin(), lines.end(), "backup > report.~tx"), lines.end()) << r.out;
  EXPECT_NE(std::find(lines.begin(), lines.end(), "update > report.txt"), lines.end()) << r.out;
  EXPECT_NE(std::find(lines.begin(), lines.end(), "copy < back.txt"), lines.end()) << r.out;
  EXPECT_NE(r.out.find("Files copied: 2 ("), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Files updated: 1 (13 B)\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Backups kept: 1\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Changes that failed: 0\n"), std::string::npos) << r.out;
}

TEST_F(ItemizeRun, ALinkAndAChangeOfModeAloneHaveTheirOwnKinds) {
  ASSERT_EQ(Run({}).exit_status, 0);
  SetIni({{"EnableLog", "0"}, {"ConfirmEveryFile", "0"}});
  sandbox.WriteFile("C:\\src\\m.txt", "same");
  sandbox.SetMtime("C:\\src\\m.txt", 1700000000);
  sandbox.WriteFile("D:\\dst\\m.txt", "same");
  sandbox.SetMtime("D:\\dst\\m.txt", 1700000000);
  ASSERT_EQ(chmod(sandbox.HostPath("C:\\src\\m.txt").c_str(), 0640), 0);
  ASSERT_EQ(chmod(sandbox.HostPath("D:\\dst\\m.txt").c_str(), 0644), 0);
  ASSERT_EQ(symlink("m.txt", sandbox.HostPath("C:\\src\\l").c_str()), 0);
  const ChildResult r = Run({"--mirror", "-j", "-v", "--stats", sandbox.HostPath("C:\\src"),
                             sandbox.HostPath("D:\\dst")});
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  const std::vector<std::string> lines = LinesWith(r.out, " > ");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "metadata > m.txt"), lines.end()) << r.out;
  EXPECT_NE(std::find(lines.begin(), lines.end(), "link > l"), lines.end()) << r.out;
  EXPECT_NE(r.out.find("Files with changed metadata only: 1\n"), std::string::npos) << r.out;
  struct stat st {};
  ASSERT_EQ(stat(sandbox.HostPath("D:\\dst\\m.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

}  // namespace
}  // namespace velqo::cli
