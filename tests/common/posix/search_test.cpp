#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/time/dos_time.h"
#include "common/platform/windows_path.h"
#include "common/platform/platform_ops.h"
#include "common/posix/posix_platform.h"
#include "common/posix/xattr_at.h"
#include "tests/common/posix/xattr_probe.h"
#include "tests/support/sandbox.h"

namespace velqo {
namespace {

using testing::Sandbox;

class PlatformSearchTest : public ::testing::Test {
 protected:
  PlatformSearchTest() : fs(NewPosixPlatform(sandbox.Config())) {}

  // Every entry a search returns, in order; a failure is a test failure.
  std::vector<FindData> Search(const std::string& pattern, std::uint32_t mask) {
    std::unique_ptr<DirSearch> search;
    const Status st = fs->FindFirst(pattern, mask, &search);
    EXPECT_TRUE(st.ok()) << pattern << ": " << st.ToString();
    std::vector<FindData> entries;
    FindData entry;
    while (st.ok() && search->Next(&entry)) entries.push_back(entry);
    return entries;
  }
  std::map<std::string, std::uint32_t> AttributesByName(const std::string& pattern, std::uint32_t mask) {
    std::map<std::string, std::uint32_t> out;
    for (const FindData& e : Search(pattern, mask)) out[e.name] = e.attributes;
    return out;
  }
  std::uint32_t Attributes(const std::string& path) {
    std::uint32_t a = 0;
    const Status st = fs->GetAttributes(path, &a);
    EXPECT_TRUE(st.ok()) << path << ": " << st.ToString();
    return a;
  }

  Sandbox sandbox;
  std::unique_ptr<Platform> fs;
};

TEST_F(PlatformSearchTest, MaskAddsSpecialEntriesButNeverExcludesForReadOnlyOrArchive) {
  sandbox.WriteFile("C:\\W\\plain.txt", "a");
  sandbox.WriteFile("C:\\W\\locked.txt", "b");
  sandbox.SetReadOnly("C:\\W\\locked.txt", true);
  sandbox.WriteFile("C:\\W\\.dotfile", "c");
  sandbox.WriteFile("C:\\W\\sys.bin", "d");
  sandbox.MakeDir("C:\\W\\Sub");
  const bool stores_flags = StoresExtendedAttributes(sandbox.DriveDir('C'));
  if (stores_flags) {
    ASSERT_TRUE(fs->SetAttributes("C:\\W\\sys.bin", kAttrSystem | kAttrArchive).ok());
  }

  std::map<std::string, std::uint32_t> plain_files{{"plain.txt", kAttrArchive},
                                                   {"locked.txt", kAttrArchive | kAttrReadOnly}};
  if (!stores_flags) plain_files["sys.bin"] = kAttrArchive;
  EXPECT_EQ(AttributesByName("C:\\W\\*.*", kAttrReadOnly | kAttrArchive), plain_files);

  const auto all_files = AttributesByName("C:\\W\\*.*", kMaskAllFiles);
  EXPECT_EQ(all_files.size(), 4u);
  EXPECT_EQ(all_files.at(".dotfile"), kAttrHidden | kAttrArchive);
  EXPECT_EQ(all_files.at("sys.bin"), stores_flags ? kAttrSystem | kAttrArchive : kAttrArchive);

  const auto everything = AttributesByName("C:\\W\\*.*", kMaskEverything);
  EXPECT_EQ(everything.at("Sub"), kAttrDirectory);
  EXPECT_EQ(everything.size(), 7u);  // with "." and ".."
}

TEST_F(PlatformSearchTest, DotEntriesComeFirstExceptInADriveRoot) {
  sandbox.WriteFile("D:\\Dir\\file", "x");
  const auto in_dir = Search("D:\\Dir\\*.*", kMaskEverything);
  ASSERT_EQ(in_dir.size(), 3u);
  EXPECT_EQ(in_dir[0].name, ".");
  EXPECT_EQ(in_dir[1].name, "..");
  EXPECT_EQ(in_dir[0].attributes & kAttrDirectory, kAttrDirectory);
  EXPECT_EQ(in_dir[2].name, "file");
  // Each with the time of the directory it names.
  sandbox.SetMtime("D:\\Dir", 1200000000);
  sandbox.SetMtime("D:\\", 1300000000);
  const auto timed = Search("D:\\Dir\\*.*", kMaskEverything);
  ASSERT_EQ(timed.size(), 3u);
  EXPECT_EQ(timed[0].dos_time, DosTimeFromTimespec(std::timespec{1200000000, 0}));
  EXPECT_EQ(timed[1].dos_time, DosTimeFromTimespec(std::timespec{1300000000, 0}));

  const auto in_root = Search("D:\\*.*", kMaskEverything);
  ASSERT_EQ(in_root.size(), 1u);
  EXPECT_EQ(in_root[0].name, "Dir");
  // A file search never sees them, as they are directories.
  EXPECT_EQ(Search("D:\\Dir\\*.*", kMaskAllFiles).size(), 1u);
}

TEST_F(PlatformSearchTest, ReportsSizeTimeAndOneEntryForAFullPathPattern) {
  sandbox.WriteFile("C:\\Data\\Report.TXT", std::string(5000, 'r'));
  sandbox.WriteFile("C:\\Data\\other", "o");
  sandbox.SetMtime("C:\\Data\\Report.TXT", 1000000001);  // an odd second
  const auto one = Search("C:\\data\\report.txt", kMaskAllFiles);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].name, "Report.TXT");
  EXPECT_EQ(one[0].size, 5000u);
  std::timespec ts{1000000002, 0};
  EXPECT_EQ(one[0].dos_time, DosTimeFromTimespec(ts));

