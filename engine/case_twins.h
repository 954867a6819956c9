#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace velqo {

// Names of one directory that differ only in the case of A to Z: on Linux
// both may exist, and neither may stand for the other, so such names are
// left out of lists and walks, all of them.
class CaseTwinFinder {
 public:
  void Add(std::string_view name);
  // The groups of two or more names sharing one key, in the order first seen.
  std::vector<std::vector<std::string>> Groups() const;
  // The keys (lower-cased names) of those groups.
  std::unordered_set<std::string> Keys() const;

 private:
  std::unordered_map<std::string, std::vector<std::string>> by_key_;
  std::vector<std::string> order_;
};

}  // namespace velqo
