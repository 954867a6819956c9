#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/vfs.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "common/platform/drive_map.h"
#include "common/platform/platform_ops.h"
#include "common/platform/platform_wrapper.h"
#include "common/platform/windows_path.h"
#include "common/posix/posix_platform.h"
#include "tests/support/sandbox.h"

namespace velqo {
namespace {

using testing::Sandbox;

void WriteHostFile(const std::string& host, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(host).parent_path());
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  out << text;
}

std::string ReadHostFile(const std::string& host) {
  std::ifstream in(host, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class PlatformPathsTest : public ::testing::Test {
 protected:
  std::unique_ptr<Platform> Make(const PlatformConfig& config) { return NewPosixPlatform(config); }
  std::string Windows(Platform& fs, const std::string& typed) {
    std::string out;
    const Status st = fs.ToWindowsPath(typed, &out);
    EXPECT_TRUE(st.ok()) << typed << ": " << st.ToString();
    return out;
  }
  Status::Code WindowsCode(Platform& fs, const std::string& typed) {
    std::string out;
    return fs.ToWindowsPath(typed, &out).code();
  }
  std::string Host(Platform& fs, const std::string& windows) {
    std::string out;
    const Status st = fs.ToHostPath(windows, &out);
    EXPECT_TRUE(st.ok()) << windows << ": " << st.ToString();
    return out;
  }

  Sandbox sandbox;
};

TEST(DriveMapTest, LaterLayersReplaceSingleLettersAndOddLinesAreIgnored) {
  DriveMap map("/home/ann");
  map.ApplyIniText(
      "; comment\r\n[Other]\r\nD=/wrong\r\n[ drives ]\r\nD = \"/mnt/backup\"\r\nd=/second/wins/not\r\n"
      "E:=/media/usb\r\nQQ=/nonsense\r\nR=relative/path\r\n[Drives]\r\nF=/later/section\r\n");
  map.ApplyList("E=/tmp/e; C = ~/sub ;G=;Z=");
  ASSERT_NE(map.HostDir('D'), nullptr);
  EXPECT_EQ(*map.HostDir('D'), "/mnt/backup");
  EXPECT_EQ(*map.HostDir('e'), "/tmp/e");
  EXPECT_EQ(*map.HostDir('C'), "/home/ann/sub");
  EXPECT_EQ(map.HostDir('F'), nullptr);
  EXPECT_EQ(map.HostDir('R'), nullptr);
  EXPECT_EQ(map.HostDir('Z'), nullptr);  // removed by the empty value

  std::string w;
  EXPECT_FALSE(map.ToWindows("/etc/passwd", &w));  // no drive holds it now
  ASSERT_TRUE(map.ToWindows("/mnt/backup/a/b", &w));
  EXPECT_EQ(w, "D:\\a\\b");
  ASSERT_TRUE(map.ToWindows("/home/ann/sub", &w));
  EXPECT_EQ(w, "C:\\");
  EXPECT_FALSE(map.ToWindows("/mnt/backupx", &w));
}

TEST_F(PlatformPathsTest, DrivesComeFromDefaultsWinIniAndTheEnvironmentInThatOrder) {
  const std::string ini_dir = sandbox.root() + "/from_ini";
  std::filesystem::create_directories(ini_dir);
  WriteHostFile(sandbox.WindowsDir() + "/Win.ini",
                "[Drives]\nD=" + sandbox.root() + "/overridden\nF=" + ini_dir + "\nG=" + sandbox.root() + "/unplugged\n");
  auto fs = Make(sandbox.Config());
  EXPECT_EQ(Host(*fs, "D:\\x"), sandbox.DriveDir('D') + "/x");
  EXPECT_EQ(Host(*fs, "F:\\x"), ini_dir + "/x");
  EXPECT_EQ(Host(*fs, "Z:\\etc"), "/etc");

  // A drive mapped to a missing directory, or not at all, does not exist.
  for (const char* root : {"G:\\", "Q:\\"}) {
    EXPECT_FALSE(DirectoryExists(*fs, root)) << root;
    std::string name;
    std::uint64_t total = 0, free = 0;
    EXPECT_FALSE(fs->VolumeFileSystemName(root, &name).ok()) << root;
    EXPECT_FALSE(fs->DiskSpace(root, &total, &free).ok()) << root;
    EXPECT_EQ(MakeDirPath(*fs, std::string(root) + "New\\Dir"), root);
  }
  EXPECT_FALSE(std::filesystem::exists(sandbox.root() + "/unplugged"));
}

TEST_F(PlatformPathsTest, TypedPathsBecomeWindowsPaths) {
  auto fs = Make(sandbox.Config());
  const std::string d = sandbox.DriveDir('D');
  EXPECT_EQ(Windows(*fs, d + "/docs//deep/./x/../y"), "D:\\docs\\deep\\y");
  EXPECT_EQ(Windows(*fs, d), "D:\\");
  EXPECT_EQ(Windows(*fs, "/mnt/usb"), "Z:\\mnt\\usb");
  EXPECT_EQ(Windows(*fs, "~"), "C:\\");
  EXPECT_EQ(Windows(*fs, "~/Work/x"), "C:\\Work\\x");
  EXPECT_EQ(Windows(*fs, "c:/x/y"), "c:\\x\\y");
  EXPECT_EQ(Windows(*fs, "C:"), "C:\\");
  EXPECT_EQ(WindowsCode(*fs, ""), Status::Code::kInvalidArgument);
  EXPECT_EQ(WindowsCode(*fs, "docs\\x"), Status::Code::kInvalidArgument);
  EXPECT_EQ(WindowsCode(*fs, "~ann/x"), Status::Code::kInvalidArgument);
  EXPECT_EQ(WindowsCode(*fs, "\\\\server\\share"), Status::Code::kInvalidArgument);
  // A backslash inside a host name is part of that name.
  EXPECT_EQ(Windows(*fs, d + "/back\\slash"), "D:\\back" + std::string(kBackslashStandIn) + "slash");
  EXPECT_EQ(WindowsCode(*fs, "C:\\" + std::string(32765, 'a')), Status::Code::kTooLong);
  EXPECT_EQ(WindowsCode(*fs, d + "/" + std::string(32765, 'a')), Status::Code::kTooLong);
  EXPECT_EQ(Windows(*fs, "C:\\" + std::string(32764, 'a')).size(), 32767u);
}

TEST_F(PlatformPathsTest, PathsBeyond32767CharactersFailCleanlyAndAreNeverCut) {
  auto fs = Make(sandbox.Config());
  const std::string fits = "C:\\" + std::string(253, 'a');
  std::string too_long = "C:\\" + std::string(253, 'a');
  while (too_long.size() <= 32767) too_long += "\\" + std::string(200, 'b');
  ASSERT_GT(too_long.size(), 32767u);
  EXPECT_TRUE(fs->CreateNewFile(fits).ok());
  EXPECT_EQ(fs->CreateNewFile(too_long).code(), Status::Code::kTooLong);
  EXPECT_EQ(fs->CreateDirectory(too_long).code(), Status::Code::kTooLong);
  EXPECT_EQ(fs->CopyFile(fits, too_long).code(), Status::Code::kTooLong);
  EXPECT_EQ(fs->WriteFile(too_long, "x", WriteMode::kTruncate).code(), Status::Code::kTooLong);
  std::uint32_t a = 0;
  EXPECT_EQ(fs->GetAttributes(too_long, &a).code(), Status::Code::kTooLong);
  std::unique_ptr<DirSearch> search;
  EXPECT_EQ(fs->FindFirst(too_long + "\\*.*", kMaskAllFiles, &search).code(), Status::Code::kTooLong);
  // Nothing was created under a shortened name.
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(sandbox.DriveDir('C'))) names.insert(e.path().filename());
  EXPECT_EQ(names, std::set<std::string>{std::string(253, 'a')});
}

TEST_F(PlatformPathsTest, CurrentDirectoryIsAWindowsPathWithRelativeSteps) {
  sandbox.MakeDir("C:\\Work\\Sub");
  auto fs = Make(sandbox.Config());
  ASSERT_TRUE(fs->SetCurrentDirectory("c:\\work").ok());
  EXPECT_EQ(fs->CurrentDirectory(), "C:\\work");
  ASSERT_TRUE(fs->SetCurrentDirectory("Sub").ok());
  EXPECT_EQ(fs->CurrentDirectory(), "C:\\work\\Sub");
  ASSERT_TRUE(fs->CreateNewFile("here.txt").ok());
  EXPECT_TRUE(sandbox.Exists("C:\\Work\\Sub\\here.txt"));
  ASSERT_TRUE(fs->SetCurrentDirectory("..").ok());
  EXPECT_EQ(fs->CurrentDirectory(), "C:\\work");
  EXPECT_FALSE(fs->SetCurrentDirectory("C:\\Missing").ok());
  EXPECT_FALSE(fs->SetCurrentDirectory("C:\\Work\\Sub\\here.txt").ok());
  EXPECT_EQ(fs->CurrentDirectory(), "C:\\work");
}

TEST_F(PlatformPathsTest, VolumeNameAndSpaceOfTheSandboxFileSystem) {
  auto fs = Make(sandbox.Config());
  std::string name;
  ASSERT_TRUE(fs->VolumeFileSystemName("C:\\", &name).ok());
  struct statfs sfs;
  ASSERT_EQ(statfs(sandbox.DriveDir('C').c_str(), &sfs), 0);
  if (sfs.f_type == 0xEF53) {
    EXPECT_TRUE(name == "EXT4" || name == "EXT3" || name == "EXT2") << name;
  } else if (sfs.f_type == 0x01021994) {
    EXPECT_EQ(name, "TMPFS");
  }
  EXPECT_FALSE(name.empty());
  for (const char c : name) EXPECT_FALSE(c >= 'a' && c <= 'z') << name;
  // Asked again, and for another drive on the same file system.
  for (const char* root : {"C:\\", "D:\\", "c:\\"}) {
    std::string again;
    ASSERT_TRUE(fs->VolumeFileSystemName(root, &again).ok());
    EXPECT_EQ(again, name) << root;
  }

  std::uint64_t total = 0, free = 0;
  ASSERT_TRUE(fs->DiskSpace("C:\\", &total, &free).ok());
  struct statvfs vfs;
  ASSERT_EQ(statvfs(sandbox.DriveDir('C').c_str(), &vfs), 0);
  EXPECT_EQ(total, static_cast<std::uint64_t>(vfs.f_blocks) * vfs.f_frsize);
  EXPECT_LE(free, total);
  EXPECT_GT(free, 0u);
}

// A test changes one answer and keeps the real behaviour of the rest.
TEST_F(PlatformPathsTest, AWrapperFixesTheClockAndTheVolumeWithoutFakingTheRest) {
  class Fixed : public PlatformWrapper {
   public:
    using PlatformWrapper::PlatformWrapper;
    LocalTime Now() override { return LocalTime{2001, 2, 3, 4, 5, 6, 0}; }
    Status VolumeFileSystemName(std::string_view, std::string* name) override {
      *name = "FAT32";
      return Status::Ok();
    }
  };
  auto real = Make(sandbox.Config());
  Fixed fs(*real);
  EXPECT_EQ(fs.Now().year, 2001);
  std::string name;
  ASSERT_TRUE(fs.VolumeFileSystemName("D:\\", &name).ok());
  EXPECT_EQ(name, "FAT32");
  EXPECT_EQ(MakeDirPath(fs, "D:\\a\\b\\c"), "");
  EXPECT_TRUE(sandbox.Exists("D:\\a\\b\\c"));
  const LocalTime now = real->Now();
  EXPECT_GE(now.year, 2024);
}

TEST_F(PlatformPathsTest, SystemPlacesAreWindowsPathsThroughTheDriveMap) {
  std::filesystem::remove_all(sandbox.WindowsDir());
  auto fs = Make(sandbox.Config());
  std::string windows_dir;
  ASSERT_TRUE(fs->WindowsDirectory(&windows_dir).ok());
  EXPECT_TRUE(std::filesystem::is_directory(sandbox.WindowsDir()));
  EXPECT_EQ(windows_dir, Windows(*fs, sandbox.WindowsDir()));
  EXPECT_EQ(fs->ProgramDirectory(), Windows(*fs, sandbox.ProgramDir()));
  std::filesystem::remove(sandbox.ProgramDir() + "/Skins");
  EXPECT_EQ(fs->DataDirectory(), Windows(*fs, sandbox.root() + "/share/velqo"));
  std::filesystem::create_directories(sandbox.ProgramDir() + "/Skins");
  EXPECT_EQ(fs->DataDirectory(), fs->ProgramDirectory());

  EXPECT_EQ(fs->ShellFolder("Personal"), "C:\\Documents");
  WriteHostFile(sandbox.ConfigHome() + "/user-dirs.dirs",
                "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
  EXPECT_EQ(fs->ShellFolder("personal"), "C:\\Dokumente");
  EXPECT_EQ(fs->ShellFolder("Desktop"), "C:\\Schreibtisch");
  EXPECT_EQ(fs->ShellFolder("Templates"), "C:\\Templates");
  EXPECT_EQ(fs->ShellFolder("Appdata"), Windows(*fs, sandbox.ConfigHome()));
  EXPECT_EQ(fs->ShellFolder("Local AppData"), Windows(*fs, sandbox.root() + "/data"));
  EXPECT_EQ(fs->ShellFolder("Cookies"), "");

  // A configuration home that cannot hold the directory is an error.
  PlatformConfig broken = sandbox.Config();
  WriteHostFile(sandbox.root() + "/a_file", "x");
  broken.xdg_config_home = sandbox.root() + "/a_file";
  auto bad = Make(broken);
  EXPECT_FALSE(bad->WindowsDirectory(&windows_dir).ok());
}

TEST_F(PlatformPathsTest, LocaleValuesOfTheCLocale) {
  const char* old = std::getenv("LC_ALL");
  const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
  setenv("LC_ALL", "C", 1);
  auto fs = Make(sandbox.Config());
  const IntlSettings intl = fs->LocaleIntl();
  if (saved) {
    setenv("LC_ALL", saved->c_str(), 1);
  } else {
    unsetenv("LC_ALL");
  }
  EXPECT_EQ(intl.date_order, 0);  // %m/%d/%y
  EXPECT_EQ(intl.date_sep, "/");
  EXPECT_EQ(intl.time_sep, ":");
  EXPECT_EQ(intl.clock24, 1);     // %H:%M:%S
  EXPECT_EQ(intl.am, "AM");
  EXPECT_EQ(intl.pm, "PM");
}

TEST_F(PlatformPathsTest, ADriveWhoseDirectoryVanishesIsMissingThoughItsPathsWereCached) {
  sandbox.MakeDir("E:\\Deep\\Er\\Still");
  auto fs = Make(sandbox.Config());
  EXPECT_TRUE(DirectoryExists(*fs, "e:\\deep\\er\\still"));
  std::filesystem::remove_all(sandbox.DriveDir('E'));  // an unplugged disk
  std::uint32_t a = 0;
  EXPECT_EQ(fs->GetAttributes("e:\\deep\\er\\still", &a).code(), Status::Code::kPathNotFound);
  EXPECT_EQ(fs->GetAttributes("E:\\", &a).code(), Status::Code::kPathNotFound);
  std::unique_ptr<DirSearch> search;
  EXPECT_EQ(fs->FindFirst("e:\\deep\\er\\*.*", kMaskEverything, &search).code(), Status::Code::kPathNotFound);
  // Plugged in again with other spellings.
  sandbox.MakeDir("E:\\DEEP\\eR\\sTILL");
  EXPECT_EQ(Host(*fs, "e:\\deep\\er\\still"), sandbox.DriveDir('E') + "/DEEP/eR/sTILL");
}

TEST_F(PlatformPathsTest, LowerCasedLookupsStayTrueAcrossMoreDirectoriesThanAreKept) {
  constexpr int kDirs = 40;
  for (int i = 0; i < kDirs; ++i) sandbox.WriteFile("C:\\Set\\Dir" + std::to_string(i) + "\\Mixed.TXT", "m");
  auto fs = Make(sandbox.Config());
  const auto lower = [](int i) { return "c:\\set\\dir" + std::to_string(i) + "\\mixed.txt"; };
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < kDirs; ++i) {
      EXPECT_EQ(Host(*fs, lower(i)), sandbox.HostPath("C:\\Set\\Dir" + std::to_string(i) + "\\Mixed.TXT"));
      EXPECT_FALSE(EntryExists(*fs, "c:\\set\\dir" + std::to_string(i) + "\\absent"));
    }
  }
  // Changed behind the layer's back, in a directory asked about long ago
  // and in the one asked about last.
  for (const int i : {0, kDirs - 1}) {
    const std::string dir = sandbox.HostPath("C:\\Set\\Dir" + std::to_string(i));
    ASSERT_EQ(rename((dir + "/Mixed.TXT").c_str(), (dir + "/Gone.txt").c_str()), 0);
    sandbox.WriteFile("C:\\Set\\Dir" + std::to_string(i) + "\\MIXED.txt", "new");
    sandbox.WriteFile("C:\\Set\\Dir" + std::to_string(i) + "\\Absent", "now here");
    EXPECT_EQ(Host(*fs, lower(i)), dir + "/MIXED.txt");
    EXPECT_TRUE(EntryExists(*fs, "c:\\set\\dir" + std::to_string(i) + "\\absent"));
  }
}

// Names equal but for case: the first in directory order is the one meant,
// whichever of them this layer adds or removes.
TEST_F(PlatformPathsTest, CaseTwinsAreNeverPickedAmongButAnExactNameIs) {
  sandbox.WriteFile("C:\\Twins\\Name.txt", "1");
  sandbox.WriteFile("C:\\Twins\\NAME.txt", "2");
  sandbox.WriteFile("C:\\Twins\\name.TXT", "3");
  auto fs = Make(sandbox.Config());
  const std::string dir = sandbox.HostPath("C:\\Twins");
  std::string host;
  std::uint32_t attributes = 0;
  // None matches exactly: no operation may take one of them for the other.
  EXPECT_EQ(fs->ToHostPath("c:\\twins\\NaMe.TxT", &host).code(), Status::Code::kAmbiguous);
  EXPECT_EQ(fs->GetAttributes("c:\\twins\\name.txt", &attributes).code(), Status::Code::kAmbiguous);
  EXPECT_EQ(fs->CopyFile("C:\\Twins\\Name.txt", "C:\\Twins\\nAMe.txt").code(), Status::Code::kAmbiguous);
  EXPECT_EQ(sandbox.ReadFile("C:\\Twins\\NAME.txt"), "2");
  // An exact name is always that entry.
  EXPECT_EQ(Host(*fs, "C:\\Twins\\NAME.txt"), dir + "/NAME.txt");
  std::vector<std::string> twins;
  ASSERT_TRUE(fs->CaseTwins("C:\\Twins\\NAME.txt", &twins).ok());
  EXPECT_EQ(twins.size(), 3u);
  // Once one is left, it is found under any spelling; the cache keeps up.
  ASSERT_TRUE(fs->DeleteFile("C:\\Twins\\Name.txt").ok());
  ASSERT_TRUE(fs->DeleteFile("C:\\Twins\\name.TXT").ok());
  EXPECT_EQ(Host(*fs, "c:\\twins\\name.txt"), dir + "/NAME.txt");
  ASSERT_TRUE(fs->MoveFile("c:\\twins\\name.txt", "C:\\Twins\\Other.txt").ok());
  EXPECT_FALSE(EntryExists(*fs, "c:\\twins\\name.txt"));
  EXPECT_EQ(Host(*fs, "c:\\twins\\other.TXT"), dir + "/Other.txt");
}

// A directory whose last change lies well before it was read answers later
// lookups from that reading; they must find exactly what a fresh look
// would: exact names first, twins never picked among, and every change
// since (by this layer or behind its back) seen.
TEST_F(PlatformPathsTest, ASettledDirectoryAnswersLookupsAsAFreshLookWould) {
  sandbox.WriteFile("C:\\Old\\Sub\\Mixed.TXT", "m");
  sandbox.WriteFile("C:\\Old\\Sub\\Twin.txt", "1");
  sandbox.WriteFile("C:\\Old\\Sub\\TWIN.txt", "2");
  sandbox.MakeDir("C:\\Old\\Sub\\Photos");
  std::this_thread::sleep_for(std::chrono::seconds(3));
  auto fs = Make(sandbox.Config());
  const std::string dir = sandbox.HostPath("C:\\Old\\Sub");
  std::uint32_t attributes = 0;
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(Host(*fs, "c:\\old\\sub\\mixed.txt"), dir + "/Mixed.TXT");
    EXPECT_EQ(Host(*fs, "c:\\old\\sub\\photos\\x"), dir + "/Photos/x");
    EXPECT_EQ(fs->GetAttributes("c:\\old\\sub\\twin.txt", &attributes).code(), Status::Code::kAmbiguous);
    EXPECT_EQ(Host(*fs, "c:\\old\\sub\\TWIN.txt"), dir + "/TWIN.txt");
    EXPECT_FALSE(EntryExists(*fs, "c:\\old\\sub\\absent"));
    std::vector<std::string> twins;
    ASSERT_TRUE(fs->CaseTwins("c:\\old\\sub\\twin.txt", &twins).ok());
    EXPECT_EQ(twins.size(), 2u);
  }
  // Behind the layer's back: an exact name appears beside its twin, and
  // a missing one appears.
  sandbox.MakeDir("C:\\Old\\Sub\\photos");
  sandbox.WriteFile("C:\\Old\\Sub\\absent", "a");
  EXPECT_EQ(Host(*fs, "c:\\old\\sub\\photos"), dir + "/photos");
  EXPECT_TRUE(EntryExists(*fs, "c:\\old\\sub\\absent"));
  // Through the layer: the twin goes, the other is found by any spelling.
  ASSERT_TRUE(fs->DeleteFile("C:\\Old\\Sub\\Twin.txt").ok());
  EXPECT_EQ(Host(*fs, "c:\\old\\sub\\twin.txt"), dir + "/TWIN.txt");
}