  std::unique_ptr<DirSearch> search;
  EXPECT_EQ(fs->FindFirst("C:\\Data\\missing.txt", kMaskAllFiles, &search).code(), Status::Code::kFileNotFound);
  EXPECT_EQ(fs->FindFirst("C:\\Nowhere\\*.*", kMaskAllFiles, &search).code(), Status::Code::kPathNotFound);
  EXPECT_EQ(fs->FindFirst("Q:\\*.*", kMaskAllFiles, &search).code(), Status::Code::kPathNotFound);
}

TEST_F(PlatformSearchTest, LeavesOutSocketsTemporaryFilesAndTheBackslashStandInButListsPipes) {
  sandbox.WriteFile("C:\\S\\keep", "k");
  {
    // A host name holding the character that stands for a backslash could
    // not be told from one holding a backslash.
    std::ofstream odd(sandbox.HostPath("C:\\S") + "/stand" + std::string(kBackslashStandIn) + "in");
    odd << "b";
  }
  ASSERT_EQ(mkfifo(sandbox.HostPath("C:\\S\\pipe").c_str(), 0644), 0);
  sandbox.WriteFile("C:\\S\\.velqo~tmp.abc123", "left over by an interrupted copy");
  const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::string sock_path = sandbox.HostPath("C:\\S\\sock");
  if (sock_path.size() < sizeof addr.sun_path) {
    std::copy(sock_path.begin(), sock_path.end(), addr.sun_path);
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  }
  close(sock);

  const auto entries = AttributesByName("C:\\S\\*.*", kMaskAllFiles);
  EXPECT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries.count("keep"), 1u);
  EXPECT_EQ(entries.count("pipe"), 1u);  // a copy makes it anew
  std::unique_ptr<DirSearch> search;
  ASSERT_TRUE(fs->FindFirst("C:\\S\\*.*", kMaskAllFiles, &search).ok());
  EXPECT_EQ(search->Unusable(), std::vector<std::string>{"stand" + std::string(kBackslashStandIn) + "in"});
}

