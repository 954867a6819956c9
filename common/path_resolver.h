#pragma once

#include <sys/stat.h>

#include <string>
#include <string_view>
#include <unordered_map>

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

 private:
  struct Listing {
    dev_t dev = 0;
    ino_t ino = 0;
    struct timespec mtime {};
    // lower-case name -> first entry of that name in directory order, and
    // how many entries share the lower-case name.
    std::unordered_map<std::string, std::pair<std::string, int>> names;
  };

  // The entry of dir matching name (exactly, else ignoring case).
  bool FindEntry(const std::string& dir, const std::string& name, std::string* found);
  Listing* CurrentListing(const std::string& dir);
  void Remember(const std::string& key, const std::string& host);

  const DriveMap& drives_;
  std::unordered_map<std::string, std::string> prefixes_;  // Windows prefix -> host directory
  std::unordered_map<std::string, Listing> listings_;      // host directory -> listing
};

}  // namespace velqo
