#pragma once

#include <string_view>

#include "config/app_state.h"

namespace velqo {

// Whether target holds an entry of the other type than the one about to
// take its place (a directory for a file, a file or link for a directory),
// in a run that writes only Dir 2 and so may replace it.
bool TypeChangeToMake(AppState& s, std::string_view target, bool directory_wanted);

// Makes room at target for the entry of the other type: with backup the
// old entry is renamed to its backup name, else a file or link is deleted
// and a directory removed with everything below it. Each step is logged;
// false (reported) when target is still there.
bool ClearForTypeChange(AppState& s, std::string_view target, bool backup);

}  // namespace velqo
