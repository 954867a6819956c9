#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/posix/copy_test_seam.h"
#include "common/platform/platform_ops.h"
#include "common/posix/posix_platform.h"
#include "common/posix/temp_names.h"
#include "tests/support/sandbox.h"

namespace velqo {
namespace {

using testing::Sandbox;

class CopySafetyTest : public ::testing::Test {
 protected:
  CopySafetyTest() : fs(NewPosixPlatform(sandbox.Config())) {}
  ~CopySafetyTest() override { SetCopyChunkHookForTesting(nullptr); }


  Sandbox sandbox;
  std::unique_ptr<Platform> fs;
};

TEST_F(CopySafetyTest, ASourceChangingMidCopyIsReadAgainOnceThenRefusedWithTheOldTargetKept) {
  sandbox.WriteFile("C:\\log.txt", "first state");
  sandbox.WriteFile("D:\\log.txt", "old target");
  int writes = 1;
  SetCopyChunkHookForTesting([&](std::uint64_t, std::uint64_t) {
    if (writes-- > 0) sandbox.WriteFile("C:\\log.txt", "second state, longer");
    return 0;
  });
  ASSERT_TRUE(fs->CopyFile("C:\\log.txt", "D:\\log.txt").ok());
  EXPECT_EQ(sandbox.ReadFile("D:\\log.txt"), "second state, longer");

  int n = 0;
  SetCopyChunkHookForTesting([&](std::uint64_t done, std::uint64_t) {
    if (done == 0) sandbox.WriteFile("C:\\log.txt", "state " + std::to_string(++n));
    return 0;
  });
  EXPECT_FALSE(fs->CopyFile("C:\\log.txt", "D:\\log.txt").ok());
  EXPECT_EQ(n, 2);
  EXPECT_EQ(sandbox.ReadFile("D:\\log.txt"), "second state, longer");
  EXPECT_EQ(sandbox.HostNames("D:\\"), std::vector<std::string>{"log.txt"});
}

TEST_F(CopySafetyTest, OwnerAndGroupGoWithTheCopyAndTheBackupWhenPrivileged) {
  if (geteuid() != 0) GTEST_SKIP() << "only root may give files away";
  sandbox.WriteFile("C:\\f.txt", "new");
  sandbox.WriteFile("D:\\f.txt", "old");
  ASSERT_EQ(chown(sandbox.HostPath("C:\\f.txt").c_str(), 1234, 5678), 0);
  ASSERT_EQ(chown(sandbox.HostPath("D:\\f.txt").c_str(), 4321, 8765), 0);
  bool backup_failed = false;
  ASSERT_TRUE(fs->CopyFileWithBackup("C:\\f.txt", "D:\\f.txt", "D:\\f.~tx", &backup_failed).ok());
  struct stat st;
  ASSERT_EQ(lstat(sandbox.HostPath("D:\\f.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 1234u);
  EXPECT_EQ(st.st_gid, 5678u);
  ASSERT_EQ(lstat(sandbox.HostPath("D:\\f.~tx").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 4321u);
}

// The temporary-file name of another process, which stays alive until
// Release (or is gone already when it ended at once).
class OtherRun {
 public:
  explicit OtherRun(bool stay) {
    int to_child[2];
    int from_child[2];
    if (pipe(to_child) != 0 || pipe(from_child) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(to_child[1]);
      close(from_child[0]);
      const std::string name = TemporaryNameTemplate();
      (void)!write(from_child[1], name.data(), name.size());
      close(from_child[1]);
      char c;
      if (stay) (void)!read(to_child[0], &c, 1);
      _exit(0);
    }
    close(from_child[1]);
    close(to_child[0]);
    release_ = to_child[1];
    char buffer[256];
    const ssize_t n = read(from_child[0], buffer, sizeof buffer);
    close(from_child[0]);
    if (n > 6) name_.assign(buffer, static_cast<std::size_t>(n) - 6);
    if (!stay) Release();
  }
  ~OtherRun() { Release(); }
  void Release() {
    if (release_ >= 0) close(release_);
    release_ = -1;
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  std::string Name(const char* tail) const { return name_ + tail; }

 private:
  pid_t pid_ = -1;
  int release_ = -1;
  std::string name_;
};

TEST_F(CopySafetyTest, LeftoversOfDeadRunsGoWhenTheirDirectoryIsListedOrRemovedThoseOfLiveRunsStay) {
  OtherRun dead(false);
  OtherRun live(true);
  const std::string own = TemporaryNameTemplate().substr(0, TemporaryNameTemplate().size() - 6) + "own001";
  sandbox.WriteFile("D:\\keep.txt", "x");
  for (const std::string& name : {dead.Name("dead01"), live.Name("live01"), own}) {
    ASSERT_FALSE(name.empty());
    sandbox.WriteFile("D:\\" + name, "partial");
  }
  std::unique_ptr<DirSearch> search;
  ASSERT_TRUE(fs->FindFirst("D:\\*.*", kMaskEverything, &search).ok());
  FindData entry;
  std::vector<std::string> listed;
  while (search->Next(&entry)) listed.push_back(entry.name);
  EXPECT_EQ(listed, std::vector<std::string>{"keep.txt"});
  EXPECT_FALSE(sandbox.Exists("D:\\" + dead.Name("dead01")));
  EXPECT_TRUE(sandbox.Exists("D:\\" + live.Name("live01")));
  EXPECT_TRUE(sandbox.Exists("D:\\" + own));

  // A directory holding only a leftover can be removed; one whose run is
  // still going cannot, until that run has ended.
  sandbox.WriteFile("D:\\sub\\" + live.Name("live02"), "partial");
  EXPECT_EQ(fs->RemoveDirectory("D:\\sub").code(), Status::Code::kNotEmpty);
  live.Release();
  EXPECT_TRUE(fs->RemoveDirectory("D:\\sub").ok());
}

}  // namespace
}  // namespace velqo
