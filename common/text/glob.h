#pragma once

#include <string_view>

namespace velqo {

// Matches a whole text against a glob pattern, byte by byte, with the
// rules of fnmatch(3) under FNM_PATHNAME plus "**":
//   *      any run of bytes without "/"
//   **     any run of bytes, "/" included (three or more stars alike)
//   ?      one byte other than "/"
//   [...]  one byte of the set, other than "/": ranges (a-z), classes
//          ([:digit:] and the like, ASCII only), "!" or "^" first negates,
//          "]" first is a member; an unclosed "[" is a plain "["
//   \c     the byte c itself
// Case counts, and no locale is consulted: names are arbitrary bytes, so a
// pattern means the same in every program and every locale. The cost is
// linear in the pattern's length times the text's, whatever either holds.
bool MatchesGlob(std::string_view pattern, std::string_view text);

}  // namespace velqo
