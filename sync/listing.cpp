#include "sync/listing.h"

#include <algorithm>
#include <memory>

#include "common/platform/platform_ops.h"

namespace velqo::sync {

namespace {

constexpr std::uint32_t kPermissionBits = 07777;
constexpr std::int64_t kNanosPerSecond = 1000000000;

EntryKind KindOf(std::uint32_t attributes) {
  if ((attributes & kAttrReparsePoint) != 0) return EntryKind::kLink;
  if ((attributes & kAttrDirectory) != 0) return EntryKind::kDirectory;
  return EntryKind::kFile;
}

}  // namespace

Entry EntryOf(const FindData& found) {
  Entry e;
  e.kind = KindOf(found.attributes);
  e.size = e.kind == EntryKind::kDirectory ? 0 : found.size;
  e.mtime_ns = found.mtime_sec * kNanosPerSecond + found.mtime_nsec;
  e.mode = found.metadata.mode & kPermissionBits;
  e.dev = found.metadata.dev;
  e.ino = found.metadata.ino;
  return e;
}

Status ListDirectory(Platform& fs, const PathRules& rules, const std::string& below_top,
                     const std::string& dir, std::vector<Listed>* out) {
  out->clear();
  std::unique_ptr<DirSearch> search;
  // The sync looks at no hidden, system or archive flag (a copy carries
  // them), so the search need not read them: one lookup less per entry.
  Status st = fs.FindFirst(SearchPattern(dir), kMaskEverything | kSearchWithoutStoredFlags, &search);
  if (!st.ok()) return st;
  for (FindData found; search->Next(&found);) {
    if (found.name == "." || found.name == "..") continue;
    Listed item{found.name, EntryOf(found)};
    if (!rules.empty() && rules.Excludes(JoinBelowTop(below_top, item.name), item.entry.is_directory())) {
      continue;
    }
    out->push_back(std::move(item));
  }
  // A name the program cannot hold is not silently left out: the sync would
  // take it for deleted.
  const std::vector<std::string> unusable = search->Unusable();
  if (!unusable.empty()) {
    return Status::InvalidArgument("cannot sync \"" + unusable.front() + "\" in " + dir +
                                   ": its name holds a backslash");
  }
  std::sort(out->begin(), out->end(), [](const Listed& x, const Listed& y) { return x.name < y.name; });
  return Status::Ok();
}

}  // namespace velqo::sync
