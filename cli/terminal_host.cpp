#include "cli/terminal_host.h"

#include "cli/printable.h"
#include "common/platform_ops.h"

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
    prompt += choices[i].name;
  }
  return prompt + ") ";
}

// "Yes, No or Cancel".
std::string Alternatives(const std::vector<Choice>& choices) {
  std::string text;
  for (std::size_t i = 0; i < choices.size(); ++i) {
    if (i > 0) text += (i + 1 == choices.size()) ? " or " : ", ";
    text += choices[i].name;
  }
  return text;
}

std::string FileLine(std::string_view path, std::string_view data) {
  std::string line(path);
  if (!Trim(data).empty()) line += "   " + std::string(Trim(data));
  return line;
}

std::vector<Choice> MessageChoices(Buttons buttons) {
  switch (buttons) {
    case Buttons::kOk:
      return {{"OK", true, static_cast<int>(Answer::kOk)}};
    case Buttons::kOkCancel:
      return {{"OK", true, static_cast<int>(Answer::kOk)},
              {"Cancel", true, static_cast<int>(Answer::kCancel)}};
    case Buttons::kYesNo:
      return {{"Yes", true, static_cast<int>(Answer::kYes)},
              {"No", true, static_cast<int>(Answer::kNo)}};
    case Buttons::kYesNoCancel:
      return {{"Yes", true, static_cast<int>(Answer::kYes)},
              {"No", true, static_cast<int>(Answer::kNo)},
              {"Cancel", true, static_cast<int>(Answer::kCancel)}};
  }
  return {{"OK", true, static_cast<int>(Answer::kOk)}};
}

// Cancel where offered, else No, else OK.
int SafestMessageAnswer(Buttons buttons) {
  switch (buttons) {
    case Buttons::kOkCancel:
    case Buttons::kYesNoCancel:
      return static_cast<int>(Answer::kCancel);
    case Buttons::kYesNo:
      return static_cast<int>(Answer::kNo);
    case Buttons::kOk:
      break;
  }
  return static_cast<int>(Answer::kOk);
}

bool ReportsFailure(std::string_view caption, Icon icon) {
  return caption == "Error" || caption == "Capacity Exceeded" || icon == Icon::kError ||
         icon == Icon::kStop;
}

}  // namespace

std::optional<int> MatchAnswer(std::string_view line, const std::vector<Choice>& choices) {
  const std::string typed = AsciiLowerCopy(Trim(line));
  if (typed.empty()) return std::nullopt;
  for (const Choice& c : choices) {
    if (typed == AsciiLowerCopy(c.name)) return c.value;
  }
  if (typed.size() == 1) {
    for (const Choice& c : choices) {
      if (c.letter && !c.name.empty() && AsciiLower(c.name[0]) == typed[0]) return c.value;
    }
  }
  return std::nullopt;
}

TerminalHost::TerminalHost(std::istream& in, std::ostream& out, TerminalHostOptions options)
    : in_(in), out_(out), options_(std::move(options)) {}

void TerminalHost::ClearProgress() {
  if (options_.progress != nullptr) options_.progress->Clear();
}

void TerminalHost::PrintBlock(std::string_view caption, std::string_view text) {
  ClearProgress();
  out_ << '[' << Printable(caption, false) << "] " << Printable(text, true) << '\n' << std::flush;
}

bool TerminalHost::InterruptPending() const {
  return options_.interrupts && options_.interrupts() > interrupts_seen_;
}

bool TerminalHost::TakeInterrupt() {
  if (!InterruptPending()) return false;
  interrupts_seen_ = options_.interrupts();
  RequestCancel();
  if (options_.notes != nullptr) {
    ClearProgress();
    *options_.notes << "velqo-cli: cancelling after the current file; press Ctrl-C again to stop "
                       "at once\n"
                    << std::flush;
  }
  return true;
}

int TerminalHost::Ask(const std::vector<Choice>& choices, int safest, std::optional<int> cancel) {
  bool unanswered = false;
  const int answer = AskUntilAnswered(choices, safest, &unanswered);
  if (cancel && (unanswered || answer == *cancel)) ++stopping_answers_;
  return answer;
}

int TerminalHost::AskUntilAnswered(const std::vector<Choice>& choices, int safest,
                                   bool* unanswered) {
  const std::string prompt = Prompt(choices);
  const Choice* fallback = FindChoice(choices, safest);
  const std::string safest_name = fallback != nullptr ? fallback->name : "";
  *unanswered = true;
  for (;;) {
    ClearProgress();
    if (TakeInterrupt()) {
      out_ << prompt << safest_name << " (interrupted)\n" << std::flush;
      return safest;
    }
    if (input_ended_) {
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
        out_ << prompt << safest_name << " (interrupted)\n" << std::flush;
        return safest;
      }
      input_ended_ = true;
      out_ << safest_name << " (end of input)\n" << std::flush;
      return safest;
    }
    const std::optional<int> answer = MatchAnswer(line, choices);
    if (options_.echo_answers) {
      const Choice* named = answer ? FindChoice(choices, *answer) : nullptr;
      out_ << (named != nullptr ? named->name : Printable(Trim(line), false)) << '\n';
    }
    if (answer) {
      out_ << std::flush;
      *unanswered = false;
      return *answer;
    }
    out_ << "Please answer " << Alternatives(choices) << ".\n" << std::flush;
  }
}