TEST_F(PlatformSearchTest, AHostNameHoldingABackslashIsOneNameEverywhere) {
  const std::string dir = sandbox.HostPath("C:\\S");
  std::filesystem::create_directories(dir + "/sub\\dir");
  std::ofstream(dir + "/sub\\dir/a\\b.txt") << "ab";
  const std::string sub = "sub" + std::string(kBackslashStandIn) + "dir";
  const std::string file = "a" + std::string(kBackslashStandIn) + "b.txt";
  const auto dirs = AttributesByName("C:\\S\\*.*", kAttrDirectory);
  EXPECT_EQ(dirs.count(sub), 1u);
  const auto files = AttributesByName("C:\\S\\" + sub + "\\*.*", kMaskAllFiles);
  ASSERT_EQ(files.count(file), 1u);
  std::string contents;
  ASSERT_TRUE(fs->ReadFile("C:\\S\\" + sub + "\\" + file, &contents).ok());
  EXPECT_EQ(contents, "ab");
  ASSERT_TRUE(fs->CopyFile("C:\\S\\" + sub + "\\" + file, "C:\\S\\" + sub + "\\copy" + file).ok());
  std::ifstream copied(dir + "/sub\\dir/copya\\b.txt");
  std::string copied_text;
  std::getline(copied, copied_text);
  EXPECT_EQ(copied_text, "ab");
  ASSERT_TRUE(fs->CreateDirectory("C:\\S\\new" + std::string(kBackslashStandIn) + "one").ok());
  EXPECT_TRUE(std::filesystem::is_directory(dir + "/new\\one"));
  // A typed host path keeps the name whole.
  std::string windows;
  ASSERT_TRUE(fs->ToWindowsPath(dir + "/sub\\dir", &windows).ok());
  EXPECT_EQ(windows, "C:\\S\\" + sub);
  std::string host;
  ASSERT_TRUE(fs->ToHostPath(windows + "\\" + file, &host).ok());
  EXPECT_EQ(host, dir + "/sub\\dir/a\\b.txt");
}

TEST_F(PlatformSearchTest, ResolvesLowerCasedPathsToTheDirectoriesThatExist) {
  sandbox.WriteFile("C:\\Work\\Src\\Main.cpp", "int main() {}");
  EXPECT_EQ(Search("c:\\work\\src\\*.*", kMaskAllFiles).size(), 1u);
  EXPECT_TRUE(DirectoryExists(*fs, "c:\\WORK\\sRC"));
  std::string contents;
  ASSERT_TRUE(fs->ReadFile("c:/work/src/main.cpp", &contents).ok());
  EXPECT_EQ(contents, "int main() {}");

  // A missing name keeps its spelling, below a directory found by case.
  ASSERT_TRUE(fs->CreateDirectory("c:\\work\\src\\NewDir").ok());
  EXPECT_TRUE(sandbox.Exists("C:\\Work\\Src\\NewDir"));

  // An exact match wins over an earlier one that differs only in case.
  sandbox.WriteFile("C:\\Work\\src\\exact", "e");
  EXPECT_EQ(Search("C:\\Work\\src\\*.*", kMaskAllFiles).size(), 1u);
  EXPECT_EQ(Search("C:\\Work\\Src\\*.*", kMaskAllFiles).size(), 1u);
  EXPECT_EQ(Search("C:\\Work\\Src\\*.*", kMaskAllFiles)[0].name, "Main.cpp");
}

