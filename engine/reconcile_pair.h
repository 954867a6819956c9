#pragma once

#include "config/app_state.h"

namespace velqo {

// Handles the directory pair in Path1 and Path2: derives the pair's options,
// loads and filters both file lists, matches the files by name and date,
// checks the disk space and carries out the file actions. Ends with both
// lists freed, every dialog hidden and the pair's copies made durable,
// whatever way it took.
void ReconcilePair(AppState& s);

}  // namespace velqo
