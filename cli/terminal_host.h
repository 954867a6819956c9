#pragma once

#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/progress.h"
#include "common/quiet_host.h"

namespace velqo::cli {

// One possible answer to a question printed on the terminal.
struct Choice {
  std::string name;   // shown in the prompt, matched ignoring case
  bool letter;        // its first letter alone is accepted too
  int value;
};

// The choice a typed line names, ignoring case and surrounding blanks.
std::optional<int> MatchAnswer(std::string_view line, const std::vector<Choice>& choices);

// What the terminal host is connected to besides its two streams.
struct TerminalHostOptions {
  // Repeat each answer read after the prompt: when standard input is not a
  // terminal nothing else would show what was answered.
  bool echo_answers = false;
  ProgressDisplay* progress = nullptr;  // may be null
  std::ostream* notes = nullptr;        // the cancel notice (standard error); may be null
  // The number of interrupts (Ctrl-C) received so far; may be empty.
  std::function<int()> interrupts;
};

// The host interface on a terminal. Every box prints one block,
// "[Caption] text", to the output stream; a question then prints its
// answers and reads one line. After end of input every question takes its
// safest answer (Cancel where offered, else No, else OK) and says so.
// Windows-only parts (trees, cursor, buttons, file dialogs) do nothing.
class TerminalHost : public QuietHost {
 public:
  TerminalHost(std::istream& in, std::ostream& out, TerminalHostOptions options = {});

  Answer MessageBox(std::string_view text, std::string_view caption, Icon icon,
                    Buttons buttons) override;
  void DebugBox(std::string_view text, std::string_view caption) override;
  // On the notes stream (standard error), so that a cron job's mail shows it.
  void UnattendedNotice(std::string_view text) override;
  void PumpEvents() override;

  void SetStatusText(std::string_view text) override;
  void SetProgressMax(int maximum) override;
  void SetProgressPosition(int position) override;

  int ConfirmCopy(std::string_view path1, std::string_view path2, std::string_view data1,
                  std::string_view data2) override;
  int ConfirmOlderCopy(std::string_view path1, std::string_view path2, std::string_view data1,
                       std::string_view data2) override;
  int ConfirmDelete(std::string_view path, std::string_view data) override;

  // The status window stays QuietHost's empty one: a line per file would
  // bury the output, and the progress line shows the file being copied.
  void EndApplication() override { end_requested_ = true; }
  bool AskIntlSettings(int* time_choice, int* date_choice) override;

  // Boxes that reported a failure so far: caption "Error" or "Capacity
  // Exceeded", or an error or stop icon.
  int reported_errors() const { return reported_errors_; }
  // Questions answered Cancel, typed or taken for want of an answer (end
  // of input, an interrupt): each stops at least the rest of a pair.
  int stopping_answers() const { return stopping_answers_; }
  bool end_requested() const { return end_requested_; }
  bool input_ended() const { return input_ended_; }

 private:
  // Prints "[caption] text" with the text's line breaks kept.
  void PrintBlock(std::string_view caption, std::string_view text);
  // Prompts until a choice is named; safest when input has ended. cancel:
  // the value of the answer that stops the run; nothing for a question
  // that cannot stop it, which is then never counted as stopping.
  int Ask(const std::vector<Choice>& choices, int safest, std::optional<int> cancel);
  int AskUntilAnswered(const std::vector<Choice>& choices, int safest, bool* unanswered);
  int Confirm(std::string_view caption, std::string_view text, const std::vector<Choice>& choices);
  // Turns a newly arrived interrupt into a cancel request; true if one came.
  bool TakeInterrupt();
  bool InterruptPending() const;
  void ClearProgress();

  std::istream& in_;
  std::ostream& out_;
  TerminalHostOptions options_;
  int interrupts_seen_ = 0;
  bool input_ended_ = false;
  bool end_requested_ = false;
  int reported_errors_ = 0;
  int stopping_answers_ = 0;
};

}  // namespace velqo::cli
