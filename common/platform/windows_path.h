#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/text/status.h"

namespace velqo {

// The longest Windows path the program's fixed arrays hold.
constexpr std::size_t kMaxWindowsPath = 256;

// A Windows path taken apart: an upper-case drive letter and the names
// below the drive root, with "." and ".." already applied.
struct WindowsPath {
  char drive = 'C';
  std::vector<std::string> parts;

  bool IsRoot() const { return parts.empty(); }
  // "C:\" for a root, else "C:\a\b".
  std::string Format() const;
  // The path of the directory holding the last name (a root's parent is itself).
  WindowsPath Parent() const;
};

// Parses a Windows path. "/" counts as "\", "C:" alone is the root, and a
// path without a drive is taken relative to current (itself a Windows path,
// or empty when there is none). Fails with kTooLong when the result exceeds
// kMaxWindowsPath characters, kInvalidArgument for anything else that is
// not a path (a zero character, a UNC name, no drive).
Status ParseWindowsPath(std::string_view text, std::string_view current, WindowsPath* out);

// Joins a host directory and a name with one "/" between them.
std::string JoinHostPath(std::string_view dir, std::string_view name);
// The directory part of an absolute host path ("/" for "/x").
std::string HostParentPath(std::string_view host);
// Applies ".", ".." and repeated "/" of an absolute host path lexically.
std::string NormalizeHostPath(std::string_view path);

}  // namespace velqo
