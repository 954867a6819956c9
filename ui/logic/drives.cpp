#include "ui/logic/drives.h"

#include "common/platform/platform_ops.h"

namespace velqo::ui {

std::vector<DriveEntry> MappedDrives(Platform& fs) {
  std::vector<DriveEntry> drives;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const std::string root = std::string(1, letter) + ":\\";
    if (!DirectoryExists(fs, root)) continue;
    DriveEntry entry;
    entry.letter = AsciiLower(letter);
    if (!fs.ToHostPath(root, &entry.host_dir).ok()) entry.host_dir.clear();
    drives.push_back(std::move(entry));
  }
  return drives;
}

}  // namespace velqo::ui
