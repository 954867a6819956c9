// Runs of velqo-cli with --exclude, --include and --exclude-from: what the
// patterns leave out is neither copied nor deleted, and a bad exclude file
// stops the run before anything is touched.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/cli/cli_fixture.h"

namespace velqo::cli {
namespace {

class CliFilters : public CliEndToEnd {
 protected:
  void SetUp() override { ASSERT_EQ(Run({}).exit_status, 0); }

  void File(const std::string& path, const std::string& bytes = "x", long mtime = 1700000000) {
    sandbox.WriteFile(path, bytes);
    sandbox.SetMtime(path, mtime);
  }

  std::string Host(const std::string& windows) const { return sandbox.HostPath(windows); }

  // An unattended run of the given options from C:\w to D:\w, no log.
  ChildResult RunOn(std::vector<std::string> options, const std::string& dir2 = "D:\\w") {
    options.insert(options.begin(), {"-j", "--no-log"});
    options.push_back(Host("C:\\w"));
    options.push_back(Host(dir2));
    return Run(options);
  }

  std::string WriteExcludeFile(const std::string& bytes) {
    const std::string path = sandbox.root() + "/excludes" + std::to_string(++files_);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return path;
  }

  int files_ = 0;
};

TEST_F(CliFilters, AMirrorKeepsExcludedFilesAndDirectories) {
  File("C:\\w\\a.txt", "new a", 1700009000);
  File("C:\\w\\notes.o", "dir 1 object", 1700009000);
  File("C:\\w\\sub\\b.txt");
  File("C:\\w\\sub\\c.o");
  File("C:\\w\\sub\\cache", "a file, not a directory");
  File("C:\\w\\cache\\x.txt");
  File("D:\\w\\a.txt", "old a");
  File("D:\\w\\notes.o", "dir 2 object");
  File("D:\\w\\stale.o");
  File("D:\\w\\gone.txt");
  File("D:\\w\\sub\\old.o");
  File("D:\\w\\cache\\y.txt", "kept");

  const ChildResult r = RunOn({"-a", "--mirror", "--no-backup", "--exclude=*.o", "--exclude", "cache/"});
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(sandbox.ReadFile("D:\\w\\a.txt"), "new a");
  EXPECT_FALSE(sandbox.Exists("D:\\w\\gone.txt"));
  // A name pattern holds at every depth; excluded files stay as they are.
  EXPECT_EQ(sandbox.ReadFile("D:\\w\\notes.o"), "dir 2 object");
  EXPECT_TRUE(sandbox.Exists("D:\\w\\stale.o"));
  EXPECT_TRUE(sandbox.Exists("D:\\w\\sub\\old.o"));
  EXPECT_FALSE(sandbox.Exists("D:\\w\\sub\\c.o"));
  EXPECT_EQ(sandbox.ReadFile("D:\\w\\sub\\b.txt"), "x");
  // "cache/" is a directory: the file of that name is copied, the directory
  // is entered on neither side.
  EXPECT_EQ(sandbox.ReadFile("D:\\w\\sub\\cache"), "a file, not a directory");
  EXPECT_EQ(sandbox.ReadFile("D:\\w\\cache\\y.txt"), "kept");
  EXPECT_FALSE(sandbox.Exists("D:\\w\\cache\\x.txt"));
  EXPECT_EQ(r.out.find("Updating Directory C:\\w\\cache"), std::string::npos) << r.out;
}

TEST_F(CliFilters, AnchorsDoubleStarsAndTheFirstMatchDecide) {
  for (const char* name : {"tmp\\t.txt", "src\\tmp\\u.txt", "docs\\draft.txt", "docs\\a\\b\\draft.txt",
                           "keep.log", "other.log", "src\\x.log"}) {
    File(std::string("C:\\w\\") + name);
  }
  sandbox.MakeDir("D:\\w");
  sandbox.MakeDir("E:\\w");
  const ChildResult r = RunOn({"-a", "--exclude=/tmp", "--include=keep.log", "--exclude=*.log",
                               "--exclude=docs/**/draft.txt"});
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_FALSE(sandbox.Exists("D:\\w\\tmp"));
  EXPECT_TRUE(sandbox.Exists("D:\\w\\src\\tmp\\u.txt"));  // "/tmp" holds at the top only
  EXPECT_TRUE(sandbox.Exists("D:\\w\\docs\\draft.txt"));  // "**/" needs a directory between
  EXPECT_FALSE(sandbox.Exists("D:\\w\\docs\\a\\b\\draft.txt"));
  EXPECT_TRUE(sandbox.Exists("D:\\w\\keep.log"));
  EXPECT_FALSE(sandbox.Exists("D:\\w\\other.log"));
  EXPECT_FALSE(sandbox.Exists("D:\\w\\src\\x.log"));

  // The same two patterns the other way round: the exclude comes first.
  const ChildResult late = RunOn({"-a", "--exclude=*.log", "--include=keep.log"}, "E:\\w");
  ASSERT_EQ(late.exit_status, 0) << late.out << late.err;
  EXPECT_FALSE(sandbox.Exists("E:\\w\\keep.log"));
  EXPECT_TRUE(sandbox.Exists("E:\\w\\docs\\a\\b\\draft.txt"));
}

TEST_F(CliFilters, AnExcludeFileReadsAsRsyncUsersWriteOne) {
  for (const char* name : {"a.tmp", "b.tmp", "keep.o", "main.o", "main.c", "build\\out.c", "src\\build\\in.c"}) {
    File(std::string("C:\\w\\") + name);
  }
  sandbox.MakeDir("D:\\w");
  const std::string excludes = WriteExcludeFile(
      "# objects and scratch\r\n"
      "\n"
      "; another comment\n"
      "+ keep.o\r\n"
      "- *.o\n"
      "*.tmp\n"
      "/build/\n");
  // Patterns count in the order given: the --include before the file wins.
  const ChildResult r = RunOn({"-a", "--include=a.tmp", "--exclude-from=" + excludes});
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(DirEntries("D:\\w"), (std::vector<std::string>{"a.tmp", "keep.o", "main.c", "src"}));
  EXPECT_TRUE(sandbox.Exists("D:\\w\\src\\build\\in.c"));

  // "~/" is the home directory, as the shell leaves it after "=".
  sandbox.WriteFile("C:\\home-excludes", "*.c\n");
  sandbox.MakeDir("E:\\w");
  const ChildResult home = RunOn({"-a", "--exclude-from=~/home-excludes"}, "E:\\w");
  ASSERT_EQ(home.exit_status, 0) << home.out << home.err;
  EXPECT_TRUE(sandbox.Exists("E:\\w\\a.tmp"));
  EXPECT_FALSE(sandbox.Exists("E:\\w\\main.c"));
}

TEST_F(CliFilters, ABadExcludeFileIsAUsageErrorThatTouchesNothing) {
  File("C:\\w\\a.txt");
  File("D:\\w\\gone.txt");
  const std::string fifo = sandbox.root() + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  struct Case {
    std::string file;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {sandbox.root() + "/missing", "No such file or directory"},
      {sandbox.root(), "it is a directory"},
      {fifo, "it is not a regular file"},  // never waits for a writer
      {WriteExcludeFile(std::string(1024 * 1024 + 1, 'x')), "it is larger than 1 MiB"},
      {WriteExcludeFile("*.o\n# fine so far\n/\n"), "line 3 cannot be a pattern: the pattern is empty"},
      {WriteExcludeFile(std::string("ok\nbad\0name\n", 12)), "line 2 holds a NUL byte, which no name can hold"},
  };
  const std::string before = Snapshot(sandbox.root() + "/d") + Snapshot(sandbox.root() + "/c");
  for (const Case& c : cases) {
    const ChildResult r = RunOn({"-a", "--mirror", "--exclude-from", c.file});
    EXPECT_EQ(r.exit_status, 1) << c.file;
    EXPECT_EQ(r.err, "velqo-cli: cannot use the exclude file \"" + c.file + "\": " + c.reason +
                         "; nothing was changed\n");
    EXPECT_EQ(r.out, "") << c.file;
  }
  EXPECT_EQ(Snapshot(sandbox.root() + "/d") + Snapshot(sandbox.root() + "/c"), before);

  // Standard input is for the answers, and an empty pattern means nothing.
  const ChildResult from_stdin = RunOn({"--exclude-from=-"});
  EXPECT_EQ(from_stdin.exit_status, 1);
  EXPECT_NE(from_stdin.err.find("--exclude-from: the patterns cannot come from standard input"),
            std::string::npos) << from_stdin.err;
  const ChildResult empty = RunOn({"--exclude=/"});
  EXPECT_EQ(empty.exit_status, 1);
  EXPECT_NE(empty.err.find("--exclude: the pattern is empty"), std::string::npos) << empty.err;
}

TEST_F(CliFilters, DeleteDirsKeepsASurplusDirectoryThatHoldsExcludedEntries) {
  File("C:\\w\\a.txt");
  File("D:\\w\\gone\\deep\\g.txt");
  File("D:\\w\\old\\keep.o", "kept");
  File("D:\\w\\old2\\build\\b.txt", "kept too");
  // Links are never entered by the search for excluded entries: a loop ends,
  // and what a link points to does not keep its directory.
  File("C:\\outside\\x.o", "outside");
  fsys::create_directory_symlink("..", Host("D:\\w\\gone") + "/loop");
  File("D:\\w\\linked\\a.txt");
  fsys::create_directory_symlink(Host("C:\\outside"), Host("D:\\w\\linked") + "/out");
  const std::string logs = sandbox.root() + "/logs";
  const ChildResult r = Run({"-j", "-a", "--mirror", "--delete-dirs", "--log-dir=" + logs,
                             "--exclude=*.o", "--exclude=build/", Host("C:\\w"), Host("D:\\w")});
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_FALSE(sandbox.Exists("D:\\w\\gone"));
  EXPECT_FALSE(sandbox.Exists("D:\\w\\linked"));
  EXPECT_EQ(sandbox.ReadFile("C:\\outside\\x.o"), "outside");
  EXPECT_EQ(sandbox.ReadFile("D:\\w\\old\\keep.o"), "kept");
  EXPECT_EQ(sandbox.ReadFile("D:\\w\\old2\\build\\b.txt"), "kept too");
  std::string log;
  for (const auto& e : fsys::directory_iterator(logs)) log += ReadText(e.path().string());
  EXPECT_EQ(Count(log, "The directory below holds excluded entries - CleanUp kept it"), 2) << log;
  EXPECT_NE(log.find("D:\\w\\old2\r\n"), std::string::npos) << log;
}

TEST_F(CliFilters, EachSpellingIsItsOwnEntryAndJudgedAsSpelled) {
  File("C:\\w\\Notes.TXT", "dir 1 notes", 1700009000);
  File("C:\\w\\Build\\a.dat", "dir 1 build", 1700009000);
  File("D:\\w\\notes.txt", "dir 2 notes");
  File("D:\\w\\build\\mine.dat", "dir 2 build");
  const ChildResult r =
      RunOn({"-a", "--mirror", "--no-backup", "--exclude=*.txt", "--exclude=build/"});
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  // Names that differ in case are other names: Dir 1's match no pattern
  // and are copied; Dir 2's are excluded, so the mirror leaves them alone.
  EXPECT_EQ(DirEntries("D:\\w"), (std::vector<std::string>{"Build", "Notes.TXT", "build", "notes.txt"}));
  EXPECT_EQ(sandbox.ReadFile("D:\\w\\Notes.TXT"), "dir 1 notes");
  EXPECT_EQ(sandbox.ReadFile("D:\\w\\notes.txt"), "dir 2 notes");
  EXPECT_EQ(DirEntries("D:\\w\\Build"), std::vector<std::string>{"a.dat"});
  EXPECT_EQ(DirEntries("D:\\w\\build"), std::vector<std::string>{"mine.dat"});
}

TEST_F(CliFilters, PatternsMatchNamesAsBytes) {
  sandbox.MakeDir("C:\\w");
  sandbox.MakeDir("D:\\w");
  const std::string latin1 = "caf\xe9.o";
  const std::string utf8 = "caf\xc3\xa9.o";
  for (const std::string& name : {latin1, utf8}) std::ofstream(Host("C:\\w") + "/" + name) << name;
  // "?" is one byte: it stands for the Latin-1 "é", not for the UTF-8 one.
  const ChildResult r = RunOn({"-a", "--exclude=caf?.o"});
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(sandbox.HostNames("D:\\w"), std::vector<std::string>{utf8});
}

}  // namespace
}  // namespace velqo::cli
