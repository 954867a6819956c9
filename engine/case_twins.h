#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace velqo {

// Names of one directory that differ only in the case of A to Z: on Linux
// both may exist, and neither may stand for the other, so such names are
// left out of lists and walks, all of them. Found through hashes of the
// folded names, so a directory without twins costs no allocation per name.
class CaseTwins {
 public:
  explicit CaseTwins(const std::vector<std::string_view>& names);

  bool empty() const { return groups_.empty(); }
  // The groups of two or more names sharing one folded form.
  const std::vector<std::vector<std::string>>& groups() const { return groups_; }
  // Whether name is one of them (or folds to one of them).
  bool Covers(std::string_view name) const;
  // The folded forms of the groups.
  const std::unordered_set<std::string>& keys() const { return keys_; }

 private:
  std::vector<std::vector<std::string>> groups_;
  std::unordered_set<std::string> keys_;
};

}  // namespace velqo
