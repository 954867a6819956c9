#pragma once

#include <string_view>

#include "config/app_state.h"

namespace velqo {

// Whether the run's patterns exclude anything below dir (a directory that
// lies at below_top in its tree), at any depth. What cannot be listed
// counts as holding such an entry: a directory tree is removed whole only
// when nothing the user excluded would go with it.
bool HoldsExcludedEntries(AppState& s, std::string_view dir, std::string_view below_top);

}  // namespace velqo
