#include <unistd.h>

#include <ctime>

#include "config/config_texts.h"
#include "config/templates.h"
#include "tests/config/config_fixture.h"

namespace velqo::testing {
namespace {

class Templates : public ConfigTest {
 protected:
  void SetUp() override {
    WriteHost(ProgIni(), FullIni() + "[Batch1]\nDirPair1=C:\\!D:\\\n");
    ASSERT_TRUE(Start());
    host.dir1 = "C:\\";
    host.dir2 = "E:\\";
  }
};

TEST_F(Templates, SaveCopiesTheWholeIniWithTheCurrentOptionsOverIt) {
  state->opt.ActiveOptions.CleanUp = 1;
  host.save_dialog_answers = {"C:\\mine"};
  ASSERT_TRUE(SaveOptionTemplate(*state));
  const std::string tmpl = sandbox.HostPath("C:\\mine.OPT");
  EXPECT_EQ(Value("CleanUp", tmpl), "1");
  EXPECT_EQ(Value("CleanUp"), "0");
  EXPECT_EQ(Value("Path2", tmpl), "E:\\");
  EXPECT_EQ(Value("MainLeft", tmpl), "20");
  EXPECT_NE(ReadHost(tmpl).find("[Batch1]"), std::string::npos);
  EXPECT_LE(std::abs(std::difftime(sandbox.Mtime("C:\\mine.OPT"), std::time(nullptr))), 5.0);
  EXPECT_TRUE(host.ShownContaining("Stored In File C:\\mine.OPT And Can Be Reloaded"));
}

TEST_F(Templates, SaveInsistsOnTheOptExtensionAndAsksBeforeReplacing) {
  sandbox.MakeDir("C:\\my.dir");
  sandbox.WriteFile("C:\\old.opt", "old");
  host.save_dialog_answers = {"C:\\t.txt", "C:\\old.opt", "C:\\my.dir\\t"};
  host.Answer(Answer::kNo);
  ASSERT_TRUE(SaveOptionTemplate(*state));
  EXPECT_EQ(Count(std::string(kMustUseOpt)), 1);
  EXPECT_TRUE(host.Shown("The .OPT File C:\\old.opt Already Exists.  Overwrite With Current "
                         "Options Settings??"));
  EXPECT_EQ(sandbox.ReadFile("C:\\old.opt"), "old");
  EXPECT_TRUE(sandbox.Exists("C:\\my.dir\\t.OPT"));
  host.save_dialog_answers = {"C:\\old.opt"};
  host.Answer(Answer::kCancel);
  EXPECT_FALSE(SaveOptionTemplate(*state));
  EXPECT_EQ(sandbox.ReadFile("C:\\old.opt"), "old");
  host.save_dialog_answers = {"C:\\OLD.OPT"};
  host.Answer(Answer::kYes);
  EXPECT_TRUE(SaveOptionTemplate(*state));
  EXPECT_EQ(Value("VelqoOnly", sandbox.HostPath("C:\\old.opt")), "1");
}

TEST_F(Templates, LoadReplacesTheWholeIniEvenWithReadOnlyPaths) {
  state->sw.PathsReadOnly = 1;
  const std::string tmpl =
      FullIni({{"CleanUp", "1"}, {"Path1", "E:\\"}, {"MainLeft", "77"}}) + "[Batch9]\nx=1\n";
  sandbox.WriteFile("C:\\t.opt", tmpl);
  host.Answer(Answer::kNo);
  host.open_dialog_answers = {"C:\\t"};
  ASSERT_TRUE(LoadOptionTemplate(*state));
  EXPECT_EQ(ReadHost(ProgIni()), tmpl);
  EXPECT_EQ(Defaults().CleanUp, 1);
  EXPECT_EQ(state->Path1.view(), "E:\\");
  EXPECT_EQ(state->window.MainLeft, 77);
  EXPECT_EQ(state->opt.SessionOptions.CleanUp, 1);
}

TEST_F(Templates, LoadCancelledOrUnreadableLeavesTheIniAsItWas) {
  const std::string before = ReadHost(ProgIni());
  host.Answer(Answer::kCancel);
  EXPECT_FALSE(LoadOptionTemplate(*state));
  host.Answer(Answer::kNo);
  host.open_dialog_answers = {"C:\\missing.opt"};
  EXPECT_FALSE(LoadOptionTemplate(*state));
  EXPECT_EQ(ReadHost(ProgIni()), before);
  // A template beyond the bound of an INI file is refused before it is read.
  sandbox.WriteFile("C:\\huge.opt", "[WINVELQO]\r\nCleanUp=1\r\n");
  ASSERT_EQ(truncate(sandbox.HostPath("C:\\huge.opt").c_str(), (off_t{16} << 20) + 1), 0);
  host.Answer(Answer::kNo);
  host.open_dialog_answers = {"C:\\huge.opt"};
  EXPECT_FALSE(LoadOptionTemplate(*state));
  EXPECT_TRUE(host.Shown("The Template File C:\\huge.opt Cannot Be Used (It Is Larger Than 16 "
                         "MiB). The Current Settings Are Kept."));
  EXPECT_EQ(ReadHost(ProgIni()), before);
}

}  // namespace
}  // namespace velqo::testing
