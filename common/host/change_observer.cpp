#include "common/host/change_observer.h"

#include "common/platform/platform_ops.h"

namespace velqo {

std::uint64_t ChangeObserver::SizeOf(std::string_view path) {
  std::unique_ptr<DirSearch> search;
  if (!PlatformWrapper::FindFirst(path, kMaskEverything, &search).ok() || !search) return 0;
  FindData entry;
  return search->Next(&entry) ? entry.size : 0;
}

namespace {

// Whether path lies in a versions folder: what happens there (versions
// kept, old ones pruned) is no change of the trees.
bool InVersionsFolder(std::string_view path) {
  std::size_t at = 0;
  while ((at = path.find('\\', at)) != std::string_view::npos) {
    ++at;
    const std::string_view rest = path.substr(at);
    const std::string_view name = rest.substr(0, rest.find('\\'));
    if (EqualsIgnoreCase(name, kVersionsFolder)) return true;
  }
  return false;
}

}  // namespace

Status ChangeObserver::Report(FileChange change, Status status) {
  if (InVersionsFolder(change.path) && (change.target.empty() || InVersionsFolder(change.target))) return status;
  if (observer_) observer_(change, status);
  return status;
}

bool ChangeObserver::IsLink(std::string_view path) {
  std::uint32_t attributes = 0;
  return target().GetAttributes(path, &attributes).ok() && (attributes & kAttrReparsePoint) != 0;
}

Status ChangeObserver::CopyFile(std::string_view from, std::string_view to) {
  FileChange change = MakeChange(FileChange::Kind::kCopy, std::string(from), std::string(to));
  if (details_) {
    change.bytes = SizeOf(from);
    change.replaces = EntryExists(target(), to);
    change.link = IsLink(from);
  }
  return Report(std::move(change), PlatformWrapper::CopyFile(from, to));
}

Status ChangeObserver::CopyFileWithBackup(std::string_view from, std::string_view to, std::string_view backup,
                                          bool* backup_failed) {
  // Only a file gets a backup; a missing target or a link does not.
  std::uint32_t attributes = 0;
  const bool backed_up = target().GetAttributes(to, &attributes).ok() &&
                         (attributes & (kAttrDirectory | kAttrReparsePoint)) == 0;
  FileChange keep = MakeChange(FileChange::Kind::kBackup, std::string(to), std::string(backup));
  keep.replaces = backed_up && EntryExists(target(), backup);
  FileChange copy = MakeChange(FileChange::Kind::kCopy, std::string(from), std::string(to));
  if (details_) {
    copy.bytes = SizeOf(from);
    copy.replaces = backed_up || EntryExists(target(), to);
    copy.link = IsLink(from);
  }
  const Status status = PlatformWrapper::CopyFileWithBackup(from, to, backup, backup_failed);
  if (backed_up && (status.ok() || *backup_failed)) Report(std::move(keep), status);
  if (*backup_failed) return status;
  return Report(std::move(copy), status);
}

Status ChangeObserver::MoveFile(std::string_view from, std::string_view to) {
  return Report(MakeChange(FileChange::Kind::kRename, std::string(from), std::string(to)),
                PlatformWrapper::MoveFile(from, to));
}

Status ChangeObserver::DeleteFile(std::string_view path) {
  FileChange change = MakeChange(FileChange::Kind::kDelete, std::string(path));
  if (details_) change.bytes = SizeOf(path);
  return Report(std::move(change), PlatformWrapper::DeleteFile(path));
}

Status ChangeObserver::KeepVersion(std::string_view path, std::string_view version, VersionKeep how) {
  if (how != VersionKeep::kMove) return PlatformWrapper::KeepVersion(path, version, how);
  FileChange change = MakeChange(FileChange::Kind::kDelete, std::string(path));
  if (details_) change.bytes = SizeOf(path);
  return Report(std::move(change), PlatformWrapper::KeepVersion(path, version, how));
}

Status ChangeObserver::CreateDirectoryLike(std::string_view path, std::string_view model) {
  return Report(MakeChange(FileChange::Kind::kCreateDirectory, std::string(path)),
                PlatformWrapper::CreateDirectoryLike(path, model));
}

Status ChangeObserver::CreateDirectory(std::string_view path) {
  return Report(MakeChange(FileChange::Kind::kCreateDirectory, std::string(path)),
                PlatformWrapper::CreateDirectory(path));
}

Status ChangeObserver::MatchMetadata(std::string_view from, std::string_view to, bool* carried) {
  const Status status = PlatformWrapper::MatchMetadata(from, to, carried);
  if (*carried || !status.ok()) Report(MakeChange(FileChange::Kind::kMetadata, std::string(to)), status);
  return status;
}

Status ChangeObserver::RemoveDirectory(std::string_view path) {
  return Report(MakeChange(FileChange::Kind::kRemoveDirectory, std::string(path)),
                PlatformWrapper::RemoveDirectory(path));
}

}  // namespace velqo
