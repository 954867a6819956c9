#include "cli/itemize.h"

#include "common/text/printable.h"

namespace velqo::cli {

namespace {

const char* KindWord(const FileChange& c) {
  switch (c.kind) {
    case FileChange::Kind::kCopy:
      if (c.link) return "link";
      return c.replaces ? "update" : "copy";
    case FileChange::Kind::kBackup:
      return "backup";
    case FileChange::Kind::kRename:
      return "rename";
    case FileChange::Kind::kDelete:
      return "delete";
    case FileChange::Kind::kCreateDirectory:
      return "mkdir";
    case FileChange::Kind::kRemoveDirectory:
      return "rmdir";
    case FileChange::Kind::kMetadata:
      return "metadata";
  }
  return "change";
}

// The entry a change lands on: a copy's or rename's target, else the entry.
const std::string& Landing(const FileChange& c) {
  const bool moves = c.kind == FileChange::Kind::kCopy || c.kind == FileChange::Kind::kRename ||
                     c.kind == FileChange::Kind::kBackup;
  return moves && !c.target.empty() ? c.target : c.path;
}

// path below top, both host paths: the rest after "top/", "." for the top.
bool Below(const std::string& top, const std::string& path, std::string* rest) {
  if (top.empty()) return false;
  if (path == top) {
    *rest = ".";
    return true;
  }
  const std::string prefix = top == "/" ? top : top + "/";
  if (path.compare(0, prefix.size(), prefix) != 0) return false;
  *rest = path.substr(prefix.size());
  return true;
}

}  // namespace

std::string ItemizeLine(const FileChange& change, const RunTops& tops, const HostPaths& paths) {
  const std::string host = paths.Path(Landing(change));
  std::string rest;
  std::string side = "=";
  // Dir 2 first: a Dir 2 inside Dir 1 is still Dir 2 for what lands there.
  if (Below(paths.Path(tops.dir2), host, &rest)) {
    side = ">";
  } else if (Below(paths.Path(tops.dir1), host, &rest)) {
    side = "<";
  } else {
    rest = host;
  }
  return std::string(KindWord(change)) + " " + side + " " + Printable(rest, false);
}

}  // namespace velqo::cli
