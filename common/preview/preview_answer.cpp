#include "common/preview/preview_answer.h"

namespace velqo {

Answer PreviewAnswer(std::string_view caption, Buttons buttons, bool allow_empty_source) {
  if (buttons == Buttons::kYesNo && caption == "Warning") return Answer::kNo;
  if (buttons == Buttons::kYesNo && caption == "Caution!" && !allow_empty_source) return Answer::kNo;
  return buttons == Buttons::kYesNo || buttons == Buttons::kYesNoCancel ? Answer::kYes : Answer::kOk;
}

}  // namespace velqo
