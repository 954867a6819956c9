#pragma once

#include "common/platform/platform.h"

namespace velqo {

// Forwards every call to another platform. A test derives from it and
// overrides one operation to make it fail or report chosen values (a copy
// that fails midway, a full disk, a "FAT32" volume, a fixed "now").
class PlatformWrapper : public Platform {
 public:
  explicit PlatformWrapper(Platform& target) : target_(target) {}
  Platform& target() { return target_; }

  Status FindFirst(std::string_view pattern, std::uint32_t mask,
                   std::unique_ptr<DirSearch>* search) override {
    return target_.FindFirst(pattern, mask, search);
  }
  Status GetAttributes(std::string_view path, std::uint32_t* attributes) override {
    return target_.GetAttributes(path, attributes);
  }
  Status SetAttributes(std::string_view path, std::uint32_t attributes) override {
    return target_.SetAttributes(path, attributes);
  }
  Status CopyFile(std::string_view from, std::string_view to) override {
    return target_.CopyFile(from, to);
  }
  Status CopyFileWithBackup(std::string_view from, std::string_view to, std::string_view backup,
                            bool* backup_failed) override {
    return target_.CopyFileWithBackup(from, to, backup, backup_failed);
  }
  Status CheckBackup(std::string_view to, std::string_view backup, bool* needed) override {
    return target_.CheckBackup(to, backup, needed);
  }
  Status FlushCopies() override { return target_.FlushCopies(); }
  Status EndOfPair() override { return target_.EndOfPair(); }
  Status EndOfRun() override { return target_.EndOfRun(); }
  void SetCopyFidelity(const CopyFidelity& fidelity) override { target_.SetCopyFidelity(fidelity); }
  std::vector<std::string> TakeNotKept() override { return target_.TakeNotKept(); }
  void SetCopyProgress(CopyProgress progress) override {
    target_.SetCopyProgress(std::move(progress));
  }
  Status MoveFile(std::string_view from, std::string_view to) override {
    return target_.MoveFile(from, to);
  }
  Status KeepVersion(std::string_view path, std::string_view version, VersionKeep how) override {
    return target_.KeepVersion(path, version, how);
  }
  Status DeleteFile(std::string_view path) override { return target_.DeleteFile(path); }
  Status CreateDirectory(std::string_view path) override { return target_.CreateDirectory(path); }
  Status CreateDirectoryLike(std::string_view path, std::string_view model) override {
    return target_.CreateDirectoryLike(path, model);
  }
  Status MatchDirectory(std::string_view model, std::string_view path) override {
    return target_.MatchDirectory(model, path);
  }
  Status MatchMetadata(std::string_view from, std::string_view to, bool* carried) override {
    return target_.MatchMetadata(from, to, carried);
  }
  Status RemoveDirectory(std::string_view path) override { return target_.RemoveDirectory(path); }
  Status SetCurrentDirectory(std::string_view path) override {
    return target_.SetCurrentDirectory(path);
  }
  std::string CurrentDirectory() override { return target_.CurrentDirectory(); }
  Status OpenReadWrite(std::string_view path) override { return target_.OpenReadWrite(path); }
  Status CreateNewFile(std::string_view path) override { return target_.CreateNewFile(path); }
  Status ReadFile(std::string_view path, std::string* contents,
                  const FileAccess& access = {}) override {
    return target_.ReadFile(path, contents, access);
  }
  Status WriteFile(std::string_view path, std::string_view contents, WriteMode mode,
                   const FileAccess& access = {}) override {
    return target_.WriteFile(path, contents, mode, access);
  }
  Status SetLastWriteTime(std::string_view path, const LocalTime& time) override {
    return target_.SetLastWriteTime(path, time);
  }
  Status VolumeFileSystemName(std::string_view root, std::string* name) override {
    return target_.VolumeFileSystemName(root, name);
  }
  Status DiskSpace(std::string_view root, std::uint64_t* total, std::uint64_t* free) override {
    return target_.DiskSpace(root, total, free);
  }
  void SetErrorMode(unsigned mode) override { target_.SetErrorMode(mode); }
  LocalTime Now() override { return target_.Now(); }
  Status WindowsDirectory(std::string* path) override { return target_.WindowsDirectory(path); }
  std::string ProgramDirectory() override { return target_.ProgramDirectory(); }
  std::string DataDirectory() override { return target_.DataDirectory(); }
  std::string ShellFolder(std::string_view name) override { return target_.ShellFolder(name); }
  IntlSettings LocaleIntl() override { return target_.LocaleIntl(); }
  int RunEditor(std::string_view file) override { return target_.RunEditor(file); }
  bool OpenUrl(std::string_view url) override { return target_.OpenUrl(url); }
  Status PinTops(const std::vector<std::string>& tops) override { return target_.PinTops(tops); }
  Status CaseTwins(std::string_view path, std::vector<std::string>* names) override {
    return target_.CaseTwins(path, names);
  }
  Status ToWindowsPath(std::string_view typed, std::string* windows) override {
    return target_.ToWindowsPath(typed, windows);
  }
  Status ToHostPath(std::string_view windows, std::string* host) override {
    return target_.ToHostPath(windows, host);
  }

 private:
  Platform& target_;
};

}  // namespace velqo
