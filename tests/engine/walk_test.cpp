#include <algorithm>
#include <set>
#include <string>

#include "engine/dir_acquisition.h"
#include "tests/engine/engine_fixture.h"

namespace velqo::testing {
namespace {

class WalkTest : public EngineTest {
 protected:
  WalkTest() {
    opt().SelectSeparate = 0;
    opt().UseDir1And = 1;
    opt().Add1To2 = 1;
    opt().CreateNewDir = 1;
  }

  std::vector<std::string> PairsReconciled() const {
    std::vector<std::string> dirs;
    for (const std::string& text : host.status_texts) {
      if (text.rfind("Updating Directory ", 0) == 0) dirs.push_back(text.substr(19));
    }
    return dirs;
  }
};

TEST_F(WalkTest, ADriveRootDir2TakesTheTailWithItsBackslash) {
  sandbox.MakeDir("C:\\DATA\\Sub\\Deep");
  File("C:\\DATA\\Sub\\Deep\\f.txt", "f", Base());
  host.dir1 = "C:\\DATA";
  host.dir2 = "E:\\";
  Run();
  EXPECT_EQ(PairsReconciled(),
            (std::vector<std::string>{"C:\\DATA", "C:\\DATA\\Sub", "C:\\DATA\\Sub\\Deep"}));
  // The pairs and the new Dir 2 directories are spelled as Dir 1's are.
  EXPECT_EQ(sandbox.ReadFile("E:\\Sub\\Deep\\f.txt"), "f");
}

TEST_F(WalkTest, ADriveRootDir1KeepsItsTypedCaseAndMapsBelowDir2) {
  sandbox.MakeDir("E:\\Data");
  File("E:\\Data\\f.txt", "f", Base());
  host.dir1 = "e:\\";
  host.dir2 = "D:\\BACKUP";
  Run();
  EXPECT_EQ(PairsReconciled(), (std::vector<std::string>{"e:\\", "e:\\Data"}));
  EXPECT_EQ(sandbox.ReadFile("D:\\BACKUP\\Data\\f.txt"), "f");
}

TEST_F(WalkTest, SubdirectoriesOnlyLeavesTheTopAloneAndIsBreadthFirst) {
  opt().UseDir1And = 0;
  opt().UseSubOnly = 1;
  File("C:\\A\\top.txt", "t", Base());
  sandbox.MakeDir("C:\\A\\P\\Q");
  sandbox.MakeDir("C:\\A\\R");
  Run();
  std::vector<std::string> pairs = PairsReconciled();
  ASSERT_EQ(pairs.size(), 3u);
  EXPECT_EQ(pairs[2], "C:\\A\\P\\Q");  // the deeper level comes last
  EXPECT_FALSE(sandbox.Exists("D:\\B\\top.txt"));
  EXPECT_EQ(host.progress_max, 3);
}

TEST_F(WalkTest, SubdirectoriesOnlyWithoutSubdirectoriesHasNothingToDo) {
  opt().UseDir1And = 0;
  opt().UseSubOnly = 1;
  File("C:\\A\\top.txt", "t", Base());
  EXPECT_EQ(Run(), UpdateOutcome::kNothingToDo);
  EXPECT_TRUE(PairsReconciled().empty());
}

TEST_F(WalkTest, HiddenReadOnlyAndDotDirectoriesFollowTheOptions) {
  sandbox.MakeDir("C:\\A\\plain");
  sandbox.MakeDir("C:\\A\\hid");
  sandbox.MakeDir("C:\\A\\ro");
  sandbox.MakeDir("C:\\A\\.cache");
  ASSERT_TRUE(fs->SetAttributes("C:\\A\\hid", kAttrHidden).ok());
  ASSERT_TRUE(fs->SetAttributes("C:\\A\\ro", kAttrReadOnly).ok());
  opt().IncRODir = 0;
  Run();
  std::vector<std::string> pairs = PairsReconciled();
  std::sort(pairs.begin(), pairs.end());
  EXPECT_EQ(pairs, (std::vector<std::string>{"C:\\A", "C:\\A\\plain"}));

  host.status_texts.clear();
  opt().IncRODir = 1;
  opt().IncHidDir = 1;
  Run();
  pairs = PairsReconciled();
  std::sort(pairs.begin(), pairs.end());
  // ".cache" is hidden too, but a name starting with "." is walked only
  // when asked for.
  EXPECT_EQ(pairs, (std::vector<std::string>{"C:\\A", "C:\\A\\hid", "C:\\A\\plain", "C:\\A\\ro"}));

  host.status_texts.clear();
  opt().IncDotDir = 1;
  File("C:\\A\\.cache\\c.txt", "c", Base());
  Run();
  pairs = PairsReconciled();
  std::sort(pairs.begin(), pairs.end());
  EXPECT_EQ(pairs, (std::vector<std::string>{"C:\\A", "C:\\A\\.cache", "C:\\A\\hid", "C:\\A\\plain",
                                             "C:\\A\\ro"}));
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\.cache\\c.txt"), "c");
}

TEST_F(WalkTest, OnlyTheExactAttributeCombinationsAreAccepted) {
  OptionSet o;
  o.IncRODir = 1;
  EXPECT_TRUE(DirectoryAccepted(16, o));
  EXPECT_TRUE(DirectoryAccepted(17, o));
  EXPECT_FALSE(DirectoryAccepted(19, o));  // read-only and hidden, hidden not allowed
  EXPECT_FALSE(DirectoryAccepted(16 | 2048, o));  // compressed
  EXPECT_FALSE(DirectoryAccepted(16 | 1024, o));  // a link
  o.IncHidDir = o.IncSysDir = o.IncArcDir = 1;
  EXPECT_TRUE(DirectoryAccepted(55, o));
  EXPECT_FALSE(DirectoryAccepted(32, o));  // not a directory
  EXPECT_EQ(DirectorySearchMask(o), 55u);
}

TEST_F(WalkTest, AWalkOfMoreThanTenThousandDirectoriesListsEveryOne) {
  sandbox.MakeDir("C:\\A\\real\\deeper");
  platform.fake_subdirs["C:\\A\\*.*"] = 12000;
  state->opt.ActiveOptions = opt();
  DirWalk walk(*state, "C:\\A");
  AcquireDirectories(*state, walk, WalkMode::kDir1);
  // The top, real, the 12,000 listed beside it, and real's own directory
  // on the next level.
  ASSERT_EQ(walk.count(), 12003);
  std::set<std::string> paths;
  for (int i = 0; i < walk.count(); ++i) paths.emplace(walk.Entry(i));
  EXPECT_EQ(paths.size(), 12003u);
  EXPECT_EQ(paths.count("C:\\A\\d0"), 1u);
  EXPECT_EQ(paths.count("C:\\A\\d11999"), 1u);
  EXPECT_EQ(walk.Entry(walk.count() - 1), "C:\\A\\real\\deeper");
  EXPECT_EQ(walk.BelowTop(walk.count() - 1), "real/deeper");
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(WalkTest, ADir2CounterpartBeyond256CharactersIsReconciled) {
  const std::string long_name(120, 'n');
  File("C:\\A\\" + long_name + "\\g.txt", "g", Base());
  File("C:\\A\\f.txt", "f", Base());
  host.dir2 = "D:\\" + std::string(140, 'b');
  sandbox.MakeDir(host.dir2);
  Run();
  EXPECT_FALSE(host.ShownContaining("Is Longer Than"));
  EXPECT_EQ(sandbox.ReadFile(host.dir2 + "\\f.txt"), "f");
  EXPECT_EQ(sandbox.ReadFile(host.dir2 + "\\" + long_name + "\\g.txt"), "g");
  EXPECT_EQ(state->flags.ErrorLogged, 0);
}

TEST_F(WalkTest, DirKeysSortByLengthShortestFirst) {
  std::vector<DirKey> keys{{0, 10}, {1, 6}, {2, 8}};
  SortDirKeys(keys);
  EXPECT_EQ(keys[0].position, 1);
  EXPECT_EQ(keys[1].position, 2);
  EXPECT_EQ(keys[2].position, 0);
}

}  // namespace
}  // namespace velqo::testing
