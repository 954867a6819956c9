#pragma once

#include "config/app_state.h"

namespace velqo {

// Sections "Batch1" to "Batch500" of the INI file, listed until the first
// missing number, and the pairs of the selected one ("DirPair1" up to 500,
// until the first missing key), in lower case.
inline constexpr int kMaxBatches = 500;
inline constexpr int kMaxDirPairs = 500;

// Fills the host's batch list and the pair list of the batch LastBatch names
// (batch 1 when it names none), and selects that line.
void LoadBatches(AppState& s);

// The user picked line `line` (1 is the first) of the batch list: it becomes
// the selected batch, is stored as LastBatch at once, and its pairs are listed.
void SelectBatch(AppState& s, int line);

}  // namespace velqo
