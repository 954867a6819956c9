#include "common/host/safe_answers.h"

namespace velqo {

namespace {

constexpr SafeAnswerRule kRules[] = {
    {"Warning", "a much smaller file would replace a larger one: bypass this file pair?",
     Buttons::kYesNo, Answer::kYes, "the pair is bypassed, neither file changes"},
    {"Caution!", "Dir 1 is empty: mirror it all the same?", Buttons::kYesNo, Answer::kNo,
     "nothing of Dir 2 is deleted"},
    {"Create Directory Path 2?", "Dir 2 does not exist: create it?", Buttons::kYesNo, Answer::kNo,
     "nothing is created, the update ends"},
    {"Directory Path Invalid", "a directory of the pair or the log does not exist: create it?",
     Buttons::kYesNoCancel, Answer::kCancel, "nothing is created, the update ends"},
    {"Error", "a file could not be copied: go on with the rest?", Buttons::kOkCancel, Answer::kCancel,
     "the update ends"},
    {"Insufficient Disk Space", "the pair's files will not fit: go on with other pairs?",
     Buttons::kOkCancel, Answer::kCancel, "the pair is not updated, the update ends"},
    {"Delete Confirmation", "erase this file of a Delete Pair?", Buttons::kYesNo, Answer::kNo,
     "the file is kept"},
    {"Deleting Old File", "delete this file older than the set number of days?", Buttons::kOkCancel, Answer::kCancel,
     "the file is kept"},
    {"Confirm Directory Deletion Operation", "remove this directory tree of Dir 2?", Buttons::kYesNo, Answer::kNo,
     "the directory is kept"},
    {"Replace Existing .OPT File?", "replace an option template?", Buttons::kYesNoCancel, Answer::kCancel,
     "the template is kept"},
    {"Save As Template File?", "save the options as a template first?", Buttons::kYesNoCancel, Answer::kCancel,
     "nothing is saved or loaded"},
};

Answer FallbackAnswer(Buttons buttons) {
  switch (buttons) {
    case Buttons::kOkCancel:
    case Buttons::kYesNoCancel:
      return Answer::kCancel;
    case Buttons::kYesNo:
      return Answer::kNo;
    case Buttons::kOk:
      break;
  }
  return Answer::kOk;
}

}  // namespace

std::span<const SafeAnswerRule> SafeAnswerRules() { return kRules; }

bool CancelStopsTheRun(std::string_view caption) {
  return caption != "Deleting Old File" && caption != "Replace Existing .OPT File?" &&
         caption != "Save As Template File?";
}

Answer SafeAnswer(std::string_view caption, Buttons buttons) {
  for (const SafeAnswerRule& rule : kRules) {
    if (rule.caption == caption && rule.buttons == buttons) return rule.answer;
  }
  return FallbackAnswer(buttons);
}

}  // namespace velqo
