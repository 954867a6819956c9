#include "config/config_texts.h"
#include "config/ini_load.h"
#include "config/ini_writers.h"
#include "tests/config/config_fixture.h"

#include <unistd.h>

#include <filesystem>

namespace velqo::testing {
namespace {

class IniLoadTest : public ConfigTest {};

TEST_F(IniLoadTest, RepairsEachClassOfMissingKeyAndWritesItBack) {
  WriteHost(ProgIni(), FullIni({}, {"CleanUp", "IncRODir", "ArchiveFilter", "HiddenFilter",
                                    "ExclDaysInt", "ExtString", "ExclDaysDriveString",
                                    "IgnoreOptUpd", "LogFilePath", "MainLeft"}));
  ASSERT_TRUE(Start());
  EXPECT_EQ(Value("CleanUp"), "0");
  EXPECT_EQ(Value("IncRODir"), "1");
  EXPECT_EQ(Value("ArchiveFilter"), "2");
  EXPECT_EQ(Value("HiddenFilter"), "0");
  EXPECT_EQ(Value("ExclDaysInt"), "0");
  EXPECT_EQ(Value("ExtString"), "");
  EXPECT_EQ(Value("ExclDaysDriveString"), "");
  EXPECT_EQ(Value("IgnoreOptUpd"), "0");
  EXPECT_EQ(Defaults().IgnoreOptUpd, 0);
  EXPECT_EQ(Value("MainLeft"), "10");
  EXPECT_EQ(Value("LogFilePath"), fs->ProgramDirectory() + "\\LOG");
  EXPECT_TRUE(std::filesystem::is_directory(sandbox.ProgramDir() + "/LOG"));
  EXPECT_EQ(Defaults().ArchiveFilter, 2);
  EXPECT_EQ(Defaults().IncRODir, 1);
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(IniLoadTest, BoxKeysShowTheBoxAtEveryLoadAndKeepTwo) {
  WriteHost(ProgIni(), FullIni({{"MainLeft", "30000"}}, {"Add1To2", "UseBatchFile", "CreateNewDir"}));
  ASSERT_TRUE(Start());
  EXPECT_EQ(Count("Error in WINVELQO.INI - ReSelect Options"), 2);
  EXPECT_EQ(Defaults().Add1To2, 2);
  EXPECT_EQ(Defaults().UseBatchFile, 2);
  EXPECT_EQ(Defaults().CreateNewDir, 2);
  EXPECT_EQ(Value("Add1To2"), "<missing>");
  EXPECT_EQ(Value("CreateNewDir"), "<missing>");
  EXPECT_EQ(state->window.MainLeft, 10);
  IniLoad(*state);
  EXPECT_EQ(Count("Error in WINVELQO.INI - ReSelect Options"), 4);
}

TEST_F(IniLoadTest, FieldsSetFromOtherFields) {
  WriteHost(ProgIni(), FullIni({{"ReadOnlyFilter", "2"}, {"XATTR", "0"}, {"JFDI", "1"},
                                {"ConfirmEveryFile", "1"}, {"CreateNewDir", "0"},
                                {"EnableLog", "0"}, {"SelectSeparate", "0"},
                                {"ExclDaysDriveString", "[-c-]"}}));
  ASSERT_TRUE(Start());
  EXPECT_EQ(Defaults().XATTR, 1);
  EXPECT_EQ(Defaults().ConfirmEveryFile, 0);
  EXPECT_EQ(Defaults().CreateNewDir, 1);
  EXPECT_EQ(Defaults().EnableLog, 1);
  EXPECT_EQ(Defaults().SelectSeparate, 1);
  EXPECT_EQ(Defaults().ExclDaysDriveString.view(), "c");
  EXPECT_EQ(Count(std::string(kAlertJfdiAtLoad)), 1);
  // The file keeps what it said; only the session's set is changed.
  EXPECT_EQ(Value("XATTR"), "0");
}

TEST_F(IniLoadTest, AMissingModeKeyStopsTheSelectSeparateRepair) {
  WriteHost(ProgIni(), FullIni({{"SelectSeparate", "0"}}, {"UseDir1"}));
  ASSERT_TRUE(Start());
  EXPECT_EQ(Defaults().SelectSeparate, 0);
  EXPECT_EQ(Defaults().UseDir1, 2);
}

TEST_F(IniLoadTest, HandEditedFileLoadsAndSurvivesLaterWrites) {
  const std::string long_ext(1500, 'e');
  const std::string odd =
      "  CleanUp =  -3  \n Add1To2=abc\rExtString=" + long_ext +
      "\nFileString=\"a.txt,b.txt\"\nPath1=C:\\" + std::string(300, 'p') +
      "\n\n; a note\nMyOwnKey=keep me\n";
  std::string rest = FullIni({}, {"CleanUp", "Add1To2", "ExtString", "FileString", "Path1"});
  rest.erase(0, rest.find('\n') + 1);
  WriteHost(ProgIni(), "; my settings\n\n[WINVELQO]\r\n" + odd + rest + "[Other]\nx=1\n");
  ASSERT_TRUE(Start());
  EXPECT_EQ(Defaults().CleanUp, -3);
  EXPECT_EQ(Defaults().Add1To2, 0);
  EXPECT_EQ(Defaults().ExtString.size(), 1100u);
  EXPECT_EQ(Defaults().FileString.view(), "a.txt,b.txt");
  EXPECT_EQ(state->Path1.view(), "");  // refused, not cut into another path
  host.dir1 = "C:\\";
  host.dir2 = "D:\\";
  WriteOnClose(*state, {5, 6, 700, 500}, 1920, 1080);
  const std::string after = ReadHost(ProgIni());
  for (const std::string& part : std::vector<std::string>{"; my settings", "MyOwnKey=keep me", "ExtString=" + long_ext,
                                 "[Other]", "  CleanUp =  -3  "}) {
    EXPECT_NE(after.find(part), std::string::npos) << part;
  }
  EXPECT_EQ(Value("MainLeft"), "5");
}

TEST_F(IniLoadTest, ChoosesTheSkin) {
  WriteHost(ProgIni(), FullIni({{"MainSkin", ""}}));
  ASSERT_TRUE(Start());
  EXPECT_EQ(Value("MainSkin"), "Gray Ghost");
  EXPECT_EQ(state->window.SkinInUse, "None");  // no such skin file
  WriteHost(sandbox.ProgramDir() + "/Skins/Blue.skn", "skin");
  WriteHost(ProgIni(), FullIni({{"MainSkin", "Blue"}}));
  state->profiles.Flush();
  IniLoad(*state);
  EXPECT_EQ(state->window.SkinInUse, "Blue");
  sandbox.WriteFile("C:\\here\\noskins.txt", "");
  ASSERT_TRUE(fs->SetCurrentDirectory("C:\\here").ok());
  IniLoad(*state);
  EXPECT_EQ(state->window.SkinInUse, "None");
}

TEST_F(IniLoadTest, ALogDirectoryThatCannotBeMadeSwitchesLoggingOffForTheSession) {
  WriteHost(ProgIni(), FullIni({{"LogFilePath", "Q:\\logs"}, {"EnableLog", "1"}}));
  ASSERT_TRUE(Start());
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].caption, "Caution!");
  EXPECT_TRUE(host.ShownContaining("Store The Log Files - Q:\\logs Does Not Exist"));
  EXPECT_EQ(Defaults().EnableLog, 0);
  EXPECT_EQ(Value("EnableLog"), "1");
}

TEST_F(IniLoadTest, ALogDirectoryThatIsALinkIsSaidToBeOneAndLoggingGoesOff) {
  sandbox.MakeDir("C:\\real-logs");
  ASSERT_EQ(symlink(sandbox.HostPath("C:\\real-logs").c_str(),
                    sandbox.HostPath("C:\\linked-logs").c_str()),
            0);
  WriteHost(ProgIni(), FullIni({{"LogFilePath", "C:\\linked-logs"}, {"EnableLog", "1"}}));
  ASSERT_TRUE(Start());
  EXPECT_TRUE(host.ShownContaining("Store The Log Files - C:\\linked-logs Is Not A Directory"));
  EXPECT_FALSE(host.ShownContaining("Does Not Exist"));
  EXPECT_EQ(Defaults().EnableLog, 0);
  EXPECT_TRUE(std::filesystem::is_empty(sandbox.HostPath("C:\\real-logs")));
}

TEST_F(IniLoadTest, IntlSettingsComeFromWinIniOrTheTestDialog) {
  WriteHost(sandbox.WindowsDir() + "/WIN.INI",
            "[intl]\niDate=1\niTime=0\nsDate=..\nsTime=:\ns1159=morning\ns2359=PM\n");
  WriteHost(ProgIni(), FullIni());
  ASSERT_TRUE(Start());
  EXPECT_EQ(state->intl.date_order, 1);
  EXPECT_EQ(state->intl.date_sep, ".");
  EXPECT_EQ(state->intl.am, "morni");
  state->sw.IntlTest = 1;
  host.intl_ok = true;
  host.intl_time = 1;
  host.intl_date = 2;
  IniLoad(*state);
  EXPECT_EQ(state->intl.clock24, 1);
  EXPECT_EQ(state->intl.date_order, 2);
  EXPECT_EQ(state->intl.date_sep, ".");
  host.intl_time = -1;
  host.intl_date = -1;
  IniLoad(*state);
  EXPECT_EQ(state->intl.clock24, 0);
  EXPECT_EQ(state->intl.date_order, 0);
  host.intl_ok = false;
  IniLoad(*state);
  EXPECT_EQ(state->intl.date_order, 1);
}

}  // namespace
}  // namespace velqo::testing