Answer TerminalHost::MessageBox(std::string_view text, std::string_view caption, Icon icon,
                                Buttons buttons) {
  if (ReportsFailure(caption, icon)) ++reported_errors_;
  PrintBlock(caption, text);
  if (buttons == Buttons::kOk) return Answer::kOk;
  return static_cast<Answer>(Ask(MessageChoices(buttons), SafestMessageAnswer(buttons),
                                 static_cast<int>(Answer::kCancel)));
}

void TerminalHost::UnattendedNotice(std::string_view text) {
  if (options_.notes == nullptr) return;
  ClearProgress();
  *options_.notes << "velqo-cli: " << Printable(text, true) << '\n' << std::flush;
}

void TerminalHost::DebugBox(std::string_view text, std::string_view caption) {
  PrintBlock(caption, text);
}

void TerminalHost::PumpEvents() { TakeInterrupt(); }

void TerminalHost::SetStatusText(std::string_view text) {
  ClearProgress();
  out_ << Printable(text, false) << '\n' << std::flush;
}

void TerminalHost::SetProgressMax(int maximum) {
  if (options_.progress != nullptr) options_.progress->SetWalkMaximum(maximum);
}

void TerminalHost::SetProgressPosition(int position) {
  if (options_.progress != nullptr) options_.progress->SetWalkPosition(position);
}

int TerminalHost::Confirm(std::string_view caption, std::string_view text,
                          const std::vector<Choice>& choices) {
  PrintBlock(caption, text);
  return Ask(choices, mrCancelUpdate, mrCancelUpdate);
}

int TerminalHost::ConfirmCopy(std::string_view path1, std::string_view path2,
                              std::string_view data1, std::string_view data2) {
  // Delete Pair removes both files, so it has no one-letter answer: "d" is
  // the harmless Next Directory.
  return Confirm("Velqo Confirmation",
                 FileLine(path1, data1) + "\nWill Be Copied To:\n" + FileLine(path2, data2),
                 {{"OK", true, mrOk},
                  {"All", true, mrOkToAll},
                  {"Next", true, mrNextFile},
                  {"Dir", true, mrNextDirectory},
                  {"Delete", false, mrDeletePair},
                  {"Cancel", true, mrCancelUpdate}});
}

int TerminalHost::ConfirmOlderCopy(std::string_view path1, std::string_view path2,
                                   std::string_view data1, std::string_view data2) {
  return Confirm("Velqo CleanUp Confirmation",
                 FileLine(path1, data1) + "\nIs Older Than File:\n" + FileLine(path2, data2) +
                     "\nBut Will Be Used To Replace It - ARE YOU SURE?",
                 {{"OK", true, mrOk},
                  {"All", true, mrOkToAll},
                  {"Next", true, mrNextFile},
                  {"Dir", true, mrNextDirectory},
                  {"Cancel", true, mrCancelUpdate}});
}

int TerminalHost::ConfirmDelete(std::string_view path, std::string_view data) {
  return Confirm("Velqo Delete Confirmation",
                 FileLine(path, data) + "\nWill Be DELETED - Are You Sure??",
                 {{"OK", true, mrOk},
                  {"All", true, mrOkToAllDelete},
                  {"Next", true, mrNextFile},
                  {"Dir", true, mrNextDirectory},
                  {"Cancel", true, mrCancelUpdate}});
}

bool TerminalHost::AskIntlSettings(int* time_choice, int* date_choice) {
  PrintBlock("Test Settings For International",
             "iTime: 12 hr time or 24 hr time; iDate: mmddyy, ddmmyy or yymmdd.\n"
             "Cancel keeps the system's settings.");
  // Cancelling this dialog only keeps the system's settings.
  const int clock = Ask({{"12", false, 0}, {"24", false, 1}, {"Cancel", true, kIntlCancel}},
                        kIntlCancel, std::nullopt);
  if (clock == kIntlCancel) return false;
  const int order = Ask({{"mmddyy", false, 0},
                         {"ddmmyy", false, 1},
                         {"yymmdd", false, 2},
                         {"Cancel", true, kIntlCancel}},
                        kIntlCancel, std::nullopt);
  if (order == kIntlCancel) return false;
  *time_choice = clock;
  *date_choice = order;
  return true;
}

}  // namespace velqo::cli
