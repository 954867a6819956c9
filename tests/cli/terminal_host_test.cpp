#include "cli/terminal_host.h"

#include <gtest/gtest.h>

#include <sstream>

#include "common/run_flags.h"

namespace velqo::cli {
namespace {

class TerminalHostTest : public ::testing::Test {
 protected:
  // A host reading the given answers, printing to out.
  TerminalHost& Host(const std::string& answers, TerminalHostOptions options = {}) {
    in.str(answers);
    host = std::make_unique<TerminalHost>(in, out, std::move(options));
    host->BindFlags(&flags);
    return *host;
  }

  std::istringstream in;
  std::ostringstream out;
  RunFlags flags;
  std::unique_ptr<TerminalHost> host;
};

TEST_F(TerminalHostTest, PrintsEveryBoxAsOneBlockAndReadsOnlyForQuestions) {
  TerminalHost& h = Host("y\n");
  EXPECT_EQ(h.MessageBox("Cannot create Directory Path 2.", "Error", Icon::kWarning, Buttons::kOk),
            Answer::kOk);
  EXPECT_EQ(out.str(), "[Error] Cannot create Directory Path 2.\n");

  out.str("");
  EXPECT_EQ(h.MessageBox("Directory Path 2 does not exist. Do you wish to create this path?",
                         "Create Directory Path 2?", Icon::kQuestion, Buttons::kYesNo),
            Answer::kYes);
  EXPECT_EQ(out.str(),
            "[Create Directory Path 2?] Directory Path 2 does not exist. Do you wish to create "
            "this path?\n(Yes/No) ");
}

TEST_F(TerminalHostTest, KeepsLineBreaksOfTheTextWithoutCarriageReturns) {
  TerminalHost& h = Host("");
  h.MessageBox("first line\r\nsecond line\rthird\nfourth", "Caution!", Icon::kWarning,
               Buttons::kOk);
  EXPECT_EQ(out.str(), "[Caution!] first line\nsecond line\nthird\nfourth\n");
}

TEST_F(TerminalHostTest, ControlCharactersOfNamesNeverReachTheTerminal) {
  TerminalHostOptions options;
  options.echo_answers = true;
  TerminalHost& h = Host("\x1b[2J\n", options);
  h.SetStatusText("Updating Directory C:\\a\x1b]0;owned\x07" "b\t\xc3\xa9");
  h.ConfirmDelete("D:\\x\x9b\x7fy", "");
  EXPECT_EQ(out.str(),
            "Updating Directory C:\\a?]0;owned?b\t\xc3\xa9\n"
            "[Velqo Delete Confirmation] D:\\x\x9b?y\nWill Be DELETED - Are You Sure??\n"
            "(OK/All/Next/Dir/Cancel) ?[2J\nPlease answer OK, All, Next, Dir or Cancel.\n"
            "(OK/All/Next/Dir/Cancel) Cancel (end of input)\n");
}

TEST_F(TerminalHostTest, AsksAgainUntilTheAnswerNamesAButton) {
  TerminalHost& h = Host("maybe\n\nNO\n");
  EXPECT_EQ(h.MessageBox("Continue?", "Warning", Icon::kWarning, Buttons::kYesNo), Answer::kNo);
  const std::string text = out.str();
  EXPECT_NE(text.find("Please answer Yes or No."), std::string::npos);
  std::size_t prompts = 0;
  for (std::size_t at = text.find("(Yes/No) "); at != std::string::npos;
       at = text.find("(Yes/No) ", at + 1)) {
    ++prompts;
  }
  EXPECT_EQ(prompts, 3u);
}

TEST_F(TerminalHostTest, EndOfInputGivesEveryFurtherQuestionItsSafestAnswer) {
  TerminalHost& h = Host("yes\n");
  EXPECT_EQ(h.MessageBox("q1", "Q", Icon::kQuestion, Buttons::kYesNoCancel), Answer::kYes);
  EXPECT_FALSE(h.input_ended());
  EXPECT_EQ(h.MessageBox("q2", "Q", Icon::kQuestion, Buttons::kYesNoCancel), Answer::kCancel);
  EXPECT_TRUE(h.input_ended());
  EXPECT_EQ(h.MessageBox("q3", "Q", Icon::kQuestion, Buttons::kYesNo), Answer::kNo);
  EXPECT_EQ(h.MessageBox("q4", "Q", Icon::kQuestion, Buttons::kOkCancel), Answer::kCancel);
  EXPECT_EQ(h.ConfirmCopy("C:\\a\\x", "D:\\b\\x", "", ""), mrCancelUpdate);
  EXPECT_EQ(h.ConfirmDelete("D:\\b\\y", ""), mrCancelUpdate);
  const std::string text = out.str();
  EXPECT_NE(text.find("(Yes/No/Cancel) Cancel (end of input)\n"), std::string::npos);
  EXPECT_NE(text.find("(Yes/No) No (end of input)\n"), std::string::npos);
  EXPECT_NE(text.find("(OK/Cancel) Cancel (end of input)\n"), std::string::npos);
}

TEST_F(TerminalHostTest, CountsTheAnswersThatStopTheRun) {
  TerminalHost& h = Host("no\nc\nok\ncancel\n");
  h.MessageBox("q", "Q", Icon::kQuestion, Buttons::kYesNoCancel);   // No: a choice
  EXPECT_EQ(h.stopping_answers(), 0);
  h.MessageBox("q", "Q", Icon::kQuestion, Buttons::kYesNoCancel);   // Cancel
  h.ConfirmDelete("D:\\x", "");                                      // OK
  EXPECT_EQ(h.stopping_answers(), 1);
  h.ConfirmCopy("C:\\x", "D:\\x", "", "");                          // Cancel UpDate
  h.MessageBox("q", "Q", Icon::kQuestion, Buttons::kYesNo);          // end of input: No
  EXPECT_EQ(h.stopping_answers(), 3);
  int clock = 0;
  int order = 0;
  h.AskIntlSettings(&clock, &order);  // only keeps the system's settings
  EXPECT_EQ(h.stopping_answers(), 3);
}

TEST_F(TerminalHostTest, EchoesTheAnswerWhenInputIsNotATerminal) {
  TerminalHostOptions options;
  options.echo_answers = true;
  TerminalHost& h = Host("  y \nwhat\nc\n", options);
  h.MessageBox("q", "Q", Icon::kQuestion, Buttons::kYesNo);
  h.MessageBox("q", "Q", Icon::kQuestion, Buttons::kOkCancel);
  EXPECT_EQ(out.str(),
            "[Q] q\n(Yes/No) Yes\n"
            "[Q] q\n(OK/Cancel) what\nPlease answer OK or Cancel.\n(OK/Cancel) Cancel\n");
}

TEST(MatchAnswer, TakesNamesOrFirstLettersIgnoringCaseAndBlanks) {
  const std::vector<Choice> yes_no = {{"Yes", true, 6}, {"No", true, 7}};
  EXPECT_EQ(MatchAnswer("YES", yes_no), 6);
  EXPECT_EQ(MatchAnswer(" n\r", yes_no), 7);
  EXPECT_EQ(MatchAnswer("Y", yes_no), 6);
  EXPECT_EQ(MatchAnswer("ye", yes_no), std::nullopt);
  EXPECT_EQ(MatchAnswer("yess", yes_no), std::nullopt);
  EXPECT_EQ(MatchAnswer("", yes_no), std::nullopt);
  EXPECT_EQ(MatchAnswer("   ", yes_no), std::nullopt);
}

TEST_F(TerminalHostTest, CopyConfirmationMapsEachAnswerToItsResult) {
  TerminalHost& h = Host("ok\nA\nnext\nd\nDelete\ncancel\ndir\n");
  const int expected[] = {mrOk, mrOkToAll, mrNextFile, mrNextDirectory, mrDeletePair,
                          mrCancelUpdate, mrNextDirectory};
  for (int code : expected) EXPECT_EQ(h.ConfirmCopy("C:\\s\\f", "D:\\t\\f", "", ""), code);
}

TEST_F(TerminalHostTest, DeletePairNeedsTheWholeWordAndExistsOnlyInTheCopyDialog) {
  // "d" is Next Directory everywhere; "delete" is refused where there is no Delete Pair.
  TerminalHost& h = Host("delete\nall\nd\ndelete\nnext\na\n");
  EXPECT_EQ(h.ConfirmOlderCopy("C:\\s\\f", "D:\\t\\f", "", ""), mrOkToAll);
  EXPECT_EQ(h.ConfirmDelete("D:\\t\\g", ""), mrNextDirectory);
  EXPECT_EQ(h.ConfirmDelete("D:\\t\\g", ""), mrNextFile);
  EXPECT_NE(out.str().find("Please answer OK, All, Next, Dir or Cancel."), std::string::npos);
  // The delete dialog's OK To All is its own code, so copies still ask.
  EXPECT_EQ(h.ConfirmDelete("D:\\t\\g", ""), mrOkToAllDelete);
}

TEST_F(TerminalHostTest, ConfirmationBlocksShowBothFilesWithTheirDescriptions) {
  TerminalHost& h = Host("o\no\no\n");
  h.ConfirmCopy("C:\\src\\a.txt", "D:\\dst\\a.txt", "05/06/24  10:15:00  1,234", "");
  EXPECT_EQ(out.str(),
            "[Velqo Confirmation] C:\\src\\a.txt   05/06/24  10:15:00  1,234\n"
            "Will Be Copied To:\n"
            "D:\\dst\\a.txt\n"
            "(OK/All/Next/Dir/Delete/Cancel) ");
  out.str("");
  h.ConfirmOlderCopy("C:\\src\\b", "D:\\dst\\b", "d1", "d2");
  EXPECT_EQ(out.str(),
            "[Velqo CleanUp Confirmation] C:\\src\\b   d1\nIs Older Than File:\nD:\\dst\\b   d2\n"
            "But Will Be Used To Replace It - ARE YOU SURE?\n(OK/All/Next/Dir/Cancel) ");
  out.str("");
  h.ConfirmDelete("D:\\dst\\c", "d3");
  EXPECT_EQ(out.str(),
            "[Velqo Delete Confirmation] D:\\dst\\c   d3\nWill Be DELETED - Are You Sure??\n"
            "(OK/All/Next/Dir/Cancel) ");
}

TEST_F(TerminalHostTest, InterruptActsAsCancelOnceAtThePump) {
  int interrupts = 0;
  std::ostringstream notes;
  TerminalHostOptions options;
  options.notes = &notes;
  options.interrupts = [&interrupts] { return interrupts; };
  TerminalHost& h = Host("", options);

  h.PumpEvents();
  EXPECT_EQ(flags.CancelRequested, 0);
  interrupts = 1;
  h.PumpEvents();
  EXPECT_EQ(flags.CancelRequested, 1);
  EXPECT_EQ(flags.PairStopped, 1);
  EXPECT_NE(notes.str().find("press Ctrl-C again to stop at once"), std::string::npos);

  // The engine clears PairStopped at the next pair; the same interrupt does
  // not cancel again.
  flags.PairStopped = 0;
  notes.str("");
  h.PumpEvents();
  EXPECT_EQ(flags.PairStopped, 0);
  EXPECT_EQ(notes.str(), "");
}

TEST_F(TerminalHostTest, PendingInterruptAnswersTheQuestionWithoutReadingIt) {
  int interrupts = 1;
  TerminalHostOptions options;
  options.interrupts = [&interrupts] { return interrupts; };
  TerminalHost& h = Host("yes\n", options);
  EXPECT_EQ(h.MessageBox("q", "Q", Icon::kQuestion, Buttons::kYesNo), Answer::kNo);
  EXPECT_EQ(flags.CancelRequested, 1);
  EXPECT_NE(out.str().find("(Yes/No) No (interrupted)"), std::string::npos);
  // The answer typed ahead is still there for the next question.
  EXPECT_EQ(h.MessageBox("q", "Q", Icon::kQuestion, Buttons::kYesNo), Answer::kYes);
}

TEST_F(TerminalHostTest, InterruptWhileWaitingCancelsThatQuestionAndReadsOnAfterwards) {
  // A stream that fails once while the interrupt arrives, as the answer
  // reader does when poll() is interrupted, then has an answer.
  int interrupts = 0;
  TerminalHostOptions options;
  options.interrupts = [&interrupts] { return interrupts; };
  struct Once : std::streambuf {
    int* count;
    bool failed = false;
    std::string data = "y\n";
    std::size_t at = 0;
    int_type underflow() override {
      if (!failed) {
        failed = true;
        *count = 1;
        return traits_type::eof();
      }
      if (at >= data.size()) return traits_type::eof();
      setg(&data[at], &data[at], &data[at] + 1);
      ++at;
      return traits_type::to_int_type(*gptr());
    }
  } buffer;
  buffer.count = &interrupts;
  std::istream failing_once(&buffer);
  TerminalHost h(failing_once, out, options);
  h.BindFlags(&flags);
  EXPECT_EQ(h.MessageBox("q", "Q", Icon::kQuestion, Buttons::kYesNoCancel), Answer::kCancel);
  EXPECT_EQ(flags.CancelRequested, 1);
  EXPECT_FALSE(h.input_ended());
  EXPECT_EQ(h.MessageBox("q", "Q", Icon::kQuestion, Buttons::kYesNo), Answer::kYes);
}

TEST_F(TerminalHostTest, CountsTheBoxesThatReportAFailure) {
  TerminalHost& h = Host("");
  h.MessageBox("a", "Error", Icon::kWarning, Buttons::kOk);
  h.MessageBox("b", "Capacity Exceeded", Icon::kError, Buttons::kOk);
  h.MessageBox("c", "Directory Path Invalid", Icon::kStop, Buttons::kOk);
  h.MessageBox("d", "Caution!", Icon::kWarning, Buttons::kOk);
  h.MessageBox("e", "Directory Path Invalid", Icon::kInformation, Buttons::kOk);
  h.DebugBox("f", "Debug Info");
  EXPECT_EQ(h.reported_errors(), 3);
}

TEST_F(TerminalHostTest, StatusTextsAreLinesAndDebugBoxesAreBlocks) {
  TerminalHost& h = Host("");
  h.SetStatusText("Updating Directory C:\\work");
  h.DebugBox("Debug Mode Is ON", "Debug Alert");
  h.SetStatusText("Update Completed");
  EXPECT_EQ(out.str(),
            "Updating Directory C:\\work\n[Debug Alert] Debug Mode Is ON\nUpdate Completed\n");
}

TEST_F(TerminalHostTest, OtherOutputErasesTheProgressLineFirst) {
  std::ostringstream err;
  ProgressDisplay progress(err, true, 60, std::chrono::milliseconds(0));
  TerminalHostOptions options;
  options.progress = &progress;
  TerminalHost& h = Host("", options);
  h.SetProgressMax(4);
  h.SetProgressPosition(2);
  ASSERT_NE(err.str().find("Directories  2/4"), std::string::npos);
  err.str("");
  h.SetStatusText("Updating Directory C:\\w\\x");
  EXPECT_EQ(err.str(), "\r\x1b[K");
}

TEST_F(TerminalHostTest, IntlDialogTakesAClockAndADateOrderOrCancels) {
  TerminalHost& h = Host("24\nyymmdd\n12\nc\n");
  int clock = -1;
  int order = -1;
  EXPECT_TRUE(h.AskIntlSettings(&clock, &order));
  EXPECT_EQ(clock, 1);
  EXPECT_EQ(order, 2);
  EXPECT_FALSE(h.AskIntlSettings(&clock, &order));
  EXPECT_FALSE(h.AskIntlSettings(&clock, &order));  // end of input
}

}  // namespace
}  // namespace velqo::cli
