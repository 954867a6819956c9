#pragma once

#include <string_view>

#include "cli/progress.h"
#include "common/platform/platform_wrapper.h"

namespace velqo::cli {

// The real platform with the source of every copy noted for the progress
// line, since the copy-progress callback reports bytes only.
class CopyWatch : public PlatformWrapper {
 public:
  CopyWatch(Platform& target, ProgressDisplay& progress)
      : PlatformWrapper(target), progress_(progress) {}

  Status CopyFile(std::string_view from, std::string_view to) override {
    progress_.SetCurrentFile(from);
    return PlatformWrapper::CopyFile(from, to);
  }
  Status CopyFileWithBackup(std::string_view from, std::string_view to, std::string_view backup,
                            bool* backup_failed) override {
    progress_.SetCurrentFile(from);
    return PlatformWrapper::CopyFileWithBackup(from, to, backup, backup_failed);
  }

 private:
  ProgressDisplay& progress_;
};

}  // namespace velqo::cli
