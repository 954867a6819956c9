#include "config/typed_path.h"

namespace velqo {

std::optional<std::string> TypedPathToWindows(Platform& fs, std::string_view typed) {
  if (typed.empty() || (typed.front() != '/' && typed.front() != '~')) return std::string(typed);
  std::string windows;
  if (!fs.ToWindowsPath(typed, &windows).ok()) return std::nullopt;
  return windows;
}

}  // namespace velqo
