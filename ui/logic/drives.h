#pragma once

#include <string>
#include <vector>

#include "common/platform/platform.h"

namespace velqo::ui {

// A drive the selectors offer: its letter (lower case, as the trees show
// it) and the host directory it stands for.
struct DriveEntry {
  char letter = 'c';
  std::string host_dir;
};

// The drives of the drive map whose root is a directory now, A to Z. An
// unmapped letter or an unplugged disk is left out.
std::vector<DriveEntry> MappedDrives(Platform& fs);

}  // namespace velqo::ui
