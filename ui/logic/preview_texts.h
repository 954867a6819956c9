#pragma once

#include <string>
#include <vector>

#include "engine/preview_run.h"

namespace velqo::ui {

// What the preview window shows of a report, every line printable.
struct PreviewTexts {
  std::vector<std::string> plan;     // one line per planned change
  std::string summary;               // the totals overall and per drive, one per line
  std::vector<std::string> notes;    // each box the run would have shown, with its answer
};
PreviewTexts PreviewTextsOf(const PreviewReport& report);

}  // namespace velqo::ui
