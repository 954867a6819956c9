#include "cli/terminal_host.h"

#include <gtest/gtest.h>

#include <sstream>

#include "common/host/run_flags.h"
#include "common/host/safe_answers.h"

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

TEST_F(TerminalHostTest, KeepsOnlyTheMessagesOwnLineBreaks) {
  // The program's messages break their lines with CRLF; a lone CR or LF
  // can only come from a name.
  TerminalHost& h = Host("");
  h.MessageBox("first line\r\nsecond line\rthird\nfourth", "Caution!", Icon::kWarning,
               Buttons::kOk);
  EXPECT_EQ(out.str(), "[Caution!] first line\nsecond line?third?fourth\n");
}

TEST_F(TerminalHostTest, ControlCharactersOfNamesNeverReachTheTerminal) {
  TerminalHostOptions options;
  options.echo_answers = true;
  TerminalHost& h = Host("\x1b[2J\n", options);
  h.SetStatusText("Updating Directory C:\\a\x1b]0;owned\x07" "b\t\xc3\xa9");
  h.ConfirmDelete("D:\\x\x9b\x7fy", "");
  EXPECT_EQ(out.str(),
            "Updating Directory C:\\a?]0;owned?b?\xc3\xa9\n"
            "[Velqo Delete Confirmation] D:\\x\x9b?y\nWill Be DELETED - Are You Sure??\n"
            "(OK/OK To All/Next File/Next Directory/Cancel CleanUp) ?[2J\n"
            "Please answer OK, OK To All, Next File, Next Directory or Cancel CleanUp "
            "(short: all/a, next/n, dir/d, cancel/c).\n"
            "(OK/OK To All/Next File/Next Directory/Cancel CleanUp) Cancel CleanUp (end of input)\n");

  // A line break in a name cannot make a line of the dialog's own.
  out.str("");
  h.ConfirmCopy("C:\\a\nWill Be Copied To:\nD:\\evil", "D:\\b\r\nx", "", "");
  EXPECT_EQ(out.str().substr(0, out.str().find("(OK")),
            "[Velqo Confirmation] C:\\a?Will Be Copied To:?D:\\evil\nWill Be Copied To:\n"
            "D:\\b??x\n");
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

TEST_F(TerminalHostTest, EachKnownQuestionTakesItsOwnSafeAnswerAtEndOfInput) {
  for (const SafeAnswerRule& rule : SafeAnswerRules()) {
    out.str("");
    TerminalHost& h = Host("");
    EXPECT_EQ(h.MessageBox("question", rule.caption, Icon::kQuestion, rule.buttons), rule.answer)
        << rule.caption;
    EXPECT_EQ(h.answered_by_end_of_input(), 1) << rule.caption;
  }
  // The size-drop question's Yes bypasses the pair: the answer printed is Yes.
  out.str("");
  TerminalHost& h = Host("");
  h.MessageBox("Bypass?", "Warning", Icon::kWarning, Buttons::kYesNo);
  EXPECT_NE(out.str().find("(Yes/No) Yes (end of input)\n"), std::string::npos) << out.str();
  // Other boxes with a known caption but other buttons keep the general rule.
  EXPECT_EQ(h.MessageBox("q", "Warning", Icon::kWarning, Buttons::kOkCancel), Answer::kCancel);
}

TEST_F(TerminalHostTest, AnInterruptedQuestionIsNotCountedAsAnsweredByEndOfInput) {
  TerminalHostOptions options;
  int interrupts = 1;
  options.interrupts = [&interrupts] { return interrupts; };
  TerminalHost& h = Host("yes\n", options);
  EXPECT_EQ(h.MessageBox("q", "Warning", Icon::kWarning, Buttons::kYesNo), Answer::kYes);
  EXPECT_EQ(h.unanswered(), 1);
  EXPECT_EQ(h.answered_by_end_of_input(), 0);
}

TEST_F(TerminalHostTest, CountsTheQuestionsLeftUnanswered) {
  TerminalHost& h = Host("no\nc\nok\ncancel\n");
  h.MessageBox("q", "Q", Icon::kQuestion, Buttons::kYesNoCancel);   // No: a choice
  h.MessageBox("q", "Q", Icon::kQuestion, Buttons::kOkCancel);      // Cancel: a choice too
  h.ConfirmDelete("D:\\x", "");                                      // OK
  h.ConfirmCopy("C:\\x", "D:\\x", "", "");                          // Cancel UpDate
  EXPECT_EQ(h.unanswered(), 0);
  h.MessageBox("q", "Q", Icon::kQuestion, Buttons::kYesNo);          // end of input: No
  h.ConfirmCopy("C:\\x", "D:\\x", "", "");                          // end of input
  EXPECT_EQ(h.unanswered(), 2);
  int clock = 0;
  int order = 0;
  h.AskIntlSettings(&clock, &order);  // only keeps the system's settings
  EXPECT_EQ(h.unanswered(), 2);
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
  const std::vector<Choice> yes_no = {{"Yes", "Yes", true, 6}, {"No", "No", true, 7}};
  EXPECT_EQ(MatchAnswer("YES", yes_no), 6);
  EXPECT_EQ(MatchAnswer(" n\r", yes_no), 7);
  EXPECT_EQ(MatchAnswer("Y", yes_no), 6);
  EXPECT_EQ(MatchAnswer("ye", yes_no), std::nullopt);
  EXPECT_EQ(MatchAnswer("yess", yes_no), std::nullopt);
  EXPECT_EQ(MatchAnswer("", yes_no), std::nullopt);
  EXPECT_EQ(MatchAnswer("   ", yes_no), std::nullopt);
}

TEST_F(TerminalHostTest, CopyConfirmationMapsEachAnswerToItsResult) {
  // The buttons' captions as typed, in any case, and the short answers.
  TerminalHost& h = Host(
      "ok\nA\nnext\nd\nDelete\ncancel\ndir\n"
      "OK To All\n next file \nnext directory\ndelete pair\nCANCEL UPDATE\n");
  const int expected[] = {mrOk,         mrOkToAll,      mrNextFile,      mrNextDirectory,
                          mrDeletePair, mrCancelUpdate, mrNextDirectory, mrOkToAll,
                          mrNextFile,   mrNextDirectory, mrDeletePair,   mrCancelUpdate};
  for (int code : expected) EXPECT_EQ(h.ConfirmCopy("C:\\s\\f", "D:\\t\\f", "", ""), code);
}

TEST_F(TerminalHostTest, DeletePairNeedsTheWholeWordAndExistsOnlyInTheCopyDialog) {
  // "d" is Next Directory everywhere; "delete" is refused where there is no Delete Pair.
  TerminalHost& h = Host("delete\nall\nd\ndelete\nnext\na\n");
  EXPECT_EQ(h.ConfirmOlderCopy("C:\\s\\f", "D:\\t\\f", "", ""), mrOkToAll);
  EXPECT_EQ(h.ConfirmDelete("D:\\t\\g", ""), mrNextDirectory);
  EXPECT_EQ(h.ConfirmDelete("D:\\t\\g", ""), mrNextFile);
  EXPECT_NE(out.str().find("Please answer OK, OK To All, Next File, Next Directory or Cancel CleanUp"),
            std::string::npos);
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
            "(OK/OK To All/Next File/Next Directory/Delete Pair/Cancel UpDate) ");
  out.str("");
  h.ConfirmOlderCopy("C:\\src\\b", "D:\\dst\\b", "d1", "d2");
  EXPECT_EQ(out.str(),
            "[Velqo CleanUp Confirmation] C:\\src\\b   d1\nIs Older Than File:\nD:\\dst\\b   d2\n"
            "But Will Be Used To Replace It - ARE YOU SURE?\n"
            "(OK/OK To All/Next File/Next Directory/Cancel CleanUp) ");
  out.str("");
  h.ConfirmDelete("D:\\dst\\c", "d3");
  EXPECT_EQ(out.str(),
            "[Velqo Delete Confirmation] D:\\dst\\c   d3\nWill Be DELETED - Are You Sure??\n"
            "(OK/OK To All/Next File/Next Directory/Cancel CleanUp) ");
}

