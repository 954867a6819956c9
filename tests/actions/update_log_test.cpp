#include "actions/update_log.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include "actions/log_format.h"
#include "tests/actions/actions_fixture.h"

namespace velqo::testing {
namespace {

const std::string kStars(80, '*');
const std::string kRuler =
    "|---FileName---|---Date---|----Time-----|------Size------|-------Action -------|";

using UpdateLog = ActionsTest;

std::string LastLogFile(AppState& s) {
  return s.profiles.GetString(s.places.IniPath, "WINVELQO", "LastLogFile", "A", 256);
}

TEST_F(UpdateLog, FirstLineOfAPairComesAfterItsHeaderBlock) {
  (void)state->Path1.Assign("C:\\WORK");
  (void)state->Path2.Assign("D:\\BACK");
  state->log.HeaderPending = true;
  WriteLogLine(*state, "first");
  WriteLogLine(*state, "second");
  // The 12-hour header shows 9 o'clock with a leading space and loses the
  // last two asterisks to the 80-character cut.
  const std::vector<std::string> expected = {
      "************************* 02/01/2004 - - -  9:05:07 AM " + std::string(25, '*'),
      "Dir 1 = C:\\WORK", "Dir 2 = D:\\BACK", kStars, kRuler, kStars, "first", "second"};
  EXPECT_EQ(LogLines(), expected);
  EXPECT_FALSE(state->log.HeaderPending);
  EXPECT_EQ(LastLogFile(*state), "C:\\LOGS\\LOG.TXT");
}

TEST_F(UpdateLog, HeaderOnA24HourClockIsExactly80Characters) {
  clock.now = {2004, 2, 1, 21, 5, 7, 0};
  state->intl.clock24 = 1;
  state->intl.date_order = 2;
  state->intl.date_sep = "-";
  state->intl.time_sep = ".";
  (void)state->Path1.Assign("C:\\" + std::string(100, 'p'));
  state->log.HeaderPending = true;
  WriteLogLine(*state, "x");
  const std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0], "************************* 2004-02-01 - - - 21.05.07  " + std::string(27, '*'));
  EXPECT_EQ(lines[1], "Dir 1 = C:\\" + std::string(69, 'p'));
}

TEST(ClockHours, TwelveHourClockNamesMidnightAndNoonTwelve) {
  IntlSettings intl;
  const std::vector<std::pair<int, std::string>> expected = {
      {12, "AM"}, {9, "AM"}, {11, "AM"}, {12, "PM"}, {1, "PM"}, {11, "PM"}};
  const int hours[] = {0, 9, 11, 12, 13, 23};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const ClockHour c = ToClock(intl, hours[i]);
    EXPECT_EQ(c.hour, expected[i].first) << hours[i];
    EXPECT_EQ(c.designator, expected[i].second) << hours[i];
  }
}

TEST_F(UpdateLog, LinesAreCutAt80CharactersAndCannotBreakInTwo) {
  WriteLogLine(*state,
               "!!!!!!!!!!!!!!!!!!!!!!!!!  Update Completed  !!!!"
               "!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!");
  WriteLogLine(*state, "  odd\r\nname.txt");
  const std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "!!!!!!!!!!!!!!!!!!!!!!!!!  Update Completed  " + std::string(35, '!'));
  EXPECT_EQ(lines[1], "  odd??name.txt");
}

TEST_F(UpdateLog, DailyFileIsNamedFromTheDateInTheUsersOrder) {
  opt().AutoGenerateFile = 1;
  const std::pair<int, std::string> orders[] = {
      {0, "C:\\LOGS\\02012004.TXT"}, {1, "C:\\LOGS\\01022004.TXT"},
      {2, "C:\\LOGS\\20040201.TXT"}, {7, "C:\\LOGS\\02012004.TXT"}};
  for (const auto& [order, name] : orders) {
    state->intl.date_order = order;
    EXPECT_EQ(LogFileName(*state), name) << order;
  }
  state->intl.date_order = 1;
  WriteLogLine(*state, "before midnight");
  clock.now = {2004, 2, 2, 0, 0, 1, 0};
  WriteLogLine(*state, "after midnight");
  EXPECT_EQ(LogLines("C:\\LOGS\\01022004.TXT"), std::vector<std::string>{"before midnight"});
  EXPECT_EQ(LogLines("C:\\LOGS\\02022004.TXT"), std::vector<std::string>{"after midnight"});
  EXPECT_EQ(LastLogFile(*state), "C:\\LOGS\\02022004.TXT");

  opt().AutoGenerateFile = 0;
  (void)opt().LogFilePath.Assign("C:\\LOGS\\");
  EXPECT_EQ(LogFileName(*state), "C:\\LOGS\\LOG.TXT");
}

TEST_F(UpdateLog, FileIsEmptiedOncePerRunWhenNotAppending) {
  sandbox.WriteFile("C:\\LOGS\\LOG.TXT", "earlier run\r\n");
  opt().AppendToFile = 0;
  state->log.TruncatePending = true;
  state->log.HeaderPending = true;
  WriteLogLine(*state, "pair one");
  state->log.HeaderPending = true;
  WriteLogLine(*state, "pair two");
  std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), 14u);  // both pairs' headers are kept
  EXPECT_EQ(lines[6], "pair one");
  EXPECT_EQ(lines[13], "pair two");

  state->log.TruncatePending = true;  // the next run
  WriteLogLine(*state, "run two");
  EXPECT_EQ(LogLines(), std::vector<std::string>{"run two"});

  opt().AppendToFile = 1;
  state->log.TruncatePending = true;
  WriteLogLine(*state, "run three");
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"run two", "run three"}));
  EXPECT_FALSE(state->log.TruncatePending);
}

