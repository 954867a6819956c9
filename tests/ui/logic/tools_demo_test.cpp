#include <filesystem>

#include "engine/update_run.h"
#include "tests/config/config_fixture.h"
#include "ui/logic/appearance_keys.h"
#include "ui/logic/demonstration.h"
#include "ui/logic/skins.h"
#include "ui/logic/tools.h"

namespace velqo::ui {
namespace {

using velqo::testing::ConfigTest;

class ToolsTest : public ConfigTest {
 protected:
  void StartWith(const std::map<std::string, std::string>& changes = {}) {
    WriteHost(ProgIni(), FullIni(changes));
    ASSERT_TRUE(Start());
    host.boxes.clear();
  }
  // The same sandbox, with an editor of the test's choosing (none when empty).
  void UseEditor(const std::string& script) {
    PlatformConfig config = sandbox.Config();
    config.path_env.clear();
    if (!script.empty()) {
      config.visual = sandbox.root() + "/editor.sh";
      WriteHost(config.visual, "#!/bin/sh\n" + script);
      std::filesystem::permissions(config.visual, std::filesystem::perms::owner_all);
    }
    editor_fs = NewPosixPlatform(config);
    UsePlatform(*editor_fs);
    ASSERT_TRUE(Start());
    host.boxes.clear();
  }
  std::unique_ptr<Platform> editor_fs;
};

TEST_F(ToolsTest, ViewAndClearSayWhenThereIsNoLog) {
  StartWith();
  ViewLog(*state);
  ClearLog(*state);
  EXPECT_EQ(Count("No Log File Exists"), 2);
  EXPECT_EQ(host.Messages()[0].caption, "No Log File");
  WriteHost(ProgIni(), ReadHost(ProgIni()) + "LastLogFile=C:\\LOG\\gone.txt\r\n");
  state->profiles.Flush();
  ViewLog(*state);
  EXPECT_EQ(Count("No Current Log File Exists"), 1);
}

TEST_F(ToolsTest, ClearingEmptiesTheLogOnlyOnYesAndNeverThroughALink) {
  StartWith();
  sandbox.WriteFile("C:\\LOG\\LOG.TXT", "line one\r\n");
  sandbox.WriteFile("C:\\keep.txt", "precious");
  WriteHost(ProgIni(), ReadHost(ProgIni()) + "LastLogFile=C:\\LOG\\LOG.TXT\r\n");
  state->profiles.Flush();
  host.Answer(Answer::kNo);
  ClearLog(*state);
  EXPECT_EQ(sandbox.ReadFile("C:\\LOG\\LOG.TXT"), "line one\r\n");
  EXPECT_TRUE(host.Shown("Current Log File Will Be Erased. Continue?"));
  host.Answer(Answer::kYes);
  ClearLog(*state);
  EXPECT_TRUE(sandbox.Exists("C:\\LOG\\LOG.TXT"));
  EXPECT_EQ(sandbox.ReadFile("C:\\LOG\\LOG.TXT"), "");

  std::filesystem::remove(sandbox.HostPath("C:\\LOG\\LOG.TXT"));
  std::filesystem::create_symlink(sandbox.HostPath("C:\\keep.txt"), sandbox.HostPath("C:\\LOG\\LOG.TXT"));
  host.Answer(Answer::kYes);
  ClearLog(*state);
  EXPECT_EQ(sandbox.ReadFile("C:\\keep.txt"), "precious");
}

TEST_F(ToolsTest, EditingTheIniRereadsItWithOrWithoutAnEditor) {
  StartWith();
  UseEditor("");
  WriteHost(ProgIni(), FullIni({{"CreateBackup", "0"}}));
  ASSERT_TRUE(EditIniFile(*state));
  EXPECT_TRUE(host.Shown("Error Executing NOTEPAD.EXE - Cannot Edit From Inside Velqo"));
  EXPECT_EQ(host.Messages()[0].caption, "No Editor");
  EXPECT_EQ(state->opt.DefaultOptions.CreateBackup, 0);

  UseEditor("sed -i 's/UseBatchFile=0/UseBatchFile=1/' \"$1\"\n");
  host.boxes.clear();
  ASSERT_TRUE(EditIniFile(*state));
  EXPECT_FALSE(host.ShownContaining("NOTEPAD"));
  EXPECT_EQ(state->opt.DefaultOptions.UseBatchFile, 1);
  EXPECT_EQ(state->opt.ActiveOptions.UseBatchFile, 1);

  std::filesystem::remove(ProgIni());
  EXPECT_FALSE(EditIniFile(*state));
  EXPECT_TRUE(host.Shown("No Current INI File Exists"));
}

TEST_F(ToolsTest, DemonstrationCopiesTheDocumentsFolderAloneAndLeavesTheSettings) {
  StartWith({{"UseDir1And", "1"}, {"SelectSeparate", "0"}, {"CleanUp", "1"}, {"VelqoOnly", "0"}});
  sandbox.WriteFile("C:\\Documents\\a.txt", "a");
  sandbox.WriteFile("C:\\Documents\\b.txt", "b");
  sandbox.WriteFile("C:\\Documents\\sub\\c.txt", "c");
  // Without its log directory the demonstration writes no log either.
  std::filesystem::remove_all(sandbox.HostPath("C:\\LOG"));
  const std::string ini_before = ReadHost(ProgIni());
  const OptionSet active = state->opt.ActiveOptions;
  const PathText path1 = state->Path1;
  host.Answer(Answer::kCancel);
  EXPECT_FALSE(RunDemonstration(*state, [this] { RunUpdate(*state); }));
  EXPECT_FALSE(sandbox.Exists("C:\\VelqoDemo"));

  int confirmations = 0;
  host.Answer(Answer::kOk);
  ASSERT_TRUE(RunDemonstration(*state, [&] {
    EXPECT_EQ(state->sw.DemoMode, 1);
    RunUpdate(*state);
    for (const auto& box : host.boxes) confirmations += box.kind == velqo::testing::ShownBox::Kind::kConfirmCopy;
  }));
  EXPECT_EQ(host.Messages()[0].caption, "Continue With Demo?");
  EXPECT_EQ(host.Messages()[0].text, DemoQuestion());
  EXPECT_EQ(confirmations, 2);
  EXPECT_EQ(sandbox.ReadFile("C:\\VelqoDemo\\My Backed Up Documents\\b.txt"), "b");
  EXPECT_FALSE(sandbox.Exists("C:\\VelqoDemo\\My Backed Up Documents\\sub"));
  EXPECT_EQ(state->sw.DemoMode, 0);
  EXPECT_EQ(ReadHost(ProgIni()), ini_before);
  EXPECT_EQ(state->opt.ActiveOptions.UseDir1And, active.UseDir1And);
  EXPECT_EQ(state->opt.ActiveOptions.CleanUp, 1);
  EXPECT_EQ(state->opt.SessionOptions.ConfirmEveryFile, active.ConfirmEveryFile);
  EXPECT_EQ(state->Path1.view(), path1.view());

  host.boxes.clear();
  RemoveDemonstrationDirectory(*state);
  for (const auto& box : host.boxes) ADD_FAILURE() << box.text;
  EXPECT_FALSE(sandbox.Exists("C:\\VelqoDemo"));
  host.boxes.clear();
  RemoveDemonstrationDirectory(*state);
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(ToolsTest, DemonstrationLogsOnlyWhereTheLogDirectoryExists) {
  StartWith();
  EXPECT_EQ(DemoOptions(*state).EnableLog, 1);
  std::filesystem::remove_all(sandbox.HostPath("C:\\LOG"));
  const OptionSet demo = DemoOptions(*state);
  EXPECT_EQ(demo.EnableLog, 0);
  EXPECT_EQ(demo.LogFilePath.view(), "C:\\LOG");
  EXPECT_EQ(demo.ArchiveFilter, 2);
  EXPECT_EQ(demo.IgnoreOptUpd, 1);
}

TEST_F(ToolsTest, AppearanceKeysReadBackAsWritten) {
  StartWith();
  StoreWindowColor(*state, Rgb{0x12, 0x34, 0x56});
  EXPECT_EQ(Value("MWCurBkGndColor"), std::to_string(0x563412));
  const auto color = ColorFromStored(Value("MWCurBkGndColor"));
  ASSERT_TRUE(color);
  EXPECT_EQ(color->green, 0x34);
  StoreWindowFont(*state, {"DejaVu Sans", 11, {true, false, true, false}});
  EXPECT_EQ(Value("WFontName"), "DejaVu Sans");
  EXPECT_EQ(Value("WFontSize"), "11");
  const FontStyle style = FontStyleFromStored(Value("WFontStyle"));
  EXPECT_TRUE(style.bold && style.underline && !style.italic && !style.strike_out);
  EXPECT_EQ(Value("WFontColor"), state->window.WFontColor);

  const auto skin = SkinColor("QWidget { color: #fff; }\nQDialog { background-color: #d9dAdc; }");
  ASSERT_TRUE(skin);
  EXPECT_EQ(skin->blue, 0xdc);
  EXPECT_FALSE(SkinColor("QWidget { background-color: red; }"));
}

}  // namespace
}  // namespace velqo::ui
