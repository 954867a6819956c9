#include "config/config_texts.h"
#include "config/options_upd.h"
#include "tests/config/config_fixture.h"

namespace velqo::testing {
namespace {

class OptionsUpd : public ConfigTest {
 protected:
  void SetUp() override {
    WriteHost(ProgIni(), FullIni({{"UseDir1And", "1"}, {"ExtString", "bak"}}));
    ASSERT_TRUE(Start());
    host.boxes.clear();
  }
  const std::string kUpd = "C:\\DATA\\OPTIONS.UPD";
  std::string UpdHost() { return sandbox.HostPath(kUpd); }
  const OptionSet& Active() { return state->opt.ActiveOptions; }
};

TEST_F(OptionsUpd, PathHasOneSeparatorAfterARoot) {
  EXPECT_EQ(OptionsUpdPath("C:\\"), "C:\\OPTIONS.UPD");
  EXPECT_EQ(OptionsUpdPath("C:\\DATA"), "C:\\DATA\\OPTIONS.UPD");
}

TEST_F(OptionsUpd, DerivationOverlaysTheFileOnTheDefaultsAndRepairsIt) {
  WriteHost(UpdHost(),
            "[WINVELQO]\nVelqoOnly=0\nAdd1To2=1\nAddBothWays=0\nCleanUp=0\nConfirmEveryFile=0\n"
            "CreateBackup=0\nCreateNewDir=1\nIncl=1\nInclFile=0\nReadOnlyFilter=1\nExclDays=-1\n"
            "ExtString=txt,doc\nFileString=\nLogFilePath=D:\\elsewhere\nShowHints=0\n");
  DeriveActiveOptions(*state, "C:\\DATA");
  EXPECT_EQ(state->opt.OptUpdInUse, 1);
  EXPECT_EQ(Active().Add1To2, 1);
  EXPECT_EQ(Active().XATTR, 1);
  EXPECT_EQ(Active().UseDir1And, 1);                  // not carried: the defaults'
  EXPECT_EQ(Active().LogFilePath.view(), "C:\\LOG");  // never read
  EXPECT_EQ(Active().ShowHints, 1);
  EXPECT_EQ(state->opt.Tables.NumExtensions, 2);
  EXPECT_EQ(state->opt.Tables.ExtensionTable[1].view(), "doc");
  EXPECT_EQ(Active().ArchiveFilter, 2);
  EXPECT_EQ(Value("ArchiveFilter", UpdHost()), "2");
  EXPECT_EQ(Active().ExclDays, 0);  // negative counts as missing
  EXPECT_EQ(Value("ExclDays", UpdHost()), "0");
  EXPECT_EQ(Value("AppendToFile", UpdHost()), "1");
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(state->opt.DirOptions.Add1To2, 1);
}

TEST_F(OptionsUpd, AFileMayNarrowTheRunButNeverMakeItDeleteWriteIntoDir1OrAsk) {
  OptionSet& session = state->opt.SessionOptions;
  session.VelqoOnly = 0;
  session.Add1To2 = 1;
  session.AddBothWays = 0;
  session.CleanUp = 0;
  session.OneWay = 1;
  session.JFDI = 1;
  session.ConfirmEveryFile = 0;
  session.CreateNewDir = 1;
  session.EnableLog = 1;
  session.DIRDEL = 0;
  session.DeleteExclDays = 0;
  state->opt.DefaultOptions.DIRDEL = 1;
  state->opt.DefaultOptions.DeleteExclDays = 1;
  const std::string keys =
      "ConfirmEveryFile=1\nCreateBackup=0\nCreateNewDir=0\nIncl=0\nInclFile=0\n"
      "ExclDays=1\nExclDaysInt=3\nEnableLog=0\nExtString=\nFileString=\n";
  WriteHost(UpdHost(), "[WINVELQO]\nVelqoOnly=0\nAdd1To2=0\nAddBothWays=0\nCleanUp=1\n" + keys);
  DeriveRunOptions(*state, "C:\\DATA");
  EXPECT_EQ(Active().CleanUp, 0);
  EXPECT_EQ(Active().Add1To2, 1);
  EXPECT_EQ(Active().DIRDEL, 0);
  EXPECT_EQ(Active().DeleteExclDays, 0);
  EXPECT_EQ(Active().ExclDays, 1);  // narrowing the files is the file's to say
  EXPECT_EQ(Active().CreateBackup, 0);
  EXPECT_EQ(Active().JFDI, 1);
  EXPECT_EQ(Active().ConfirmEveryFile, 0);
  EXPECT_EQ(Active().CreateNewDir, 1);
  EXPECT_EQ(Active().EnableLog, 1);
  EXPECT_EQ(Active().OneWay, 1);
  EXPECT_EQ(state->opt.DirOptions.CleanUp, 1);  // what the dialog shows and saves

  // Nor a two-way mode into a one-way run; a narrower mode is taken.
  WriteHost(UpdHost(), "[WINVELQO]\nVelqoOnly=0\nAdd1To2=0\nAddBothWays=1\nCleanUp=0\n" + keys);
  DeriveRunOptions(*state, "C:\\DATA");
  EXPECT_EQ(Active().AddBothWays, 0);
  EXPECT_EQ(Active().Add1To2, 1);
  WriteHost(UpdHost(), "[WINVELQO]\nVelqoOnly=1\nAdd1To2=0\nAddBothWays=0\nCleanUp=0\n" + keys);
  DeriveRunOptions(*state, "C:\\DATA");
  EXPECT_EQ(Active().VelqoOnly, 1);
  EXPECT_EQ(Active().Add1To2, 0);

  // A run that deletes may keep deleting by the file's word.
  session.Add1To2 = 0;
  session.CleanUp = 1;
  WriteHost(UpdHost(), "[WINVELQO]\nVelqoOnly=0\nAdd1To2=0\nAddBothWays=0\nCleanUp=1\n" + keys);
  DeriveRunOptions(*state, "C:\\DATA");
  EXPECT_EQ(Active().CleanUp, 1);
}

TEST_F(OptionsUpd, EachMissingBoxKeyIsReportedOnce) {
  WriteHost(UpdHost(), "[WINVELQO]\nVelqoOnly=1\nAdd1To2=-2\n");
  DeriveActiveOptions(*state, "C:\\DATA");
  const std::string box =
      "There Is An Error In File C:\\DATA\\OPTIONS.UPD - Please Reselect And Resave The Options "
      "For This File.";
  EXPECT_EQ(Count(box), 10);  // 8 integers, ExtString and FileString
  EXPECT_EQ(Active().Add1To2, 2);
  EXPECT_EQ(state->opt.Tables.NumExtensions, 1);
  EXPECT_EQ(state->opt.Tables.ExtensionTable[0].view(), "*");
  EXPECT_EQ(Value("ExtString", UpdHost()), "<missing>");
}

TEST_F(OptionsUpd, IgnoreOptUpdAndDirectoriesWithoutAFileUseTheSessionSet) {
  WriteHost(UpdHost(), "[WINVELQO]\nCleanUp=1\n");
  sandbox.MakeDir("C:\\PLAIN");
  state->opt.SessionOptions.Brief = 1;
  DeriveActiveOptions(*state, "C:\\DATA");
  EXPECT_EQ(Active().CleanUp, 1);
  DeriveActiveOptions(*state, "C:\\PLAIN");
  EXPECT_EQ(state->opt.OptUpdInUse, 0);
  EXPECT_EQ(Active().CleanUp, 0);
  EXPECT_EQ(Active().Brief, 1);
  EXPECT_EQ(state->opt.Tables.ExtensionTable[0].view(), "bak");
  state->opt.ActiveOptions.IgnoreOptUpd = 1;
  host.boxes.clear();
  DeriveActiveOptions(*state, "C:\\DATA");
  EXPECT_EQ(state->opt.OptUpdInUse, 0);
  EXPECT_EQ(Active().CleanUp, 0);
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(OptionsUpd, WriterStoresTheDirectoryKeysAndUsesThem) {
  sandbox.MakeDir("C:\\DATA");
  state->opt.ActiveOptions.CleanUp = 1;
  WriteOptionsUpd(*state, "C:\\DATA");
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].text,
            "Current Options Will Be Stored In File OPTIONS.UPD In Directory C:\\DATA. Velqo Will "
            "Now Use These Settings Whenever This Disk's Dir1 Is C:\\DATA.");
  const auto keys = IniDocument::Parse(ReadHost(UpdHost())).KeyNames("WINVELQO");
  ASSERT_EQ(keys.size(), 24u);
  EXPECT_EQ(keys.front(), "VelqoOnly");
  EXPECT_EQ(keys.back(), "ShowHints");
  EXPECT_EQ(state->opt.OptUpdInUse, 1);
  EXPECT_EQ(Active().CleanUp, 1);
}

}  // namespace
}  // namespace velqo::testing
