#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/platform/platform.h"

namespace velqo {

// The Windows form of a path a user typed: a host path ("/..." or "~...")
// through the drive map, any other text as typed. Nothing when a host path
// cannot be converted (too long, or outside every drive).
std::optional<std::string> TypedPathToWindows(Platform& fs, std::string_view typed);

}  // namespace velqo
