#include "engine/dir_acquisition.h"

#include <algorithm>
#include <memory>
#include <unordered_set>
#include <vector>

#include "common/platform/platform_ops.h"
#include "engine/case_twins.h"
#include "engine/skipped_paths.h"

namespace velqo {

namespace {

constexpr std::uint32_t kDirOptionalBits = kAttrHidden | kAttrSystem | kAttrArchive | kAttrReadOnly;

bool OptionOn(std::int32_t option) { return option == 1; }

// Entries are stored as the parent's path, its backslash (none after a
// drive root) and the name as the file system spells it.
std::string EntryPrefix(std::string_view dir) { return ChildPath(dir, ""); }

}  // namespace

DirWalk::DirWalk(AppState& /*s*/, std::string_view top) { Append(top); }

void DirWalk::Append(std::string_view path, std::string_view below_top) {
  const std::string_view stored_path = texts_.Add(path);
  entries_.push_back(Stored{stored_path, texts_.Add(below_top)});
}

std::uint32_t DirectorySearchMask(const OptionSet& o) {
  std::uint32_t mask = kAttrDirectory;
  if (OptionOn(o.IncHidDir)) mask |= kAttrHidden;
  if (OptionOn(o.IncRODir)) mask |= kAttrReadOnly;
  if (OptionOn(o.IncArcDir)) mask |= kAttrArchive;
  if (OptionOn(o.IncSysDir)) mask |= kAttrSystem;
  return mask;
}

bool DirectoryAccepted(std::uint32_t attributes, const OptionSet& o) {
  if ((attributes & kAttrDirectory) == 0) return false;
  if ((attributes & ~(kAttrDirectory | kDirOptionalBits)) != 0) return false;
  if ((attributes & kAttrHidden) != 0 && !OptionOn(o.IncHidDir)) return false;
  if ((attributes & kAttrSystem) != 0 && !OptionOn(o.IncSysDir)) return false;
  if ((attributes & kAttrArchive) != 0 && !OptionOn(o.IncArcDir)) return false;
  if ((attributes & kAttrReadOnly) != 0 && !OptionOn(o.IncRODir)) return false;
  return true;
}

namespace {

// Every subdirectory of dir, whatever the directory filters say, so that the
// ones left out are known too; false when dir cannot be read.
bool ReadSubdirectories(AppState& s, const std::string& dir, std::vector<FindData>* found) {
  std::unique_ptr<DirSearch> search;
  const OptionSet& o = s.opt.ActiveOptions;
  // Directories of every flag are taken: their flags need no reading.
  const bool flags_unused = OptionOn(o.IncHidDir) && OptionOn(o.IncSysDir) && OptionOn(o.IncArcDir);
  const std::uint32_t mask = kAttrDirectory | kAttrHidden | kAttrSystem | kSearchDirectoriesOnly |
                             (flags_unused ? kSearchWithoutStoredFlags : 0u);
  if (!s.fs.FindFirst(SearchPattern(dir), mask, &search).ok() || !search) return false;
  for (const std::string& name : search->Unusable()) ReportUnusableName(s, dir, name);
  FindData entry;
  for (bool first = true;; first = false) {
    if (!first) s.host.PumpEvents();
    if (!search->Next(&entry)) break;
    if (entry.name.empty() || entry.name == "." || entry.name == "..") continue;
    // Other "." names are walked only when asked for, on both sides alike,
    // so that CleanUp never removes what the Dir 1 walk left out.
    if (entry.name[0] == '.' && !OptionOn(o.IncDotDir)) continue;
    found->push_back(std::move(entry));
  }
  return true;
}

}  // namespace

void ListSubdirectories(AppState& s, DirWalk& walk, int index, WalkMode mode) {
  const std::string dir(walk.Entry(index));
  const OptionSet& o = s.opt.ActiveOptions;
  std::vector<FindData> found;
  if (!ReadSubdirectories(s, dir, &found)) {
    walk.NoteUnreadable(dir);
    return;
  }
  const std::string prefix = EntryPrefix(dir);
  // Where Dir 2 folds case, twin directories would both arrive as one: both
  // are left out (with everything below them) and reported.
  std::vector<std::string_view> names;
  if (walk.folds_case()) {
    names.reserve(found.size());
    for (const FindData& entry : found) names.push_back(entry.name);
  }
  const CaseTwins twins(names);
  for (const auto& group : twins.groups()) ReportCaseTwins(s, dir, group);
  for (const FindData& entry : found) {
    const std::string path = prefix + entry.name;
    std::string below_top = JoinBelowTop(walk.BelowTop(index), entry.name);
    if (!DirectoryAccepted(entry.attributes, o) || twins.Covers(entry.name) ||
        s.PathPatterns.Excludes(below_top, true)) {
      walk.NoteLeftOut(path);
      continue;
    }
    if (path.size() > PathText::kMaxLength) {
      // Its Dir 2 counterpart is just as long, so CleanUp never sees it either.
      if (mode == WalkMode::kDir1) ReportPathTooLong(s, path);
      continue;
    }
    const int position = walk.count();
    walk.Append(path, below_top);
    if (mode == WalkMode::kDir2) {
      walk.keys.push_back(DirKey{position, static_cast<std::int32_t>(path.size())});
    }
  }
}

void AcquireDirectories(AppState& s, DirWalk& walk, WalkMode mode) {
  int start = 0;
  int end = walk.count();
  while (start < end) {
    for (int i = start; i < end; ++i) {
      s.host.PumpEvents();
      ListSubdirectories(s, walk, i, mode);
    }
    start = end;
    end = walk.count();
  }
}

void SortDirKeys(std::vector<DirKey>& keys) {
  const auto shorter = [](const DirKey& a, const DirKey& b) { return a.length < b.length; };
  std::make_heap(keys.begin(), keys.end(), shorter);
  std::sort_heap(keys.begin(), keys.end(), shorter);
}

}  // namespace velqo
