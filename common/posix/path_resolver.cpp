#include "common/posix/path_resolver.h"

#include <fcntl.h>
#include <sys/vfs.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "common/platform/platform_ops.h"

namespace velqo {

namespace {

// Bounds on what the caches hold: each cached directory keeps a handle
// open, so beyond this the prefixes start afresh; the listing used longest
// ago makes room for a new one.
constexpr std::size_t kMaxPrefixes = 256;
constexpr std::size_t kMaxListings = 16;
// How old a listing may be to stand in for a search's own read.
constexpr std::chrono::milliseconds kRecentListing{1000};
// How long before a reading a directory's last change must lie for the
// reading to answer lookups without trying the exact name first.
constexpr time_t kSettledSeconds = 2;

bool SameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// File systems whose own lookups may take names differing only in case
// for one (FAT, exFAT, NTFS, SMB shares): there another spelling of a
// name still finds its entry, as Windows would.
bool FoldsCase(int dir_fd) {
  constexpr long kFolding[] = {0x4d44, 0x2011BAB0, 0x5346544e, 0x7366746e, 0xFF534D42, 0xFE534D42, 0x517B};
  struct statfs sfs;
  if (fstatfs(dir_fd, &sfs) != 0) return false;
  for (const long magic : kFolding) {
    if (static_cast<long>(sfs.f_type) == magic) return true;
  }
  return false;
}

std::string LastHostName(const std::string& host) {
  const std::size_t cut = host.find_last_of('/');
  return cut == std::string::npos ? host : host.substr(cut + 1);
}

}  // namespace

DirRef OpenDirAt(int dir_fd, const char* name, bool follow, const struct stat* known) {
  const int flags = O_PATH | O_DIRECTORY | O_CLOEXEC | (follow ? 0 : O_NOFOLLOW);
  const int fd = openat(dir_fd, name, flags);
  if (fd < 0) {
    // A link opened with O_NOFOLLOW and O_DIRECTORY is "not a directory".
    if (errno == ENOTDIR && !follow && known != nullptr && S_ISLNK(known->st_mode)) errno = ELOOP;
    return nullptr;
  }
  if (known != nullptr && S_ISDIR(known->st_mode)) return std::make_shared<const DirHandle>(fd, *known);
  struct stat st;
  // O_PATH with O_NOFOLLOW opens a link itself on some kernels: only a
  // directory is taken.
  if (fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode)) {
    const int err = S_ISLNK(st.st_mode) ? ELOOP : ENOTDIR;
    close(fd);
    errno = err;
    return nullptr;
  }
  return std::make_shared<const DirHandle>(fd, st);
}

std::string ResolvedPath::ProcPath() const {
  if (!dir) return host;
  return is_top ? dir->ProcPath() : dir->ProcPath() + "/" + name;
}

bool IsTemporaryName(std::string_view name) { return name.substr(0, kTempPrefix.size()) == kTempPrefix; }

Status PathResolver::Resolve(std::string_view text, std::string_view current, ResolvedPath* out) {
  WindowsPath path;
  Status st = ParseWindowsPath(text, current, &path);
  if (!st.ok()) return st;
  return Resolve(path, out);
}

bool PathResolver::Covers(const WindowsPath& top, const WindowsPath& path) {
  if (top.drive != path.drive || top.parts.size() > path.parts.size()) return false;
  for (std::size_t i = 0; i < top.parts.size(); ++i) {
    if (!EqualsIgnoreCase(top.parts[i], path.parts[i])) return false;
  }
  return true;
}

bool PathResolver::IsPinnedTop(const WindowsPath& path) const {
  for (const Top& top : pinned_) {
    if (top.windows.parts.size() == path.parts.size() && Covers(top.windows, path)) return true;
  }
  return false;
}

const PathResolver::Top* PathResolver::TopFor(const WindowsPath& path, bool* follow) const {
  *follow = false;
  for (const WindowsPath& place : followed_) {
    if (Covers(place, path)) *follow = true;
  }
  const Top* best = nullptr;
  for (const Top& top : pinned_) {
    if (Covers(top.windows, path) && (best == nullptr || top.windows.parts.size() > best->windows.parts.size())) {
      best = &top;
    }
  }
  return best;
}

