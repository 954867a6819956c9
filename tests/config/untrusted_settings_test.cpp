// Settings files as hostile or shared input: OPTIONS.UPD files that are
// links or too large, edits made by someone else between two writes, and
// stored paths longer than their arrays.

#include <unistd.h>

#include "common/platform/platform_wrapper.h"
#include "config/ini_load.h"
#include "config/ini_writers.h"
#include "config/options_upd.h"
#include "engine/update_run.h"
#include "tests/config/config_fixture.h"

namespace velqo::testing {
namespace {

// The real platform, counting the writes that reach each file (by name).
class CountingPlatform : public PlatformWrapper {
 public:
  using PlatformWrapper::PlatformWrapper;
  Status WriteFile(std::string_view path, std::string_view contents, WriteMode mode,
                   const FileAccess& access = {}) override {
    ++writes[std::string(path.substr(path.rfind('\\') + 1))];
    return PlatformWrapper::WriteFile(path, contents, mode, access);
  }
  std::map<std::string, int> writes;
};

class UntrustedSettings : public ConfigTest {
 protected:
  UntrustedSettings() { UsePlatform(platform); }

  // The program started on a complete INI file; its boxes forgotten.
  void StartPlain() {
    WriteHost(ProgIni(), FullIni());
    ASSERT_TRUE(Start());
    host.boxes.clear();
    platform.writes.clear();
  }
  std::string UpdHost() const { return sandbox.HostPath(kUpd); }
  const OptionSet& Active() const { return state->opt.ActiveOptions; }

