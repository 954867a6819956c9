#include "engine/case_twins.h"

#include "common/platform_ops.h"

namespace velqo {

void CaseTwinFinder::Add(std::string_view name) {
  auto [it, added] = by_key_.try_emplace(AsciiLowerCopy(name));
  if (added) order_.push_back(it->first);
  it->second.emplace_back(name);
}

std::vector<std::vector<std::string>> CaseTwinFinder::Groups() const {
  std::vector<std::vector<std::string>> groups;
  for (const std::string& key : order_) {
    const std::vector<std::string>& names = by_key_.at(key);
    if (names.size() > 1) groups.push_back(names);
  }
  return groups;
}

std::unordered_set<std::string> CaseTwinFinder::Keys() const {
  std::unordered_set<std::string> keys;
  for (const auto& [key, names] : by_key_) {
    if (names.size() > 1) keys.insert(key);
  }
  return keys;
}

}  // namespace velqo
