#include <fcntl.h>
#include <acl/libacl.h>
#include <sys/acl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <grp.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "common/posix/posix_platform.h"
#include "tests/common/posix/xattr_probe.h"
#include "tests/support/sandbox.h"

namespace velqo {
namespace {

using testing::Sandbox;

class MetadataTest : public ::testing::Test {
 protected:
  MetadataTest() : fs(NewPosixPlatform(sandbox.Config())) {}

  std::string Host(const std::string& windows) const { return sandbox.HostPath(windows); }
  struct stat Lstat(const std::string& windows) const {
    struct stat st {};
    EXPECT_EQ(lstat(Host(windows).c_str(), &st), 0) << windows;
    return st;
  }
  void SetXattr(const std::string& windows, const char* name, const std::string& value) const {
    ASSERT_EQ(lsetxattr(Host(windows).c_str(), name, value.data(), value.size(), 0), 0) << name;
  }
  std::string Xattr(const std::string& windows, const char* name) const {
    char buffer[256];
    const ssize_t n = lgetxattr(Host(windows).c_str(), name, buffer, sizeof buffer);
    return n < 0 ? std::string("<none>") : std::string(buffer, static_cast<std::size_t>(n));
  }
  bool SetAcl(const std::string& windows, acl_type_t type, const char* text) const {
    const acl_t acl = acl_from_text(text);
    const bool ok = acl != nullptr && acl_set_file(Host(windows).c_str(), type, acl) == 0;
    if (acl != nullptr) acl_free(acl);
    return ok;
  }
  std::string Acl(const std::string& windows, acl_type_t type) const {
    const acl_t acl = acl_get_file(Host(windows).c_str(), type);
    if (acl == nullptr) return "<none>";
    char* text = acl_to_any_text(acl, nullptr, ',', 0);
    std::string result = text != nullptr ? text : "";
    acl_free(text);
    acl_free(acl);
    return result;
  }
  void SetMtime(const std::string& windows, long seconds, long nanoseconds) const {
    const struct timespec times[2] = {{seconds, 0}, {seconds, nanoseconds}};
    ASSERT_EQ(utimensat(AT_FDCWD, Host(windows).c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
  }
  bool Root() const { return geteuid() == 0; }

  Sandbox sandbox;
  std::unique_ptr<Platform> fs;
};

TEST_F(MetadataTest, NewDirectoryIsPrivateDuringTheRunAndGetsItsModelsMetadataAtTheEnd) {
  sandbox.MakeDir("C:\\Private");
  sandbox.MakeDir("C:\\Shared");
  ASSERT_EQ(chmod(Host("C:\\Private").c_str(), 0750), 0);
  ASSERT_EQ(chmod(Host("C:\\Shared").c_str(), 02775 | S_ISVTX), 0);
  if (Root()) {
    ASSERT_EQ(chown(Host("C:\\Private").c_str(), 1234, 5678), 0);
  }
  const bool xattrs = StoresExtendedAttributes(sandbox.DriveDir('C'));
  if (xattrs) {
    SetXattr("C:\\Private", "user.origin", "scan");
    SetXattr("C:\\Private", "user.velqo.backup", "someone's");
  }
  sandbox.WriteFile("C:\\Private\\a.txt", "a");
  SetMtime("C:\\Private", 1500000000, 250);

  ASSERT_TRUE(fs->CreateDirectoryLike("D:\\Private", "C:\\Private").ok());
  ASSERT_TRUE(fs->CreateDirectoryLike("D:\\Shared", "C:\\Shared").ok());
  EXPECT_EQ(Lstat("D:\\Private").st_mode & 07777, 0700u);
  EXPECT_EQ(Lstat("D:\\Shared").st_mode & 07777, 0700u);
  // Its content arrives after it was made, and changes its time.
  ASSERT_TRUE(fs->CreateDirectoryLike("D:\\Private\\Inner", "C:\\Private").ok());
  ASSERT_TRUE(fs->CopyFile("C:\\Private\\a.txt", "D:\\Private\\a.txt").ok());
  ASSERT_TRUE(fs->EndOfRun().ok());

  const struct stat made = Lstat("D:\\Private");
  EXPECT_EQ(made.st_mode & 07777, 0750u);
  EXPECT_EQ(Lstat("D:\\Shared").st_mode & 07777, 02775u | S_ISVTX);
  EXPECT_EQ(made.st_mtim.tv_sec, 1500000000);
  EXPECT_EQ(made.st_mtim.tv_nsec, 250);
  if (Root()) {
    EXPECT_EQ(made.st_uid, 1234u);
    EXPECT_EQ(made.st_gid, 5678u);
  }
  if (xattrs) {
    EXPECT_EQ(Xattr("D:\\Private", "user.origin"), "scan");
    EXPECT_EQ(Xattr("D:\\Private", "user.velqo.backup"), "<none>");
  }
}

TEST_F(MetadataTest, ExistingDirectoryFollowsItsModelAndAReplacedOneIsLeftAlone) {
  sandbox.MakeDir("C:\\A");
  sandbox.MakeDir("D:\\A");
  sandbox.MakeDir("D:\\B");
  sandbox.MakeDir("C:\\B");
  ASSERT_EQ(chmod(Host("C:\\A").c_str(), 0711), 0);
  ASSERT_EQ(chmod(Host("D:\\A").c_str(), 0777), 0);
  ASSERT_EQ(chmod(Host("C:\\B").c_str(), 0700), 0);
  ASSERT_EQ(chmod(Host("D:\\B").c_str(), 0755), 0);
  SetMtime("C:\\A", 1400000000, 0);
  ASSERT_TRUE(fs->MatchDirectory("C:\\A", "D:\\A").ok());
  ASSERT_TRUE(fs->MatchDirectory("C:\\B", "D:\\B").ok());
  // Someone else's directory under the name by the end: never touched.
  ASSERT_EQ(rmdir(Host("D:\\B").c_str()), 0);
  ASSERT_EQ(mkdir(Host("D:\\B").c_str(), 0755), 0);
  ASSERT_TRUE(fs->EndOfRun().ok());
  EXPECT_EQ(Lstat("D:\\A").st_mode & 07777, 0711u);
  EXPECT_EQ(Lstat("D:\\A").st_mtim.tv_sec, 1400000000);
  EXPECT_EQ(Lstat("D:\\B").st_mode & 07777, 0755u);
}

TEST_F(MetadataTest, CopyKeepsSpecialBitsOwnerAttributesAndAcls) {
  if (!Root()) GTEST_SKIP() << "owners and setuid of other users need root";
  sandbox.WriteFile("C:\\tool", "#!/bin/sh\n");
  ASSERT_EQ(chown(Host("C:\\tool").c_str(), 1234, 5678), 0);
  ASSERT_EQ(chmod(Host("C:\\tool").c_str(), 06755), 0);
  const bool xattrs = StoresExtendedAttributes(sandbox.DriveDir('C'));
  if (xattrs) {
    SetXattr("C:\\tool", "user.comment", "keep me");
    SetXattr("C:\\tool", "trusted.note", "root only");
    SetXattr("C:\\tool", "user.velqo.backup", "mark");
  }
  const bool acls = SetAcl("C:\\tool", ACL_TYPE_ACCESS, "u::rwx,u:4321:r-x,g::r-x,m::r-x,o::r-x");
  ASSERT_TRUE(fs->CopyFile("C:\\tool", "D:\\tool").ok());
  ASSERT_TRUE(fs->EndOfRun().ok());
  const struct stat copied = Lstat("D:\\tool");
  EXPECT_EQ(copied.st_uid, 1234u);
  EXPECT_EQ(copied.st_gid, 5678u);
  EXPECT_EQ(copied.st_mode & 07777, 06755u);
  if (xattrs) {
    EXPECT_EQ(Xattr("D:\\tool", "user.comment"), "keep me");
    EXPECT_EQ(Xattr("D:\\tool", "trusted.note"), "root only");
    EXPECT_EQ(Xattr("D:\\tool", "user.velqo.backup"), "<none>");
  }
  if (acls) {
    EXPECT_EQ(Acl("D:\\tool", ACL_TYPE_ACCESS), Acl("C:\\tool", ACL_TYPE_ACCESS));
  }
  EXPECT_TRUE(fs->TakeNotKept().empty());
}

// What an ordinary user's copy keeps of another user's setuid file, run
// in a child that has given up root.
TEST_F(MetadataTest, WithoutRootTheOwnerIsNotKeptAndNeitherAreTheSpecialBits) {
  if (!Root()) GTEST_SKIP() << "needs root to make another user's file and to become that user";
  constexpr uid_t kUser = 65534;
  sandbox.WriteFile("C:\\tool", "#!/bin/sh\n");
  sandbox.WriteFile("C:\\mine", "mine");
  ASSERT_EQ(chown(Host("C:\\tool").c_str(), 1234, 5678), 0);
  ASSERT_EQ(chmod(Host("C:\\tool").c_str(), 06755), 0);
  ASSERT_EQ(chown(Host("C:\\mine").c_str(), kUser, kUser), 0);
  ASSERT_EQ(chmod(Host("C:\\mine").c_str(), 02750), 0);
  for (const std::string& dir : {sandbox.root(), sandbox.DriveDir('C'), sandbox.DriveDir('D')}) {
    ASSERT_EQ(chmod(dir.c_str(), 0777), 0);
  }
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setgroups(0, nullptr) != 0 || setgid(kUser) != 0 || setuid(kUser) != 0) _exit(10);
    const std::unique_ptr<Platform> user_fs = NewPosixPlatform(sandbox.Config());
    if (!user_fs->CopyFile("C:\\tool", "D:\\tool").ok()) _exit(11);
    if (!user_fs->CopyFile("C:\\mine", "D:\\mine").ok()) _exit(12);
    if (!user_fs->EndOfRun().ok()) _exit(13);
    const std::vector<std::string> notes = user_fs->TakeNotKept();
    const bool owners = std::find(notes.begin(), notes.end(), "owners not kept: not running as root") != notes.end();
    const bool groups =
        std::find(notes.begin(), notes.end(), "groups not kept: not a member of the group") != notes.end();
    _exit(owners && groups && notes.size() == 2 ? 0 : 14);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  const struct stat tool = Lstat("D:\\tool");
  EXPECT_EQ(tool.st_uid, kUser);
  EXPECT_EQ(tool.st_mode & 07777, 0755u);
  // The user's own file keeps its setgid bit with its owner and group.
  const struct stat mine = Lstat("D:\\mine");
  EXPECT_EQ(mine.st_gid, kUser);
  EXPECT_EQ(mine.st_mode & 07777, 02750u);
}

TEST_F(MetadataTest, AttributesAndAclsStayOutWhenTurnedOff) {
  const bool xattrs = StoresExtendedAttributes(sandbox.DriveDir('C'));
  sandbox.WriteFile("C:\\f.txt", "x");
  if (xattrs) SetXattr("C:\\f.txt", "user.comment", "x");
  const bool acls = SetAcl("C:\\f.txt", ACL_TYPE_ACCESS, "u::rw-,u:4321:rw-,g::r--,m::rw-,o::r--");
  if (!xattrs && !acls) GTEST_SKIP() << "the file system keeps neither attributes nor ACLs";
  fs->SetCopyFidelity(CopyFidelity{false, false, false});
  ASSERT_TRUE(fs->CopyFile("C:\\f.txt", "D:\\f.txt").ok());
  EXPECT_EQ(Xattr("D:\\f.txt", "user.comment"), "<none>");
  EXPECT_EQ(Xattr("D:\\f.txt", "system.posix_acl_access"), "<none>");
}

TEST_F(MetadataTest, AcopyInADirectoryWithDefaultAclHasTheSourcesAclOnly) {
  sandbox.WriteFile("C:\\plain.txt", "p");
  sandbox.MakeDir("D:\\Inherits");
  if (!SetAcl("D:\\Inherits", ACL_TYPE_DEFAULT, "u::rwx,u:4321:rwx,g::r-x,m::rwx,o::r-x")) {
    GTEST_SKIP() << "the file system keeps no ACLs";
  }
  ASSERT_TRUE(fs->CopyFile("C:\\plain.txt", "D:\\Inherits\\plain.txt").ok());
  EXPECT_EQ(Xattr("D:\\Inherits\\plain.txt", "system.posix_acl_access"), "<none>");
}

TEST_F(MetadataTest, HolesAreKeptAndTheDataIsExact) {
  const std::string host = Host("C:\\disk.img");
  const int fd = open(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  const off_t size = 64L << 20;
  ASSERT_EQ(pwrite(fd, "head", 4, 0), 4);
  ASSERT_EQ(pwrite(fd, "middle", 6, size / 2), 6);
  ASSERT_EQ(ftruncate(fd, size), 0);  // a hole at the end as well
  close(fd);
  const struct stat source = Lstat("C:\\disk.img");
  if (static_cast<off_t>(source.st_blocks) * 512 >= size) GTEST_SKIP() << "the file system keeps no holes";
  ASSERT_TRUE(fs->CopyFile("C:\\disk.img", "D:\\disk.img").ok());
  const struct stat copied = Lstat("D:\\disk.img");
  EXPECT_EQ(copied.st_size, size);
  EXPECT_LE(copied.st_blocks, source.st_blocks + 64);
  const std::string data = sandbox.ReadFile("D:\\disk.img");
  ASSERT_EQ(data.size(), static_cast<std::size_t>(size));
  EXPECT_EQ(data.substr(0, 4), "head");
  EXPECT_EQ(data.substr(static_cast<std::size_t>(size / 2), 6), "middle");
  EXPECT_EQ(data.find_first_not_of('\0', 4), static_cast<std::size_t>(size / 2));
  EXPECT_EQ(data.find_first_not_of('\0', static_cast<std::size_t>(size / 2) + 6), std::string::npos);
}

TEST_F(MetadataTest, NamesSharingAFileShareOneCopyOnlyWhenAsked) {
  sandbox.MakeDir("C:\\Sub");
  sandbox.MakeDir("D:\\Sub");
  sandbox.WriteFile("C:\\one", "shared data");
  ASSERT_EQ(link(Host("C:\\one").c_str(), Host("C:\\Sub\\two").c_str()), 0);
  ASSERT_TRUE(fs->CopyFile("C:\\one", "D:\\one").ok());
  ASSERT_TRUE(fs->CopyFile("C:\\Sub\\two", "D:\\Sub\\two").ok());
  EXPECT_NE(Lstat("D:\\one").st_ino, Lstat("D:\\Sub\\two").st_ino);

  fs->SetCopyFidelity(CopyFidelity{true, true, true});
  sandbox.WriteFile("D:\\Sub\\two", "an older, other file");
  ASSERT_TRUE(fs->CopyFile("C:\\one", "D:\\one").ok());
  ASSERT_TRUE(fs->CopyFile("C:\\Sub\\two", "D:\\Sub\\two").ok());
  // Once more onto the name that is the first copy already: it still gets
  // its real time at the flush.
  ASSERT_TRUE(fs->CopyFile("C:\\Sub\\two", "D:\\Sub\\two").ok());
  ASSERT_TRUE(fs->EndOfRun().ok());
  EXPECT_EQ(Lstat("D:\\one").st_ino, Lstat("D:\\Sub\\two").st_ino);
  EXPECT_EQ(Lstat("D:\\one").st_nlink, 2u);
  EXPECT_EQ(sandbox.ReadFile("D:\\Sub\\two"), "shared data");
  EXPECT_EQ(Lstat("D:\\Sub\\two").st_mtim.tv_sec, Lstat("C:\\one").st_mtim.tv_sec);
  EXPECT_EQ(sandbox.HostNames("D:\\Sub").size(), 1u);
}

TEST_F(MetadataTest, MetadataAloneIsCarriedWithoutCopyingTheData) {
  sandbox.WriteFile("C:\\f.txt", "same");
  sandbox.WriteFile("D:\\f.txt", "same");
  ASSERT_EQ(chmod(Host("C:\\f.txt").c_str(), 0640), 0);
  ASSERT_EQ(chmod(Host("D:\\f.txt").c_str(), 0666), 0);
  const bool xattrs = StoresExtendedAttributes(sandbox.DriveDir('C'));
  if (xattrs) {
    SetXattr("C:\\f.txt", "user.tag", "new");
    SetXattr("D:\\f.txt", "user.stale", "gone");
    SetXattr("D:\\f.txt", "user.velqo.attrib", "2");
  }
  const struct stat before = Lstat("D:\\f.txt");
  bool carried = false;
  ASSERT_TRUE(fs->MatchMetadata("C:\\f.txt", "D:\\f.txt", &carried).ok());
  EXPECT_TRUE(carried);
  const struct stat after = Lstat("D:\\f.txt");
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  if (xattrs) {
    EXPECT_EQ(Xattr("D:\\f.txt", "user.tag"), "new");
    EXPECT_EQ(Xattr("D:\\f.txt", "user.stale"), "<none>");
    EXPECT_EQ(Xattr("D:\\f.txt", "user.velqo.attrib"), "2");  // the target's own flags
  }
  ASSERT_TRUE(fs->MatchMetadata("C:\\f.txt", "D:\\f.txt", &carried).ok());
  EXPECT_FALSE(carried);
  // Read-only belongs to the target: no metadata change makes it writable.
  ASSERT_EQ(chmod(Host("D:\\f.txt").c_str(), 0440), 0);
  ASSERT_TRUE(fs->MatchMetadata("C:\\f.txt", "D:\\f.txt", &carried).ok());
  EXPECT_FALSE(carried);
  EXPECT_EQ(Lstat("D:\\f.txt").st_mode & 07777, 0440u);
}

TEST_F(MetadataTest, PipesAndDevicesAreMadeAnewAndSocketsNamedOnce) {
  sandbox.MakeDir("C:\\Special");
  sandbox.MakeDir("D:\\Special");
  ASSERT_EQ(mkfifo(Host("C:\\Special\\pipe").c_str(), 0640), 0);
  SetMtime("C:\\Special\\pipe", 1500000000, 7);
  const bool root = Root();
  if (root) {
    ASSERT_EQ(mknod(Host("C:\\Special\\null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
  }
  const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  struct sockaddr_un address {};
  address.sun_family = AF_UNIX;
  const std::string sock_path = Host("C:\\Special\\sock");
  ASSERT_LT(sock_path.size(), sizeof address.sun_path);
  std::copy(sock_path.begin(), sock_path.end(), address.sun_path);
  ASSERT_EQ(bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

  for (int pass = 0; pass < 2; ++pass) {
    std::unique_ptr<DirSearch> search;
    ASSERT_TRUE(fs->FindFirst("C:\\Special\\*.*", kMaskAllFiles, &search).ok());
    std::vector<std::string> names;
    for (FindData entry; search->Next(&entry);) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    const std::vector<std::string> expected = root ? std::vector<std::string>{"null", "pipe"}
                                                   : std::vector<std::string>{"pipe"};
    EXPECT_EQ(names, expected);
  }
  const std::vector<std::string> notes = fs->TakeNotKept();
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("socket left out: "), std::string::npos) << notes[0];
  EXPECT_NE(notes[0].find("/Special/sock"), std::string::npos) << notes[0];
  close(sock);

  ASSERT_TRUE(fs->CopyFile("C:\\Special\\pipe", "D:\\Special\\pipe").ok());
  const struct stat pipe = Lstat("D:\\Special\\pipe");
  EXPECT_TRUE(S_ISFIFO(pipe.st_mode));
  EXPECT_EQ(pipe.st_mode & 07777, 0640u);
  EXPECT_EQ(pipe.st_mtim.tv_sec, 1500000000);
  EXPECT_EQ(pipe.st_mtim.tv_nsec, 7);
  // Over an existing pipe as well, and the attributes settle on it.
  ASSERT_TRUE(fs->CopyFile("C:\\Special\\pipe", "D:\\Special\\pipe").ok());
  EXPECT_TRUE(fs->SetAttributes("D:\\Special\\pipe", kAttrArchive).ok());
  if (root) {
    ASSERT_TRUE(fs->CopyFile("C:\\Special\\null", "D:\\Special\\null").ok());
    const struct stat device = Lstat("D:\\Special\\null");
    EXPECT_TRUE(S_ISCHR(device.st_mode));
    EXPECT_EQ(device.st_rdev, makedev(1, 3));
  }
}

}  // namespace
}  // namespace velqo