Status PathResolver::OpenStart(const WindowsPath& path, const Top* top, Reached* start) {
  if (top != nullptr) {
    // The handle stays; the times that validate a listing are read when
    // one is needed.
    *start = top->reached;
    start->st_known = false;
    start->top = top->reached.dir;
    start->below.clear();
    return Status::Ok();
  }
  const std::string* root = drives_.HostDir(path.drive);
  const std::string missing = std::string("drive ") + path.drive + ": does not exist";
  if (root == nullptr) return Status::PathNotFound(missing);
  // A drive's own directory may lie behind links (a home directory elsewhere).
  DirRef dir = OpenDirAt(AT_FDCWD, root->c_str(), true);
  if (!dir) return Status::PathNotFound(missing);
  *start = Reached{dir, *root, dir->st(), true, nullptr, {}};
  return Status::Ok();
}

namespace {

// Keys of every prefix of a path, so the longest cached one can be found.
std::vector<std::string> PrefixKeys(const WindowsPath& path) {
  std::vector<std::string> keys(path.parts.size());
  std::string key = WindowsPath{path.drive, {}}.Format();
  for (std::size_t i = 0; i < path.parts.size(); ++i) {
    if (i > 0) key += '\\';
    key += path.parts[i];
    keys[i] = key;
  }
  return keys;
}

}  // namespace

Status PathResolver::Resolve(const WindowsPath& path, ResolvedPath* out) {
  const std::vector<std::string> keys = PrefixKeys(path);
  ResolvedPath r;
  r.windows = path;
  bool follow = false;
  const Top* top = TopFor(path, &follow);
  const std::size_t covered = top != nullptr ? top->windows.parts.size() : 0;
  r.followed = follow;
  Walk walk;
  std::size_t done = CachedStart(keys, covered, &walk.at);
  if (done == 0) {
    Status st = OpenStart(path, top, &walk.at);
    if (!st.ok()) return st;
    done = covered;
  }
  Status st = done == path.parts.size() ? DescribeTop(path, &walk.at, &r)
                                        : WalkBelow(path, keys, done, follow, &walk, &r);
  if (!st.ok()) return st;
  *out = std::move(r);
  return Status::Ok();
}

Status PathResolver::DescribeTop(const WindowsPath& path, Reached* at, ResolvedPath* r) {
  r->is_top = true;
  r->exists = true;
  r->parent_exists = true;
  if (!at->st_known && fstat(at->dir->fd(), &at->st) != 0) {
    return Status::FromErrno(errno, "stat " + at->host);
  }
  r->st = at->st;
  r->host = at->host;
  if (!path.IsRoot()) r->name = LastHostName(at->host);
  r->dir = at->dir;
  return Status::Ok();
}

Status PathResolver::WalkBelow(const WindowsPath& path, const std::vector<std::string>& keys,
                               std::size_t done, bool follow, Walk* walk, ResolvedPath* r) {
  walk->host = walk->at.host;
  for (std::size_t i = done; i < path.parts.size(); ++i) {
    const bool last = i + 1 == path.parts.size();
    Status st = Step(path.parts[i], last, keys[i], follow, walk, r);
    if (!st.ok()) return st;
  }
  r->host = std::move(walk->host);
  r->parent_exists = walk->parent_exists;
  return Status::Ok();
}

Status PathResolver::Step(const std::string& windows_part, bool last, const std::string& key, bool follow,
                          Walk* walk, ResolvedPath* r) {
  const std::string part = NameOnHost(windows_part);
  Lookup lookup = Lookup::kMissing;
  Found found;
  if (walk->parent_exists) {
    Status st = FindEntry(walk->at, part, &lookup, &found);
    if (!st.ok()) return st;
  }
  if (lookup == Lookup::kMissing) {
    // Not there, or below a directory that is not: the name keeps its spelling.
    if (last) {
      r->name = part;
      if (walk->parent_exists) r->dir = walk->at.dir;
    } else {
      walk->parent_exists = false;
    }
    walk->host = JoinHostPath(walk->host, part);
    return Status::Ok();
  }
  if (last) {
    r->name = found.name;
    r->exists = true;
    r->st = found.st;
    r->dir = walk->at.dir;
    walk->host = JoinHostPath(walk->host, found.name);
    return Status::Ok();
  }
  return Descend(found, key, follow, walk);
}

Status PathResolver::Descend(const Found& found, const std::string& key, bool follow, Walk* walk) {
  Reached child;
  bool is_dir = false;
  Status st = Enter(walk->at, found, follow, &child, &is_dir);
  if (!st.ok()) return st;
  walk->host = JoinHostPath(walk->host, found.name);
  if (!is_dir) {
    walk->parent_exists = false;
    return Status::Ok();
  }
  child.host = walk->host;
  if (walk->at.top) {
    child.top = walk->at.top;
    child.below = walk->at.below.empty() ? found.name : walk->at.below + "/" + found.name;
  }
  Remember(key, child);
  walk->at = std::move(child);
  return Status::Ok();
}

