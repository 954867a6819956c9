#include "engine/undo.h"

#include "actions/versions.h"
#include "common/platform/platform_ops.h"
#include "common/time/provisional_time.h"

namespace velqo {

namespace {

bool IsFileEntry(const FindData& e) { return (e.attributes & kAttrDirectory) == 0 || (e.attributes & kAttrReparsePoint) != 0; }

bool SameAsLeft(const FindData& e, const VersionChange& c) {
  return IsFileEntry(e) && e.size == c.size && e.mtime_sec == c.mtime_sec && e.mtime_nsec == c.mtime_nsec;
}

bool SameFile(const FindData& a, const FindData& b) {
  return IsFileEntry(a) && IsFileEntry(b) && a.size == b.size && a.mtime_sec == b.mtime_sec &&
         a.mtime_nsec == b.mtime_nsec;
}

// A copy this layer placed and never finished: it carries a provisional
// time, which no edit of the user's leaves.
bool UnfinishedCopyOf(const FindData& now, const FindData& version) {
  const std::timespec t{static_cast<std::time_t>(now.mtime_sec), now.mtime_nsec};
  return IsFileEntry(now) && IsProvisionalTime(t) && now.size == version.size;
}

std::string ParentOf(const std::string& path) {
  const std::size_t cut = path.rfind('\\');
  return cut == std::string::npos ? path : path.substr(0, cut < 3 ? 3 : cut);
}

// Restores the version over (or in place of) the file at path.
Status Restore(Platform& fs, VersionState& v, const UndoStep& step, const std::string& path,
               const std::string& version) {
  const VersionChange& c = step.change;
  std::string kept;
  std::uint32_t attributes = 0;
  const bool present = c.kind == VersionChange::Kind::kReplaced && !step.redo;
  bool read_only = false;
  if (present) {
    Status st = KeepOldVersion(fs, v, path, c.path, VersionKeep::kLink, &kept);
    if (!st.ok()) return st;
    // A read-only file is replaced all the same: it is kept.
    read_only = fs.GetAttributes(path, &attributes).ok() && (attributes & kAttrReadOnly) != 0 &&
                (attributes & kAttrReparsePoint) == 0;
    if (read_only) (void)fs.SetAttributes(path, attributes & ~kAttrReadOnly);
  } else if (!DirectoryExists(fs, ParentOf(path))) {
    // A file of a directory the run removed: the directory comes back
    // first, as a change of this run too.
    const std::vector<std::string> made = MissingDirectories(fs, v, ParentOf(path));
    const std::string missing = MakeDirPath(fs, ParentOf(path));
    RecordMadeDirectories(fs, v, made);
    if (!missing.empty()) return Status::PathNotFound("cannot create " + missing);
  }
  Status st = fs.CopyFile(version, path);
  if (read_only) (void)fs.SetAttributes(BelowTop(v.top, kept), attributes);
  if (!st.ok()) {
    if (read_only) (void)fs.SetAttributes(path, attributes);
    return st;
  }
  const VersionChange::Kind kind =
      c.kind == VersionChange::Kind::kReplaced ? VersionChange::Kind::kReplaced : VersionChange::Kind::kAdded;
  RecordVersionChange(fs, v, kind, path, c.path, kept);
  return Status::Ok();
}

// A path below the top, name by name: no empty name, no "." or "..", no
// separator of the other form. The journal is a file on disk like any other.
bool StaysBelowTop(std::string_view relative) {
  if (relative.empty()) return false;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = relative.find('/', start);
    const std::string_view name = relative.substr(start, end - start);
    if (name.empty() || name == "." || name == ".." || name.find('\\') != std::string_view::npos) {
      return false;
    }
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

}  // namespace

UndoStep PlanUndoStep(Platform& fs, std::string_view top, const VersionChange& change) {
  UndoStep step;
  step.change = change;
  const bool version_in_folder =
      change.version.empty() ||
      (StaysBelowTop(change.version) && change.version.starts_with(std::string(kVersionsFolder) + "/"));
  if (!StaysBelowTop(change.path) || !version_in_folder) {
    step.action = UndoAction::kRefused;
    return step;
  }
  const std::string path = BelowTop(top, change.path);
  FindData now;
  const bool present = StatEntry(fs, path, &now);
  if (change.kind == VersionChange::Kind::kDirectoryAdded) {
    const bool is_dir = present && (now.attributes & (kAttrDirectory | kAttrReparsePoint)) == kAttrDirectory;
    step.action = !present ? UndoAction::kDone : is_dir ? UndoAction::kRemove : UndoAction::kChanged;
    return step;
  }
  if (change.kind == VersionChange::Kind::kAdded) {
    step.action = !present ? UndoAction::kDone : SameAsLeft(now, change) ? UndoAction::kRemove : UndoAction::kChanged;
    return step;
  }
  FindData version;
  const bool kept = !change.version.empty() && StatEntry(fs, BelowTop(top, change.version), &version);
  const bool was_deleted = change.kind == VersionChange::Kind::kDeleted;
  if (!kept) {
    step.action = UndoAction::kVersionMissing;
  } else if (present && SameFile(now, version)) {
    step.action = UndoAction::kDone;
  } else if (present && UnfinishedCopyOf(now, version)) {
    step.action = UndoAction::kRestore;
    step.redo = true;
  } else if (was_deleted ? !present : present && SameAsLeft(now, change)) {
    step.action = UndoAction::kRestore;
  } else {
    step.action = UndoAction::kChanged;
  }
  return step;
}

std::vector<UndoStep> PlanUndo(Platform& fs, std::string_view top, const std::vector<VersionChange>& changes) {
  std::vector<UndoStep> steps;
  for (auto it = changes.rbegin(); it != changes.rend(); ++it) steps.push_back(PlanUndoStep(fs, top, *it));
  return steps;
}

Status CarryOutUndoStep(Platform& fs, VersionState& v, const UndoStep& step) {
  const std::string path = BelowTop(v.top, step.change.path);
  switch (step.action) {
    case UndoAction::kRestore:
      return Restore(fs, v, step, path, BelowTop(v.top, step.change.version));
    case UndoAction::kRemove: {
      // A directory the run made goes when it is empty again.
      if (step.change.kind == VersionChange::Kind::kDirectoryAdded) return fs.RemoveDirectory(path);
      std::string kept;
      Status st = KeepOldVersion(fs, v, path, step.change.path, VersionKeep::kMove, &kept);
      if (st.ok()) RecordVersionChange(fs, v, VersionChange::Kind::kDeleted, path, step.change.path, kept);
      return st;
    }
    default:
      return Status::Ok();
  }
}

UndoOutcome UndoChanges(Platform& fs, VersionState& v, const std::vector<VersionChange>& changes) {
  UndoOutcome out;
  for (auto it = changes.rbegin(); it != changes.rend(); ++it) {
    const UndoStep step = PlanUndoStep(fs, v.top, *it);
    if (step.action == UndoAction::kChanged || step.action == UndoAction::kVersionMissing ||
        step.action == UndoAction::kRefused) {
      out.left.push_back(step.change.path);
      continue;
    }
    const Status st = CarryOutUndoStep(fs, v, step);
    if (st.code() == Status::Code::kNotEmpty && step.change.kind == VersionChange::Kind::kDirectoryAdded) {
      out.left.push_back(step.change.path);  // it holds files of someone else's now
    } else if (!st.ok()) {
      out.failed.push_back(step.change.path + ": " + st.ToString());
    } else if (step.action == UndoAction::kRestore) {
      ++out.restored;
    } else if (step.action == UndoAction::kRemove && step.change.kind != VersionChange::Kind::kDirectoryAdded) {
      ++out.removed;
    }
  }
  // The restored copies become durable and get their real times.
  if (Status st = fs.EndOfRun(); !st.ok()) out.failed.push_back(st.ToString());
  return out;
}

}  // namespace velqo
