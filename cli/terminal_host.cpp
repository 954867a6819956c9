#include "cli/terminal_host.h"

#include "common/host/safe_answers.h"
#include "common/text/printable.h"
#include "common/platform/platform_ops.h"
#include "common/preview/preview_answer.h"

namespace velqo::cli {

namespace {

constexpr int kIntlCancel = -2;

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

const Choice* FindChoice(const std::vector<Choice>& choices, int value) {
  for (const Choice& c : choices) {
    if (c.value == value) return &c;
  }
  return nullptr;
}

std::string Prompt(const std::vector<Choice>& choices) {
  std::string prompt = "(";
  for (std::size_t i = 0; i < choices.size(); ++i) {
    if (i > 0) prompt += '/';
    prompt += choices[i].caption;
  }
  return prompt + ") ";
}

// "Yes, No or Cancel", then the short answers where they differ.
std::string Alternatives(const std::vector<Choice>& choices) {
  std::string text;
  std::string shorts;
  for (std::size_t i = 0; i < choices.size(); ++i) {
    const Choice& c = choices[i];
    if (i > 0) text += (i + 1 == choices.size()) ? " or " : ", ";
    text += c.caption;
    if (c.short_answer.empty() || EqualsIgnoreCase(c.short_answer, c.caption)) continue;
    if (!shorts.empty()) shorts += ", ";
    shorts += c.short_answer;
    if (c.letter) shorts += std::string("/") + c.short_answer[0];
  }
  return shorts.empty() ? text : text + " (short: " + shorts + ")";
}

// A file's path and description on one line, each made printable on its
// own, so that a name cannot break the block into lines of its making.
std::string FileLine(std::string_view path, std::string_view data) {
  std::string line = Printable(path, false);
  if (!Trim(data).empty()) line += "   " + Printable(Trim(data), false);
  return line;
}

Choice Button(std::string caption, int value) {
  std::string short_answer = caption;
  return Choice{std::move(caption), std::move(short_answer), true, value};
}

std::vector<Choice> MessageChoices(Buttons buttons) {
  const Choice ok = Button("OK", static_cast<int>(Answer::kOk));
  const Choice cancel = Button("Cancel", static_cast<int>(Answer::kCancel));
  const Choice yes = Button("Yes", static_cast<int>(Answer::kYes));
  const Choice no = Button("No", static_cast<int>(Answer::kNo));
  switch (buttons) {
    case Buttons::kOk:
      return {ok};
    case Buttons::kOkCancel:
      return {ok, cancel};
    case Buttons::kYesNo:
      return {yes, no};
    case Buttons::kYesNoCancel:
      return {yes, no, cancel};
  }
  return {ok};
}

bool ReportsFailure(std::string_view caption, Icon icon) {
  return caption == "Error" || caption == "Capacity Exceeded" ||
         caption == "Insufficient Disk Space" || icon == Icon::kError || icon == Icon::kStop;
}

bool OnErrorStream(Icon icon) {
  return icon == Icon::kWarning || icon == Icon::kError || icon == Icon::kStop;
}

// The buttons of the three confirmation dialogs, with the short answers
// of earlier versions. Delete Pair removes both files, so it has no
// one-letter answer: "d" is the harmless Next Directory.
std::vector<Choice> ConfirmChoices(int ok_to_all, std::string_view cancel, bool delete_pair) {
  std::vector<Choice> choices = {{"OK", "ok", true, mrOk},
                                 {"OK To All", "all", true, ok_to_all},
                                 {"Next File", "next", true, mrNextFile},
                                 {"Next Directory", "dir", true, mrNextDirectory}};
  if (delete_pair) choices.push_back({"Delete Pair", "delete", false, mrDeletePair});
  choices.push_back({std::string(cancel), "cancel", true, mrCancelUpdate});
  return choices;
}

}  // namespace

std::optional<int> MatchAnswer(std::string_view line, const std::vector<Choice>& choices) {
  const std::string typed = AsciiLowerCopy(Trim(line));
  if (typed.empty()) return std::nullopt;
  for (const Choice& c : choices) {
    if (typed == AsciiLowerCopy(c.caption) || typed == AsciiLowerCopy(c.short_answer)) {
      return c.value;
    }
  }
  if (typed.size() == 1) {
    for (const Choice& c : choices) {
      if (c.letter && !c.short_answer.empty() && AsciiLower(c.short_answer[0]) == typed[0]) {
        return c.value;
      }
    }
  }
  return std::nullopt;
}

TerminalHost::TerminalHost(std::istream& in, std::ostream& out, TerminalHostOptions options)
    : in_(in), out_(out), options_(std::move(options)) {}

std::string TerminalHost::HostText(std::string_view text) const {
  return options_.paths != nullptr ? options_.paths->Text(text) : std::string(text);
}

std::string TerminalHost::HostPath(std::string_view path) const {
  return options_.paths != nullptr ? options_.paths->Path(path) : std::string(path);
}

void TerminalHost::ClearProgress() {
  if (options_.progress != nullptr) options_.progress->Clear();
}

void TerminalHost::PrintBlock(std::ostream& stream, std::string_view caption,
                              std::string_view text) {
  ClearProgress();
  // The prompt on the output stream is flushed, so a block on the error
  // stream never overtakes what came before it.
  out_ << std::flush;
  stream << '[' << Printable(caption, false) << "] " << text << '\n' << std::flush;
}

void TerminalHost::Note(std::string_view line) {
  ClearProgress();
  out_ << std::flush;
  ErrorStream() << Printable(HostText(line), false) << '\n' << std::flush;
}

bool TerminalHost::InterruptPending() const {
  return options_.interrupts && options_.interrupts() > interrupts_seen_;
}

bool TerminalHost::TakeInterrupt() {
  if (!InterruptPending()) return false;
  interrupts_seen_ = options_.interrupts();
  RequestCancel();
  if (options_.errors != nullptr) {
    Note("velqo-cli: cancelling after the current file; press Ctrl-C again to stop at once");
  }
  return true;
}

int TerminalHost::Ask(const std::vector<Choice>& choices, int safest, bool counts, bool* typed) {
  Unanswered why = Unanswered::kNo;
  const int answer = AskUntilAnswered(choices, safest, &why);
  if (typed != nullptr) *typed = why == Unanswered::kNo;
  if (counts && why != Unanswered::kNo) ++unanswered_;
  if (counts && why == Unanswered::kEndOfInput) ++answered_by_end_of_input_;
  return answer;
}

int TerminalHost::AskUntilAnswered(const std::vector<Choice>& choices, int safest,
                                   Unanswered* why) {
  const std::string prompt = Prompt(choices);
  const Choice* fallback = FindChoice(choices, safest);
  const std::string safest_name = fallback != nullptr ? fallback->caption : "";
  for (;;) {
    ClearProgress();
    if (TakeInterrupt()) {
      *why = Unanswered::kInterrupted;
      out_ << prompt << safest_name << " (interrupted)\n" << std::flush;
      return safest;
    }
    if (input_ended_) {
      *why = Unanswered::kEndOfInput;
      out_ << prompt << safest_name << " (end of input)\n" << std::flush;
      return safest;
    }
    out_ << prompt << std::flush;
    std::string line;
    if (!std::getline(in_, line)) {
      if (InterruptPending()) {
        // The terminal has echoed ^C after the prompt: the notice and the
        // answer taken go on lines of their own.
        out_ << '\n' << std::flush;
        TakeInterrupt();
        in_.clear();
        *why = Unanswered::kInterrupted;
        out_ << prompt << safest_name << " (interrupted)\n" << std::flush;
        return safest;
      }
      input_ended_ = true;
      *why = Unanswered::kEndOfInput;
      out_ << safest_name << " (end of input)\n" << std::flush;
      return safest;
    }
    const std::optional<int> answer = MatchAnswer(line, choices);
    if (options_.echo_answers) {
      const Choice* named = answer ? FindChoice(choices, *answer) : nullptr;
      out_ << (named != nullptr ? named->caption : Printable(Trim(line), false)) << '\n';
    }
    if (answer) {
      out_ << std::flush;
      return *answer;
    }
    out_ << "Please answer " << Alternatives(choices) << ".\n" << std::flush;
  }
}

Answer TerminalHost::PrintPreviewAnswer(std::string_view text, std::string_view caption, Icon icon,
                                        Buttons buttons, bool failure) {
  const Answer answer = PreviewAnswer(caption, buttons, options_.allow_empty_source);
  if (!Quiet() || failure) {
    PrintBlock(OnErrorStream(icon) ? ErrorStream() : out_, caption,
               Printable(HostText(text), true));
    const Choice* named = FindChoice(MessageChoices(buttons), static_cast<int>(answer));
    out_ << Prompt(MessageChoices(buttons)) << (named != nullptr ? named->caption : "")
         << " (preview)\n"
         << std::flush;
  }
  return answer;
}

Answer TerminalHost::MessageBox(std::string_view text, std::string_view caption, Icon icon,
                                Buttons buttons) {
  const bool failure = ReportsFailure(caption, icon);
  if (failure) ++reported_errors_;
  if (buttons != Buttons::kOk && options_.preview) {
    return PrintPreviewAnswer(text, caption, icon, buttons, failure);
  }
  // Quiet keeps the failures and the questions that must be answered.
  if (Quiet() && !failure && buttons == Buttons::kOk) return Answer::kOk;
  PrintBlock(OnErrorStream(icon) ? ErrorStream() : out_, caption,
             Printable(HostText(text), true));
  if (buttons == Buttons::kOk) return Answer::kOk;
  bool typed = false;
  const auto answer = static_cast<Answer>(
      Ask(MessageChoices(buttons), static_cast<int>(SafeAnswer(caption, buttons)), true, &typed));
  if (typed && answer == Answer::kCancel && CancelStopsTheRun(caption)) cancel_typed_ = true;
  if (caption == "Warning" && buttons == Buttons::kYesNo && answer == Answer::kYes) {
    ++skipped_by_answer_;  // the size-drop pair bypassed
  }
  return answer;
}

void TerminalHost::UnattendedNotice(std::string_view text) {
  ClearProgress();
  ++reported_errors_;
  ErrorStream() << "velqo-cli: " << Printable(HostText(text), true) << '\n' << std::flush;
}

void TerminalHost::Warning(std::string_view text) {
  ClearProgress();
  ErrorStream() << "velqo-cli: warning: " << Printable(HostText(text), true) << '\n' << std::flush;
}

void TerminalHost::DebugBox(std::string_view text, std::string_view caption) {
  PrintBlock(out_, caption, Printable(HostText(text), true));
}

void TerminalHost::PumpEvents() { TakeInterrupt(); }

void TerminalHost::SetStatusText(std::string_view text) {
  // A preview's plan is printed at its end; its status lines would say
  // "Update Completed" of an update that did not happen.
  if (Quiet() || (options_.preview && options_.verbosity != Verbosity::kVerbose)) return;
  ClearProgress();
  out_ << Printable(HostText(text), false) << '\n' << std::flush;
}

void TerminalHost::SetProgressMax(int maximum) {
  if (options_.progress != nullptr) options_.progress->SetWalkMaximum(maximum);
}

void TerminalHost::SetProgressPosition(int position) {
  if (options_.progress != nullptr) options_.progress->SetWalkPosition(position);
}

int TerminalHost::Confirm(std::string_view caption, std::string_view text,
                          const std::vector<Choice>& choices) {
  if (options_.preview) return mrOk;
  PrintBlock(out_, caption, text);
  bool typed = false;
  const int answer = Ask(choices, kSafeConfirmAnswer, true, &typed);
  if (typed && answer == mrCancelUpdate) cancel_typed_ = true;
  if (answer == mrNextFile || answer == mrNextDirectory) ++skipped_by_answer_;
  return answer;
}

int TerminalHost::ConfirmCopy(std::string_view path1, std::string_view path2,
                              std::string_view data1, std::string_view data2) {
  return Confirm("Velqo Confirmation",
                 FileLine(HostPath(path1), data1) + "\nWill Be Copied To:\n" +
                     FileLine(HostPath(path2), data2),
                 ConfirmChoices(mrOkToAll, "Cancel UpDate", true));
}

int TerminalHost::ConfirmOlderCopy(std::string_view path1, std::string_view path2,
                                   std::string_view data1, std::string_view data2) {
  return Confirm("Velqo CleanUp Confirmation",
                 FileLine(HostPath(path1), data1) + "\nIs Older Than File:\n" +
                     FileLine(HostPath(path2), data2) +
                     "\nBut Will Be Used To Replace It - ARE YOU SURE?",
                 ConfirmChoices(mrOkToAll, "Cancel CleanUp", false));
}

int TerminalHost::ConfirmDelete(std::string_view path, std::string_view data) {
  return Confirm("Velqo Delete Confirmation",
                 FileLine(HostPath(path), data) + "\nWill Be DELETED - Are You Sure??",
                 ConfirmChoices(mrOkToAllDelete, "Cancel CleanUp", false));
}

bool TerminalHost::AskIntlSettings(int* time_choice, int* date_choice) {
  if (options_.preview) return false;
  PrintBlock(out_, "Test Settings For International",
             "iTime: 12 hr time or 24 hr time; iDate: mmddyy, ddmmyy or yymmdd.\n"
             "Cancel keeps the system's settings.");
  // Cancelling this dialog only keeps the system's settings.
  const Choice cancel = Button("Cancel", kIntlCancel);
  const int clock =
      Ask({{"12", "12", false, 0}, {"24", "24", false, 1}, cancel}, kIntlCancel, false);
  if (clock == kIntlCancel) return false;
  const int order = Ask({{"mmddyy", "mmddyy", false, 0},
                         {"ddmmyy", "ddmmyy", false, 1},
                         {"yymmdd", "yymmdd", false, 2},
                         cancel},
                        kIntlCancel, false);
  if (order == kIntlCancel) return false;
  *time_choice = clock;
  *date_choice = order;
  return true;
}

}  // namespace velqo::cli