Status PathResolver::Enter(const Reached& dir, const Found& found, bool follow, Reached* child, bool* is_dir) {
  *is_dir = false;
  if (S_ISLNK(found.st.st_mode) && !follow) {
    return Status::LinkRefused("a symbolic link on the way: " + JoinHostPath(dir.host, found.name));
  }
  if (!S_ISDIR(found.st.st_mode) && !S_ISLNK(found.st.st_mode)) return Status::Ok();
  DirRef opened = OpenDirAt(dir.dir->fd(), found.name.c_str(), follow, follow ? nullptr : &found.st);
  if (!opened) {
    // Swapped for a link since it was looked at: never entered.
    if (errno == ELOOP) {
      return Status::LinkRefused("a symbolic link on the way: " + JoinHostPath(dir.host, found.name));
    }
    if (errno == ENOTDIR || errno == ENOENT) return Status::Ok();
    return Status::FromErrno(errno, "open " + JoinHostPath(dir.host, found.name));
  }
  *child = Reached{opened, std::string(), opened->st(), true, nullptr, {}};
  *is_dir = true;
  return Status::Ok();
}

bool PathResolver::CachedDirectory(const std::string& key, Reached* at) {
  auto it = prefixes_.find(key);
  if (it == prefixes_.end()) return false;
  // Still the directory that was reached through handles: a name on the
  // way swapped for a link (or a directory moved) shows another identity,
  // and so does the directory's own name swapped for a link to it.
  struct stat now;
  const Reached& cached = it->second;
  const int checked = cached.top ? fstatat(cached.top->fd(), cached.below.c_str(), &now, AT_SYMLINK_NOFOLLOW)
                                 : fstatat(AT_FDCWD, cached.host.c_str(), &now, AT_SYMLINK_NOFOLLOW);
  if (checked == 0 && cached.dir->SameAs(now)) {
    *at = it->second;
    at->st = now;
    at->st_known = true;
    return true;
  }
  prefixes_.erase(it);
  return false;
}

std::size_t PathResolver::CachedStart(const std::vector<std::string>& keys, std::size_t from, Reached* at) {
  // Only directories above the last name are taken from the cache, so the
  // last name itself is always looked at afresh.
  for (std::size_t k = keys.empty() ? 0 : keys.size() - 1; k > from; --k) {
    if (CachedDirectory(keys[k - 1], at)) return k;
  }
  return 0;
}

bool PathResolver::Listing::Matches(const struct stat& st) const {
  return dev == st.st_dev && ino == st.st_ino && SameTime(mtime, st.st_mtim) && SameTime(ctime, st.st_ctim);
}

void PathResolver::Listing::Take(const struct stat& st) {
  dev = st.st_dev;
  ino = st.st_ino;
  mtime = st.st_mtim;
  ctime = st.st_ctim;
  // A change made after the read gets a later time than the last one
  // only when the last one lies more than a tick of the file system's
  // clock (two seconds on FAT) before the read.
  struct timespec now {};
  clock_gettime(CLOCK_REALTIME, &now);
  const time_t last = std::max(st.st_mtim.tv_sec, st.st_ctim.tv_sec);
  settled = now.tv_sec - last > kSettledSeconds;
}

bool PathResolver::FindInSettledListing(const Reached& dir, const std::string& name, Lookup* result,
                                        Found* found) {
  // The layer's temporary files are left out of listings but found by name.
  if (!dir.st_known || IsTemporaryName(name)) return false;
  auto it = listings_.find(dir.host);
  if (it == listings_.end() || !it->second.settled || !it->second.Matches(dir.st)) return false;
  DirListing& names = it->second.names;
  std::string_view match;
  const int count = names.Matches(name, &match);
  if (count == 0) {
    *result = Lookup::kMissing;
    return true;
  }
  if (ExactBelow(dir) && match != name) {
    // Whether another spelling stands for the name depends on the file
    // system: the slower way asks it.
    if (count == 1) return false;
    std::vector<std::string> all;
    names.AllMatches(name, &all);
    if (std::find(all.begin(), all.end(), name) == all.end()) return false;
    match = name;
  } else if (count > 1) {
    // Twins: only an exact name is found; the slower way says why not.
    std::vector<std::string> all;
    names.AllMatches(name, &all);
    if (std::find(all.begin(), all.end(), name) == all.end()) return false;
    match = name;
  }
  found->name = match;
  if (fstatat(dir.dir->fd(), found->name.c_str(), &found->st, AT_SYMLINK_NOFOLLOW) != 0) return false;
  it->second.last_use = ++use_clock_;
  *result = Lookup::kFound;
  return true;
}

