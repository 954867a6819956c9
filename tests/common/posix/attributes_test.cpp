#include <sys/stat.h>
#include <sys/xattr.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/platform/platform_ops.h"
#include "common/posix/posix_platform.h"
#include "tests/common/posix/xattr_probe.h"
#include "tests/support/sandbox.h"

namespace velqo {
namespace {

using testing::Sandbox;

constexpr const char* kXattr = "user.velqo.attrib";

class PlatformAttributesTest : public ::testing::Test {
 protected:
  PlatformAttributesTest() : fs(NewPosixPlatform(sandbox.Config())) {}

  std::uint32_t Attributes(const std::string& path) {
    std::uint32_t a = 0;
    const Status st = fs->GetAttributes(path, &a);
    EXPECT_TRUE(st.ok()) << path << ": " << st.ToString();
    return a;
  }
  mode_t Mode(const std::string& windows) {
    struct stat st;
    EXPECT_EQ(lstat(sandbox.HostPath(windows).c_str(), &st), 0);
    return st.st_mode & 0777;
  }
  bool HasStoredValue(const std::string& windows) {
    char buffer[32];
    return lgetxattr(sandbox.HostPath(windows).c_str(), kXattr, buffer, sizeof buffer) >= 0;
  }

  Sandbox sandbox;
  std::unique_ptr<Platform> fs;
};

TEST_F(PlatformAttributesTest, NewFilesAreArchiveAndDirectoriesPlain) {
  sandbox.WriteFile("C:\\f.txt", "x");
  sandbox.MakeDir("C:\\Dir");
  sandbox.MakeDir("C:\\.hidden_dir");
  EXPECT_EQ(Attributes("C:\\f.txt"), kAttrArchive);
  EXPECT_EQ(Attributes("C:\\Dir"), kAttrDirectory);
  EXPECT_EQ(Attributes("C:\\.hidden_dir"), kAttrDirectory | kAttrHidden);
  EXPECT_EQ(Attributes("C:\\"), kAttrDirectory);
  std::uint32_t a = 0;
  EXPECT_EQ(fs->GetAttributes("C:\\missing", &a).code(), Status::Code::kFileNotFound);
  EXPECT_EQ(fs->GetAttributes("C:\\missing\\deeper", &a).code(), Status::Code::kPathNotFound);
}

TEST_F(PlatformAttributesTest, ReadOnlyIsTheOwnerWriteBit) {
  sandbox.WriteFile("C:\\ro.txt", "x");
  chmod(sandbox.HostPath("C:\\ro.txt").c_str(), 0664);
  ASSERT_TRUE(fs->SetAttributes("C:\\ro.txt", kAttrReadOnly | kAttrArchive).ok());
  EXPECT_EQ(Mode("C:\\ro.txt"), 0444u);  // every write bit cleared
  EXPECT_EQ(Attributes("C:\\ro.txt"), kAttrReadOnly | kAttrArchive);
  ASSERT_TRUE(fs->SetAttributes("C:\\ro.txt", kAttrArchive).ok());
  EXPECT_EQ(Mode("C:\\ro.txt"), 0644u);  // the owner may write again
  EXPECT_EQ(Attributes("C:\\ro.txt"), kAttrArchive);
}

TEST_F(PlatformAttributesTest, StoresFlagsOnlyWhenTheyDifferFromTheDefault) {
  sandbox.WriteFile("C:\\a.bin", "x");
  if (!StoresExtendedAttributes(sandbox.DriveDir('C'))) {
    // Nowhere to keep them: the caller must hear that it failed.
    EXPECT_EQ(fs->SetAttributes("C:\\a.bin", kAttrHidden).code(), Status::Code::kNotSupported);
    EXPECT_TRUE(fs->SetAttributes("C:\\a.bin", kAttrArchive | kAttrReadOnly).ok());
    EXPECT_EQ(Attributes("C:\\a.bin"), kAttrArchive | kAttrReadOnly);
    return;
  }
  ASSERT_TRUE(fs->SetAttributes("C:\\a.bin", kAttrHidden | kAttrSystem).ok());
  EXPECT_EQ(Attributes("C:\\a.bin"), kAttrHidden | kAttrSystem);
  EXPECT_TRUE(HasStoredValue("C:\\a.bin"));
  ASSERT_TRUE(fs->SetAttributes("C:\\a.bin", kAttrNormal).ok());
  EXPECT_EQ(Attributes("C:\\a.bin"), kAttrNormal);  // archive cleared: nothing left
  ASSERT_TRUE(fs->SetAttributes("C:\\a.bin", kAttrArchive).ok());
  EXPECT_FALSE(HasStoredValue("C:\\a.bin"));
  EXPECT_EQ(Attributes("C:\\a.bin"), kAttrArchive);

  sandbox.MakeDir("C:\\D");
  ASSERT_TRUE(fs->SetAttributes("C:\\D", kAttrArchive).ok());
  EXPECT_EQ(Attributes("C:\\D"), kAttrDirectory | kAttrArchive);
  ASSERT_TRUE(fs->SetAttributes("C:\\D", 0).ok());
  EXPECT_FALSE(HasStoredValue("C:\\D"));
}

TEST_F(PlatformAttributesTest, DotNamesStayHiddenWithoutFailing) {
  sandbox.WriteFile("C:\\.profile", "x");
  ASSERT_TRUE(fs->SetAttributes("C:\\.profile", kAttrArchive).ok());
  EXPECT_EQ(Attributes("C:\\.profile"), kAttrHidden | kAttrArchive);
  EXPECT_FALSE(HasStoredValue("C:\\.profile"));
  if (!StoresExtendedAttributes(sandbox.DriveDir('C'))) return;
  // Nonsense stored by someone else reads as the default.
  ASSERT_EQ(lsetxattr(sandbox.HostPath("C:\\.profile").c_str(), kXattr, "junk", 4, 0), 0);
  EXPECT_EQ(Attributes("C:\\.profile"), kAttrHidden | kAttrArchive);
}

TEST_F(PlatformAttributesTest, LinksCarryNoFlagsOfTheirOwn) {
  ASSERT_EQ(symlink("target", sandbox.HostPath("C:\\link").c_str()), 0);
  EXPECT_TRUE(fs->SetAttributes("C:\\link", kAttrArchive).ok());
  EXPECT_EQ(fs->SetAttributes("C:\\link", kAttrSystem).code(), Status::Code::kNotSupported);
  EXPECT_EQ(Attributes("C:\\link"), kAttrReparsePoint);
}

// The program and its tests run as root, where permission bits stop nothing.
TEST_F(PlatformAttributesTest, WindowsRulesHoldEvenForRoot) {
  sandbox.WriteFile("C:\\src.txt", "new");
  sandbox.WriteFile("C:\\ro.txt", "old");
  sandbox.SetReadOnly("C:\\ro.txt", true);
  EXPECT_EQ(fs->CopyFile("C:\\src.txt", "C:\\ro.txt").code(), Status::Code::kAccessDenied);
  EXPECT_EQ(sandbox.ReadFile("C:\\ro.txt"), "old");
  EXPECT_EQ(fs->DeleteFile("C:\\ro.txt").code(), Status::Code::kAccessDenied);
  EXPECT_EQ(fs->OpenReadWrite("C:\\ro.txt").code(), Status::Code::kAccessDenied);
  EXPECT_EQ(fs->WriteFile("C:\\ro.txt", "x", WriteMode::kReplaceAtomically).code(), Status::Code::kAccessDenied);
  EXPECT_TRUE(sandbox.Exists("C:\\ro.txt"));
  EXPECT_TRUE(fs->OpenReadWrite("C:\\src.txt").ok());

  sandbox.WriteFile("C:\\.hidden.txt", "old");
  sandbox.WriteFile("C:\\hidden.txt", "old");
  if (StoresExtendedAttributes(sandbox.DriveDir('C'))) {
    ASSERT_TRUE(fs->SetAttributes("C:\\hidden.txt", kAttrHidden).ok());
  }
  EXPECT_TRUE(fs->CopyFile("C:\\src.txt", "C:\\.hidden.txt").ok());
  EXPECT_TRUE(fs->CopyFile("C:\\src.txt", "C:\\hidden.txt").ok());
  EXPECT_EQ(sandbox.ReadFile("C:\\hidden.txt"), "new");

  EXPECT_EQ(fs->MoveFile("C:\\src.txt", "C:\\HIDDEN.txt").code(), Status::Code::kAlreadyExists);
  EXPECT_EQ(sandbox.ReadFile("C:\\hidden.txt"), "new");
  EXPECT_TRUE(fs->MoveFile("C:\\src.txt", "C:\\SRC.txt").ok());  // a change of case only
  EXPECT_TRUE(sandbox.Exists("C:\\SRC.txt"));

  sandbox.WriteFile("C:\\Full\\inside", "i");
  EXPECT_EQ(fs->RemoveDirectory("C:\\Full").code(), Status::Code::kNotEmpty);
  EXPECT_EQ(fs->CreateDirectory("C:\\SRC.txt").code(), Status::Code::kAlreadyExists);
  EXPECT_EQ(fs->CreateDirectory("c:\\src.TXT").code(), Status::Code::kAlreadyExists);
  EXPECT_EQ(fs->CreateNewFile("C:\\src.txt").code(), Status::Code::kAlreadyExists);
  EXPECT_EQ(fs->DeleteFile("C:\\Full").code(), Status::Code::kAccessDenied);
  EXPECT_EQ(fs->CreateDirectory("C:\\No\\Parent").code(), Status::Code::kPathNotFound);
}

TEST_F(PlatformAttributesTest, DeletesAndRenamesActOnTheLinkNotItsTarget) {
  sandbox.WriteFile("C:\\target.txt", "keep me");
  sandbox.SetReadOnly("C:\\target.txt", true);
  ASSERT_EQ(symlink(sandbox.HostPath("C:\\target.txt").c_str(), sandbox.HostPath("C:\\link").c_str()), 0);
  EXPECT_TRUE(fs->OpenReadWrite("C:\\link").ok());
  ASSERT_TRUE(fs->MoveFile("C:\\link", "C:\\renamed").ok());
  ASSERT_TRUE(fs->DeleteFile("C:\\renamed").ok());
  EXPECT_FALSE(sandbox.Exists("C:\\renamed"));
  EXPECT_EQ(sandbox.ReadFile("C:\\target.txt"), "keep me");
}

}  // namespace
}  // namespace velqo