// Below the tops of a run names are the file system's: another spelling is
// another entry where names keep their case. A typed top still finds its
// directory under any spelling, as before a run.
TEST_F(PlatformPathsTest, BelowAPinnedTopOnlyTheExactNameFindsAnEntry) {
  sandbox.WriteFile("C:\\Top\\Docs\\Plan.txt", "p");
  sandbox.WriteFile("C:\\Top\\Docs\\Old\\x", "x");
  auto fs = Make(sandbox.Config());
  const std::string top = sandbox.HostPath("C:\\Top");
  ASSERT_TRUE(fs->PinTops({"c:\\top"}).ok());
  EXPECT_EQ(Host(*fs, "c:\\top"), top);
  EXPECT_EQ(Host(*fs, "c:\\top\\Docs\\Plan.txt"), top + "/Docs/Plan.txt");
  for (int round = 0; round < 2; ++round) {
    EXPECT_FALSE(EntryExists(*fs, "c:\\top\\docs")) << round;
    EXPECT_FALSE(EntryExists(*fs, "c:\\top\\Docs\\plan.txt")) << round;
    // A missing name keeps its spelling, and so does everything below it.
    EXPECT_EQ(Host(*fs, "c:\\top\\docs\\old\\x"), top + "/docs/old/x");
  }
  ASSERT_TRUE(fs->CreateDirectory("c:\\top\\docs").ok());
  EXPECT_TRUE(std::filesystem::is_directory(top + "/docs"));
  EXPECT_TRUE(std::filesystem::is_directory(top + "/Docs"));
  // Outside the pinned tops the old way holds.
  sandbox.WriteFile("C:\\Elsewhere\\Mixed.TXT", "m");
  EXPECT_EQ(Host(*fs, "c:\\elsewhere\\mixed.txt"), sandbox.HostPath("C:\\Elsewhere") + "/Mixed.TXT");
}

