#pragma once

#include <string_view>

#include "config/app_state.h"

namespace velqo {

// Parses a comma-separated list into at most 100 entries of a table; an item
// longer than its entry is refused (kept empty) rather than written past it.
// Returns the number of entries.
template <std::size_t N>
int ParseList(std::string_view text, std::array<FixedText<N>, kMaxTableEntries>* table);

// Rebuilds ExtensionTable/NumExtensions and FileNameTable/NumFileNames from a set.
void RebuildTables(AppState& s, const OptionSet& from);

}  // namespace velqo