TEST_F(PlatformSearchTest, CachedDirectoriesFollowRenamesAndRemovalsByThisLayerAndOthers) {
  sandbox.WriteFile("C:\\Top\\Old\\f1", "1");
  EXPECT_EQ(Search("c:\\top\\old\\*.*", kMaskAllFiles).size(), 1u);
  ASSERT_TRUE(fs->MoveFile("c:\\top\\old", "c:\\top\\New").ok());
  std::unique_ptr<DirSearch> search;
  EXPECT_EQ(fs->FindFirst("c:\\top\\old\\*.*", kMaskAllFiles, &search).code(), Status::Code::kPathNotFound);
  EXPECT_EQ(Search("c:\\top\\new\\*.*", kMaskAllFiles).size(), 1u);

  // Changed behind the layer's back: the cache must not keep the old answer.
  ASSERT_EQ(rename(sandbox.HostPath("C:\\Top\\New").c_str(), sandbox.HostPath("C:\\Top\\Other").c_str()), 0);
  EXPECT_EQ(fs->FindFirst("c:\\top\\new\\*.*", kMaskAllFiles, &search).code(), Status::Code::kPathNotFound);
  sandbox.WriteFile("C:\\Top\\NEW\\f2", "2");
  const auto entries = Search("c:\\top\\new\\*.*", kMaskAllFiles);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "f2");

  // A new file found by its lower-case name right after another was added.
  ASSERT_TRUE(fs->CreateNewFile("C:\\Top\\NEW\\Added.txt").ok());
  sandbox.WriteFile("C:\\Top\\NEW\\Behind.txt", "b");
  EXPECT_TRUE(EntryExists(*fs, "c:\\top\\new\\added.txt"));
  EXPECT_TRUE(EntryExists(*fs, "c:\\top\\new\\behind.txt"));
}