class PlatformProcessTest : public PlatformPathsTest {
 protected:
  // A program that records its arguments, one a line, and exits with code.
  std::string Recorder(const std::string& name, int code) {
    const std::string path = sandbox.root() + "/bin/" + name;
    WriteHostFile(path, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > " + sandbox.root() +
                            "/args.txt\nexit " + std::to_string(code) + "\n");
    chmod(path.c_str(), 0755);
    return path;
  }
};

TEST_F(PlatformProcessTest, TheEditorGetsThePathAsOneArgumentWithoutAShell) {
  const std::string odd = "C:\\odd name; $(touch pwned) `x`.txt";
  sandbox.WriteFile(odd, "text");
  PlatformConfig config = sandbox.Config();
  config.visual = Recorder("myedit", 7) + " --wait";
  auto fs = Make(config);
  EXPECT_EQ(fs->RunEditor(odd), 7);
  EXPECT_EQ(ReadHostFile(sandbox.root() + "/args.txt"), "--wait\n" + sandbox.HostPath(odd) + "\n");
  EXPECT_FALSE(std::filesystem::exists(sandbox.root() + "/pwned"));
}

TEST_F(PlatformProcessTest, EditorFallsBackToEditorAndReportsMinusOneWhenNoneStarts) {
  PlatformConfig config = sandbox.Config();
  config.visual = sandbox.root() + "/bin/missing-editor";
  config.editor = "recorder";
  config.path_env = sandbox.root() + "/empty:" + sandbox.root() + "/bin";
  Recorder("recorder", 0);
  EXPECT_EQ(Make(config)->RunEditor("C:\\file.txt"), 0);
  EXPECT_EQ(ReadHostFile(sandbox.root() + "/args.txt"), sandbox.DriveDir('C') + "/file.txt\n");
  config.editor.clear();
  EXPECT_EQ(Make(config)->RunEditor("C:\\file.txt"), -1);
}

TEST_F(PlatformProcessTest, OpenUrlStartsTheDesktopOpenerButNeverWithAnOption) {
  PlatformConfig config = sandbox.Config();
  config.path_env = sandbox.root() + "/bin";
  auto none = Make(config);
  EXPECT_FALSE(none->OpenUrl("https://example.com/"));
  Recorder("xdg-open", 0);
  auto fs = Make(config);
  EXPECT_TRUE(fs->OpenUrl("https://example.com/a b"));
  EXPECT_EQ(ReadHostFile(sandbox.root() + "/args.txt"), "https://example.com/a b\n");
  EXPECT_FALSE(fs->OpenUrl("--help"));
  EXPECT_FALSE(fs->OpenUrl("https://x/\nsecond"));
}

}  // namespace
}  // namespace velqo
