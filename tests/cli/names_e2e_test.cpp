// Names as Linux has them, through velqo-cli on real trees: every name is
// copied as its bytes stand, names that differ only in case are separate
// entries where the target keeps case, and refused by name only where the
// target folds case.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/cli/cli_fixture.h"

namespace velqo::cli {
namespace {

class CliNames : public CliEndToEnd {
 protected:
  void SetUp() override {
    ASSERT_EQ(Run({}).exit_status, 0);
    // The same structure on two drives, so that a mirror may remove
    // directories.
    src_ = sandbox.HostPath("C:\\w");
    dst_ = sandbox.HostPath("D:\\w");
    fsys::create_directories(src_);
    fsys::create_directories(dst_);
  }

  static void Write(const std::string& path, const std::string& bytes) {
    fsys::create_directories(fsys::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  }

  static std::vector<std::string> Names(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : fsys::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  ChildResult Backup(std::vector<std::string> options, const std::string& to) {
    options.insert(options.begin(), {"-a", "-j", "--no-log"});
    options.push_back(src_);
    options.push_back(to);
    return Run(options);
  }

  std::string src_;
  std::string dst_;
};

TEST_F(CliNames, NamesWindowsCannotHoldAndCaseTwinsArriveExactly) {
  const std::vector<std::string> names = {"a:b", "star*", "what?", "Notes", "notes", "NOTES", "pipe|x",
                                          "back\\slash", "C:\\x"};
  for (const std::string& name : names) Write(src_ + "/" + name, "content of " + name);
  Write(src_ + "/Sub/f", "upper dir");
  Write(src_ + "/sub/f", "lower dir");
  Write(src_ + "/dir\\with\\backslashes/in\\side", "deep");
  const ChildResult r = Backup({}, dst_);
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(Names(dst_), Names(src_));
  for (const std::string& name : names) EXPECT_EQ(ReadText(dst_ + "/" + name), "content of " + name) << name;
  EXPECT_EQ(ReadText(dst_ + "/Sub/f"), "upper dir");
  EXPECT_EQ(ReadText(dst_ + "/sub/f"), "lower dir");
  EXPECT_EQ(ReadText(dst_ + "/dir\\with\\backslashes/in\\side"), "deep");
  EXPECT_EQ(r.err.find("Differ Only In Case"), std::string::npos) << r.err;

}

TEST_F(CliNames, AMirrorDoesNotMergeDocsIntoDocsButTakesTheSourceSpelling) {
  Write(src_ + "/Docs/Plan.txt", "plan");
  Write(dst_ + "/docs/plan.txt", "old plan");
  Write(dst_ + "/docs/extra.txt", "extra");
  const ChildResult r = Backup({"--mirror", "--delete-dirs", "--no-backup"}, dst_);
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  // The replica's old spelling is gone, kept among the mirror's versions.
  EXPECT_EQ(Names(dst_), (std::vector<std::string>{".velqo-versions", "Docs"}));
  EXPECT_EQ(Names(dst_ + "/Docs"), std::vector<std::string>{"Plan.txt"});
  EXPECT_EQ(ReadText(dst_ + "/Docs/Plan.txt"), "plan");
  const std::vector<std::string> runs = Names(dst_ + "/.velqo-versions");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(Names(dst_ + "/.velqo-versions/" + runs[0] + "/docs"), (std::vector<std::string>{"extra.txt", "plan.txt"}));
}

TEST_F(CliNames, ABackupLeavesTheTargetsOtherSpellingAlone) {
  Write(src_ + "/Docs/a.txt", "a");
  Write(dst_ + "/docs/a.txt", "mine");
  const ChildResult r = Backup({}, dst_);
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(Names(dst_), (std::vector<std::string>{"Docs", "docs"}));
  EXPECT_EQ(ReadText(dst_ + "/Docs/a.txt"), "a");
  EXPECT_EQ(ReadText(dst_ + "/docs/a.txt"), "mine");
}

// A chain of directories below root, each named name, reached through the
// handle of the one above: the whole path is longer than the kernel takes.
// The file at its end holds text; "" when the chain cannot be followed.
std::string FollowChain(const std::string& root, const std::string& name, int levels, const std::string& file,
                        const std::string* write = nullptr) {
  int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (int i = 0; i < levels && fd >= 0; ++i) {
    if (write != nullptr) mkdirat(fd, name.c_str(), 0755);
    const int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    close(fd);
    fd = next;
  }
  if (fd < 0) return "";
  std::string text;
  if (write != nullptr) {
    const int out = openat(fd, file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out >= 0 && ::write(out, write->data(), write->size()) == static_cast<ssize_t>(write->size())) text = *write;
    if (out >= 0) close(out);
  } else {
    const int in = openat(fd, file.c_str(), O_RDONLY | O_CLOEXEC);
    char buffer[256];
    const ssize_t n = in >= 0 ? read(in, buffer, sizeof buffer) : -1;
    if (n > 0) text.assign(buffer, static_cast<std::size_t>(n));
    if (in >= 0) close(in);
  }
  close(fd);
  return text;
}

TEST_F(CliNames, PathsLongerThanTheKernelTakesAndNamesOf255BytesAreCopied) {
  // 21 levels of 250 bytes: a path of more than 5,000 bytes below the top.
  const std::string level(250, 'd');
  constexpr int kLevels = 21;
  std::string name;
  while (name.size() + 2 <= 255) name += "\xC3\xA9";  // "é", two bytes each
  name += "x";
  ASSERT_EQ(name.size(), 255u);
  const std::string content = "at the bottom";
  ASSERT_EQ(FollowChain(src_, level, kLevels, name, &content), content);
  Write(src_ + "/" + name, "long name at the top");
  const ChildResult r = Backup({}, dst_);
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(ReadText(dst_ + "/" + name), "long name at the top");
  EXPECT_EQ(FollowChain(dst_, level, kLevels, name), content);
  // With nothing changed, nothing is copied again and nothing is refused.
  const ChildResult again = Backup({"-v"}, dst_);
  ASSERT_EQ(again.exit_status, 0) << again.out << again.err;
  EXPECT_EQ(again.out.find("copy >"), std::string::npos) << again.out;
}

// A FAT file system in an image file, loop-mounted for the test: a target
// that folds case.
class VfatTarget {
 public:
  explicit VfatTarget(const std::string& root) : image_(root + "/fat.img"), mount_point_(root + "/fat") {
    if (geteuid() != 0) {
      why_ = "mounting needs root";
      return;
    }
    if (!fsys::exists("/usr/sbin/mkfs.vfat") && !fsys::exists("/sbin/mkfs.vfat")) {
      why_ = "mkfs.vfat is not installed (dosfstools)";
      return;
    }
    std::ofstream(image_, std::ios::binary).close();
    fsys::resize_file(image_, 16 << 20);
    const std::string mkfs = fsys::exists("/usr/sbin/mkfs.vfat") ? "/usr/sbin/mkfs.vfat" : "/sbin/mkfs.vfat";
    if (testing::RunProgram(mkfs, {image_}, {"PATH=/usr/bin:/bin"}, root, "").exit_status != 0) {
      why_ = "mkfs.vfat failed";
      return;
    }
    fsys::create_directories(mount_point_);
    const ChildResult m = testing::RunProgram("/usr/bin/mount", {"-o", "loop", image_, mount_point_},
                                              {"PATH=/usr/bin:/bin:/usr/sbin:/sbin"}, root, "");
    if (m.exit_status != 0) {
      why_ = "cannot mount a vfat image here: " + m.err;
      return;
    }
    mounted_ = true;
  }
  ~VfatTarget() {
    if (mounted_) umount2(mount_point_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  const std::string& why() const { return why_; }
  const std::string& path() const { return mount_point_; }

 private:
  std::string image_;
  std::string mount_point_;
  bool mounted_ = false;
  std::string why_;
};

TEST_F(CliNames, WhereTheTargetFoldsCaseTwinsAreRefusedNamingBoth) {
  VfatTarget fat(sandbox.root());
  if (!fat.mounted()) GTEST_SKIP() << fat.why();
  Write(src_ + "/Report.txt", "one");
  Write(src_ + "/report.txt", "two");
  Write(src_ + "/plain.txt", "plain");
  const ChildResult r = Backup({}, fat.path());
  EXPECT_NE(r.exit_status, 0) << r.out << r.err;
  EXPECT_NE(r.err.find("Report.txt"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("report.txt"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Differ Only In Case"), std::string::npos) << r.err;
  EXPECT_EQ(Names(fat.path()), std::vector<std::string>{"plain.txt"});

}

}  // namespace
}  // namespace velqo::cli
