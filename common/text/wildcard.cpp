#include "common/text/wildcard.h"

#include "common/text/ascii_case.h"

namespace velqo {

namespace {

// Iterative matching with one backtrack point: linear in practice and never
// recursive, whatever the pattern.
bool Match(std::string_view p, std::string_view n) {
  std::size_t pi = 0, ni = 0;
  std::size_t star = std::string_view::npos, resume = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == '?' || AsciiLower(p[pi]) == AsciiLower(n[ni]))) {
      ++pi;
      ++ni;
    } else if (pi < p.size() && p[pi] == '*') {
      star = pi++;
      resume = ni;
    } else if (star != std::string_view::npos) {
      pi = star + 1;
      ni = ++resume;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

}  // namespace

bool HasWildcard(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*" || pattern == "*") return true;
  if (Match(pattern, name)) return true;
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" && name.find('.') == std::string_view::npos) {
    return Match(pattern.substr(0, pattern.size() - 2), name);
  }
  return false;
}

}  // namespace velqo