  static constexpr std::string_view kUpd = "C:\\DATA\\OPTIONS.UPD";
  static constexpr std::string_view kUpdRefused =
      "). Directory Pairs With This Dir 1 Are Not Updated Until The File Is Fixed Or Deleted.";
  CountingPlatform platform{*fs};
};

TEST_F(UntrustedSettings, ALinkedOptionsUpdIsNeitherReadNorWrittenAndItsPairIsNotUpdated) {
  StartPlain();
  // A file a root job trusts, reached through a link in a shared Dir 1.
  const std::string victim = "[WINVELQO]\nCleanUp=1\n";
  WriteHost(sandbox.HostPath("E:\\victim"), victim);
  sandbox.MakeDir("C:\\DATA");
  ASSERT_EQ(symlink(sandbox.HostPath("E:\\victim").c_str(), UpdHost().c_str()), 0);
  DeriveActiveOptions(*state, "C:\\DATA");
  EXPECT_EQ(host.MessageTexts(),
            std::vector<std::string>{"The Options File C:\\DATA\\OPTIONS.UPD Cannot Be Used (It Is "
                                     "A Symbolic Link" + std::string(kUpdRefused)});
  EXPECT_EQ(state->flags.PairStopped, 1);
  EXPECT_EQ(state->flags.ErrorLogged, 1);
  EXPECT_EQ(state->opt.OptUpdInUse, 0);
  EXPECT_EQ(Active().CleanUp, 0);  // never the link's CleanUp
  host.boxes.clear();
  WriteOptionsUpd(*state, "C:\\DATA");
  EXPECT_EQ(Count("Error in writing to OPTIONS.UPD - ReSelect Options"), 1);
  EXPECT_EQ(ReadHost(sandbox.HostPath("E:\\victim")), victim);
  EXPECT_EQ(platform.writes["OPTIONS.UPD"], 0);
}

TEST_F(UntrustedSettings, AnOptionsUpdJustOverOneMebibyteIsRefusedAndOneJustUnderIsRead) {
  StartPlain();
  const std::string keys = FullIni({{"CleanUp", "1"}});
  const std::string fits = keys + std::string((1u << 20) - keys.size(), ' ');
  WriteHost(UpdHost(), fits);
  DeriveActiveOptions(*state, "C:\\DATA");
  EXPECT_EQ(state->opt.OptUpdInUse, 1);
  EXPECT_EQ(Active().CleanUp, 1);
  EXPECT_TRUE(host.boxes.empty());

  WriteHost(UpdHost(), fits + " ");
  DeriveActiveOptions(*state, "C:\\DATA");
  EXPECT_EQ(host.MessageTexts(),
            std::vector<std::string>{"The Options File C:\\DATA\\OPTIONS.UPD Cannot Be Used (It Is "
                                     "Larger Than 1 MiB" + std::string(kUpdRefused)});
  EXPECT_EQ(Active().CleanUp, 0);
  EXPECT_EQ(ReadHost(UpdHost()).size(), (1u << 20) + 1);
  // A sparse giant costs nothing to refuse.
  ASSERT_EQ(truncate(UpdHost().c_str(), off_t{1} << 30), 0);
  DeriveActiveOptions(*state, "C:\\DATA");
  EXPECT_EQ(host.boxes.size(), 2u);
  EXPECT_EQ(platform.writes["OPTIONS.UPD"], 0);
}

TEST_F(UntrustedSettings, TheRepairsOfALoadAreOneWrite) {
  WriteHost(ProgIni(), FullIni({}, {"CleanUp", "IncRODir", "ArchiveFilter", "ExtString",
                                    "MainLeft", "MainSkin"}));
  ASSERT_TRUE(Start());
  EXPECT_EQ(platform.writes["WINVELQO.INI"], 1);
  EXPECT_EQ(Value("IncRODir"), "1");
  EXPECT_EQ(Value("MainSkin"), "Gray Ghost");

  WriteHost(UpdHost(), "[WINVELQO]\nVelqoOnly=1\nCleanUp=1\n");
  DeriveActiveOptions(*state, "C:\\DATA");
  EXPECT_EQ(platform.writes["OPTIONS.UPD"], 1);
  EXPECT_EQ(Value("ExclDays", UpdHost()), "0");
  EXPECT_EQ(Value("AppendToFile", UpdHost()), "1");
  WriteOptionsUpd(*state, "C:\\DATA");
  EXPECT_EQ(platform.writes["OPTIONS.UPD"], 2);

  std::filesystem::remove(ProgIni());
  platform.writes.clear();
  IniReloadAfterEdit(*state);  // a first run writes its whole set at once
  EXPECT_EQ(platform.writes["WINVELQO.INI"], 1);
  EXPECT_EQ(Value("VelqoOnly"), "1");
  EXPECT_EQ(Value("Path1"), "c:\\");
}

TEST_F(UntrustedSettings, AnEditMadeBetweenTwoWritesIsKept) {
  StartPlain();
  host.dir1 = "C:\\";
  host.dir2 = "D:\\";
  // While the program runs, the user edits the file in an editor.
  std::string edited = FullIni({{"CleanUp", "1"}}) + "[Batch1]\r\nDirPair1=C:\\!D:\\\r\n";
  WriteHost(ProgIni(), edited);
  WriteOnClose(*state, {5, 6, 700, 500}, 1920, 1080);
  EXPECT_EQ(Value("CleanUp"), "1");
  EXPECT_EQ(Value("MainLeft"), "5");
  EXPECT_NE(ReadHost(ProgIni()).find("[Batch1]\r\nDirPair1=C:\\!D:\\\r\n"), std::string::npos);
  EXPECT_EQ(platform.writes["WINVELQO.INI"], 1);
}

TEST_F(UntrustedSettings, AnIniFileOverSixteenMebibytesIsSaidOnceAndLeftAsItIs) {
  WriteHost(ProgIni(), FullIni({{"CleanUp", "1"}}));
  ASSERT_EQ(truncate(ProgIni().c_str(), (off_t{16} << 20) + 1), 0);
  ASSERT_TRUE(Start());
  EXPECT_EQ(host.MessageTexts(),
            std::vector<std::string>{"The Settings File " + state->places.IniPath +
                                     " Cannot Be Used (It Is Larger Than 16 MiB). The First-Run "
                                     "Settings Are Used For This Session And The File Is Left As "
                                     "It Is."});
  EXPECT_EQ(platform.writes["WINVELQO.INI"], 0);
  EXPECT_EQ(std::filesystem::file_size(ProgIni()), (std::uintmax_t{16} << 20) + 1);
  EXPECT_EQ(Defaults().VelqoOnly, 1);
  EXPECT_EQ(Defaults().CleanUp, 0);
}

// A stored host path is read whole: its first 257 characters named a
// sibling directory, which a cut path would have updated (and in CleanUp,
// emptied Dir 2 for).
TEST_F(UntrustedSettings, StoredPathsAreReadWholeAndRefusedWhenTheyDoNotFit) {
  const std::string top = sandbox.DriveDir('c') + "/keep/";
  const std::string wanted = top + std::string(262 - top.size(), 'n');
  const std::string sibling = wanted.substr(0, 257);
  std::filesystem::create_directories(wanted);
  std::filesystem::create_directories(sibling);
  const std::string windows_form = "C:\\keep\\" + wanted.substr(top.size());
  ASSERT_LE(windows_form.size(), 256u);
  const std::string too_long = "C:\\" + std::string(254, 'x');
  WriteHost(ProgIni(), FullIni({{"Path1", wanted}, {"Path2", too_long}, {"LogFilePath", wanted}}));
  ASSERT_TRUE(Start());
  EXPECT_EQ(state->Path1.view(), windows_form);
  EXPECT_EQ(state->Path2.view(), "");  // refused: the run reports it invalid
  EXPECT_EQ(Defaults().LogFilePath.view(), windows_form);
  EXPECT_TRUE(host.boxes.empty());

  WriteHost(ProgIni(), FullIni({{"LogFilePath", too_long}, {"EnableLog", "1"}}));
  IniReloadAfterEdit(*state);
  EXPECT_EQ(Defaults().EnableLog, 0);
  EXPECT_TRUE(host.ShownContaining("Store The Log Files - " + too_long + " Does Not Exist"));
}

TEST_F(UntrustedSettings, AnUpdateLeavesThePairOfAnUnusableOptionsUpdAlone) {
  WriteHost(ProgIni(), FullIni({{"ConfirmEveryFile", "0"}, {"CreateBackup", "0"}}));
  ASSERT_TRUE(Start());
  sandbox.WriteFile("C:\\DATA\\a.txt", "new");
  sandbox.SetMtime("C:\\DATA\\a.txt", 1700000000);
  sandbox.WriteFile("D:\\B\\a.txt", "old");
  sandbox.SetMtime("D:\\B\\a.txt", 1600000000);
  sandbox.WriteFile("E:\\victim", "[WINVELQO]\r\n");
  ASSERT_EQ(symlink(sandbox.HostPath("E:\\victim").c_str(), UpdHost().c_str()), 0);
  host.dir1 = "C:\\DATA";
  host.dir2 = "D:\\B";
  RunUpdate(*state);
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\a.txt"), "old");
  EXPECT_EQ(state->flags.ErrorLogged, 1);
  EXPECT_TRUE(host.Shown("An Error Occurred On This Update - Check Log File"));
  // The same pair is updated once the file is gone.
  std::filesystem::remove(UpdHost());
  RunUpdate(*state);
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\a.txt"), "new");
}

}  // namespace
}  // namespace velqo::testing
