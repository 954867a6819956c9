#pragma once

#include "config/app_state.h"

namespace velqo {

// The ways a run ends, as the status bar and the log report them. kFailed:
// nothing changed because every copy or deletion tried failed.
enum class UpdateOutcome { kCompleted, kCancelled, kNothingToDo, kFailed };

// Performs one update: takes the paths from the main window (or the batch),
// validates them, turns the directory-selection mode into a sequence of
// directory pairs, reconciles each and reports the outcome, which it also
// returns for callers that need it (the console program's exit status).
UpdateOutcome RunUpdate(AppState& s);

}  // namespace velqo
