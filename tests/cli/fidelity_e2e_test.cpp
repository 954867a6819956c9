// What a backup keeps of a tree's metadata, side by side with rsync -aHAX
// on the same source: modes, owners, times, extended attributes, ACLs,
// hard links and holes.

#include <fcntl.h>
#include <acl/libacl.h>
#include <sys/acl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/child_process.h"
#include "tests/common/posix/xattr_probe.h"
#include "tests/support/sandbox.h"

namespace velqo::cli {
namespace {

namespace fsys = std::filesystem;

std::string Xattrs(const std::string& path) {
  std::vector<char> names(65536);
  const ssize_t n = llistxattr(path.c_str(), names.data(), names.size());
  if (n <= 0) return "";
  std::vector<std::string> sorted;
  for (ssize_t at = 0; at < n;) {
    const std::string name(names.data() + at);
    at += static_cast<ssize_t>(name.size()) + 1;
    // The program's own marks say something about one file, not its data.
    if (name.rfind("user.velqo.", 0) == 0 || name.rfind("system.", 0) == 0) continue;
    char value[4096];
    const ssize_t size = lgetxattr(path.c_str(), name.c_str(), value, sizeof value);
    sorted.push_back(name + "=" + std::string(value, size < 0 ? 0 : static_cast<std::size_t>(size)));
  }
  std::sort(sorted.begin(), sorted.end());
  std::string text;
  for (const auto& item : sorted) text += " " + item;
  return text;
}

std::string AclText(const std::string& path, acl_type_t type) {
  const acl_t acl = acl_get_file(path.c_str(), type);
  if (acl == nullptr) return "-";
  char* text = acl_to_any_text(acl, nullptr, ',', TEXT_NUMERIC_IDS);
  std::string result = text != nullptr ? text : "";
  acl_free(text);
  acl_free(acl);
  return result;
}

// Every entry below root, sorted: type and mode, owner, size, time,
// attributes, ACLs, and which earlier name it shares its inode with.
std::string Describe(const std::string& root) {
  std::vector<std::string> paths{""};
  for (auto it = fsys::recursive_directory_iterator(root); it != fsys::recursive_directory_iterator(); ++it) {
    paths.push_back(it->path().string().substr(root.size()));
  }
  std::sort(paths.begin(), paths.end());
  std::map<ino_t, std::string> first_name;
  std::ostringstream out;
  for (const std::string& rel : paths) {
    const std::string path = root + rel;
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) continue;
    out << (rel.empty() ? "." : rel) << " mode=" << std::oct << st.st_mode << std::dec << " owner=" << st.st_uid
        << ":" << st.st_gid;
    if (!S_ISDIR(st.st_mode)) out << " size=" << st.st_size;
    if (!S_ISLNK(st.st_mode)) {
      out << " mtime=" << st.st_mtim.tv_sec << "." << st.st_mtim.tv_nsec << Xattrs(path)
          << " acl=" << AclText(path, ACL_TYPE_ACCESS);
    }
    if (S_ISDIR(st.st_mode)) out << " default=" << AclText(path, ACL_TYPE_DEFAULT);
    if (S_ISREG(st.st_mode) && st.st_nlink > 1) {
      auto [it, added] = first_name.emplace(st.st_ino, rel);
      out << " linked-with=" << it->second;
    }
    out << "\n";
  }
  return out.str();
}

class FidelityTest : public ::testing::Test {
 protected:
  FidelityTest() {
    program_ = sandbox.ProgramDir() + "/velqo-cli";
    fsys::copy_file(VELQO_CLI_BINARY, program_, fsys::copy_options::overwrite_existing);
    fsys::permissions(program_, fsys::perms::owner_all, fsys::perm_options::add);
  }

  testing::ChildResult Velqo(const std::vector<std::string>& args) {
    const PlatformConfig c = sandbox.Config();
    return testing::RunProgram(program_, args,
                               {"HOME=" + c.home, "XDG_CONFIG_HOME=" + sandbox.ConfigHome(),
                                "VELQO_DRIVES=" + c.velqo_drives, "PATH=/usr/bin:/bin",
                                "TMPDIR=" + sandbox.root(), "LC_ALL=C"},
                               sandbox.root(), "");
  }

