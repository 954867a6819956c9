#include "common/posix/dir_listing.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "common/posix/path_resolver.h"
#include "common/platform/platform_ops.h"

namespace velqo {

namespace {

// Lookups in one listing before it gets an index: the directory a run is
// working in is asked once (is there an option file?), its parent once per
// subdirectory.
constexpr int kLookupsBeforeIndex = 2;

}  // namespace

bool DirListing::ReadAt(int dir_fd) {
  const int fd = openat(dir_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ReadOpen(fd);
  const int err = errno;
  close(fd);
  errno = err;
  return ok;
}

bool DirListing::ReadOpen(int fd) {
  // The kernel's records read straight into a buffer of our own: a
  // directory stream would first check the handle again and allocate a
  // buffer of its own for every directory.
  alignas(8) char buffer[32768];
  for (;;) {
    const ssize_t n = getdents64(fd, buffer, sizeof buffer);
    if (n < 0) return false;
    if (n == 0) break;
    for (ssize_t at = 0; at < n;) {
      const auto* e = reinterpret_cast<const struct dirent64*>(buffer + at);
      at += e->d_reclen;
      const std::string_view name = e->d_name;
      if (name == "." || name == "..") continue;
      if (IsTemporaryName(name)) {
        temporaries_.emplace_back(name);
        continue;
      }
      if (name.find(kBackslashStandIn) != std::string_view::npos) {
        unusable_.push_back(Unusable{std::string(name), e->d_type});
        continue;
      }
      Append(name, e->d_type);
    }
  }
  errno = 0;
  return true;
}

void DirListing::Append(std::string_view name, unsigned char type) {
  Entry e;
  e.offset = static_cast<std::uint32_t>(text_.size());
  e.size = static_cast<std::uint32_t>(name.size());
  e.type = type;
  text_.append(name);
  text_.push_back('\0');
  entries_.push_back(e);
}

void DirListing::BuildIndex() {
  if (indexed_) return;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].removed) continue;
    Slot& slot = index_[AsciiLowerCopy(View(entries_[i]))];
    if (slot.count++ == 0) slot.first = i;
  }
  indexed_ = true;
}

int DirListing::Matches(std::string_view name, std::string_view* first) {
  *first = {};
  if (!indexed_ && ++lookups_ >= kLookupsBeforeIndex) BuildIndex();
  if (indexed_) {
    const auto it = index_.find(AsciiLowerCopy(name));
    if (it == index_.end()) return 0;
    *first = View(entries_[it->second.first]);
    return it->second.count;
  }
  int count = 0;
  for (const Entry& e : entries_) {
    if (e.removed || !EqualsIgnoreCase(View(e), name)) continue;
    if (count++ == 0) *first = View(e);
  }
  return count;
}

void DirListing::AllMatches(std::string_view name, std::vector<std::string>* out) {
  for (const Entry& e : entries_) {
    if (!e.removed && EqualsIgnoreCase(View(e), name)) out->emplace_back(View(e));
  }
}

bool DirListing::Add(std::string_view name) {
  BuildIndex();
  Slot& slot = index_[AsciiLowerCopy(name)];
  if (slot.count > 0) return false;
  slot = Slot{entries_.size(), 1};
  Append(name, DT_UNKNOWN);
  in_order_ = false;
  return true;
}

bool DirListing::Remove(std::string_view name) {
  BuildIndex();
  const auto it = index_.find(AsciiLowerCopy(name));
  if (it == index_.end()) return true;  // not listed: nothing to forget
  Entry& e = entries_[it->second.first];
  if (it->second.count > 1 || View(e) != name) return false;
  e.removed = true;
  index_.erase(it);
  in_order_ = false;
  return true;
}

}  // namespace velqo
