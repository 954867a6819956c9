#pragma once

#include <string>
#include <utility>
#include <vector>

#include "common/platform/platform.h"

namespace velqo {

// A search whose entries were gathered when it started, so that callers
// may delete or rename entries of the directory while they walk the results.
class ListedSearch final : public DirSearch {
 public:
  ListedSearch(std::vector<FindData> entries, std::vector<std::string> unusable)
      : entries_(std::move(entries)), unusable_(std::move(unusable)) {}
  bool Next(FindData* entry) override {
    if (next_ >= entries_.size()) return false;
    *entry = std::move(entries_[next_++]);
    return true;
  }
  std::vector<std::string> Unusable() const override { return unusable_; }

 private:
  std::vector<FindData> entries_;
  std::vector<std::string> unusable_;
  std::size_t next_ = 0;
};

}  // namespace velqo
