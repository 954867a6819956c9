#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/platform/file_change.h"
#include "common/platform/platform_wrapper.h"

namespace velqo {

// A platform for a preview: it reads the real trees but makes no change to
// them. Every change an update would make (copy, rename, deletion,
// directory creation and removal) is recorded instead, and remembered in an
// overlay, so that what the run reads back afterwards looks as it would
// after the real change: a directory "created" lists empty and takes
// copies, a file "deleted" is gone from searches, a "copied" file has its
// source's size, time and attributes, a "renamed" backup is found under its
// new name. Settings and log files written during the run (the INI file,
// the log) live in the overlay too, so nothing at all reaches the disk.
// Changes the overlay cannot hold (renaming a directory) are refused.
class PreviewPlatform : public PlatformWrapper {
 public:
  explicit PreviewPlatform(Platform& real) : PlatformWrapper(real) {}

  // The changes recorded so far, in order (see AddChange).
  const std::vector<FileChange>& changes() const { return changes_; }
  // Starts the list afresh: what the start-up did (a probe file, the log
  // directory) is not part of the update's plan. The overlay keeps it.
  void ForgetChanges() { changes_.clear(); }

  Status FindFirst(std::string_view pattern, std::uint32_t mask,
                   std::unique_ptr<DirSearch>* search) override;
  Status GetAttributes(std::string_view path, std::uint32_t* attributes) override;
  Status SetAttributes(std::string_view path, std::uint32_t attributes) override;
  Status CopyFile(std::string_view from, std::string_view to) override;
  Status CopyFileWithBackup(std::string_view from, std::string_view to, std::string_view backup,
                            bool* backup_failed) override;
  Status CheckBackup(std::string_view to, std::string_view backup, bool* needed) override;
  Status FlushCopies() override { return Status::Ok(); }
  Status EndOfRun() override { return Status::Ok(); }
  void SetCopyProgress(CopyProgress) override {}
  Status MoveFile(std::string_view from, std::string_view to) override;
  Status DeleteFile(std::string_view path) override;
  // A file moved into the versions folder is planned as its deletion; the
  // folder itself is never written by a preview.
  Status KeepVersion(std::string_view path, std::string_view version, VersionKeep how) override;
  Status CreateDirectory(std::string_view path) override;
  // A preview makes nothing: the directory lives in the overlay, and no
  // metadata reaches the disk.
  Status CreateDirectoryLike(std::string_view path, std::string_view) override { return CreateDirectory(path); }
  Status MatchDirectory(std::string_view, std::string_view) override { return Status::Ok(); }
  Status MatchMetadata(std::string_view, std::string_view, bool* carried) override {
    *carried = false;
    return Status::Ok();
  }
  Status RemoveDirectory(std::string_view path) override;
  Status OpenReadWrite(std::string_view path) override;
  Status CreateNewFile(std::string_view path) override;
  Status ReadFile(std::string_view path, std::string* contents, const FileAccess& access = {}) override;
  Status WriteFile(std::string_view path, std::string_view contents, WriteMode mode,
                   const FileAccess& access = {}) override;
  Status SetLastWriteTime(std::string_view path, const LocalTime& time) override;
  // Free space less what the recorded copies would take and plus what the
  // recorded deletions would free on that drive, so the space check of a
  // later pair sees what the real run would.
  Status DiskSpace(std::string_view root, std::uint64_t* total, std::uint64_t* free) override;
  // An editor would change the file: a preview starts none.
  int RunEditor(std::string_view) override { return -1; }

 private:
  // An entry the overlay knows better than the disk.
  struct Node {
    enum class Kind { kGone, kFile, kDirectory };
    Kind kind = Kind::kGone;
    FindData data;
    // A directory created here: nothing of the disk shows below it.
    bool opaque = false;
    // A file's contents: those of a real file (empty: none), then appended.
    std::string real_source;
    std::string appended;
  };

  // What a path names as the run would see it.
  struct Found {
    Status status;
    FindData data;          // name and attributes always; size and time from the overlay
    Node* node = nullptr;   // the overlay's entry, if it has one
    bool real = false;      // exists on disk, unknown to the overlay
    bool IsDirectory() const { return (data.attributes & kAttrDirectory) != 0; }
  };

  Found Find(std::string_view path);
  // True when the disk may show entries below the directory key.
  bool DiskShowsBelow(const std::string& key);
  // The overlay entry of an existing path, made from the disk's when needed.
  Node* Materialize(std::string_view path, Found& found);
  Status ParentDirectory(std::string_view path);
  Status FindInDirectory(std::string_view dir, std::string_view last, std::uint32_t mask,
                         std::vector<FindData>* out, std::vector<std::string>* unusable);
  void Record(FileChange change) { AddChange(&changes_, std::move(change)); }
  void Use(std::string_view path, std::int64_t bytes);
  // Forgets what the overlay knew below a directory that is removed or made.
  void EraseBelow(const std::string& key);

  std::map<std::string, Node, std::less<>> nodes_;  // by folded path
  std::map<char, std::int64_t> used_;                // drive letter -> bytes taken
  std::vector<FileChange> changes_;
  std::map<std::string, std::string> backups_;  // backup key -> the target it keeps, made in this preview
};

}  // namespace velqo
