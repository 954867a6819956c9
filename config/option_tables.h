#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "config/app_state.h"

namespace velqo {

// Parses a comma-separated list into at most 100 entries: an empty text gives
// none, a text without "," one entry, otherwise every item up to the next ","
// and the item after the last one (empty items count). Items are kept as
// written. An item longer than its entry is left out of the table: cut short
// it would match other names, and empty it would match names without an
// extension. Returns the number of entries.
template <std::size_t N>
int ParseList(std::string_view text, std::array<FixedText<N>, kMaxTableEntries>* table) {
  int count = 0;
  if (text.empty()) return 0;
  int items = 0;
  std::size_t start = 0;
  while (items < kMaxTableEntries) {
    const std::size_t comma = text.find(',', start);
    const std::string_view item =
        text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    ++items;
    if ((*table)[static_cast<std::size_t>(count)].Assign(item)) ++count;
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return count;
}

// Rebuilds ExtensionTable/NumExtensions and FileNameTable/NumFileNames from a set.
void RebuildTables(AppState& s, const OptionSet& from);

}  // namespace velqo
