#include "config/config_texts.h"
#include "config/switches.h"
#include "tests/config/config_fixture.h"

namespace velqo::testing {
namespace {

class Switches : public ConfigTest {
 protected:
  void SetUp() override { WriteHost(ProgIni(), FullIni()); }
  void Parse(const std::vector<std::string>& args) { ParseSwitches(*state, args); }
  int Debug(const std::string& text) {
    return static_cast<int>(std::count_if(host.boxes.begin(), host.boxes.end(), [&](const ShownBox& b) {
      return b.kind == ShownBox::Kind::kDebug && b.text == text;
    }));
  }
};

TEST_F(Switches, MatchWholeArgumentsIgnoringCaseArgumentZeroIncluded) {
  Parse({"/b", "-a", "/A1", "/AB", "a", "/o "});
  EXPECT_EQ(state->sw.BriefSwitch, 1);
  EXPECT_EQ(state->sw.AutoStart, 0);
  EXPECT_EQ(state->sw.XattrSwitch, 0);
  Parse({"velqo", "/a", "/i", "/G"});
  EXPECT_EQ(state->sw.AutoStart, 1);
  EXPECT_EQ(state->sw.QuietSwitch, 1);
  EXPECT_EQ(state->sw.IntlTest, 1);
  EXPECT_EQ(state->sw.PathsReadOnly, 1);
  EXPECT_EQ(Count(std::string(kAlertPathsReadOnly)), 0);  // /A came first
}

TEST_F(Switches, QuietCountsOnlyWhenItCameEarlier) {
  ASSERT_TRUE(Start({"velqo", "/B", "/Q"}));
  EXPECT_EQ(Count(std::string(kAlertBrief)), 1);  // at reading, not at the load
  EXPECT_EQ(Defaults().Brief, 1);
  EXPECT_EQ(Defaults().Quiet, 1);
}

TEST_F(Switches, QuietFirstSilencesEveryAlert) {
  ASSERT_TRUE(Start({"velqo", "/Q", "/B", "/O", "/G", "/J", "/E"}));
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(Switches, AlertsShowAtReadingAndAgainAtEveryLoad) {
  ASSERT_TRUE(Start({"velqo", "/B", "/J", "/O", "/E", "/G"}));
  EXPECT_EQ(Count(std::string(kAlertBrief)), 2);
  EXPECT_EQ(Count(std::string(kAlertJfdiAtReading)), 1);
  EXPECT_EQ(Count(std::string(kAlertJfdiAtLoad)), 1);
  EXPECT_EQ(Count(std::string(kAlertXattr)), 2);
  EXPECT_EQ(Count(std::string(kAlertDirDel)), 2);
  EXPECT_EQ(Count(std::string(kAlertPathsReadOnly)), 1);
  const auto texts = host.MessageTexts();
  EXPECT_EQ(texts[0], kAlertBrief);
  EXPECT_EQ(texts[5], kAlertBrief);  // the load's alerts come after all five
  EXPECT_EQ(host.Messages()[0].caption, "Caution!");
  EXPECT_EQ(Defaults().DIRDEL, 1);
  EXPECT_EQ(Defaults().XATTR, 1);
  EXPECT_EQ(Defaults().JFDI, 1);
  EXPECT_EQ(Defaults().ConfirmEveryFile, 0);
}

TEST_F(Switches, AFieldSetInTheFileAlertsWithoutItsSwitchUnlessQuiet) {
  WriteHost(ProgIni(), FullIni({{"Brief", "1"}}));
  ASSERT_TRUE(Start());
  EXPECT_EQ(Count(std::string(kAlertBrief)), 1);
  WriteHost(ProgIni(), FullIni({{"Brief", "1"}, {"Quiet", "1"}}));
  state->profiles.Flush();
  host.boxes.clear();
  ASSERT_TRUE(Start());
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(Switches, DebugBoxesNeedDebugModeFirst) {
  Parse({"/Q", "/D", "/A"});
  EXPECT_EQ(Debug("Quiet Mode Is ON"), 0);
  EXPECT_EQ(Debug("Debug Mode Is ON"), 1);
  EXPECT_EQ(Debug("AutoStart Is ON"), 1);
  ASSERT_TRUE(Start({"velqo"}));
  EXPECT_EQ(Defaults().Quiet, 1);  // /A is quiet
}

}  // namespace
}  // namespace velqo::testing