TEST_F(TerminalHostTest, InterruptActsAsCancelOnceAtThePump) {
  int interrupts = 0;
  std::ostringstream notes;
  TerminalHostOptions options;
  options.errors = &notes;
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
  h.MessageBox("g", "Insufficient Disk Space", Icon::kWarning, Buttons::kOkCancel);
  EXPECT_EQ(h.reported_errors(), 4);
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

TEST_F(TerminalHostTest, WarningsErrorsAndStopsGoToTheErrorStreamAndQuietKeepsOnlyThem) {
  std::ostringstream err;
  TerminalHostOptions options;
  options.errors = &err;
  TerminalHost& h = Host("y\n", options);
  h.MessageBox("Cannot Create Directory", "Error", Icon::kWarning, Buttons::kOk);
  h.MessageBox("Its ROOT Doesn't Exist", "Directory Path Invalid", Icon::kStop, Buttons::kOk);
  h.MessageBox("Options Saved", "ProVelqo", Icon::kNone, Buttons::kOk);
  h.MessageBox("Create?", "Create Directory Path 2?", Icon::kQuestion, Buttons::kYesNo);
  h.SetStatusText("Update Completed");
  EXPECT_EQ(err.str(),
            "[Error] Cannot Create Directory\n[Directory Path Invalid] Its ROOT Doesn't Exist\n");
  EXPECT_EQ(out.str(),
            "[ProVelqo] Options Saved\n[Create Directory Path 2?] Create?\n(Yes/No) "
            "Update Completed\n");

  out.str("");
  err.str("");
  options.verbosity = Verbosity::kQuiet;
  TerminalHost& quiet = Host("n\n", options);
  quiet.MessageBox("You Are Running With The /B Switch Set", "Caution!", Icon::kWarning,
                   Buttons::kOk);
  quiet.MessageBox("Options Saved", "ProVelqo", Icon::kNone, Buttons::kOk);
  quiet.SetStatusText("Updating Directory C:\\w");
  quiet.MessageBox("Cannot Back Up File", "Error", Icon::kWarning, Buttons::kOk);
  EXPECT_EQ(quiet.MessageBox("Create?", "Q", Icon::kQuestion, Buttons::kYesNo), Answer::kNo);
  EXPECT_EQ(err.str(), "[Error] Cannot Back Up File\n");
  EXPECT_EQ(out.str(), "[Q] Create?\n(Yes/No) ");
}

TEST_F(TerminalHostTest, APreviewAsksNothingAndGoesOnAsAnUnattendedRunWould) {
  TerminalHostOptions options;
  options.preview = true;
  TerminalHost& h = Host("n\nn\nn\n", options);
  h.SetStatusText("Update Completed");
  EXPECT_EQ(h.MessageBox("Create this path?", "Create Directory Path 2?", Icon::kQuestion,
                         Buttons::kYesNo),
            Answer::kYes);
  EXPECT_EQ(h.MessageBox("Create?", "Directory Path Invalid", Icon::kQuestion,
                         Buttons::kYesNoCancel),
            Answer::kYes);
  EXPECT_EQ(h.MessageBox("Cannot Execute Copy", "Error", Icon::kWarning, Buttons::kOkCancel),
            Answer::kOk);
  // Yes would bypass the newer, much smaller file: the copy stays planned.
  EXPECT_EQ(h.MessageBox("Do You Wish To ByPass This File Pair?", "Warning", Icon::kWarning,
                         Buttons::kYesNo),
            Answer::kNo);
  // The empty-source question: No, unless allowed.
  EXPECT_EQ(h.MessageBox("Dir 1 is empty", "Caution!", Icon::kWarning, Buttons::kYesNo),
            Answer::kNo);
  EXPECT_EQ(h.ConfirmCopy("C:\\a", "D:\\a", "", ""), mrOk);
  EXPECT_EQ(h.ConfirmDelete("D:\\a", ""), mrOk);
  EXPECT_EQ(out.str().find("Update Completed"), std::string::npos);
  EXPECT_NE(out.str().find("(Yes/No) Yes (preview)\n"), std::string::npos);
  EXPECT_EQ(out.str().find("Velqo Confirmation"), std::string::npos);
  EXPECT_EQ(h.unanswered(), 0);
  std::string rest;
  std::getline(in, rest);
  EXPECT_EQ(rest, "n");  // nothing was read

  options.allow_empty_source = true;
  TerminalHost& allowed = Host("", options);
  EXPECT_EQ(allowed.MessageBox("Dir 1 is empty", "Caution!", Icon::kWarning, Buttons::kYesNo),
            Answer::kYes);
}

}  // namespace
}  // namespace velqo::cli
