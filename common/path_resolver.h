#pragma once

#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/dir_listing.h"
#include "common/drive_map.h"
#include "common/status.h"
#include "common/windows_path.h"

namespace velqo {

// A Windows path and the host entry it names.
struct ResolvedPath {
  WindowsPath windows;
  std::string host;            // host path (spelled as found, missing names as given)
  std::string name;            // last host name; empty for a drive root
  bool parent_exists = false;  // every directory up to the last name exists
  bool exists = false;         // the entry itself exists (lstat)
  struct stat st {};           // valid when exists
  // The directory holding the last name (stat, following links); valid
  // when parent_exists and the path is not a drive root.
  struct stat parent_st {};
};

// The name prefix that marks the layer's own temporary files; such entries
// are never returned by searches nor matched by case-insensitive lookups.
constexpr std::string_view kTempPrefix = ".velqo~tmp.";
bool IsTemporaryName(std::string_view name);

// Resolves Windows paths to host paths: each name matches exactly when such
// an entry exists, else ignoring the case of A to Z (the first such entry in
// directory order); a name that does not exist keeps its spelling. Resolved
// directory prefixes and directory listings are cached; the cache checks
// itself against the directories' change times and is told about the
// layer's own changes, so that it stays true without rescanning after each
// copy.
class PathResolver {
 public:
  explicit PathResolver(const DriveMap& drives) : drives_(drives) {}

  // kPathNotFound when the drive does not exist (unmapped, or its directory
  // is missing); the parse errors of ParseWindowsPath.
  Status Resolve(std::string_view text, std::string_view current, ResolvedPath* out);
  Status Resolve(const WindowsPath& path, ResolvedPath* out);

  // The layer's own changes. BeginChange before changing a directory's
  // entries, then EndChange with the name added and/or removed.
  bool BeginChange(const std::string& dir);
  void EndChange(const std::string& dir, bool was_current, std::string_view added, std::string_view removed);
  // A directory at host path (and everything below it) was removed or renamed.
  void ForgetTree(const std::string& host);

  // The listing of dir that a resolution read moments ago, when dir_st (a
  // stat taken now) shows the directory unchanged since and the layer has
  // changed nothing in it: a search of dir may take its names instead of
  // reading the directory again. nullptr when there is none.
  const DirListing* RecentListing(const std::string& dir, const struct stat& dir_st);

 private:
  struct Listing {
    // The directory as it was when read: a change of its entries changes
    // its modification and change times.
    dev_t dev = 0;
    ino_t ino = 0;
    struct timespec mtime {};
    struct timespec ctime {};
    std::chrono::steady_clock::time_point read_at;
    std::uint64_t last_use = 0;  // the least recently used goes first
    DirListing names;

    bool Matches(const struct stat& st) const;
    void Take(const struct stat& st);
  };

  // How many names of a path (keys: the Windows form of each prefix) a
  // cached directory that is still there resolves; host and dir_st are then
  // that directory's path and stat. 0 when none does.
  std::size_t CachedStart(const std::vector<std::string>& keys, std::string* host, struct stat* dir_st);
  // A name of a directory as found there.
  struct Found {
    std::string name;
    bool stat_known = false;  // st holds the entry's lstat
    struct stat st {};
  };
  // The entry of dir matching name (exactly, else ignoring case); dir_st is
  // dir's stat, taken during this resolution.
  bool FindEntry(const std::string& dir, const struct stat& dir_st, const std::string& name, Found* found);
  // The listing of dir, read again unless dir_st shows it unchanged.
  Listing* CurrentListing(const std::string& dir, const struct stat& dir_st);
  void Remember(const std::string& key, const std::string& host);

  const DriveMap& drives_;
  std::unordered_map<std::string, std::string> prefixes_;  // Windows prefix -> host directory
  std::unordered_map<std::string, Listing> listings_;      // host directory -> listing
  std::uint64_t use_clock_ = 0;
};

}  // namespace velqo
