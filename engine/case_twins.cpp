#include "engine/case_twins.h"

#include <algorithm>
#include <cstdint>

#include "common/platform/platform_ops.h"

namespace velqo {

namespace {

std::uint64_t FoldedHash(std::string_view name) {
  std::uint64_t h = 1469598103934665603ull;
  for (char c : name) {
    const unsigned char folded = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    h ^= folded;
    h *= 1099511628211ull;
  }
  return h;
}

}  // namespace

CaseTwins::CaseTwins(const std::vector<std::string_view>& names) {
  // An open-addressing table of the folded names' hashes: one allocation,
  // and only hashes met twice are looked at further.
  std::size_t size = 16;
  while (size < names.size() * 2) size *= 2;
  std::vector<std::uint64_t> table(size, 0);
  std::vector<std::uint64_t> repeated;
  for (std::string_view name : names) {
    const std::uint64_t h = FoldedHash(name) | 1;  // 0 marks a free slot
    for (std::size_t slot = h & (size - 1);; slot = (slot + 1) & (size - 1)) {
      if (table[slot] == 0) {
        table[slot] = h;
        break;
      }
      if (table[slot] == h) {
        repeated.push_back(h);
        break;
      }
    }
  }
  if (repeated.empty()) return;
  std::sort(repeated.begin(), repeated.end());
  // The names behind those hashes, grouped by the names themselves.
  std::vector<std::string_view> candidates;
  for (std::string_view name : names) {
    if (std::binary_search(repeated.begin(), repeated.end(), FoldedHash(name) | 1)) candidates.push_back(name);
  }
  std::vector<bool> taken(candidates.size(), false);
  for (std::size_t a = 0; a < candidates.size(); ++a) {
    if (taken[a]) continue;
    std::vector<std::string> group{std::string(candidates[a])};
    for (std::size_t b = a + 1; b < candidates.size(); ++b) {
      if (!taken[b] && EqualsIgnoreCase(candidates[a], candidates[b])) {
        taken[b] = true;
        group.emplace_back(candidates[b]);
      }
    }
    if (group.size() > 1) {
      keys_.insert(AsciiLowerCopy(group.front()));
      groups_.push_back(std::move(group));
    }
  }
}

bool CaseTwins::Covers(std::string_view name) const {
  return !keys_.empty() && keys_.count(AsciiLowerCopy(name)) != 0;
}

}  // namespace velqo
