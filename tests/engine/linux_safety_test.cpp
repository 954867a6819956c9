// What a Linux file system allows and Windows does not: names differing only
// in case, symbolic links, directories that can be listed but not entered,
// names holding a backslash, an empty mount point as Dir 1. None of them
// may cost a file its content or reach outside the trees.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "common/platform/windows_path.h"
#include "tests/engine/engine_fixture.h"

namespace velqo::testing {
namespace {

namespace fsys = std::filesystem;

class LinuxSafetyTest : public EngineTest {
 protected:
  // Dir 1 C:\T and Dir 2 D:\T: the same structure, so CleanUp /E may remove.
  void Mirror() {
    opt().SelectSeparate = 0;
    opt().UseDir1And = 1;
    opt().VelqoOnly = 0;
    opt().CleanUp = 1;
    opt().DIRDEL = 1;
    opt().JFDI = 1;
    sandbox.MakeDir("C:\\T");
    sandbox.MakeDir("D:\\T");
    host.dir1 = "C:\\T";
    host.dir2 = "D:\\T";
  }
  void AddOnly() {
    opt().CleanUp = 0;
    opt().DIRDEL = 0;
    opt().Add1To2 = 1;
  }
  // A directory outside both trees, whose contents must never change.
  void MakeOutside() {
    sandbox.WriteFile("E:\\OUT\\victim.txt", "precious");
    outside = sandbox.HostPath("E:\\OUT");
  }
  void ExpectOutsideUntouched() {
    std::set<std::string> names;
    for (const auto& e : fsys::directory_iterator(outside)) names.insert(e.path().filename().string());
    EXPECT_EQ(names, std::set<std::string>{"victim.txt"});
    EXPECT_EQ(sandbox.ReadFile("E:\\OUT\\victim.txt"), "precious");
  }
  void Link(std::string_view windows, const std::string& target) {
    fsys::create_directory_symlink(target, sandbox.HostPath(windows));
  }
  std::set<std::string> HostNames(std::string_view windows) const {
    std::set<std::string> names;
    for (const auto& e : fsys::directory_iterator(sandbox.HostPath(windows))) {
      names.insert(e.path().filename().string());
    }
    return names;
  }

  // Runs on a wrapper of the platform, with the options set so far.
  void Use(Platform& wrapper) {
    const OptionSet options = opt();
    UsePlatform(wrapper);
    state->places.IniPath = "C:\\WINVELQO.INI";
    opt() = options;
  }

