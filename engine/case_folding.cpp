#include "engine/case_folding.h"

#include "common/platform/platform_ops.h"

namespace velqo {

namespace {

constexpr std::string_view kFoldingFileSystems[] = {"FAT32", "FAT", "VFAT", "MSDOS", "exFAT", "NTFS",
                                                    "CIFS",  "SMB", "SMB2", "SMB3",  "SMBFS"};

}  // namespace

bool FoldsCaseOf(std::string_view file_system_name) {
  for (const std::string_view name : kFoldingFileSystems) {
    if (EqualsIgnoreCase(name, file_system_name)) return true;
  }
  return false;
}

bool FoldsCase(AppState& s, std::string_view path) {
  std::string name;
  if (!s.fs.VolumeFileSystemName(path, &name).ok()) return true;
  return FoldsCaseOf(name);
}

std::string NameKey(std::string_view name, bool fold_case) {
  return fold_case ? AsciiLowerCopy(name) : std::string(name);
}

}  // namespace velqo
