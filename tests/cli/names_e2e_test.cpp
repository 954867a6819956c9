// Names as Linux has them, through velqo-cli on real trees: every name is
// copied as its bytes stand, names that differ only in case are separate
// entries where the target keeps case, and refused by name only where the
// target folds case.

#include <gtest/gtest.h>
#include <sys/mount.h>
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
  EXPECT_EQ(Names(dst_), std::vector<std::string>{"Docs"});
  EXPECT_EQ(Names(dst_ + "/Docs"), std::vector<std::string>{"Plan.txt"});
  EXPECT_EQ(ReadText(dst_ + "/Docs/Plan.txt"), "plan");
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
