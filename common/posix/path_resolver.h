#pragma once

#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/posix/dir_handle.h"
#include "common/posix/dir_listing.h"
#include "common/platform/drive_map.h"
#include "common/text/status.h"
#include "common/platform/windows_path.h"

namespace velqo {

// A Windows path and the host entry it names. Operations reach the entry
// relative to an open directory (at_fd() and at_name()), never by its
// host path, so no symbolic link below a top is followed on the way.
struct ResolvedPath {
  WindowsPath windows;
  std::string host;            // host path (spelled as found, missing names as given), for messages
  std::string name;            // last host name; empty for a drive root
  bool parent_exists = false;  // every directory up to the last name exists
  bool exists = false;         // the entry itself exists (lstat)
  bool is_top = false;         // the path names a top itself (a drive root or a pinned top)
  bool followed = false;       // in a place of the program's own, where links are followed
  struct stat st {};           // valid when exists
  // The directory holding the last name, or for a top the top itself.
  DirRef dir;

  int at_fd() const { return dir ? dir->fd() : -1; }
  const char* at_name() const { return is_top ? "." : name.c_str(); }
  // The entry's path through the directory handle, for the few calls that
  // take no directory handle.
  std::string ProcPath() const;
};

// The name prefix that marks the layer's own temporary files; such entries
// are never returned by searches nor matched by case-insensitive lookups.
constexpr std::string_view kTempPrefix = ".velqo~tmp.";
bool IsTemporaryName(std::string_view name);

// Resolves Windows paths to host entries, starting at a top: the drive's
// host directory, a place of the program's own (followed like any user's
// dotfiles), or a top pinned for the run (Dir 1, Dir 2, a batch pair),
// each opened following links. Below the top every name is looked up
// relative to its directory's handle without following links: a link in
// the middle of a path fails the resolution, a link as the last name is
// the entry itself. A name matches exactly when such an entry exists, else
// ignoring the case of A to Z when exactly one entry does; two or more make
// the resolution fail. Below a pinned top the second way is taken only on
// file systems that fold case themselves: where names keep their case,
// Docs never stands for docs. A name that does not exist keeps its
// spelling.
// Resolved directories and directory listings are cached; the cache checks
// itself against the directories' identities and change times and is told
// about the layer's own changes.
class PathResolver {
 public:
  explicit PathResolver(const DriveMap& drives) : drives_(drives) {}

  // kPathNotFound when the drive does not exist (unmapped, or its directory
  // is missing); kAmbiguous and kLinkRefused as above; the parse errors of
  // ParseWindowsPath.
  Status Resolve(std::string_view text, std::string_view current, ResolvedPath* out);
  Status Resolve(const WindowsPath& path, ResolvedPath* out);

  // Pins the tops of a run: each existing directory (or its deepest existing
  // ancestor) is opened now, following links, and paths below it resolve
  // from that handle. Replaces the previous pins and empties the caches.
  void PinTops(const std::vector<WindowsPath>& tops);
  // Whether path names one of the pinned tops itself.
  bool IsPinnedTop(const WindowsPath& path) const;
  // Places below which links are followed, as before a run (the Windows
  // directory and the program directory: a user's dotfiles may be links).
  void SetFollowedPlaces(std::vector<WindowsPath> places) { followed_ = std::move(places); }

  // The names of the directory holding path's last name that equal that
  // name ignoring case (empty when the directory does not exist).
  Status NamesLike(const WindowsPath& path, std::vector<std::string>* names);

  // The layer's own changes. BeginChange before changing a directory's
  // entries, then EndChange with the name added and/or removed. dir_fd,
  // when not -1, is the directory's own handle: asked instead of its path.
  bool BeginChange(const std::string& dir, int dir_fd = -1);
  void EndChange(const std::string& dir, bool was_current, std::string_view added, std::string_view removed,
                 int dir_fd = -1);
  // A directory at host path (and everything below it) was removed or renamed.
  void ForgetTree(const std::string& host);

