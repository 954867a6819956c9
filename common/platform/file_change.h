#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace velqo {

// One change an update makes to the trees, or plans to make in a preview.
// Paths are Windows paths as the engine names them.
struct FileChange {
  // kBackup: the target's old data kept under the backup name before a
  // copy replaces it (path: the target; target: the backup name).
  // kMetadata: a file whose data was already the same took its source's
  // mode, owner, attributes or ACLs (path: that file).
  enum class Kind { kCopy, kRename, kDelete, kCreateDirectory, kRemoveDirectory, kBackup, kMetadata };
  Kind kind = Kind::kCopy;
  std::string path;        // the source of a copy or rename, else the entry itself
  std::string target;      // the target of a copy or rename; empty otherwise
  std::uint64_t bytes = 0; // a copy: the size copied; a deletion: the size removed
  // A copy over an existing file; a rename that first deleted an older
  // file of the target's name (an older backup).
  bool replaces = false;
  // A copy of a symbolic link (known where sizes are looked up too).
  bool link = false;

  bool operator==(const FileChange&) const = default;
};

inline FileChange MakeChange(FileChange::Kind kind, std::string path, std::string target = {},
                             std::uint64_t bytes = 0, bool replaces = false) {
  FileChange c;
  c.kind = kind;
  c.path = std::move(path);
  c.target = std::move(target);
  c.bytes = bytes;
  c.replaces = replaces;
  return c;
}

// Appends a change. A deletion that only made room for a rename onto the
// same name (the older backup a new backup replaces) is folded into that
// rename, so the list says what the user sees: one backup made, nothing
// of theirs deleted.
void AddChange(std::vector<FileChange>* list, FileChange change);

// The totals of a list, overall and for each drive letter a change lands on
// (a copy's target, the entry deleted, created or removed).
struct ChangeTotals {
  int copies = 0;
  std::uint64_t copied_bytes = 0;
  int renames = 0;
  int deletions = 0;
  std::uint64_t deleted_bytes = 0;
  int created_dirs = 0;
  int removed_dirs = 0;
};
struct ChangeSummary {
  ChangeTotals all;
  std::map<char, ChangeTotals> drives;  // upper-case letter
};
ChangeSummary Summarize(const std::vector<FileChange>& list);

// A change in the log's words, future ("will be copied to") for a preview
// or past ("was copied to") for one that happened. Paths are given as they
// are: a caller that prints them makes them safe for its terminal.
std::string DescribeChange(const FileChange& change, bool planned);

}  // namespace velqo