Status PathResolver::FindEntry(const Reached& dir, const std::string& name, Lookup* result, Found* found) {
  *result = Lookup::kMissing;
  // A directory unchanged since a settled reading of it tells at once
  // which entry the name stands for, if any.
  if (FindInSettledListing(dir, name, result, found)) return Status::Ok();
  if (fstatat(dir.dir->fd(), name.c_str(), &found->st, AT_SYMLINK_NOFOLLOW) == 0) {
    found->name = name;
    *result = Lookup::kFound;
    return Status::Ok();
  }
  if (errno == ENAMETOOLONG) return Status::TooLong(JoinHostPath(dir.host, name));
  if (errno != ENOENT) return Status::FromErrno(errno, "look up " + JoinHostPath(dir.host, name));
  if (ExactBelow(dir) && !FoldsCase(dir.dir->fd())) return Status::Ok();
  Listing* listing = CurrentListing(dir);
  if (listing == nullptr) return Status::FromErrno(errno, "read " + dir.host);
  std::string_view match;
  const int count = listing->names.Matches(name, &match);
  if (count == 0) return Status::Ok();
  if (count > 1) {
    return Status::Ambiguous("names that differ only in case match " + JoinHostPath(dir.host, name));
  }
  found->name = match;
  if (fstatat(dir.dir->fd(), found->name.c_str(), &found->st, AT_SYMLINK_NOFOLLOW) != 0) {
    return errno == ENOENT ? Status::Ok() : Status::FromErrno(errno, "look up " + JoinHostPath(dir.host, found->name));
  }
  *result = Lookup::kFound;
  return Status::Ok();
}

PathResolver::Listing* PathResolver::CurrentListing(const Reached& reached) {
  Reached dir = reached;
  if (!dir.st_known && fstat(dir.dir->fd(), &dir.st) != 0) return nullptr;
  auto it = listings_.find(dir.host);
  if (it != listings_.end() && it->second.Matches(dir.st)) {
    it->second.last_use = ++use_clock_;
    return &it->second;
  }
  if (it != listings_.end()) listings_.erase(it);
  // The identity is the one from before the read: a change made while
  // reading shows as a later change.
  Listing listing;
  listing.Take(dir.st);
  listing.read_at = std::chrono::steady_clock::now();
  listing.last_use = ++use_clock_;
  if (!listing.names.ReadAt(dir.dir->fd())) return nullptr;
  if (listings_.size() >= kMaxListings) {
    // The parents of the directories being worked on are asked again and
    // again; a directory asked once goes first.
    auto oldest = listings_.begin();
    for (auto i = listings_.begin(); i != listings_.end(); ++i) {
      if (i->second.last_use < oldest->second.last_use) oldest = i;
    }
    listings_.erase(oldest);
  }
  return &listings_.emplace(dir.host, std::move(listing)).first->second;
}

Status PathResolver::NamesLike(const WindowsPath& path, std::vector<std::string>* names) {
  names->clear();
  if (path.IsRoot()) return Status::Ok();
  // The directory holding the name is mostly one reached moments ago.
  Reached cached;
  if (path.parts.size() >= 2 && CachedDirectory(path.Parent().Format(), &cached)) {
    Listing* listing = CurrentListing(cached);
    if (listing == nullptr) return Status::FromErrno(errno, "read " + cached.host);
    std::string_view first;
    const std::string name = NameOnHost(path.parts.back());
    if (listing->names.Matches(name, &first) > 1) listing->names.AllMatches(name, names);
    for (std::string& found : *names) found = NameInProgram(found);
    return Status::Ok();
  }
  ResolvedPath parent;
  Status st = Resolve(path.Parent(), &parent);
  if (!st.ok()) return st;
  if (!parent.exists || !S_ISDIR(parent.st.st_mode)) return Status::Ok();
  // The parent's own handle: a top is its own directory, else the parent
  // is the name below its directory.
  DirRef dir = parent.dir;
  if (!parent.is_top) {
    dir = OpenDirAt(parent.at_fd(), parent.name.c_str(), false);
    if (!dir) return Status::FromErrno(errno, "open " + parent.host);
  }
  Listing* listing = CurrentListing(Reached{dir, parent.host, dir->st(), false, nullptr, {}});
  if (listing == nullptr) return Status::FromErrno(errno, "read " + parent.host);
  // The index answers the common case (one name or none) without a scan.
  std::string_view first;
  const std::string name = NameOnHost(path.parts.back());
  if (listing->names.Matches(name, &first) > 1) listing->names.AllMatches(name, names);
  for (std::string& found : *names) found = NameInProgram(found);
  return Status::Ok();
}