TEST_F(UpdateLog, IniFileIsRewrittenOnlyWhenTheLogMovesToAnotherFile) {
  WriteLogLine(*state, "one");
  ASSERT_EQ(LastLogFile(*state), "C:\\LOGS\\LOG.TXT");
  const std::string edited = "[WINVELQO]\r\nLastLogFile=EDITED\r\n";
  sandbox.WriteFile("C:\\WINVELQO.INI", edited);
  state->profiles.Flush();
  WriteLogLine(*state, "two");
  EXPECT_EQ(sandbox.ReadFile("C:\\WINVELQO.INI"), edited);
  opt().AutoGenerateFile = 1;
  WriteLogLine(*state, "three");
  EXPECT_EQ(LastLogFile(*state), "C:\\LOGS\\02012004.TXT");
}

TEST_F(UpdateLog, MissingLogDirectoryIsOfferedBeforeTheHeader) {
  opt().CreateNewDir = 0;
  (void)opt().LogFilePath.Assign("C:\\NEW\\LOGS");
  state->log.HeaderPending = true;
  host.Answer(Answer::kYes);
  WriteLogLine(*state, "entry");
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].text,
            "The Directory Path C:\\NEW\\LOGS Does Not Exist.  Do You Wish To Create This "
            "Directory? The Logging Capability Of ProVelqo Will Not Operate Properly Unless This "
            "Directory Is Created.");
  const std::vector<std::string> lines = LogLines("C:\\NEW\\LOGS\\LOG.TXT");
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[6], "entry");
}

TEST_F(UpdateLog, UncreatableLogDirectoryIsReportedOnceAndNeverLoggedToItself) {
  sandbox.WriteFile("C:\\BLOCK", "a file in the way");
  (void)opt().LogFilePath.Assign("C:\\BLOCK\\LOGS");
  state->flags.PairDirsReady = 1;
  state->log.HeaderPending = true;
  WriteLogLine(*state, "one");
  WriteLogLine(*state, "two");
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{"Cannot Create Directory"});
  EXPECT_EQ(state->flags.ErrorLogged, 1);
  EXPECT_EQ(state->flags.PairDirsReady, 0);
  EXPECT_EQ(sandbox.ReadFile("C:\\BLOCK"), "a file in the way");
  EXPECT_FALSE(sandbox.Exists("C:\\WINVELQO.INI"));
}

// Lost lines are never silent: once per run the user hears why, and the
// run counts as one with an error.
TEST_F(UpdateLog, LogFileThatCannotBeWrittenIsReportedOncePerRun) {
  sandbox.MakeDir("C:\\LOGS\\LOG.TXT");
  state->log.TruncatePending = true;
  opt().AppendToFile = 0;
  WriteLogLine(*state, "lost");
  WriteLogLine(*state, "lost too");
  ExpectOnlyBox(
      "The Log File C:\\LOGS\\LOG.TXT Cannot Be Used (It Is A Directory). This Update Goes On "
      "Without A Complete Log.",
      "Error", Icon::kWarning, Buttons::kOk);
  EXPECT_EQ(state->flags.ErrorLogged, 1);
  EXPECT_FALSE(sandbox.Exists("C:\\WINVELQO.INI"));
  state->log.TruncatePending = true;  // the next run
  WriteLogLine(*state, "lost again");
  EXPECT_EQ(host.Messages().size(), 2u);
}

TEST_F(UpdateLog, ALinkedLogFileIsNeverWrittenThroughAndJfdiSaysSoWithoutABox) {
  sandbox.WriteFile("E:\\victim", "precious");
  ASSERT_EQ(symlink(sandbox.HostPath("E:\\victim").c_str(),
                    sandbox.HostPath("C:\\LOGS\\LOG.TXT").c_str()),
            0);
  opt().JFDI = 1;
  opt().AppendToFile = 0;
  state->log.TruncatePending = true;
  state->log.HeaderPending = true;
  WriteLogLine(*state, "entry");
  WriteLogLine(*state, "entry");
  EXPECT_EQ(sandbox.ReadFile("E:\\victim"), "precious");
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(host.notices, std::vector<std::string>{
                              "The Log File C:\\LOGS\\LOG.TXT Cannot Be Used (It Is A Symbolic "
                              "Link). This Update Goes On Without A Complete Log."});
  EXPECT_EQ(state->flags.ErrorLogged, 1);
}

TEST_F(UpdateLog, NameColumnPadsShortNamesAndGivesLongOnesALine) {
  WriteLogEntryLine(*state, "TWELVE12.TXT", "INFO", "    was copied to ");
  WriteLogEntryLine(*state, "THIRTEEN1.TXT", "INFO", "");
  opt().Brief = 1;
  WriteLogEntryLine(*state, "THIRTEEN1.TXT", "INFO", "");
  WriteLogEntryLine(*state, "FIFTEEN_CHARS.X", "INFO", "");
  const std::vector<std::string> expected = {
      "  TWELVE12.TXT   INFO    was copied to ", "  THIRTEEN1.TXT", std::string(17, ' ') + "INFO",
      "  THIRTEEN1.TXT  INFO", "  FIFTEEN_CHARS.XINFO"};
  EXPECT_EQ(LogLines(), expected);
}

}  // namespace
}  // namespace velqo::testing
