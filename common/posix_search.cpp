#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <vector>

#include "common/posix_platform_impl.h"
#include "common/wildcard.h"

namespace velqo {

namespace {

// The entries are gathered when the search starts, so that callers may
// delete or rename entries of the directory while they walk the results.
class CollectedSearch final : public DirSearch {
 public:
  explicit CollectedSearch(std::vector<FindData> entries) : entries_(std::move(entries)) {}
  bool Next(FindData* entry) override {
    if (next_ >= entries_.size()) return false;
    *entry = entries_[next_++];
    return true;
  }

 private:
  std::vector<FindData> entries_;
  std::size_t next_ = 0;
};

// Pipes, sockets and devices are never offered: opening a pipe to copy it
// would hang the run.
bool IsListable(const struct stat& st) {
  return S_ISREG(st.st_mode) || S_ISDIR(st.st_mode) || S_ISLNK(st.st_mode);
}

bool Excluded(std::uint32_t attributes, std::uint32_t mask) {
  constexpr std::uint32_t kSpecial = kAttrHidden | kAttrSystem | kAttrVolume | kAttrDirectory;
  return (attributes & kSpecial & ~mask) != 0;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

Status PosixPlatform::FindFirst(std::string_view pattern, std::uint32_t mask, std::unique_ptr<DirSearch>* search) {
  std::size_t cut = pattern.size();
  while (cut > 0 && !IsSeparator(pattern[cut - 1])) --cut;
  // "C:*.*" names the drive's root as well.
  if (cut == 0 && pattern.size() > 2 && pattern[1] == ':') cut = 2;
  const std::string_view last = pattern.substr(cut);
  std::vector<FindData> found;

  if (!HasWildcard(last)) {
    // One entry's full path: that entry alone.
    ResolvedPath r;
    Status st = LocateExisting(pattern, &r);
    if (!st.ok()) return st;
    if (r.windows.IsRoot() || last.empty()) return Status::FileNotFound(std::string(pattern));
    const std::uint32_t attributes = AttributesOf(r);
    if (IsListable(r.st) && !IsTemporaryName(r.name) && !Excluded(attributes, mask)) {
      const bool dir = S_ISDIR(r.st.st_mode);
      found.push_back(FindData{r.name, attributes, dir ? 0 : static_cast<std::uint64_t>(r.st.st_size), DosTimeOf(r.st)});
    }
    *search = std::make_unique<CollectedSearch>(std::move(found));
    return Status::Ok();
  }

  std::string dir_text(pattern.substr(0, cut));
  if (dir_text.empty()) dir_text = current_dir_;
  ResolvedPath dir;
  Status st = Locate(dir_text, &dir);
  if (!st.ok()) return st;
  struct stat dir_st;
  if (!dir.exists || stat(dir.host.c_str(), &dir_st) != 0 || !S_ISDIR(dir_st.st_mode)) {
    return Status::PathNotFound(dir_text);
  }
  DIR* d = opendir(dir.host.c_str());
  if (d == nullptr) return Status::FromErrno(errno, "search " + dir_text);

  if (!dir.windows.IsRoot() && !Excluded(kAttrDirectory, mask) && MatchesWildcard(last, ".")) {
    // "." and ".." come first, as the directories they name.
    struct stat parent_st;
    const std::string parent = dir.host.substr(0, dir.host.rfind('/'));
    if (stat(parent.empty() ? "/" : parent.c_str(), &parent_st) != 0) parent_st = dir_st;
    found.push_back(FindData{".", kAttrDirectory, 0, DosTimeOf(dir_st)});
    found.push_back(FindData{"..", kAttrDirectory, 0, DosTimeOf(parent_st)});
  }
  const int dfd = dirfd(d);
  while (const struct dirent* e = readdir(d)) {
    const std::string_view name = e->d_name;
    if (name == "." || name == ".." || IsTemporaryName(name)) continue;
    if (name.find('\\') != std::string_view::npos || !MatchesWildcard(last, name)) continue;
    struct stat st_entry;
    if (fstatat(dfd, e->d_name, &st_entry, AT_SYMLINK_NOFOLLOW) != 0 || !IsListable(st_entry)) continue;
    const std::string host = JoinHostPath(dir.host, name);
    const std::uint32_t attributes = attributes_.Read(host, st_entry, name, false);
    if (Excluded(attributes, mask)) continue;
    const bool is_dir = S_ISDIR(st_entry.st_mode);
    found.push_back(FindData{std::string(name), attributes, is_dir ? 0 : static_cast<std::uint64_t>(st_entry.st_size),
                             DosTimeOf(st_entry)});
  }
  closedir(d);
  *search = std::make_unique<CollectedSearch>(std::move(found));
  return Status::Ok();
}

}  // namespace velqo
