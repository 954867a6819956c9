#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "common/platform/platform_ops.h"
#include "common/posix/posix_platform.h"
#include "tests/support/sandbox.h"

namespace velqo {
namespace {

using testing::Sandbox;

class KeepVersionTest : public ::testing::Test {
 protected:
  KeepVersionTest() : fs(NewPosixPlatform(sandbox.Config())) {
    sandbox.WriteFile("D:\\top\\a.txt", "old data");
    sandbox.WriteFile("D:\\top\\sub\\b.txt", "b");
    EXPECT_TRUE(fs->PinTops({"D:\\top"}).ok());
  }

  struct stat Stat(std::string_view windows) const {
    struct stat st {};
    EXPECT_EQ(lstat(sandbox.HostPath(windows).c_str(), &st), 0) << windows;
    return st;
  }

  std::set<std::string> Names(const std::string& dir) {
    std::set<std::string> names;
    std::unique_ptr<DirSearch> search;
    EXPECT_TRUE(fs->FindFirst(dir + "\\*.*", kMaskEverything, &search).ok());
    FindData e;
    while (search && search->Next(&e)) names.insert(e.name);
    return names;
  }

  Sandbox sandbox;
  std::unique_ptr<Platform> fs;
};

TEST_F(KeepVersionTest, ALinkedVersionSharesTheFileThatStaysAndAMovedOneTakesItsPlace) {
  const std::string version = "D:\\top\\.velqo-versions\\2026-01-02_030405\\a.txt";
  ASSERT_TRUE(fs->KeepVersion("D:\\top\\a.txt", version, VersionKeep::kLink).ok());
  EXPECT_EQ(sandbox.ReadFile("D:\\top\\a.txt"), "old data");
  EXPECT_EQ(Stat("D:\\top\\a.txt").st_ino, Stat(version).st_ino);
  // Every folder made for versions is the user's alone.
  EXPECT_EQ(Stat("D:\\top\\.velqo-versions").st_mode & 0777, 0700u);
  EXPECT_EQ(Stat("D:\\top\\.velqo-versions\\2026-01-02_030405").st_mode & 0777, 0700u);
  // A version is never replaced.
  EXPECT_EQ(fs->KeepVersion("D:\\top\\a.txt", version, VersionKeep::kLink).code(), Status::Code::kAlreadyExists);

  const std::string moved = "D:\\top\\.velqo-versions\\2026-01-02_030405\\sub\\b.txt";
  ASSERT_TRUE(fs->KeepVersion("D:\\top\\sub\\b.txt", moved, VersionKeep::kMove).ok());
  EXPECT_FALSE(sandbox.Exists("D:\\top\\sub\\b.txt"));
  EXPECT_EQ(sandbox.ReadFile(moved), "b");
}

TEST_F(KeepVersionTest, ALinkPlantedForTheVersionsFolderIsNeverFollowed) {
  sandbox.MakeDir("E:\\elsewhere");
  ASSERT_EQ(symlink(sandbox.HostPath("E:\\elsewhere").c_str(), sandbox.HostPath("D:\\top\\.velqo-versions").c_str()),
            0);
  const Status st = fs->KeepVersion("D:\\top\\a.txt", "D:\\top\\.velqo-versions\\s\\a.txt", VersionKeep::kMove);
  EXPECT_FALSE(st.ok());
  EXPECT_EQ(sandbox.ReadFile("D:\\top\\a.txt"), "old data");
  EXPECT_TRUE(sandbox.HostNames("E:\\elsewhere").empty());
}

TEST_F(KeepVersionTest, TheVersionsFolderIsListedOnlyBelowTheTopsOfARun) {
  ASSERT_TRUE(fs->KeepVersion("D:\\top\\a.txt", "D:\\top\\.velqo-versions\\s\\a.txt", VersionKeep::kLink).ok());
  sandbox.MakeDir("D:\\top\\sub\\.velqo-versions");
  EXPECT_EQ(Names("D:\\top"), (std::set<std::string>{".", "..", "a.txt", "sub"}));
  // Not at a top, a folder of that name is the user's like any other.
  EXPECT_EQ(Names("D:\\top\\sub"), (std::set<std::string>{".", "..", ".velqo-versions", "b.txt"}));
  EXPECT_EQ(Names("D:\\top\\.velqo-versions"), (std::set<std::string>{".", "..", "s"}));
  ASSERT_TRUE(fs->PinTops({"D:\\other"}).ok());
  EXPECT_EQ(Names("D:\\top").count(".velqo-versions"), 1u);
}

}  // namespace
}  // namespace velqo