TEST_F(PlatformSearchTest, SymbolicLinksAreReparsePointsNeverDirectories) {
  sandbox.MakeDir("C:\\L\\Real");
  ASSERT_EQ(symlink(sandbox.HostPath("C:\\L\\Real").c_str(), sandbox.HostPath("C:\\L\\ToDir").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", sandbox.HostPath("C:\\L\\.dangling").c_str()), 0);
  const auto entries = AttributesByName("C:\\L\\*.*", kMaskEverything);
  EXPECT_EQ(entries.at("ToDir"), kAttrReparsePoint);
  EXPECT_EQ(entries.at(".dangling"), kAttrReparsePoint | kAttrHidden);
  EXPECT_EQ(Attributes("C:\\L\\ToDir"), kAttrReparsePoint);
  // A file search lists a link as one entry, whatever it points to.
  EXPECT_EQ(AttributesByName("C:\\L\\*.*", kAttrReadOnly | kAttrArchive).count("ToDir"), 1u);
}

// The directory walks ask for directories only: files are left out without
// being looked at, and everything else comes out as a full search gives it.
TEST_F(PlatformSearchTest, ADirectoriesOnlySearchGivesWhatAFullSearchGivesLessTheFiles) {
  sandbox.MakeDir("C:\\W\\Sub");
  sandbox.MakeDir("C:\\W\\Flagged");
  sandbox.MakeDir("C:\\W\\.dotdir");
  sandbox.WriteFile("C:\\W\\file.txt", "f");
  sandbox.WriteFile("C:\\W\\.dotfile", "d");
  ASSERT_EQ(symlink(sandbox.HostPath("C:\\W\\Sub").c_str(), sandbox.HostPath("C:\\W\\ToSub").c_str()), 0);
  ASSERT_EQ(mkfifo(sandbox.HostPath("C:\\W\\pipe").c_str(), 0644), 0);
  const bool stores_flags = StoresExtendedAttributes(sandbox.DriveDir('C'));
  if (stores_flags) {
    ASSERT_TRUE(fs->SetAttributes("C:\\W\\Flagged", kAttrHidden | kAttrSystem).ok());
  }

  for (const std::uint32_t mask : {std::uint32_t{kAttrDirectory}, std::uint32_t{kAttrDirectory | kAttrReadOnly},
                                   std::uint32_t{kMaskEverything}}) {
    std::vector<FindData> expected;
    for (const FindData& e : Search("C:\\W\\*.*", mask)) {
      if ((e.attributes & (kAttrDirectory | kAttrReparsePoint)) != 0) expected.push_back(e);
    }
    const auto dirs_only = Search("C:\\W\\*.*", mask | kSearchDirectoriesOnly);
    ASSERT_EQ(dirs_only.size(), expected.size()) << mask;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(dirs_only[i].name, expected[i].name);
      EXPECT_EQ(dirs_only[i].attributes, expected[i].attributes) << expected[i].name;
      EXPECT_EQ(dirs_only[i].dos_time, expected[i].dos_time) << expected[i].name;
    }
  }
  const auto plain = AttributesByName("C:\\W\\*.*", kAttrDirectory | kSearchDirectoriesOnly);
  // A link to a directory is one entry of its own, never a directory.
  EXPECT_EQ(plain.at("ToSub"), kAttrReparsePoint);
  EXPECT_EQ(plain.at("Sub"), kAttrDirectory);
  EXPECT_EQ(plain.count("file.txt"), 0u);
  EXPECT_EQ(plain.count("pipe"), 0u);
  EXPECT_EQ(plain.count(".dotdir"), 0u);
  EXPECT_EQ(plain.count("Flagged"), stores_flags ? 0u : 1u);
  const auto all = AttributesByName("C:\\W\\*.*", kMaskEverything | kSearchDirectoriesOnly);
  EXPECT_EQ(all.at(".dotdir"), kAttrDirectory | kAttrHidden);
  if (stores_flags) {
    EXPECT_EQ(all.at("Flagged"), kAttrDirectory | kAttrHidden | kAttrSystem);
  }
  EXPECT_EQ(all.count(".dotfile"), 0u);
}

// A directory a lookup has entered is searched through that lookup's
// handle only while its own name still leads to it: moved away and
// replaced by a link to where it went, it is neither searched nor passed
// through.
TEST_F(PlatformSearchTest, AnEnteredDirectorySwappedForALinkToItIsNotSearched) {
  sandbox.WriteFile("C:\\T\\Sub\\inside.txt", "i");
  sandbox.MakeDir("C:\\Away");
  std::uint32_t attributes = 0;
  EXPECT_EQ(fs->GetAttributes("c:\\t\\sub\\options.upd", &attributes).code(), Status::Code::kFileNotFound);
  EXPECT_EQ(Search("c:\\t\\sub\\*.*", kMaskAllFiles).size(), 1u);
  const std::string sub = sandbox.HostPath("C:\\T\\Sub");
  const std::string moved = sandbox.HostPath("C:\\Away\\Sub");
  ASSERT_EQ(rename(sub.c_str(), moved.c_str()), 0);
  ASSERT_EQ(symlink(moved.c_str(), sub.c_str()), 0);
  std::unique_ptr<DirSearch> search;
  EXPECT_EQ(fs->FindFirst("c:\\t\\sub\\*.*", kMaskAllFiles, &search).code(), Status::Code::kLinkRefused);
  EXPECT_EQ(fs->GetAttributes("c:\\t\\sub\\inside.txt", &attributes).code(), Status::Code::kLinkRefused);
  EXPECT_FALSE(fs->DeleteFile("c:\\t\\sub\\inside.txt").ok());
  EXPECT_EQ(sandbox.ReadFile("C:\\Away\\Sub\\inside.txt"), "i");
}

// A caller that looks at no stored flag may have them left unread: the
// same entries come back with the same sizes and times, and only what the
// entry itself tells (directory, read-only, a link, a leading "."). A mask
// that leaves out hidden or system entries still needs the flags, so there
// the hint changes nothing.
TEST_F(PlatformSearchTest, ASearchWithoutStoredFlagsKeepsTheEntriesAndTheirOwnBits) {
  const bool stores_flags = StoresExtendedAttributes(sandbox.DriveDir('C'));
  sandbox.WriteFile("C:\\F\\plain.txt", "p");
  sandbox.WriteFile("C:\\F\\flagged.txt", "f");
  sandbox.WriteFile("C:\\F\\ro.txt", "r");
  sandbox.WriteFile("C:\\F\\.dot", "d");
  sandbox.MakeDir("C:\\F\\Sub");
  sandbox.SetReadOnly("C:\\F\\ro.txt", true);
  ASSERT_EQ(symlink("plain.txt", sandbox.HostPath("C:\\F\\link").c_str()), 0);
  if (stores_flags) {
    ASSERT_TRUE(fs->SetAttributes("C:\\F\\flagged.txt", kAttrHidden | kAttrSystem).ok());
  }

  const auto full = Search("C:\\F\\*.*", kMaskEverything);
  const auto lean = Search("C:\\F\\*.*", kMaskEverything | kSearchWithoutStoredFlags);
  ASSERT_EQ(lean.size(), full.size());
  constexpr std::uint32_t kStored = kAttrHidden | kAttrSystem | kAttrArchive;
  for (std::size_t i = 0; i < full.size(); ++i) {
    EXPECT_EQ(lean[i].name, full[i].name);
    EXPECT_EQ(lean[i].size, full[i].size) << full[i].name;
    EXPECT_EQ(lean[i].dos_time, full[i].dos_time) << full[i].name;
    const bool dot = full[i].name[0] == '.' && full[i].name != "." && full[i].name != "..";
    std::uint32_t own = full[i].attributes & ~kStored & ~kAttrNormal;
    if (dot) own |= kAttrHidden;
    EXPECT_EQ(lean[i].attributes, own == 0 ? std::uint32_t{kAttrNormal} : own) << full[i].name;
  }
  const auto lean_by_name = AttributesByName("C:\\F\\*.*", kMaskEverything | kSearchWithoutStoredFlags);
  EXPECT_EQ(lean_by_name.at("ro.txt"), kAttrReadOnly);
  EXPECT_EQ(lean_by_name.at("link"), kAttrReparsePoint);
  EXPECT_EQ(lean_by_name.at("Sub"), kAttrDirectory);
  EXPECT_EQ(lean_by_name.at(".dot"), kAttrHidden);

  // Without hidden and system in the mask, a flagged file stays out.
  const auto plain_mask = AttributesByName("C:\\F\\*.*", kAttrReadOnly | kAttrArchive | kSearchWithoutStoredFlags);
  EXPECT_EQ(plain_mask.count("flagged.txt"), stores_flags ? 0u : 1u);
  EXPECT_EQ(plain_mask.count("plain.txt"), 1u);
  if (stores_flags) {
    EXPECT_EQ(plain_mask.at("plain.txt"), kAttrArchive);
  }
}

// Large directories have their entries looked at by two threads; what each
// entry reports, and the order, must not depend on which one did it.
TEST_F(PlatformSearchTest, EveryEntryOfALargeDirectoryReportsItsOwnValuesInDirectoryOrder) {
  const bool stores_flags = StoresExtendedAttributes(sandbox.DriveDir('D'));
  constexpr int kFiles = 1200;
  for (int i = 0; i < kFiles; ++i) {
    const std::string path = "D:\\Big\\F" + std::to_string(i);
    sandbox.WriteFile(path, std::string(static_cast<std::size_t>(i), 'x'));
    sandbox.SetMtime(path, 1400000000 + 2 * i);
    if (i % 7 == 0) sandbox.SetReadOnly(path, true);
    if (stores_flags && i % 5 == 0) {
      ASSERT_TRUE(fs->SetAttributes(path, kAttrSystem | (i % 7 == 0 ? 1u : 0u)).ok());
    }
  }
  for (int i = 0; i < 30; ++i) sandbox.MakeDir("D:\\Big\\Dir" + std::to_string(i));

  std::vector<std::string> host_order;
  for (const auto& e : std::filesystem::directory_iterator(sandbox.HostPath("D:\\Big"))) {
    host_order.push_back(e.path().filename().string());
  }
  for (int round = 0; round < 3; ++round) {
    const auto entries = Search("D:\\Big\\*.*", kMaskEverything);
    ASSERT_EQ(entries.size(), host_order.size() + 2);
    for (std::size_t k = 0; k < host_order.size(); ++k) {
      const FindData& e = entries[k + 2];
      ASSERT_EQ(e.name, host_order[k]);
      if (e.name[0] == 'D') {
        EXPECT_EQ(e.attributes, kAttrDirectory) << e.name;
        continue;
      }
      const int i = std::stoi(e.name.substr(1));
      std::uint32_t want = (stores_flags && i % 5 == 0) ? kAttrSystem : kAttrArchive;
      if (i % 7 == 0) want |= kAttrReadOnly;
      EXPECT_EQ(e.attributes, want) << e.name;
      EXPECT_EQ(e.attributes, Attributes("D:\\Big\\" + e.name)) << e.name;
      EXPECT_EQ(e.size, static_cast<std::uint64_t>(i)) << e.name;
      EXPECT_EQ(e.dos_time, DosTimeFromTimespec(std::timespec{1400000000 + 2 * i, 0})) << e.name;
    }
  }
}

// A search right after a lookup in the same directory may take that
// lookup's reading of it; it must still see every change made since.
TEST_F(PlatformSearchTest, ASearchAfterALookupSeesWhatChangedInBetween) {
  sandbox.WriteFile("C:\\Pair\\one.txt", "1");
  const auto names = [&] {
    std::set<std::string> out;
    for (const FindData& e : Search("c:\\pair\\*.*", kMaskAllFiles)) out.insert(e.name);
    return out;
  };
  // The case-insensitive miss reads the directory.
  EXPECT_FALSE(EntryExists(*fs, "c:\\pair\\options.upd"));
  EXPECT_EQ(names(), (std::set<std::string>{"one.txt"}));

  EXPECT_FALSE(EntryExists(*fs, "c:\\pair\\options.upd"));
  sandbox.WriteFile("C:\\Pair\\Behind.txt", "b");  // another program
  EXPECT_EQ(names(), (std::set<std::string>{"one.txt", "Behind.txt"}));

  EXPECT_FALSE(EntryExists(*fs, "c:\\pair\\options.upd"));
  ASSERT_TRUE(fs->CreateNewFile("c:\\pair\\Mine.txt").ok());  // this layer
  ASSERT_TRUE(fs->DeleteFile("c:\\pair\\one.txt").ok());
  EXPECT_EQ(names(), (std::set<std::string>{"Behind.txt", "Mine.txt"}));

  EXPECT_FALSE(EntryExists(*fs, "c:\\pair\\options.upd"));
  ASSERT_EQ(std::remove(sandbox.HostPath("C:\\Pair\\Behind.txt").c_str()), 0);
  EXPECT_EQ(names(), (std::set<std::string>{"Mine.txt"}));
}

// Kernels before the relative attribute call (Debian's own among them) read
// the flags by full path; searches and single lookups must agree there too.
TEST_F(PlatformSearchTest, FlagsReadTheSameWithoutTheRelativeAttributeCall) {
  if (!StoresExtendedAttributes(sandbox.DriveDir('C'))) GTEST_SKIP() << "no extended attributes here";
  for (int i = 0; i < 40; ++i) sandbox.WriteFile("C:\\Old\\f" + std::to_string(i), "x");
  sandbox.MakeDir("C:\\Old\\Sub");
  ASSERT_TRUE(fs->SetAttributes("C:\\Old\\f3", kAttrHidden | kAttrSystem).ok());
  ASSERT_TRUE(fs->SetAttributes("C:\\Old\\Sub", kAttrArchive).ok());
  const auto with_call = AttributesByName("C:\\Old\\*.*", kMaskEverything);
  SetXattrAtMissing(true);
  const auto without = AttributesByName("C:\\Old\\*.*", kMaskEverything);
  const std::uint32_t single = Attributes("C:\\Old\\f3");
  SetXattrAtMissing(false);
  EXPECT_EQ(without, with_call);
  EXPECT_EQ(without.at("f3"), kAttrHidden | kAttrSystem);
  EXPECT_EQ(without.at("f4"), kAttrArchive);
  EXPECT_EQ(without.at("Sub"), kAttrDirectory | kAttrArchive);
  EXPECT_EQ(single, kAttrHidden | kAttrSystem);
}

}  // namespace
}  // namespace velqo
