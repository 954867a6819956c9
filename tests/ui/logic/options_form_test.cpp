#include "config/config_texts.h"
#include "config/options_upd.h"
#include "tests/config/config_fixture.h"
#include "ui/logic/options_form.h"

namespace velqo::ui {
namespace {

using velqo::testing::ConfigTest;

constexpr std::string_view kSessionOnly =
    "Current Option Settings Will Be Used For This Session Only. The Options Will Be Reset To The "
    "Default Values In WINVELQO.INI The Next Time Velqo Is Restarted.";
constexpr std::string_view kModesNeedDefaults =
    "Changes To Directory Selection Modes or Use Batch File Method Must Be Saved As Default "
    "Settings.";
constexpr std::string_view kNotUsed =
    "An OPTIONS.UPD File Exists In The Current Dir 1 Directory, But Is Not Being Used By This "
    "Options Dialog Because The Ignore All OPTIONS.UPD Files Option Is Currently Selected.";

class OptionsFormTest : public ConfigTest {
 protected:
  void StartWith(const std::map<std::string, std::string>& changes = {}) {
    sandbox.MakeDir("C:\\DATA");
    WriteHost(ProgIni(), FullIni(changes));
    ASSERT_TRUE(Start());
    host.dir1 = "C:\\DATA";
    host.dir2 = "D:\\";
    host.boxes.clear();
  }
  void Open() {
    OpenOptionsForm(*state, "C:\\DATA", &form);
    host.boxes.clear();
  }
  OkResult Ok() { return ConfirmOptionsForm(*state, "C:\\DATA", &form); }
  std::string Upd() { return sandbox.HostPath("C:\\DATA\\OPTIONS.UPD"); }
  void WriteUpd() {
    WriteHost(Upd(),
              "[WINVELQO]\nVelqoOnly=0\nAdd1To2=0\nAddBothWays=0\nCleanUp=1\nConfirmEveryFile=0\n"
              "CreateBackup=0\nCreateNewDir=1\nIncl=0\nInclFile=0\nExtString=tmp\nFileString=\n");
  }
  const OptionSet& Active() { return state->opt.ActiveOptions; }
  const OptionSet& Session() { return state->opt.SessionOptions; }

