#pragma once

#include <string>

#include "cli/host_paths.h"
#include "common/platform/file_change.h"

namespace velqo::cli {

// The two top directories of the run (Windows form), for paths relative
// to them.
struct RunTops {
  std::string dir1;
  std::string dir2;
};

// One change as a line that scripts can read, "KIND SIDE PATH":
//   KIND  copy (a new file), update (a file replaced), link (a symbolic
//         link copied, where sizes are looked up), metadata (mode, owner or
//         attributes carried, data unchanged), backup (an old version kept
//         under its backup name), rename, delete, mkdir, rmdir;
//   SIDE  ">" the change landed in Dir 2, "<" in Dir 1, "=" elsewhere;
//   PATH  the host path relative to that top ("sub/report.txt", "." for the
//         top itself), or the whole host path for "=".
// The kind and side never hold a blank, so the path is all that follows the
// second one. Control characters of a name print as "?".
std::string ItemizeLine(const FileChange& change, const RunTops& tops, const HostPaths& paths);

}  // namespace velqo::cli
