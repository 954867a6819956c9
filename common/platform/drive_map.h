#pragma once

#include <array>
#include <string>
#include <string_view>

namespace velqo {

// Drive letters and the host directories they stand for. Built in layers,
// each adding or replacing single letters: C: the home directory and Z: the
// whole host file system, then section Drives of WIN.INI, then the
// VELQO_DRIVES environment text.
class DriveMap {
 public:
  // The default layer.
  explicit DriveMap(std::string_view home);

  // Adds or replaces one letter; an empty directory removes the mapping.
  // A directory that is not absolute (after "~" expansion) is ignored.
  void Set(char letter, std::string_view dir);
  // Applies "C=/tmp/t/c;D=/tmp/t/d".
  void ApplyList(std::string_view list);
  // Applies section Drives of an INI text ("D=/mnt/backup" lines).
  void ApplyIniText(std::string_view ini);

  // The host directory of a letter, or nullptr when the letter is unmapped.
  const std::string* HostDir(char letter) const;

  // The Windows form of an absolute, normalised host path: the drive whose
  // directory is the longest prefix, then the rest with "\" separators.
  // False when no drive holds it or a name holds a "\".
  bool ToWindows(std::string_view host, std::string* windows) const;

  // "~" and "~/x" relative to the home directory; other text unchanged.
  std::string ExpandHome(std::string_view text) const;

 private:
  struct Drive {
    std::string dir;       // as configured, normalised
    std::string real_dir;  // the same with links resolved, when it differs
  };
  std::string home_;
  std::array<Drive, 26> drives_;
};

}  // namespace velqo