  OptionsForm form;
};

TEST_F(OptionsFormTest, LoadingFollowsTheControlRules) {
  OptionSet from;
  from.SelectSeparate = 1;
  from.UseDir1And = 1;  // a hand-edited file with two modes: the later one shows
  from.ArchiveFilter = 2;
  from.ReadOnlyFilter = 1;
  from.HiddenFilter = 7;
  from.ExclDays = 0;
  from.DeleteExclDays = 1;  // no purge without the exclusion
  from.Incl = 2;            // the second button of a pair is on for anything but 1
  (void)from.ExclDaysDriveString.Assign("E");
  form.days_text = "12";  // kept while the set has no day count
  LoadFormFields(from, &form);
  EXPECT_EQ(form.fields.SelectSeparate, 0);
  EXPECT_EQ(form.fields.UseDir1And, 1);
  EXPECT_EQ(form.fields.ArchiveFilter, 2);
  EXPECT_EQ(form.fields.ReadOnlyFilter, 1);
  EXPECT_EQ(form.fields.HiddenFilter, 2);
  EXPECT_EQ(form.fields.DeleteExclDays, 0);
  EXPECT_FALSE(form.purge_enabled);
  EXPECT_EQ(form.fields.Incl, 0);
  EXPECT_EQ(form.drive, 'e');
  EXPECT_EQ(form.days_text, "12");
  from.ExclDays = 1;
  from.ExclDaysInt = 30;
  LoadFormFields(from, &form);
  EXPECT_EQ(form.fields.DeleteExclDays, 1);
  EXPECT_TRUE(form.purge_enabled);
  EXPECT_EQ(form.days_text, "30");
  SetExcludeOld(&form, false);
  EXPECT_EQ(form.fields.DeleteExclDays, 0);
  EXPECT_FALSE(form.purge_enabled);
}

TEST_F(OptionsFormTest, NothingCheckedSavesForTheSessionOnly) {
  StartWith();
  Open();
  EXPECT_EQ(form.caption, kCaptionFromIni);
  const std::string before = ReadHost(ProgIni());
  form.fields.CreateBackup = 0;
  form.fields.HiddenFilter = 2;  // grayed
  form.days_text = "";           // empty keeps the count as it was
  ASSERT_EQ(Ok(), OkResult::kClose);
  EXPECT_TRUE(host.Shown(kSessionOnly));
  EXPECT_EQ(Session().CreateBackup, 0);
  EXPECT_EQ(Active().HiddenFilter, 2);
  EXPECT_EQ(Active().ExclDaysInt, 0);
  EXPECT_EQ(ReadHost(ProgIni()), before);
}

TEST_F(OptionsFormTest, RefusalsKeepTheDialogOpenAndSaveNothing) {
  StartWith();
  Open();
  const OptionSet active = Active();
  for (const char* days : {"5x", "-3", "99999999999"}) {
    form.days_text = days;
    EXPECT_EQ(Ok(), OkResult::kStayOpen) << days;
  }
  EXPECT_EQ(Count("Invalid Number Of Days For Exclude Files Older Than..."), 3);
  form.days_text = " 7 ";
  form.ext_string.assign(1101, 'x');  // the field holds 1100
  EXPECT_EQ(Ok(), OkResult::kStayOpen);
  EXPECT_EQ(Active().ExtString.view(), active.ExtString.view());

  form.ext_string = "bak";
  form.fields.SelectSeparate = 0;
  form.fields.UseDir1And = 1;
  EXPECT_EQ(Ok(), OkResult::kRevertModes);
  EXPECT_TRUE(host.Shown(kModesNeedDefaults));
  EXPECT_EQ(form.fields.SelectSeparate, 1);
  EXPECT_EQ(form.fields.UseDir1And, 0);
  EXPECT_EQ(Active().UseDir1And, 0);
  EXPECT_EQ(Session().ExclDaysInt, active.ExclDaysInt);
}

TEST_F(OptionsFormTest, SavedAsDefaultsAndAsOptionsUpdWritesBothFiles) {
  StartWith();
  Open();
  form.save_defaults = true;
  form.save_upd = true;
  form.fields.SelectSeparate = 0;
  form.fields.UseDir1And = 1;  // allowed with the defaults
  form.fields.CreateBackup = 0;
  form.ext_string = "tmp,bak";
  ASSERT_EQ(Ok(), OkResult::kClose);
  EXPECT_EQ(Value("UseDir1And"), "1");
  EXPECT_EQ(Value("CreateBackup"), "0");
  EXPECT_EQ(Value("ExtString"), "tmp,bak");
  EXPECT_EQ(Value("ExtString", Upd()), "tmp,bak");
  EXPECT_EQ(Value("CreateBackup", Upd()), "0");
  EXPECT_EQ(Defaults().UseDir1And, 1);
  EXPECT_EQ(state->opt.OptUpdInUse, 1);
  EXPECT_EQ(state->opt.Tables.NumExtensions, 2);
}

TEST_F(OptionsFormTest, OptionsFromOptionsUpdNeedADestination) {
  StartWith();
  WriteUpd();
  Open();
  EXPECT_EQ(form.caption, kCaptionFromUpd);
  EXPECT_FALSE(form.save_defaults_enabled);
  EXPECT_TRUE(form.save_upd_enabled);
  EXPECT_TRUE(form.delete_upd_enabled);
  EXPECT_EQ(form.fields.CleanUp, 1);
  EXPECT_EQ(Ok(), OkResult::kStayOpen);
  EXPECT_TRUE(host.ShownContaining("Can Only Be Saved To The Current OPTIONS.UPD File"));

  // Ignoring the files from here on must also hold for the next derivation,
  // although the active set came from the file.
  form.fields.IgnoreOptUpd = 1;
  ASSERT_EQ(Ok(), OkResult::kClose);
  EXPECT_EQ(Session().IgnoreOptUpd, 1);
  DeriveActiveOptions(*state, "C:\\DATA");
  EXPECT_EQ(state->opt.OptUpdInUse, 0);
  EXPECT_EQ(Active().CleanUp, 0);
}

TEST_F(OptionsFormTest, BatchModeShowsTheSessionAndSaysTheFileIsNotUsed) {
  StartWith({{"UseBatchFile", "1"}});
  WriteUpd();
  OpenOptionsForm(*state, "C:\\DATA", &form);
  EXPECT_TRUE(host.Shown(kNotUsed));
  EXPECT_EQ(form.caption, kCaptionFromIni);
  EXPECT_EQ(form.fields.CleanUp, 0);
  EXPECT_EQ(form.fields.VelqoOnly, 1);
  EXPECT_EQ(Active().IgnoreOptUpd, 0);  // put back after the held derivation
  EXPECT_TRUE(form.delete_upd_enabled);
}

TEST_F(OptionsFormTest, IgnoredFilesDisableSavingAsOptionsUpd) {
  StartWith({{"IgnoreOptUpd", "1"}});
  Open();
  EXPECT_EQ(form.fields.IgnoreOptUpd, 1);
  EXPECT_FALSE(form.save_upd_enabled);
  EXPECT_TRUE(form.save_defaults_enabled);
  EXPECT_FALSE(form.delete_upd_enabled);
}

TEST_F(OptionsFormTest, DeletingAsksAndReportsAFileThatStays) {
  StartWith();
  WriteUpd();
  host.Answer(Answer::kNo);
  EXPECT_FALSE(DeleteOptionsUpdFile(*state, "C:\\DATA"));
  EXPECT_TRUE(sandbox.Exists("C:\\DATA\\OPTIONS.UPD"));
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].text, "Are You Sure You Want To Delete The File C:\\DATA\\OPTIONS.UPD");
  EXPECT_EQ(host.Messages()[0].caption, "Confirm OPTIONS.UPD Delete");

  sandbox.SetReadOnly("C:\\DATA\\OPTIONS.UPD", true);
  host.Answer(Answer::kYes);
  EXPECT_FALSE(DeleteOptionsUpdFile(*state, "C:\\DATA"));
  EXPECT_TRUE(host.ShownContaining("Could Not Be Deleted"));

  sandbox.SetReadOnly("C:\\DATA\\OPTIONS.UPD", false);
  host.Answer(Answer::kYes);
  EXPECT_TRUE(DeleteOptionsUpdFile(*state, "C:\\DATA"));
  EXPECT_FALSE(sandbox.Exists("C:\\DATA\\OPTIONS.UPD"));
}

}  // namespace
}  // namespace velqo::ui
