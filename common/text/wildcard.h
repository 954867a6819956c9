#pragma once

#include <string_view>

namespace velqo {

// Windows file-name matching: "*" any run of characters, "?" one character,
// letters A to Z without regard to case; "*.*" matches every name, and a
// pattern ending in ".*" also matches the name without any extension.
bool MatchesWildcard(std::string_view pattern, std::string_view name);
bool HasWildcard(std::string_view text);

}  // namespace velqo
