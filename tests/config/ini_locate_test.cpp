#include "common/platform/platform_wrapper.h"
#include "config/config_texts.h"
#include "config/ini_writers.h"
#include "tests/config/config_fixture.h"

namespace velqo::testing {
namespace {

class IniLocate : public ConfigTest {};

TEST_F(IniLocate, UsesTheProgramDirectoryFileAndLeavesNoProbe) {
  WriteHost(ProgIni(), FullIni({{"CleanUp", "1"}}));
  WriteHost(WinIni(), FullIni({{"CleanUp", "0"}}));
  WriteHost(sandbox.ProgramDir() + "/X2Y3Z1A4.ZZZ", "left by a crash");
  ASSERT_TRUE(Start());
  EXPECT_EQ(state->places.IniPath, fs->ProgramDirectory() + "\\WINVELQO.INI");
  EXPECT_EQ(Defaults().CleanUp, 1);
  EXPECT_FALSE(std::filesystem::exists(sandbox.ProgramDir() + "/X2Y3Z1A4.ZZZ"));
}

TEST_F(IniLocate, CopiesTheWindowsDirectoryFileIntoTheProgramDirectory) {
  const std::string original = FullIni({{"CleanUp", "1"}}) + "[Batch1]\nDirPair1=C:\\!D:\\\n";
  WriteHost(WinIni(), original);
  ASSERT_TRUE(Start());
  EXPECT_EQ(state->places.IniPath, fs->ProgramDirectory() + "\\WINVELQO.INI");
  EXPECT_EQ(ReadHost(ProgIni()), original);
  EXPECT_EQ(Defaults().CleanUp, 1);
  host.dir1 = "E:\\";
  host.dir2 = "D:\\";
  WriteOnClose(*state, {1, 2, 500, 400}, 1920, 1080);
  EXPECT_EQ(Value("Path1"), "E:\\");
  EXPECT_EQ(ReadHost(WinIni()), original);
}

// A program directory in which nothing can be created.
class ReadOnlyProgramDir : public PlatformWrapper {
 public:
  using PlatformWrapper::PlatformWrapper;
  Status CreateNewFile(std::string_view path) override {
    if (path.ends_with("X2Y3Z1A4.ZZZ")) return Status::AccessDenied("test");
    return PlatformWrapper::CreateNewFile(path);
  }
};

TEST_F(IniLocate, AReadOnlyProgramDirectoryUsesTheWindowsDirectoryFile) {
  ReadOnlyProgramDir platform(*fs);
  UsePlatform(platform);
  ASSERT_TRUE(Start());
  std::string windows_dir;
  ASSERT_TRUE(fs->WindowsDirectory(&windows_dir).ok());
  EXPECT_EQ(state->places.IniPath, windows_dir + "\\WINVELQO.INI");
  EXPECT_EQ(Value("VelqoOnly", WinIni()), "1");
  EXPECT_EQ(Value("LogFilePath", WinIni()), windows_dir + "\\LOG");
  EXPECT_FALSE(std::filesystem::exists(ProgIni()));
}

class NoWindowsDir : public PlatformWrapper {
 public:
  using PlatformWrapper::PlatformWrapper;
  Status WindowsDirectory(std::string*) override { return Status::PathNotFound("test"); }
};

TEST_F(IniLocate, NoWindowsDirectoryEndsTheStart) {
  NoWindowsDir platform(*fs);
  UsePlatform(platform);
  EXPECT_FALSE(Start());
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].text, "Could Not Find Windows Directory");
  EXPECT_EQ(host.Messages()[0].caption, "Error");
  EXPECT_EQ(host.Messages()[0].icon, Icon::kWarning);
  EXPECT_FALSE(std::filesystem::exists(ProgIni()));
}

// An installed program finds its data in ../share/velqo: its settings and
// first-run logs go to the Windows directory even when it could write
// beside itself (as root can).
TEST_F(IniLocate, AnInstalledProgramKeepsItsSettingsInTheWindowsDirectory) {
  std::filesystem::remove(sandbox.ProgramDir() + "/Skins");
  std::filesystem::create_directories(sandbox.root() + "/share/velqo");
  WriteHost(WinIni(), FullIni({{"CleanUp", "1"}}, {"LogFilePath"}));
  ASSERT_TRUE(Start());
  std::string windows_dir;
  ASSERT_TRUE(fs->WindowsDirectory(&windows_dir).ok());
  EXPECT_EQ(state->places.IniPath, windows_dir + "\\WINVELQO.INI");
  EXPECT_EQ(Defaults().CleanUp, 1);
  EXPECT_EQ(Value("LogFilePath", WinIni()), windows_dir + "\\LOG");
  EXPECT_TRUE(std::filesystem::is_directory(sandbox.WindowsDir() + "/LOG"));
  EXPECT_EQ(std::filesystem::directory_iterator(sandbox.ProgramDir()),
            std::filesystem::directory_iterator());
}

// A program outside every drive has no Windows form: its settings must not
// land in whatever the current directory is.
class UnmappableProgram : public PlatformWrapper {
 public:
  using PlatformWrapper::PlatformWrapper;
  std::string ProgramDirectory() override { return {}; }
  std::string DataDirectory() override { return {}; }
};

TEST_F(IniLocate, AProgramWithoutAWindowsFormNeverUsesTheCurrentDirectory) {
  UnmappableProgram platform(*fs);
  UsePlatform(platform);
  sandbox.MakeDir("C:\\here");
  ASSERT_TRUE(fs->SetCurrentDirectory("C:\\here").ok());
  ASSERT_TRUE(Start());
  std::string windows_dir;
  ASSERT_TRUE(fs->WindowsDirectory(&windows_dir).ok());
  EXPECT_EQ(state->places.IniPath, windows_dir + "\\WINVELQO.INI");
  EXPECT_EQ(Value("VelqoOnly", WinIni()), "1");
  EXPECT_FALSE(sandbox.Exists("C:\\here\\WINVELQO.INI"));
  EXPECT_FALSE(sandbox.Exists("C:\\here\\LOG"));
}

}  // namespace
}  // namespace velqo::testing
