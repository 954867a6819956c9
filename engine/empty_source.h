#pragma once

#include <string_view>

#include "config/app_state.h"

namespace velqo {

// An empty Dir 1 is not a command to empty Dir 2: an unmounted disk leaves
// exactly such an empty mount point. For a CleanUp run (or batch pair)
// whose top dir1 holds nothing at all while dir2 holds something, the user
// is asked first (default No); under JFDI the pair is refused unless the
// console program was told to allow it. A refusal is reported and logged.
// True when the pair may go on.
bool EmptySourceMayGoOn(AppState& s, std::string_view dir1, std::string_view dir2);

}  // namespace velqo
