#pragma once

#include "config/app_state.h"

namespace velqo {

// Performs one update: takes the paths from the main window (or the batch),
// validates them, turns the directory-selection mode into a sequence of
// directory pairs, reconciles each and reports the outcome.
void RunUpdate(AppState& s);

}  // namespace velqo
