#pragma once

#include <functional>
#include <string_view>

#include "common/platform/file_change.h"
#include "common/platform/platform_wrapper.h"

namespace velqo {

// Passes every operation on and tells an observer about each change to the
// trees (copy, rename, deletion, directory creation and removal) with its
// outcome: the console program prints the changes as they happen and the
// file system's reason for a failed one; tests record what a real run did.
// Writes of settings and log files are not changes of the trees and are
// not reported.
class ChangeObserver : public PlatformWrapper {
 public:
  using Observer = std::function<void(const FileChange& change, const Status& status)>;

  // With details, the size of a copied or deleted file and whether a copy
  // replaces a file are looked up first (one more query each); without,
  // those fields stay 0 and false.
  ChangeObserver(Platform& target, Observer observer, bool details)
      : PlatformWrapper(target), observer_(std::move(observer)), details_(details) {}

  void set_details(bool details) { details_ = details; }

  Status CopyFile(std::string_view from, std::string_view to) override;
  Status CopyFileWithBackup(std::string_view from, std::string_view to, std::string_view backup,
                            bool* backup_failed) override;
  Status MoveFile(std::string_view from, std::string_view to) override;
  Status DeleteFile(std::string_view path) override;
  // A file moved into the versions folder is gone from its tree: reported
  // as its deletion. A version linked beside a file that stays is no change.
  Status KeepVersion(std::string_view path, std::string_view version, VersionKeep how) override;
  Status CreateDirectory(std::string_view path) override;
  Status CreateDirectoryLike(std::string_view path, std::string_view model) override;
  Status RemoveDirectory(std::string_view path) override;
  // Reported only when something was carried, or the attempt failed.
  Status MatchMetadata(std::string_view from, std::string_view to, bool* carried) override;

 private:
  Status Report(FileChange change, Status status);
  std::uint64_t SizeOf(std::string_view path);
  bool IsLink(std::string_view path);

  Observer observer_;
  bool details_;
};

}  // namespace velqo
