#pragma once

#include "config/app_state.h"

namespace velqo {

// Reads the located INI file: window and appearance keys, the international
// settings, every option key into DefaultOptions with its repairs and boxes,
// the switch overrides and their alerts, Path1 and Path2; a file without
// VelqoOnly is a first run, which stores the first-run set. Ends with
// DefaultOptions copied to ActiveOptions and SessionOptions and the tables
// rebuilt from it. Safe to run again at any time.
void IniLoad(AppState& s);

// The same after the file was changed by another program (the editor):
// forgets the cached copy first.
void IniReloadAfterEdit(AppState& s);

// The load that follows the first run's write of the defaults. It never
// starts a first run itself, so a file that cannot take the first-run set
// leaves the session on those values instead of trying for ever.
void IniLoadAfterFirstRun(AppState& s);

}  // namespace velqo
