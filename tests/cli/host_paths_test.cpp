#include "cli/host_paths.h"

#include <gtest/gtest.h>

#include "tests/support/sandbox.h"

namespace velqo::cli {
namespace {

class HostPathsTest : public velqo::testing::SandboxTest {
 protected:
  std::string C(const std::string& rest) const { return sandbox.HostPath("C:\\" + rest); }
  std::string D(const std::string& rest) const { return sandbox.HostPath("D:\\" + rest); }
};

TEST_F(HostPathsTest, EveryPathInAMessageBecomesItsHostPathAndTheWordsStay) {
  sandbox.WriteFile("C:\\My Docs\\Report. Final.txt", "x");
  const HostPaths paths(*fs);
  EXPECT_EQ(paths.Text("Cannot Execute Copy Of C:\\My Docs\\a b.txt To D:\\back\\a b.txt.  Press OK"),
            "Cannot Execute Copy Of " + C("My Docs/a b.txt") + " To " + D("back/a b.txt") +
                ".  Press OK");
  EXPECT_EQ(paths.Text("Updating Directory C:\\src\\sub"), "Updating Directory " + C("src/sub"));
  // A sentence ending with a path keeps its full stop; a dot inside a name
  // is the name's.
  EXPECT_EQ(paths.Text("Set To C:\\src."), "Set To " + C("src") + ".");
  EXPECT_EQ(paths.Text("The Directory Path C:\\x.d Does Not Exist."),
            "The Directory Path " + C("x.d") + " Does Not Exist.");
  EXPECT_EQ(paths.Text("Erase The File D:\\b\\f.txt ?"), "Erase The File " + D("b/f.txt") + " ?");
  EXPECT_EQ(paths.Text("one C:\\a\ntwo D:\\b"), "one " + C("a") + "\ntwo " + D("b"));
  EXPECT_EQ(paths.Text("The Files C:\\a b And D:\\c Have"),
            "The Files " + C("a b") + " And " + D("c") + " Have");
  EXPECT_EQ(paths.Text("Set To C:\\ And Any"), "Set To " + sandbox.HostPath("C:\\") + " And Any");
}

TEST_F(HostPathsTest, WhatIsNoDrivePathIsLeftAsItIs) {
  const HostPaths paths(*fs);
  // No drive Q: in the map; a drive letter inside a word; a bare letter.
  EXPECT_EQ(paths.Text("Copy Of Q:\\x To Q:\\y"), "Copy Of Q:\\x To Q:\\y");
  EXPECT_EQ(paths.Text("name:C:\\x"), "name:C:\\x");
  EXPECT_EQ(paths.Text("C: alone"), "C: alone");
  EXPECT_EQ(paths.Text(""), "");
  EXPECT_EQ(paths.Path("C:\\"), sandbox.HostPath("C:\\"));
}

TEST_F(HostPathsTest, AnExistingEntryShowsItsOwnSpelling) {
  sandbox.WriteFile("C:\\Mixed\\Case.TXT", "x");
  const HostPaths paths(*fs);
  EXPECT_EQ(paths.Path("c:\\mixed\\case.txt"), C("Mixed/Case.TXT"));
  FileChange change = MakeChange(FileChange::Kind::kCopy, "c:\\mixed\\case.txt", "D:\\new\\x.txt");
  const FileChange converted = paths.Change(change);
  EXPECT_EQ(converted.path, C("Mixed/Case.TXT"));
  EXPECT_EQ(converted.target, D("new/x.txt"));
}

}  // namespace
}  // namespace velqo::cli
