#include "engine/excluded_contents.h"

#include <memory>
#include <string>
#include <vector>

#include "common/platform/platform_ops.h"

namespace velqo {

namespace {

struct Place {
  std::string dir;
  std::string below_top;
};

bool IsDirectory(const FindData& entry) {
  return (entry.attributes & kAttrDirectory) != 0 && (entry.attributes & kAttrReparsePoint) == 0;
}

// Judges the entries of one directory and queues its subdirectories; true
// when one is excluded or the directory cannot be listed whole.
bool ListHoldsExcluded(AppState& s, const Place& place, std::vector<Place>* pending) {
  std::unique_ptr<DirSearch> search;
  const std::uint32_t mask = kMaskEverything | kSearchWithoutStoredFlags;
  const Status status = s.fs.FindFirst(SearchPattern(place.dir), mask, &search);
  if (status.code() == Status::Code::kFileNotFound) return false;
  if (!status.ok() || !search || !search->Unusable().empty()) return true;
  FindData entry;
  while (search->Next(&entry)) {
    if (entry.name == "." || entry.name == "..") continue;
    std::string below = JoinBelowTop(place.below_top, entry.name);
    const bool directory = IsDirectory(entry);
    if (s.PathPatterns.Excludes(below, directory)) return true;
    if (directory) pending->push_back(Place{ChildPath(place.dir, entry.name), std::move(below)});
  }
  return false;
}

}  // namespace

bool HoldsExcludedEntries(AppState& s, std::string_view dir, std::string_view below_top) {
  if (s.PathPatterns.empty()) return false;
  std::vector<Place> pending = {Place{std::string(dir), std::string(below_top)}};
  while (!pending.empty()) {
    const Place place = std::move(pending.back());
    pending.pop_back();
    if (ListHoldsExcluded(s, place, &pending)) return true;
  }
  return false;
}

}  // namespace velqo
