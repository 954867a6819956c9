#pragma once

#include <string>
#include <vector>

#include "common/platform/file_change.h"
#include "config/app_state.h"
#include "engine/update_run.h"

namespace velqo {

// A box the previewed run would have shown, and the answer it took.
struct PreviewNote {
  std::string caption;
  std::string text;
  std::string answer;  // "OK", "Yes", "No", "Cancel"; empty for a notice without buttons
};

struct PreviewReport {
  UpdateOutcome outcome = UpdateOutcome::kNothingToDo;
  std::vector<FileChange> changes;  // in the order the run would make them
  std::vector<PreviewNote> notes;
};

// Runs the update that pressing Update would run now (the same options,
// the Dir 1 and Dir 2 texts or the batch, all taken from s) over a platform
// that records each change instead of making it, and returns the plan.
// Nothing reaches the disk: not the trees, the settings file nor the log.
// No box is shown: questions take the preview's answers, confirmations
// OK. s.host keeps turning its event loop meanwhile, and its Cancel stops
// the preview. s itself is left as it was.
PreviewReport PreviewUpdate(AppState& s);

}  // namespace velqo