  std::string Src(const std::string& rel = "") const { return sandbox.HostPath("C:\\src") + rel; }
  void Write(const std::string& rel, const std::string& data) const {
    sandbox.WriteFile("C:\\src" + rel, data);
  }
  void Mode(const std::string& rel, mode_t mode) const { ASSERT_EQ(chmod(Src(rel).c_str(), mode), 0) << rel; }
  void Time(const std::string& rel, long seconds) const {
    const struct timespec times[2] = {{seconds, 0}, {seconds, 123456789}};
    ASSERT_EQ(utimensat(AT_FDCWD, Src(rel).c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << rel;
  }
  bool Acl(const std::string& rel, acl_type_t type, const char* text) const {
    const acl_t acl = acl_from_text(text);
    const bool ok = acl != nullptr && acl_set_file(Src(rel).c_str(), type, acl) == 0;
    if (acl != nullptr) acl_free(acl);
    return ok;
  }

  // A tree with every kind of metadata the file system and the process
  // can hold; *sparse_size is the apparent size of its sparse file.
  void BuildTree() {
    const bool root = geteuid() == 0;
    sandbox.MakeDir("C:\\src\\private\\deeper");
    sandbox.MakeDir("C:\\src\\team");
    sandbox.MakeDir("C:\\src\\drop");
    Write("\\plain.txt", "plain");
    Write("\\tool", "#!/bin/sh\n");
    Write("\\private\\secret.txt", "secret");
    Write("\\private\\deeper\\note.txt", "note");
    Write("\\team\\shared.txt", "shared");
    ASSERT_EQ(link(Src("/team/shared.txt").c_str(), Src("/private/shared-too.txt").c_str()), 0);
    ASSERT_EQ(symlink("../plain.txt", Src("/team/link").c_str()), 0);
    const int fd = open(Src("/disk.img").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(pwrite(fd, "boot", 4, 0), 4);
    ASSERT_EQ(ftruncate(fd, 32L << 20), 0);
    close(fd);
    Mode("/tool", 04755);
    Mode("/private", 0700);
    Mode("/private/deeper", 0750);
    Mode("/private/secret.txt", 0600);
    Mode("/team", 02775);
    Mode("/drop", 01777);
    if (root) {
      ASSERT_EQ(lchown(Src("/tool").c_str(), 1234, 5678), 0);
      ASSERT_EQ(lchown(Src("/team").c_str(), 0, 5678), 0);
      ASSERT_EQ(lchown(Src("/private/secret.txt").c_str(), 4321, 4321), 0);
      ASSERT_EQ(lchown(Src("/team/link").c_str(), 4321, 4321), 0);
      Mode("/tool", 04755);  // a change of owner clears setuid
      Mode("/team", 02775);
    }
    if (StoresExtendedAttributes(Src())) {
      ASSERT_EQ(lsetxattr(Src("/plain.txt").c_str(), "user.comment", "hello", 5, 0), 0);
      ASSERT_EQ(lsetxattr(Src("/team").c_str(), "user.project", "x", 1, 0), 0);
      if (root) {
        ASSERT_EQ(lsetxattr(Src("/tool").c_str(), "trusted.origin", "build", 5, 0), 0);
      }
    }
    acls_ = Acl("/team/shared.txt", ACL_TYPE_ACCESS, "u::rw-,u:4321:rw-,g::r--,m::rw-,o::r--") &&
            Acl("/team", ACL_TYPE_DEFAULT, "u::rwx,g::rwx,g:5678:rwx,m::rwx,o::r-x");
    // Times last: every change above moved the directories' times.
    for (const char* rel : {"/plain.txt", "/tool", "/disk.img", "/private/secret.txt",
                            "/private/deeper/note.txt", "/team/shared.txt", "/private/deeper", "/private",
                            "/team", "/drop", ""}) {
      Time(rel, 1600000000);
    }
  }

  velqo::testing::Sandbox sandbox;
  std::string program_;
  bool acls_ = false;
};

TEST_F(FidelityTest, BackupKeepsWhatRsyncArchiveModeKeeps) {
  if (access("/usr/bin/rsync", X_OK) != 0) GTEST_SKIP() << "rsync is not installed";
  BuildTree();
  if (::testing::Test::HasFatalFailure()) return;
  if (!acls_) std::cerr << "[ skipped part ] the file system keeps no ACLs\n";
  sandbox.MakeDir("D:\\velqo");
  sandbox.MakeDir("E:\\rsync");
  const std::string velqo = sandbox.HostPath("D:\\velqo");
  const std::string rsync = sandbox.HostPath("E:\\rsync");
  const testing::ChildResult r = Velqo({"-q", "-a", "-j", "-H", "--no-backup", Src(), velqo});
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  const testing::ChildResult theirs =
      testing::RunProgram("/usr/bin/rsync", {"-aHAX", Src() + "/", rsync + "/"}, {"PATH=/usr/bin:/bin"}, "/", "");
  ASSERT_EQ(theirs.exit_status, 0) << theirs.err;

  EXPECT_EQ(Describe(velqo), Describe(rsync));
  // Holes stay holes (rsync fills them unless asked not to).
  struct stat source {};
  struct stat copied {};
  ASSERT_EQ(stat(Src("/disk.img").c_str(), &source), 0);
  ASSERT_EQ(stat((velqo + "/disk.img").c_str(), &copied), 0);
  EXPECT_LE(copied.st_blocks, source.st_blocks + 16);

  // A change of mode or attributes alone reaches the backup, and its data
  // is not copied again.
  struct stat before {};
  ASSERT_EQ(stat((velqo + "/plain.txt").c_str(), &before), 0);
  Mode("/plain.txt", 0600);
  Mode("/private/deeper", 0755);
  ASSERT_EQ(Velqo({"-q", "-a", "-j", "-H", "--no-backup", Src(), velqo}).exit_status, 0);
  struct stat after {};
  ASSERT_EQ(stat((velqo + "/plain.txt").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode & 07777, 0600u);
  struct stat deeper {};
  ASSERT_EQ(stat((velqo + "/private/deeper").c_str(), &deeper), 0);
  EXPECT_EQ(deeper.st_mode & 07777, 0755u);

  // So does a change that leaves the mode as it was: an attribute or an
  // ACL set on the source after its copy was made.
  const bool xattrs = StoresExtendedAttributes(Src()) &&
                      lsetxattr(Src("/plain.txt").c_str(), "user.comment", "again", 5, 0) == 0;
  const bool acl = acls_ && Acl("/team/shared.txt", ACL_TYPE_ACCESS, "u::rw-,u:4321:r--,g::r--,m::r--,o::r--");
  if (!xattrs && !acl) return;
  ASSERT_EQ(Velqo({"-q", "-a", "-j", "-H", "--no-backup", Src(), velqo}).exit_status, 0);
  if (xattrs) {
    char value[16] = {};
    EXPECT_EQ(getxattr((velqo + "/plain.txt").c_str(), "user.comment", value, sizeof value), 5);
    EXPECT_STREQ(value, "again");
  }
  if (acl) {
    EXPECT_EQ(AclText(velqo + "/team/shared.txt", ACL_TYPE_ACCESS), AclText(Src("/team/shared.txt"), ACL_TYPE_ACCESS));
  }
}

TEST_F(FidelityTest, AttributesAndAclsCanBeLeftOut) {
  sandbox.MakeDir("C:\\src");
  Write("\\tagged.txt", "t");
  const bool xattrs = StoresExtendedAttributes(Src()) &&
                      lsetxattr(Src("/tagged.txt").c_str(), "user.comment", "x", 1, 0) == 0;
  const bool acls = Acl("/tagged.txt", ACL_TYPE_ACCESS, "u::rw-,u:4321:r--,g::r--,m::r--,o::r--");
  if (!xattrs && !acls) GTEST_SKIP() << "the file system keeps neither attributes nor ACLs";
  sandbox.MakeDir("D:\\dst");
  const testing::ChildResult r =
      Velqo({"-q", "-a", "-j", "--no-xattrs", "--no-acls", Src(), sandbox.HostPath("D:\\dst")});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  const std::string copy = sandbox.HostPath("D:\\dst\\tagged.txt");
  EXPECT_EQ(Xattrs(copy), "");
  EXPECT_EQ(getxattr(copy.c_str(), "system.posix_acl_access", nullptr, 0), -1);
}

}  // namespace
}  // namespace velqo::cli
