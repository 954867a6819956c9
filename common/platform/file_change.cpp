#include "common/platform/file_change.h"

#include "common/platform/platform_ops.h"

namespace velqo {

namespace {

char DriveOf(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' ? AsciiUpper(path[0]) : '?';
}

// The drive a change lands on.
char LandsOn(const FileChange& c) {
  const bool to_target = c.kind == FileChange::Kind::kCopy || c.kind == FileChange::Kind::kRename ||
                         c.kind == FileChange::Kind::kBackup;
  return DriveOf(to_target ? c.target : c.path);
}

void Count(ChangeTotals* t, const FileChange& c) {
  switch (c.kind) {
    case FileChange::Kind::kCopy:
      ++t->copies;
      t->copied_bytes += c.bytes;
      break;
    case FileChange::Kind::kRename:
    case FileChange::Kind::kBackup:
      ++t->renames;
      break;
    case FileChange::Kind::kDelete:
      ++t->deletions;
      t->deleted_bytes += c.bytes;
      break;
    case FileChange::Kind::kCreateDirectory:
      ++t->created_dirs;
      break;
    case FileChange::Kind::kRemoveDirectory:
      ++t->removed_dirs;
      break;
    case FileChange::Kind::kMetadata:
      break;
  }
}

}  // namespace

void AddChange(std::vector<FileChange>* list, FileChange change) {
  if (change.kind == FileChange::Kind::kRename && !list->empty()) {
    const FileChange& last = list->back();
    if (last.kind == FileChange::Kind::kDelete && EqualsIgnoreCase(last.path, change.target)) {
      list->pop_back();
      change.replaces = true;
    }
  }
  list->push_back(std::move(change));
}

ChangeSummary Summarize(const std::vector<FileChange>& list) {
  ChangeSummary summary;
  for (const FileChange& c : list) {
    Count(&summary.all, c);
    Count(&summary.drives[LandsOn(c)], c);
  }
  return summary;
}

std::string DescribeChange(const FileChange& c, bool planned) {
  const std::string will = planned ? " will be " : " was ";
  switch (c.kind) {
    case FileChange::Kind::kCopy:
      return c.path + will + (c.replaces ? "copied over " : "copied to ") + c.target;
    case FileChange::Kind::kRename:
      return c.path + will + "renamed to " + c.target +
             (c.replaces ? " (replacing the older backup)" : "");
    case FileChange::Kind::kBackup:
      return c.path + will + "kept as the backup " + c.target +
             (c.replaces ? " (replacing the older backup)" : "");
    case FileChange::Kind::kDelete:
      return c.path + will + "deleted";
    case FileChange::Kind::kCreateDirectory:
      return "Directory " + c.path + will + "created";
    case FileChange::Kind::kRemoveDirectory:
      return "Directory " + c.path + will + "removed";
    case FileChange::Kind::kMetadata:
      return c.path + will + "given its source's mode, owner and attributes";
  }
  return {};
}

}  // namespace velqo