DirRef PathResolver::CachedDirectoryOf(const WindowsPath& path, std::string* host, struct stat* st) {
  bool follow = false;
  const Top* top = TopFor(path, &follow);
  // A top has a handle of its own; the cache holds what lies below one.
  if (top != nullptr && top->windows.parts.size() >= path.parts.size()) return nullptr;
  if (path.parts.empty()) return nullptr;
  Reached at;
  if (!CachedDirectory(path.Format(), &at)) return nullptr;
  *host = at.host;
  *st = at.st;
  return at.dir;
}

const DirListing* PathResolver::RecentListing(const std::string& dir, const struct stat& dir_st) {
  auto it = listings_.find(dir);
  if (it == listings_.end() || !it->second.Matches(dir_st) || !it->second.names.in_order()) return nullptr;
  // A change by another program within the file system's time step of the
  // read leaves the times as they were; only a read this recent stands in
  // for a new one.
  if (std::chrono::steady_clock::now() - it->second.read_at > kRecentListing) return nullptr;
  return &it->second.names;
}

void PathResolver::Remember(const std::string& key, const Reached& reached) {
  if (prefixes_.size() >= kMaxPrefixes) prefixes_.clear();
  prefixes_[key] = reached;
}

void PathResolver::PinTops(const std::vector<WindowsPath>& tops) {
  pinned_.clear();
  prefixes_.clear();
  listings_.clear();
  for (const WindowsPath& top : tops) {
    // The deepest existing directory of the top, links followed on the way.
    std::vector<WindowsPath> saved = std::move(followed_);
    followed_ = {WindowsPath{top.drive, {}}};
    WindowsPath existing = top;
    ResolvedPath r;
    for (;;) {
      Status st = Resolve(existing, &r);
      if (st.ok() && r.exists) break;
      if (existing.IsRoot()) break;
      existing = existing.Parent();
    }
    followed_ = std::move(saved);
    prefixes_.clear();
    if (!r.exists || existing.IsRoot()) continue;
    DirRef dir = r.is_top ? r.dir : OpenDirAt(r.at_fd(), r.name.c_str(), true);
    if (dir) pinned_.push_back(Top{existing, Reached{dir, r.host, dir->st(), false, nullptr, {}}});
  }
}

namespace {

int StatDirectory(const std::string& dir, int dir_fd, struct stat* st) {
  return dir_fd >= 0 ? fstat(dir_fd, st) : stat(dir.c_str(), st);
}

}  // namespace

bool PathResolver::BeginChange(const std::string& dir, int dir_fd) {
  auto it = listings_.find(dir);
  if (it == listings_.end()) return false;
  struct stat st;
  return StatDirectory(dir, dir_fd, &st) == 0 && it->second.Matches(st);
}

void PathResolver::EndChange(const std::string& dir, bool was_current, std::string_view added,
                             std::string_view removed, int dir_fd) {
  auto it = listings_.find(dir);
  if (it == listings_.end()) return;
  struct stat st;
  DirListing& names = it->second.names;
  // Which of several same-named entries comes first now is only known by
  // reading the directory again.
  if (!was_current || StatDirectory(dir, dir_fd, &st) != 0 || (!removed.empty() && !names.Remove(removed)) ||
      (!added.empty() && !IsTemporaryName(added) && !names.Add(added))) {
    listings_.erase(it);
    return;
  }
  it->second.Take(st);
}

void PathResolver::ForgetTree(const std::string& host) {
  const std::string below = host + "/";
  for (auto it = prefixes_.begin(); it != prefixes_.end();) {
    if (it->second.host == host || it->second.host.compare(0, below.size(), below) == 0) {
      it = prefixes_.erase(it);
    } else {
      ++it;
    }
  }
  for (auto it = listings_.begin(); it != listings_.end();) {
    if (it->first == host || it->first.compare(0, below.size(), below) == 0) {
      it = listings_.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace velqo