  std::string outside;
};

TEST_F(LinuxSafetyTest, CaseTwinFilesAreLeftOutOnBothSidesAndReportedWhereDir2FoldsCase) {
  platform.fs_names['D'] = "FAT32";
  File("C:\\A\\NOTES", "newest", Base() + 3 * kHour);
  File("C:\\A\\notes", "other", Base());
  File("D:\\B\\NOTES", "older", Base() + kHour);
  File("C:\\A\\plain.txt", "p", Base());
  for (int mode = 0; mode < 3; ++mode) {
    opt().Add1To2 = mode == 1 ? 1 : 0;
    opt().CleanUp = mode == 2 ? 1 : 0;
    opt().JFDI = mode == 2 ? 1 : 0;
    Run();
    // Neither twin is copied, and the namesake in Dir 2 is neither copied
    // back over the newest version nor deleted.
    EXPECT_EQ(sandbox.ReadFile("C:\\A\\NOTES"), "newest") << mode;
    EXPECT_EQ(sandbox.ReadFile("C:\\A\\notes"), "other") << mode;
    EXPECT_EQ(sandbox.ReadFile("D:\\B\\NOTES"), "older") << mode;
    EXPECT_FALSE(sandbox.Exists("D:\\B\\notes")) << mode;
    EXPECT_EQ(state->flags.ErrorLogged, 1) << mode;
  }
  EXPECT_TRUE(sandbox.Exists("D:\\B\\plain.txt"));
  EXPECT_TRUE(host.ShownContaining(" In The Directory C:\\A Differ Only In Case - None Of Them Was Updated."));
  EXPECT_TRUE(host.ShownContaining("NOTES"));
  EXPECT_TRUE(LogHas("!!! Names Differing Only In Case - Left Out Of This Update: !!!"));
  EXPECT_TRUE(LogHas("C:\\A\\notes"));
}

TEST_F(LinuxSafetyTest, CaseTwinDirectoriesAreNeitherWalkedNorRemovedWhereDir2FoldsCase) {
  platform.fs_names['D'] = "FAT32";
  Mirror();
  File("C:\\T\\Docs\\a.txt", "a", Base());
  File("C:\\T\\docs\\b.txt", "b", Base());
  File("D:\\T\\docs\\keep.txt", "k", Base());
  File("C:\\T\\Pics\\new.txt", "n", Base());
  File("D:\\T\\Pics\\x.txt", "x1", Base());
  File("D:\\T\\pics\\x.txt", "x2", Base());
  Run();
  // Dir 1's twins: the Dir 2 namesake is not surplus, nothing is copied in.
  EXPECT_EQ(HostNames("D:\\T\\docs"), std::set<std::string>{"keep.txt"});
  // Dir 2's twins: the pair is skipped rather than paired with one of them.
  EXPECT_EQ(sandbox.ReadFile("D:\\T\\Pics\\x.txt"), "x1");
  EXPECT_EQ(sandbox.ReadFile("D:\\T\\pics\\x.txt"), "x2");
  EXPECT_FALSE(sandbox.Exists("D:\\T\\Pics\\new.txt"));
  EXPECT_FALSE(sandbox.Exists("D:\\T\\pics\\new.txt"));
  EXPECT_TRUE(LogHas("D:\\T\\Pics"));
  EXPECT_TRUE(LogHas("C:\\T\\docs"));
  EXPECT_EQ(state->flags.ErrorLogged, 1);
}

TEST_F(LinuxSafetyTest, WhereNamesKeepTheirCaseTwinsAreCopiedAndMatchedByTheirExactNames) {
  File("C:\\A\\NOTES", "upper", Base() + kHour);
  File("C:\\A\\notes", "lower", Base() + kHour);
  File("C:\\A\\Notes", "mixed", Base() + kHour);
  File("D:\\B\\notes", "old lower", Base());
  opt().Add1To2 = 1;
  opt().JFDI = 1;
  Run();
  // Each arrives under its own name; only the exact namesake is replaced.
  EXPECT_EQ(HostNames("D:\\B"), (std::set<std::string>{"NOTES", "notes", "Notes"}));
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\NOTES"), "upper");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\notes"), "lower");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\Notes"), "mixed");
  EXPECT_FALSE(host.ShownContaining("Differ Only In Case"));
  EXPECT_EQ(state->flags.ErrorLogged, 0);
}

TEST_F(LinuxSafetyTest, AMirrorGivesTheReplicaTheSourceSpellingOfDirectoriesAndFiles) {
  Mirror();
  File("C:\\T\\Docs\\Report.txt", "report", Base());
  File("C:\\T\\Docs\\docs\\inner.txt", "inner", Base());
  File("D:\\T\\docs\\report.txt", "stale", Base());
  File("D:\\T\\docs\\only-here.txt", "gone", Base());
  Run();
  // A source Docs is not merged into the target's docs: the replica holds
  // exactly the source's names.
  EXPECT_EQ(HostNames("D:\\T"), std::set<std::string>{"Docs"});
  EXPECT_EQ(HostNames("D:\\T\\Docs"), (std::set<std::string>{"Report.txt", "docs"}));
  EXPECT_EQ(sandbox.ReadFile("D:\\T\\Docs\\Report.txt"), "report");
  EXPECT_EQ(sandbox.ReadFile("D:\\T\\Docs\\docs\\inner.txt"), "inner");
  EXPECT_EQ(HostNames("C:\\T\\Docs"), (std::set<std::string>{"Report.txt", "docs"}));
  EXPECT_EQ(state->flags.ErrorLogged, 0);
}

