#include "common/path_resolver.h"

#include <dirent.h>

#include <cerrno>

#include "common/platform_ops.h"

namespace velqo {

namespace {

// Bounds on what the caches hold; beyond them they start afresh.
constexpr std::size_t kMaxPrefixes = 8192;
constexpr std::size_t kMaxListings = 16;

bool SameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool IsDirectory(const std::string& host) {
  struct stat st;
  return stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
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
  if (root == nullptr || !IsDirectory(*root)) {
    return Status::PathNotFound(std::string("drive ") + path.drive + ": does not exist");
  }
  // Keys of every prefix, so the longest cached one can be found.
  std::vector<std::string> keys(path.parts.size());
  std::string key = WindowsPath{path.drive, {}}.Format();
  for (std::size_t i = 0; i < path.parts.size(); ++i) {
    if (i > 0) key += '\\';
    key += path.parts[i];
    keys[i] = key;
  }
  std::size_t done = 0;
  std::string host = *root;
  // Only directories above the last name are taken from the cache, so the
  // last name itself is always looked at afresh.
  for (std::size_t k = path.parts.size() > 0 ? path.parts.size() - 1 : 0; k > 0; --k) {
    auto it = prefixes_.find(keys[k - 1]);
    if (it == prefixes_.end()) continue;
    if (IsDirectory(it->second)) {
      host = it->second;
      done = k;
      break;
    }
    prefixes_.erase(it);
  }
  bool parent_exists = true;
  for (std::size_t i = done; i < path.parts.size(); ++i) {
    const std::string& part = path.parts[i];
    const bool last = i + 1 == path.parts.size();
    std::string found;
    if (parent_exists && FindEntry(host, part, &found)) {
      host = JoinHostPath(host, found);
      if (!last) {
        if (IsDirectory(host)) {
          Remember(keys[i], host);
        } else {
          parent_exists = false;
        }
      }
      if (last) r.name = found;
    } else {
      host = JoinHostPath(host, part);
      if (!last) parent_exists = false;
      if (last) r.name = part;
    }
  }
  r.host = std::move(host);
  r.parent_exists = parent_exists;
  // A drive's own directory may be a link (a home directory elsewhere).
  r.exists = parent_exists && (path.IsRoot() ? stat(r.host.c_str(), &r.st) : lstat(r.host.c_str(), &r.st)) == 0;
  *out = std::move(r);
  return Status::Ok();
}

bool PathResolver::FindEntry(const std::string& dir, const std::string& name, std::string* found) {
  struct stat st;
  if (lstat(JoinHostPath(dir, name).c_str(), &st) == 0) {
    *found = name;
    return true;
  }
  if (errno != ENOENT) return false;
  Listing* listing = CurrentListing(dir);
  if (listing == nullptr) return false;
  auto it = listing->names.find(AsciiLowerCopy(name));
  if (it == listing->names.end()) return false;
  *found = it->second.first;
  return true;
}

PathResolver::Listing* PathResolver::CurrentListing(const std::string& dir) {
  struct stat st;
  if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return nullptr;
  auto it = listings_.find(dir);
  if (it != listings_.end() && it->second.dev == st.st_dev && it->second.ino == st.st_ino &&
      SameTime(it->second.mtime, st.st_mtim)) {
    return &it->second;
  }
  if (it != listings_.end()) listings_.erase(it);
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return nullptr;
  Listing listing;
  listing.dev = st.st_dev;
  listing.ino = st.st_ino;
  listing.mtime = st.st_mtim;
  while (const struct dirent* e = readdir(d)) {
    const std::string_view entry = e->d_name;
    if (entry == "." || entry == ".." || IsTemporaryName(entry)) continue;
    if (entry.find('\\') != std::string_view::npos) continue;
    auto& slot = listing.names[AsciiLowerCopy(entry)];
    if (slot.second++ == 0) slot.first = entry;
  }
  closedir(d);
  if (listings_.size() >= kMaxListings) listings_.clear();
  return &listings_.emplace(dir, std::move(listing)).first->second;
}

void PathResolver::Remember(const std::string& key, const std::string& host) {
  if (prefixes_.size() >= kMaxPrefixes) prefixes_.clear();
  prefixes_[key] = host;
}

bool PathResolver::BeginChange(const std::string& dir) {
  auto it = listings_.find(dir);
  if (it == listings_.end()) return false;
  struct stat st;
  return stat(dir.c_str(), &st) == 0 && it->second.dev == st.st_dev && it->second.ino == st.st_ino &&
         SameTime(it->second.mtime, st.st_mtim);
}

void PathResolver::EndChange(const std::string& dir, bool was_current, std::string_view added,
                             std::string_view removed) {
  auto it = listings_.find(dir);
  if (it == listings_.end()) return;
  struct stat st;
  if (!was_current || stat(dir.c_str(), &st) != 0) {
    listings_.erase(it);
    return;
  }
  auto& names = it->second.names;
  if (!removed.empty()) {
    auto slot = names.find(AsciiLowerCopy(removed));
    if (slot != names.end()) {
      // Which of several same-named entries comes first now is only known
      // by reading the directory again.
      if (slot->second.second > 1) {
        listings_.erase(it);
        return;
      }
      names.erase(slot);
    }
  }
  if (!added.empty() && !IsTemporaryName(added)) {
    auto& slot = names[AsciiLowerCopy(added)];
    if (slot.second > 0) {
      listings_.erase(it);
      return;
    }
    slot = {std::string(added), 1};
  }
  it->second.mtime = st.st_mtim;
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
