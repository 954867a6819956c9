#pragma once

#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/host_paths.h"
#include "cli/progress.h"
#include "cli/verbosity.h"
#include "common/host/quiet_host.h"

namespace velqo::cli {

// One possible answer to a question printed on the terminal.
struct Choice {
  std::string caption;  // the dialog's button, shown in the prompt
  std::string short_answer;  // accepted too; empty: none
  bool letter;          // the short answer's first letter alone is accepted too
  int value;
};

// The choice a typed line names, ignoring case and surrounding blanks: a
// caption, a short answer or (where allowed) the short answer's first letter.
std::optional<int> MatchAnswer(std::string_view line, const std::vector<Choice>& choices);

// What the terminal host is connected to besides its two streams.
struct TerminalHostOptions {
  // Repeat each answer read after the prompt: when standard input is not a
  // terminal nothing else would show what was answered.
  bool echo_answers = false;
  ProgressDisplay* progress = nullptr;  // may be null
  // Standard error: boxes with a warning, error or stop icon, and the
  // cancel notice. Null: everything goes to the output stream.
  std::ostream* errors = nullptr;
  // The number of interrupts (Ctrl-C) received so far; may be empty.
  std::function<int()> interrupts;
  Verbosity verbosity = Verbosity::kNormal;
  // A preview asks nothing: each question takes the answer that lets the
  // update go on, as an unattended run would (a size-drop question keeps
  // the copy; the empty-source question is answered No unless allowed).
  bool preview = false;
  bool allow_empty_source = false;
  // Turns the program's Windows paths into host paths in everything
  // printed; null prints them as the program names them.
  const HostPaths* paths = nullptr;
};

// The host interface on a terminal. Every box prints one block,
// "[Caption] text"; a question then prints its answers and reads one line.
// After end of input every question takes its safe answer (the one that
// changes the least on disk, common/host/safe_answers.h) and says so. Windows-only parts (trees,
// cursor, buttons, file dialogs) do nothing.
class TerminalHost : public QuietHost {
 public:
  TerminalHost(std::istream& in, std::ostream& out, TerminalHostOptions options = {});

  Answer MessageBox(std::string_view text, std::string_view caption, Icon icon,
                    Buttons buttons) override;
  void DebugBox(std::string_view text, std::string_view caption) override;
  // On the notes stream (standard error), so that a cron job's mail shows it.
  void UnattendedNotice(std::string_view text) override;
  // On standard error too, even when quiet, but not counted as an error.
  void Warning(std::string_view text) override;
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

  // Prints a line of the program's own on standard error (progress erased
  // first), or on the output stream when there is no error stream.
  void Note(std::string_view line);

  // Boxes that reported a failure so far: caption "Error", "Capacity
  // Exceeded" or "Insufficient Disk Space", or an error or stop icon.
  int reported_errors() const { return reported_errors_; }
  // Questions that took their safest answer for want of one (end of input,
  // an interrupt): the run did less than an answer might have let it.
  int unanswered() const { return unanswered_; }
  // Of those, the ones answered for want of input rather than by Ctrl-C.
  int answered_by_end_of_input() const { return answered_by_end_of_input_; }
  bool end_requested() const { return end_requested_; }
  // A Cancel that stops the run was typed (not taken for want of input).
  bool cancel_typed() const { return cancel_typed_; }
  // Files passed over by an answer: Next File, Next Directory, a bypassed pair.
  int skipped_by_answer() const { return skipped_by_answer_; }
  bool input_ended() const { return input_ended_; }

 private:
  // Prints "[caption] text"; the text is printable already.
  void PrintBlock(std::ostream& stream, std::string_view caption, std::string_view text);
  // Prompts until a choice is named; safest when input has ended.
  int Ask(const std::vector<Choice>& choices, int safest, bool counts, bool* typed = nullptr);
  enum class Unanswered { kNo, kEndOfInput, kInterrupted };
  int AskUntilAnswered(const std::vector<Choice>& choices, int safest, Unanswered* why);
  int Confirm(std::string_view caption, std::string_view text, const std::vector<Choice>& choices);
  Answer PrintPreviewAnswer(std::string_view text, std::string_view caption, Icon icon,
                            Buttons buttons, bool failure);
  // Turns a newly arrived interrupt into a cancel request; true if one came.
  bool TakeInterrupt();
  bool InterruptPending() const;
  void ClearProgress();
  std::string HostText(std::string_view text) const;
  std::string HostPath(std::string_view path) const;
  bool Quiet() const { return options_.verbosity == Verbosity::kQuiet; }
  std::ostream& ErrorStream() { return options_.errors != nullptr ? *options_.errors : out_; }

  std::istream& in_;
  std::ostream& out_;
  TerminalHostOptions options_;
  int interrupts_seen_ = 0;
  bool input_ended_ = false;
  bool end_requested_ = false;
  int reported_errors_ = 0;
  int unanswered_ = 0;
  int answered_by_end_of_input_ = 0;
  bool cancel_typed_ = false;
  int skipped_by_answer_ = 0;
};

}  // namespace velqo::cli