TEST_F(LinuxSafetyTest, AddingWithoutCleanUpKeepsTheTargetsOtherSpellingBesideTheSources) {
  Mirror();
  AddOnly();
  File("C:\\T\\Docs\\a.txt", "a", Base());
  File("D:\\T\\docs\\b.txt", "b", Base());
  Run();
  EXPECT_EQ(HostNames("D:\\T"), (std::set<std::string>{"Docs", "docs"}));
  EXPECT_EQ(HostNames("D:\\T\\Docs"), std::set<std::string>{"a.txt"});
  EXPECT_EQ(HostNames("D:\\T\\docs"), std::set<std::string>{"b.txt"});
}

TEST_F(LinuxSafetyTest, ALinkInDir2NeverLeadsOutsideInAnyMode) {
  MakeOutside();
  Mirror();
  File("C:\\T\\sub\\deeper\\f.txt", "f", Base());
  File("C:\\T\\sub\\g.txt", "g", Base());
  for (int mode = 0; mode < 3; ++mode) {
    fsys::remove_all(sandbox.HostPath("D:\\T\\sub"));
    Link("D:\\T\\sub", outside);
    if (mode == 1) AddOnly();
    if (mode == 2) opt().AddBothWays = 1;
    Run();
    ExpectOutsideUntouched();
    EXPECT_FALSE(sandbox.Exists("C:\\T\\sub\\victim.txt")) << mode;
    if (mode == 0) {
      // The mirror replaces the link (as a link) by a real replica.
      EXPECT_EQ(sandbox.ReadFile("D:\\T\\sub\\deeper\\f.txt"), "f");
    } else {
      // The add modes cannot put their directory where the link is: reported.
      EXPECT_EQ(state->flags.ErrorLogged, 1) << mode;
    }
  }
}

TEST_F(LinuxSafetyTest, ALinkBesideARealDirectoryInDir1IsNeverFollowed) {
  MakeOutside();
  Mirror();
  Link("C:\\T\\SUB", outside);
  File("C:\\T\\sub\\deeper\\f.txt", "f", Base());
  Run();
  ExpectOutsideUntouched();
}

// Swaps a directory for a link to the outside right after its parent was
// listed, as another program racing the run could.
class SwappingPlatform : public EnginePlatform {
 public:
  using EnginePlatform::EnginePlatform;
  Status FindFirst(std::string_view pattern, std::uint32_t mask, std::unique_ptr<DirSearch>* search) override {
    Status status = EnginePlatform::FindFirst(pattern, mask, search);
    // The first listing is the walk's; the second the removal's own.
    if (pattern == swap_after && ++listings == 2) {
      fsys::rename(victim_host, victim_host + ".moved");
      fsys::create_directory_symlink(link_target, victim_host);
      swapped = true;
    }
    return status;
  }
  std::string swap_after;
  std::string victim_host;
  std::string link_target;
  int listings = 0;
  bool swapped = false;
};

TEST_F(LinuxSafetyTest, ADirectorySwappedForALinkDuringRemovalIsNotEntered) {
  SwappingPlatform swapping(*fs);
  Use(swapping);
  MakeOutside();
  Mirror();
  File("C:\\T\\keep.txt", "k", Base());
  File("D:\\T\\old\\inner\\a.txt", "a", Base());
  swapping.swap_after = "D:\\T\\old\\*.*";
  swapping.victim_host = sandbox.HostPath("D:\\T\\old\\inner");
  swapping.link_target = outside;
  Run();
  EXPECT_TRUE(swapping.swapped);
  ExpectOutsideUntouched();
  EXPECT_EQ(state->flags.ErrorLogged, 1);
}

