#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/posix/copy_test_seam.h"
#include "common/platform/platform_ops.h"
#include "common/posix/posix_platform.h"
#include "tests/support/sandbox.h"

namespace velqo {
namespace {

using testing::Sandbox;

class PlatformCopyTest : public ::testing::Test {
 protected:
  PlatformCopyTest() : fs(NewPosixPlatform(sandbox.Config())) {}
  ~PlatformCopyTest() override {
    SetCopyChunkHookForTesting(nullptr);
    SetCopyChunkSizeForTesting(0);
  }

  struct stat Lstat(const std::string& windows) {
    struct stat st {};
    EXPECT_EQ(lstat(sandbox.HostPath(windows).c_str(), &st), 0) << windows;
    return st;
  }
  std::uint32_t SearchedTime(const std::string& path) {
    std::unique_ptr<DirSearch> search;
    FindData entry;
    EXPECT_TRUE(fs->FindFirst(path, kMaskAllFiles, &search).ok());
    EXPECT_TRUE(search->Next(&entry));
    return entry.dos_time;
  }
  static std::uint32_t Packed(std::time_t seconds) {
    std::timespec ts{};
    ts.tv_sec = seconds;
    return DosTimeFromTimespec(ts);
  }

  Sandbox sandbox;
  std::unique_ptr<Platform> fs;
};

TEST_F(PlatformCopyTest, CarriesContentsModeAndTimeWhichBecomesRealOnlyAfterTheFlush) {
  sandbox.WriteFile("C:\\tool.sh", "#!/bin/sh\necho hi\n");
  chmod(sandbox.HostPath("C:\\tool.sh").c_str(), 0755);
  const struct timespec times[2] = {{1500000000, 0}, {1600000000, 123456789}};
  ASSERT_EQ(utimensat(AT_FDCWD, sandbox.HostPath("C:\\tool.sh").c_str(), times, 0), 0);
  sandbox.WriteFile("D:\\tool.sh", "old");

  ASSERT_TRUE(fs->CopyFile("C:\\tool.sh", "D:\\tool.sh").ok());
  EXPECT_EQ(sandbox.ReadFile("D:\\tool.sh"), "#!/bin/sh\necho hi\n");
  EXPECT_EQ(Lstat("D:\\tool.sh").st_mode & 0777, 0755u);
  // On disk the copy looks older than its source until its data is durable,
  // so a run interrupted now copies it again; the run itself sees the real time.
  EXPECT_EQ(Lstat("D:\\tool.sh").st_mtim.tv_sec, 1600000000 - 60);
  EXPECT_EQ(SearchedTime("D:\\tool.sh"), Packed(1600000001));

  ASSERT_TRUE(fs->FlushCopies().ok());
  EXPECT_EQ(Lstat("D:\\tool.sh").st_mtim.tv_sec, 1600000000);
  EXPECT_EQ(Lstat("D:\\tool.sh").st_mtim.tv_nsec, 123456789);
  EXPECT_EQ(SearchedTime("D:\\tool.sh"), Packed(1600000001));
}

// The end of a pair flushes only copies that have waited long enough or
// grown many; until their flush they keep looking out of date on disk, and
// each later pair's copies join them.
TEST_F(PlatformCopyTest, CopiesWaitPastTheEndOfTheirPairUntilAFlushIsDue) {
  for (const char* name : {"C:\\a", "C:\\b"}) {
    sandbox.WriteFile(name, "data");
    sandbox.SetMtime(name, 1600000000);
  }
  ASSERT_TRUE(fs->CopyFile("C:\\a", "D:\\a").ok());
  ASSERT_TRUE(fs->EndOfPair().ok());
  ASSERT_TRUE(fs->CopyFile("C:\\b", "E:\\b").ok());
  ASSERT_TRUE(fs->EndOfPair().ok());
  EXPECT_EQ(sandbox.Mtime("D:\\a"), 1600000000 - 60);
  EXPECT_EQ(SearchedTime("D:\\a"), Packed(1600000000));
  // Long enough: the next end of a pair flushes both.
  std::this_thread::sleep_for(std::chrono::milliseconds(2100));
  ASSERT_TRUE(fs->EndOfPair().ok());
  EXPECT_EQ(sandbox.Mtime("D:\\a"), 1600000000);
  EXPECT_EQ(sandbox.Mtime("E:\\b"), 1600000000);
  // Many: a pair of more copies than may wait is flushed at its end.
  for (int i = 0; i < 4100; ++i) {
    const std::string name = "D:\\many\\f" + std::to_string(i);
    sandbox.WriteFile(name, "");
    sandbox.SetMtime(name, 1600000000);
  }
  sandbox.MakeDir("E:\\many");
  for (int i = 0; i < 4100; ++i) {
    ASSERT_TRUE(fs->CopyFile("D:\\many\\f" + std::to_string(i), "E:\\many\\f" + std::to_string(i)).ok());
  }
  EXPECT_EQ(sandbox.Mtime("E:\\many\\f0"), 1600000000 - 60);
  ASSERT_TRUE(fs->EndOfPair().ok());
  EXPECT_EQ(sandbox.Mtime("E:\\many\\f0"), 1600000000);
  EXPECT_EQ(sandbox.Mtime("E:\\many\\f4099"), 1600000000);
}

TEST_F(PlatformCopyTest, ACopyOfAnUnflushedCopyGetsTheOriginalsTime) {
  sandbox.WriteFile("C:\\a", "data");
  sandbox.SetMtime("C:\\a", 1600000000);
  ASSERT_TRUE(fs->CopyFile("C:\\a", "D:\\b").ok());
  ASSERT_TRUE(fs->CopyFile("D:\\b", "E:\\c").ok());
  ASSERT_TRUE(fs->FlushCopies().ok());
  EXPECT_EQ(sandbox.Mtime("D:\\b"), 1600000000);
  EXPECT_EQ(sandbox.Mtime("E:\\c"), 1600000000);
}

TEST_F(PlatformCopyTest, AFailureMidwayLeavesTheOldTargetAndNoTemporaryFile) {
  sandbox.WriteFile("C:\\big", std::string(3 * 4096, 'n'));
  sandbox.WriteFile("D:\\big", "the old target");
  SetCopyChunkSizeForTesting(4096);
  std::vector<std::string> seen_mid_copy;
  int chunks = 0;
  SetCopyChunkHookForTesting([&](std::uint64_t done, std::uint64_t total) {
    EXPECT_EQ(total, 3u * 4096u);
    if (++chunks < 2) return 0;
    EXPECT_EQ(done, 4096u);
    // Nothing of the copy in progress shows in a search.
    std::unique_ptr<DirSearch> search;
    EXPECT_TRUE(fs->FindFirst("D:\\*.*", kMaskEverything, &search).ok());
    FindData entry;
    while (search->Next(&entry)) seen_mid_copy.push_back(entry.name);
    EXPECT_EQ(sandbox.HostNames("D:\\").size(), 2u);  // the temporary file is there
    return ENOSPC;
  });
  const Status st = fs->CopyFile("C:\\big", "D:\\big");
  EXPECT_EQ(st.code(), Status::Code::kNoSpace);
  EXPECT_EQ(seen_mid_copy, std::vector<std::string>{"big"});
  EXPECT_EQ(sandbox.ReadFile("D:\\big"), "the old target");
  EXPECT_EQ(sandbox.HostNames("D:\\"), std::vector<std::string>{"big"});
}

TEST_F(PlatformCopyTest, AbortFromASignalHandlerRemovesTheTemporaryFile) {
  sandbox.WriteFile("C:\\big", std::string(2 * 4096, 'n'));
  SetCopyChunkSizeForTesting(4096);
  SetCopyChunkHookForTesting([&](std::uint64_t done, std::uint64_t) {
    if (done == 0) return 0;
    EXPECT_EQ(sandbox.HostNames("D:\\").size(), 1u);
    AbortCopyInProgress();
    EXPECT_TRUE(sandbox.HostNames("D:\\").empty());
    return EINTR;
  });
  EXPECT_FALSE(fs->CopyFile("C:\\big", "D:\\big").ok());
  EXPECT_TRUE(sandbox.HostNames("D:\\").empty());
  AbortCopyInProgress();  // nothing armed: harmless
}

TEST_F(PlatformCopyTest, ALinkAtTheTargetIsReplacedNeverWrittenThrough) {
  sandbox.WriteFile("C:\\new", "new data");
  sandbox.WriteFile("E:\\victim", "must survive");
  ASSERT_EQ(symlink(sandbox.HostPath("E:\\victim").c_str(), sandbox.HostPath("D:\\planted").c_str()), 0);
  ASSERT_TRUE(fs->CopyFile("C:\\new", "D:\\planted").ok());
  EXPECT_EQ(sandbox.ReadFile("E:\\victim"), "must survive");
  EXPECT_TRUE(S_ISREG(Lstat("D:\\planted").st_mode));
  EXPECT_EQ(sandbox.ReadFile("D:\\planted"), "new data");
}

TEST_F(PlatformCopyTest, ALinkSourceIsCopiedAsALinkWithItsOwnTime) {
  sandbox.WriteFile("C:\\real", "contents");
  ASSERT_EQ(symlink("real", sandbox.HostPath("C:\\link").c_str()), 0);
  const struct timespec times[2] = {{1500000000, 0}, {1500000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, sandbox.HostPath("C:\\link").c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
  ASSERT_TRUE(fs->CopyFile("C:\\link", "D:\\link").ok());
  const struct stat st = Lstat("D:\\link");
  ASSERT_TRUE(S_ISLNK(st.st_mode));
  char text[64] = {};
  ASSERT_EQ(readlink(sandbox.HostPath("D:\\link").c_str(), text, sizeof text - 1), 4);
  EXPECT_STREQ(text, "real");
  EXPECT_EQ(st.st_mtim.tv_sec, 1500000000);
}

TEST_F(PlatformCopyTest, RefusesWhatWouldLoseData) {
  sandbox.WriteFile("C:\\Same.txt", "only copy");
  EXPECT_EQ(fs->CopyFile("C:\\Same.txt", "c:\\same.TXT").code(), Status::Code::kAccessDenied);
  EXPECT_EQ(sandbox.ReadFile("C:\\Same.txt"), "only copy");
  sandbox.MakeDir("D:\\Dir");
  EXPECT_EQ(fs->CopyFile("C:\\Same.txt", "D:\\Dir").code(), Status::Code::kAccessDenied);
  EXPECT_EQ(fs->CopyFile("C:\\Same.txt", "D:\\Missing\\x").code(), Status::Code::kPathNotFound);
  EXPECT_EQ(fs->CopyFile("C:\\None", "D:\\x").code(), Status::Code::kFileNotFound);
  ASSERT_EQ(mkfifo(sandbox.HostPath("C:\\pipe").c_str(), 0644), 0);
  // Made anew, never opened: reading a pipe would hang the copy.
  ASSERT_TRUE(fs->CopyFile("C:\\pipe", "D:\\pipe").ok());
  struct stat pipe {};
  ASSERT_EQ(lstat(sandbox.HostPath("D:\\pipe").c_str(), &pipe), 0);
  EXPECT_TRUE(S_ISFIFO(pipe.st_mode));
}

TEST_F(PlatformCopyTest, LongCopiesReportProgressUpToTheTotal) {
  const std::size_t size = 6u << 20;
  sandbox.WriteFile("C:\\large", std::string(size, 'L'));
  std::vector<std::uint64_t> reports;
  fs->SetCopyProgress([&](std::uint64_t done, std::uint64_t total) {
    EXPECT_EQ(total, size);
    reports.push_back(done);
  });
  ASSERT_TRUE(fs->CopyFile("C:\\large", "D:\\large").ok());
  ASSERT_GE(reports.size(), 2u);
  EXPECT_EQ(reports.back(), size);
  EXPECT_EQ(Lstat("D:\\large").st_size, static_cast<off_t>(size));
}

TEST_F(PlatformCopyTest, CopiesRenamedDeletedOrChangedBeforeTheFlushAreFollowed) {
  for (const char* name : {"C:\\a", "C:\\b", "C:\\c"}) {
    sandbox.WriteFile(name, "data");
    sandbox.SetMtime(name, 1600000000);
  }
  ASSERT_TRUE(fs->CopyFile("C:\\a", "D:\\a").ok());
  ASSERT_TRUE(fs->CopyFile("C:\\b", "D:\\b").ok());
  ASSERT_TRUE(fs->CopyFile("C:\\c", "D:\\c").ok());
  ASSERT_TRUE(fs->MoveFile("D:\\a", "D:\\a.moved").ok());
  ASSERT_TRUE(fs->DeleteFile("D:\\b").ok());
  // Edited by someone else meanwhile: its time is that of the edit.
  sandbox.WriteFile("D:\\c", "edited");
  sandbox.SetMtime("D:\\c", 1700000000);
  EXPECT_EQ(SearchedTime("D:\\c"), Packed(1700000000));
  ASSERT_TRUE(fs->FlushCopies().ok());
  EXPECT_EQ(sandbox.Mtime("D:\\a.moved"), 1600000000);
  EXPECT_EQ(sandbox.Mtime("D:\\c"), 1700000000);
}

}  // namespace
}  // namespace velqo
