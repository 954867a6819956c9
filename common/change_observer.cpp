#include "common/change_observer.h"

#include "common/platform_ops.h"

namespace velqo {

std::uint64_t ChangeObserver::SizeOf(std::string_view path) {
  std::unique_ptr<DirSearch> search;
  if (!PlatformWrapper::FindFirst(path, kMaskEverything, &search).ok() || !search) return 0;
  FindData entry;
  return search->Next(&entry) ? entry.size : 0;
}

Status ChangeObserver::Report(FileChange change, Status status) {
  if (observer_) observer_(change, status);
  return status;
}

Status ChangeObserver::CopyFile(std::string_view from, std::string_view to) {
  FileChange change = MakeChange(FileChange::Kind::kCopy, std::string(from), std::string(to));
  if (details_) {
    change.bytes = SizeOf(from);
    change.replaces = EntryExists(target(), to);
  }
  return Report(std::move(change), PlatformWrapper::CopyFile(from, to));
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

Status ChangeObserver::CreateDirectory(std::string_view path) {
  return Report(MakeChange(FileChange::Kind::kCreateDirectory, std::string(path)),
                PlatformWrapper::CreateDirectory(path));
}

Status ChangeObserver::RemoveDirectory(std::string_view path) {
  return Report(MakeChange(FileChange::Kind::kRemoveDirectory, std::string(path)),
                PlatformWrapper::RemoveDirectory(path));
}

}  // namespace velqo
