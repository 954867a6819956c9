#include "common/path_resolver.h"

#include <cerrno>

#include "common/platform_ops.h"

namespace velqo {

namespace {

// Bounds on what the caches hold: beyond them the prefixes start afresh and
// the listing used longest ago makes room.
constexpr std::size_t kMaxPrefixes = 8192;
constexpr std::size_t kMaxListings = 16;
// How old a listing may be to stand in for a search's own read.
constexpr std::chrono::milliseconds kRecentListing{1000};

bool SameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// stat (following links) of a directory; false when host is none.
bool StatDirectory(const std::string& host, struct stat* st) {
  return stat(host.c_str(), st) == 0 && S_ISDIR(st->st_mode);
}

}  // namespace

bool IsTemporaryName(std::string_view name) { return name.substr(0, kTempPrefix.size()) == kTempPrefix; }

Status PathResolver::Resolve(std::string_view text, std::string_view current, ResolvedPath* out) {
  WindowsPath path;
  Status st = ParseWindowsPath(text, current, &path);
  if (!st.ok()) return st;
  return Resolve(path, out);
}

Status PathResolver::Resolve(const WindowsPath& path, ResolvedPath* out) {
  ResolvedPath r;
  r.windows = path;
  const std::string* root = drives_.HostDir(path.drive);
  if (root == nullptr) return Status::PathNotFound(std::string("drive ") + path.drive + ": does not exist");
  // Keys of every prefix, so the longest cached one can be found.
  std::vector<std::string> keys(path.parts.size());
  std::string key = WindowsPath{path.drive, {}}.Format();
  for (std::size_t i = 0; i < path.parts.size(); ++i) {
    if (i > 0) key += '\\';
    key += path.parts[i];
    keys[i] = key;
  }
  std::string host = *root;
  struct stat dir_st {};  // of host, the directory reached so far
  std::size_t done = CachedStart(keys, &host, &dir_st);
  // A cached directory that is there proves the drive's own directory is too.
  if (done == 0 && !StatDirectory(host, &dir_st)) {
    return Status::PathNotFound(std::string("drive ") + path.drive + ": does not exist");
  }
  bool parent_exists = true;
  for (std::size_t i = done; i < path.parts.size(); ++i) {
    const std::string& part = path.parts[i];
    const bool last = i + 1 == path.parts.size();
    if (last) r.parent_st = dir_st;
    Found found;
    if (parent_exists && FindEntry(host, dir_st, part, &found)) {
      host = JoinHostPath(host, found.name);
      if (last) {
        r.name = std::move(found.name);
        r.exists = found.stat_known || lstat(host.c_str(), &found.st) == 0;
        if (r.exists) r.st = found.st;
      } else if (found.stat_known && S_ISDIR(found.st.st_mode)) {
        dir_st = found.st;
        Remember(keys[i], host);
      } else if (StatDirectory(host, &dir_st)) {  // a link to a directory leads on
        Remember(keys[i], host);
      } else {
        parent_exists = false;
      }
    } else {
      // Not there (FindEntry has just looked for the exact name), or below
      // a directory that is not: the name keeps its spelling.
      host = JoinHostPath(host, part);
      if (!last) parent_exists = false;
      if (last) r.name = part;
    }
  }
  r.host = std::move(host);
  r.parent_exists = parent_exists;
  // A drive's own directory may be a link (a home directory elsewhere).
  if (path.IsRoot()) {
    r.exists = true;
    r.st = dir_st;
  }
  *out = std::move(r);
  return Status::Ok();
}

std::size_t PathResolver::CachedStart(const std::vector<std::string>& keys, std::string* host, struct stat* dir_st) {
  // Only directories above the last name are taken from the cache, so the
  // last name itself is always looked at afresh.
  for (std::size_t k = keys.empty() ? 0 : keys.size() - 1; k > 0; --k) {
    auto it = prefixes_.find(keys[k - 1]);
    if (it == prefixes_.end()) continue;
    if (StatDirectory(it->second, dir_st)) {
      *host = it->second;
      return k;
    }
    prefixes_.erase(it);
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
}

bool PathResolver::FindEntry(const std::string& dir, const struct stat& dir_st, const std::string& name,
                             Found* found) {
  if (lstat(JoinHostPath(dir, name).c_str(), &found->st) == 0) {
    found->name = name;
    found->stat_known = true;
    return true;
  }
  if (errno != ENOENT) return false;
  Listing* listing = CurrentListing(dir, dir_st);
  if (listing == nullptr) return false;
  const std::string_view match = listing->names.FirstMatch(name);
  if (match.empty()) return false;
  found->name = match;
  found->stat_known = false;
  return true;
}

PathResolver::Listing* PathResolver::CurrentListing(const std::string& dir, const struct stat& st) {
  auto it = listings_.find(dir);
  if (it != listings_.end() && it->second.Matches(st)) {
    it->second.last_use = ++use_clock_;
    return &it->second;
  }
  if (it != listings_.end()) listings_.erase(it);
  // The identity is the one from before the read: a change made while
  // reading shows as a later change.
  Listing listing;
  listing.Take(st);
  listing.read_at = std::chrono::steady_clock::now();
  listing.last_use = ++use_clock_;
  if (!listing.names.Read(dir)) return nullptr;
  if (listings_.size() >= kMaxListings) {
    // The parents of the directories being worked on are asked again and
    // again; a directory asked once goes first.
    auto oldest = listings_.begin();
    for (auto i = listings_.begin(); i != listings_.end(); ++i) {
      if (i->second.last_use < oldest->second.last_use) oldest = i;
    }
    listings_.erase(oldest);
  }
  return &listings_.emplace(dir, std::move(listing)).first->second;
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

void PathResolver::Remember(const std::string& key, const std::string& host) {
  if (prefixes_.size() >= kMaxPrefixes) prefixes_.clear();
  prefixes_[key] = host;
}

bool PathResolver::BeginChange(const std::string& dir) {
  auto it = listings_.find(dir);
  if (it == listings_.end()) return false;
  struct stat st;
  return stat(dir.c_str(), &st) == 0 && it->second.Matches(st);
}

void PathResolver::EndChange(const std::string& dir, bool was_current, std::string_view added,
                             std::string_view removed) {
  auto it = listings_.find(dir);
  if (it == listings_.end()) return;
  struct stat st;
  DirListing& names = it->second.names;
  // Which of several same-named entries comes first now is only known by
  // reading the directory again.
  if (!was_current || stat(dir.c_str(), &st) != 0 || (!removed.empty() && !names.Remove(removed)) ||
      (!added.empty() && !IsTemporaryName(added) && !names.Add(added))) {
    listings_.erase(it);
    return;
  }
  it->second.Take(st);
}

void PathResolver::ForgetTree(const std::string& host) {
  const std::string below = host + "/";
  for (auto it = prefixes_.begin(); it != prefixes_.end();) {
    if (it->second == host || it->second.compare(0, below.size(), below) == 0) {
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