  // The handle of the directory path names when a resolution entered it
  // moments ago and path still leads to it (host and a stat taken now in
  // *host and *st); nullptr otherwise. For reading the directory: its own
  // name is not looked at again.
  DirRef CachedDirectoryOf(const WindowsPath& path, std::string* host, struct stat* st);

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
    // Read well after the directory last changed: any later change gives
    // it other times, so while they are unchanged the names are complete.
    bool settled = false;
    DirListing names;

    bool Matches(const struct stat& st) const;
    void Take(const struct stat& st);
  };
  // A directory reached during a resolution: its handle, host path and a
  // stat taken during this resolution.
  struct Reached {
    DirRef dir;
    std::string host;
    struct stat st {};
    bool st_known = true;  // st was taken during this resolution
    // For a directory below a pinned top: the top's handle and the host
    // path from it, by which the cache checks that the directory is still
    // the one its path leads to (a resolution would start from that
    // handle again). Empty otherwise: checked by the whole host path.
    DirRef top;
    std::string below;
  };
  struct Top {
    WindowsPath windows;
    Reached reached;
  };
  // What a lookup of one name in a directory found.
  enum class Lookup { kFound, kMissing };
  struct Found {
    std::string name;
    struct stat st {};
  };

  // The pinned top that covers path (the deepest), or nullptr for the
  // drive's own directory; *follow when path lies in a followed place.
  const Top* TopFor(const WindowsPath& path, bool* follow) const;
  // Opens where a resolution starts: the pinned top, else the drive.
  Status OpenStart(const WindowsPath& path, const Top* top, Reached* start);
  // How many names of a path (keys: the Windows form of each prefix) a
  // cached directory that is still there resolves (at least from).
  std::size_t CachedStart(const std::vector<std::string>& keys, std::size_t from, Reached* at);
  // The cached directory of a Windows prefix key, when it is still the one
  // that path leads to (a stat taken now in at->st).
  bool CachedDirectory(const std::string& key, Reached* at);
  // Whether names in dir are looked up only as the file system finds them:
  // dir lies at or below a pinned top.
  static bool ExactBelow(const Reached& dir) { return dir.top != nullptr; }
  // FindEntry from a settled listing of dir known to be current; false
  // when there is none (or it does not settle the question).
  bool FindInSettledListing(const Reached& dir, const std::string& name, Lookup* result, Found* found);
  // The entry of dir matching name: exactly, else (not below a pinned top,
  // or on a file system that folds case) the one entry equal to it ignoring
  // case. Fails on two or more such entries, or when dir cannot be searched.
  Status FindEntry(const Reached& dir, const std::string& name, Lookup* result, Found* found);
  // Steps from dir into its subdirectory found; kLinkRefused for a link
  // unless links are followed; *is_dir false for something else.
  Status Enter(const Reached& dir, const Found& found, bool follow, Reached* child, bool* is_dir);
  // Where a resolution has got to below its start.
  struct Walk {
    Reached at;
    std::string host;
    bool parent_exists = true;
  };
  // The steps of Resolve: a path that is a top itself, the walk from the
  // start down to the last name, one name of it, and entering a directory.
  Status DescribeTop(const WindowsPath& path, Reached* at, ResolvedPath* r);
  Status WalkBelow(const WindowsPath& path, const std::vector<std::string>& keys, std::size_t done,
                   bool follow, Walk* walk, ResolvedPath* r);
  Status Step(const std::string& part, bool last, const std::string& key, bool follow, Walk* walk,
              ResolvedPath* r);
  Status Descend(const Found& found, const std::string& key, bool follow, Walk* walk);
  // The listing of dir, read again unless dir.st shows it unchanged.
  Listing* CurrentListing(const Reached& dir);
  void Remember(const std::string& key, const Reached& reached);
  static bool Covers(const WindowsPath& top, const WindowsPath& path);

  const DriveMap& drives_;
  std::vector<Top> pinned_;
  std::vector<WindowsPath> followed_;
  std::unordered_map<std::string, Reached> prefixes_;  // Windows prefix -> directory
  std::unordered_map<std::string, Listing> listings_;  // host directory -> listing
  std::uint64_t use_clock_ = 0;
};

}  // namespace velqo
