#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/posix/posix_platform.h"
#include "tests/support/sandbox.h"

namespace velqo {
namespace {

using testing::Sandbox;

class PlatformFileIoTest : public ::testing::Test {
 protected:
  PlatformFileIoTest() : fs(NewPosixPlatform(sandbox.Config())) {}

  static FileAccess NoLink(std::uint64_t max_size = UINT64_MAX) {
    FileAccess access;
    access.follow_link = false;
    access.max_size = max_size;
    return access;
  }
  void Link(const std::string& target_windows, const std::string& link_windows) {
    ASSERT_EQ(symlink(sandbox.HostPath(target_windows).c_str(),
                      sandbox.HostPath(link_windows).c_str()),
              0);
  }

  Sandbox sandbox;
  std::unique_ptr<Platform> fs;
};

TEST_F(PlatformFileIoTest, ReadsUpToTheBoundAndRefusesOneByteMore) {
  sandbox.WriteFile("C:\\f", std::string(1000, 'x'));
  std::string bytes = "untouched";
  EXPECT_TRUE(fs->ReadFile("C:\\f", &bytes, NoLink(1000)).ok());
  EXPECT_EQ(bytes.size(), 1000u);
  bytes = "untouched";
  EXPECT_EQ(fs->ReadFile("C:\\f", &bytes, NoLink(999)).code(), Status::Code::kTooLarge);
  EXPECT_EQ(bytes, "untouched");
  // A sparse giant is refused from its size alone.
  ASSERT_EQ(truncate(sandbox.HostPath("C:\\f").c_str(), off_t{1} << 40), 0);
  EXPECT_EQ(fs->ReadFile("C:\\f", &bytes, NoLink(1 << 20)).code(), Status::Code::kTooLarge);
}

TEST_F(PlatformFileIoTest, NoLinkAccessNeverReadsOrWritesThroughALink) {
  sandbox.WriteFile("E:\\victim", "precious");
  Link("E:\\victim", "C:\\OPTIONS.UPD");
  std::string bytes;
  EXPECT_EQ(fs->ReadFile("C:\\OPTIONS.UPD", &bytes, NoLink()).code(), Status::Code::kAccessDenied);
  for (WriteMode mode : {WriteMode::kAppend, WriteMode::kTruncate, WriteMode::kReplaceAtomically}) {
    EXPECT_EQ(fs->WriteFile("C:\\OPTIONS.UPD", "[WINVELQO]\r\n", mode, NoLink()).code(),
              Status::Code::kAccessDenied);
  }
  EXPECT_EQ(sandbox.ReadFile("E:\\victim"), "precious");
  struct stat st {};
  ASSERT_EQ(lstat(sandbox.HostPath("C:\\OPTIONS.UPD").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  // A dangling link is not a way to create a file elsewhere either.
  Link("E:\\new", "C:\\LOG.TXT");
  EXPECT_FALSE(fs->WriteFile("C:\\LOG.TXT", "line\r\n", WriteMode::kAppend, NoLink()).ok());
  EXPECT_FALSE(sandbox.Exists("E:\\new"));
  // The program's own files may be a user's linked dotfiles.
  EXPECT_TRUE(fs->ReadFile("C:\\OPTIONS.UPD", &bytes).ok());
  EXPECT_EQ(bytes, "precious");
}

// Lines of a log go to the file its name leads to at each line, whatever
// became of the file the lines before went to.
TEST_F(PlatformFileIoTest, AppendsFollowTheNameNotTheFileWrittenBefore) {
  const auto append = [&](const std::string& line) {
    return fs->WriteFile("C:\\LOG.TXT", line, WriteMode::kAppend, NoLink());
  };
  ASSERT_TRUE(append("1\n").ok());
  ASSERT_TRUE(append("2\n").ok());
  ASSERT_EQ(rename(sandbox.HostPath("C:\\LOG.TXT").c_str(), sandbox.HostPath("C:\\OLD.TXT").c_str()), 0);
  ASSERT_TRUE(append("3\n").ok());
  EXPECT_EQ(sandbox.ReadFile("C:\\OLD.TXT"), "1\n2\n");
  EXPECT_EQ(sandbox.ReadFile("C:\\LOG.TXT"), "3\n");
  // Replaced by a link after a line went to it: refused, nothing written
  // through the link.
  sandbox.WriteFile("E:\\victim", "precious");
  ASSERT_EQ(unlink(sandbox.HostPath("C:\\LOG.TXT").c_str()), 0);
  Link("E:\\victim", "C:\\LOG.TXT");
  EXPECT_EQ(append("4\n").code(), Status::Code::kAccessDenied);
  EXPECT_EQ(sandbox.ReadFile("E:\\victim"), "precious");
  // Removed: the next line starts a new file.
  ASSERT_EQ(unlink(sandbox.HostPath("C:\\LOG.TXT").c_str()), 0);
  ASSERT_TRUE(append("5\n").ok());
  EXPECT_EQ(sandbox.ReadFile("C:\\LOG.TXT"), "5\n");
}

}  // namespace
}  // namespace velqo