TEST_F(LinuxSafetyTest, TopsGivenAsLinksAreFollowedOnce) {
  AddOnly();
  File("C:\\Real\\f.txt", "f", Base());
  Link("C:\\LinkA", sandbox.HostPath("C:\\Real"));
  host.dir1 = "C:\\LinkA";
  Run();
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\f.txt"), "f");
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(LinuxSafetyTest, NamesHoldingABackslashAreCopiedAsTheirBytesStand) {
  Mirror();
  File("C:\\T\\plain.txt", "p", Base());
  std::filesystem::create_directories(sandbox.HostPath("C:\\T") + "/odd\\dir");
  std::ofstream(sandbox.HostPath("C:\\T") + "/odd\\dir/a\\b.txt") << "x";
  std::ofstream(sandbox.HostPath("D:\\T") + "/gone\\too") << "surplus";
  Run();
  EXPECT_EQ(HostNames("D:\\T"), (std::set<std::string>{"plain.txt", "odd\\dir"}));
  std::set<std::string> inside;
  for (const auto& e : fsys::directory_iterator(sandbox.HostPath("D:\\T") + "/odd\\dir")) {
    inside.insert(e.path().filename().string());
  }
  EXPECT_EQ(inside, std::set<std::string>{"a\\b.txt"});
  EXPECT_EQ(state->flags.ErrorLogged, 0);
}

TEST_F(LinuxSafetyTest, NamesHoldingTheBackslashStandInAreReportedAndLeftOut) {
  AddOnly();
  File("C:\\A\\plain.txt", "p", Base());
  const std::string odd = "odd" + std::string(kBackslashStandIn) + "name.txt";
  std::ofstream(sandbox.HostPath("C:\\A") + "/" + odd) << "x";
  Run();
  EXPECT_EQ(HostNames("D:\\B"), std::set<std::string>{"plain.txt"});
  EXPECT_TRUE(host.ShownContaining("The Name " + odd + " In The Directory C:\\A Holds The Character"));
  EXPECT_TRUE(LogHas("!!! Name Holding The Stand-In For A Backslash - Left Out Of This Update: !!!"));
  EXPECT_EQ(state->flags.ErrorLogged, 1);
}

TEST_F(LinuxSafetyTest, AnEmptyDir1DoesNotEmptyDir2UnlessAllowed) {
  Mirror();
  File("D:\\T\\f.txt", "f", Base());
  Run();
  EXPECT_TRUE(sandbox.Exists("D:\\T\\f.txt"));
  EXPECT_TRUE(LogHas("!!! Dir 1 Is Empty - Nothing Was Deleted By CleanUp In The Directory Below !!!"));
  EXPECT_EQ(state->flags.ErrorLogged, 1);

  opt().JFDI = 0;
  host.Answer(Answer::kNo);
  Run();
  EXPECT_TRUE(sandbox.Exists("D:\\T\\f.txt"));
  const std::vector<std::string> captions = host.Captions();
  EXPECT_NE(std::find(captions.begin(), captions.end(), "Caution!"), captions.end());

  opt().JFDI = 1;
  state->sw.AllowEmptySource = 1;
  Run();
  EXPECT_FALSE(sandbox.Exists("D:\\T\\f.txt"));
}

TEST_F(LinuxSafetyTest, ACancelDuringTheWalkStopsTheRunBeforeAnyPair) {
  Mirror();
  sandbox.MakeDir("C:\\T\\a\\b");
  File("D:\\T\\gone.txt", "g", Base());
  host.CancelAtPump(1);
  EXPECT_EQ(Run(), UpdateOutcome::kCancelled);
  EXPECT_TRUE(sandbox.Exists("D:\\T\\gone.txt"));
  for (const std::string& text : host.status_texts) EXPECT_EQ(text.rfind("Updating Directory ", 0), std::string::npos);
}

TEST_F(LinuxSafetyTest, AMissingDriveStopsOnlyItsOwnBatchPair) {
  AddOnly();
  opt().SelectSeparate = 1;
  opt().UseBatchFile = 1;
  opt().CreateNewDir = 1;
  File("C:\\A\\f.txt", "f", Base());
  host.dir_pairs = {"C:\\A!Q:\\X", "C:\\A!D:\\B"};
  Run();
  EXPECT_TRUE(host.ShownContaining("Its ROOT Doesn't Exist"));
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\f.txt"), "f");
}

// Presses Cancel while the first copy runs.
class CancellingPlatform : public EnginePlatform {
 public:
  CancellingPlatform(Platform& target, ScriptedHost& host) : EnginePlatform(target), host_(host) {}
  Status CopyFile(std::string_view from, std::string_view to) override {
    ++copies;
    host_.CancelAtPump(1);
    return EnginePlatform::CopyFile(from, to);
  }
  int copies = 0;

 private:
  ScriptedHost& host_;
};

TEST_F(LinuxSafetyTest, UnderJfdiACancelStopsBeforeTheNextFile) {
  CancellingPlatform cancelling(*fs, host);
  Use(cancelling);
  opt().CleanUp = 1;
  opt().JFDI = 1;
  opt().VelqoOnly = 0;
  for (const char* name : {"C:\\A\\1.txt", "C:\\A\\2.txt", "C:\\A\\3.txt"}) File(name, "x", Base());
  EXPECT_EQ(Run(), UpdateOutcome::kCancelled);
  EXPECT_EQ(cancelling.copies, 1);
}

TEST_F(LinuxSafetyTest, ADirectoryTheFiltersLeaveOutIsNotSurplusInDir2) {
  Mirror();
  opt().IncRODir = 0;
  File("C:\\T\\keep.txt", "k", Base());
  sandbox.MakeDir("C:\\T\\ro");
  File("D:\\T\\ro\\mine.txt", "m", Base());
  ::chmod(sandbox.HostPath("C:\\T\\ro").c_str(), 0555);
  Run();
  EXPECT_EQ(sandbox.ReadFile("D:\\T\\ro\\mine.txt"), "m");
}

TEST_F(LinuxSafetyTest, ARunWhoseEveryCopyFailedIsNotNothingToDo) {
  AddOnly();
  opt().JFDI = 1;
  File("C:\\A\\f.txt", "f", Base());
  platform.failing_copies.insert("C:\\A\\f.txt");
  EXPECT_EQ(Run(), UpdateOutcome::kFailed);
  EXPECT_EQ(host.status_texts.back(), "Update Failed - Check Log File");
  EXPECT_EQ(state->flags.ErrorLogged, 1);
}

// A directory that can be listed but not entered (mode 0644) gives each
// entry's lookup EACCES. Root is not stopped by modes, so the check runs in
// a child that has given up root.
TEST(CompleteListingTest, ADirectoryThatCannotBeEnteredIsAnErrorNotAnEmptyListing) {
  Sandbox sandbox;
  sandbox.WriteFile("C:\\A\\locked\\one.txt", "1");
  sandbox.MakeDir("C:\\A\\locked\\sub");
  for (const std::string& dir : {sandbox.root(), sandbox.DriveDir('c'), sandbox.HostPath("C:\\A")}) {
    ::chmod(dir.c_str(), 0755);
  }
  ::chmod(sandbox.HostPath("C:\\A\\locked").c_str(), 0644);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(77);
    if (geteuid() == 0) _exit(77);
    auto fs = NewPosixPlatform(sandbox.Config());
    std::unique_ptr<DirSearch> search;
    const bool files_failed = !fs->FindFirst("C:\\A\\locked\\*.*", kMaskAllFiles, &search).ok();
    const bool dirs_failed =
        !fs->FindFirst("C:\\A\\locked\\*.*", kAttrDirectory | kSearchDirectoriesOnly, &search).ok();
    const bool parent_ok = fs->FindFirst("C:\\A\\*.*", kMaskEverything, &search).ok();
    _exit(files_failed && dirs_failed && parent_ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ::chmod(sandbox.HostPath("C:\\A\\locked").c_str(), 0755);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot give up root here";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace velqo::testing
