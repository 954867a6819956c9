#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/text/status.h"

namespace velqo {

// The longest Windows path a run works with. Far beyond what a kernel takes
// whole (PATH_MAX): the layer reaches every entry through the handles of
// its directories, so a tree of any depth a file system holds is copied.
constexpr std::size_t kMaxWindowsPath = 32767;
// The longest path the settings files store (the INI keys of the paths).
constexpr std::size_t kMaxStoredPath = 256;

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

// A host name may hold "\", which separates the names of a Windows path.
// Inside the program such a name holds this private-use character (U+F05C,
// the one other tools map "\" to) in its place, and each conversion to the
// host turns it back, so the name is copied exactly as its bytes stand. A
// host name holding the character itself would then be read as one with
// "\": the layer leaves it out and says so.
inline constexpr std::string_view kBackslashStandIn = "\xEF\x81\x9C";
// The host spelling of one name of a Windows path, and back.
std::string NameOnHost(std::string_view name);
std::string NameInProgram(std::string_view host_name);
// A host path with each name as NameInProgram gives it.
std::string HostPathInProgram(std::string_view host);

// Joins a host directory and a name with one "/" between them.
std::string JoinHostPath(std::string_view dir, std::string_view name);
// The directory part of an absolute host path ("/" for "/x").
std::string HostParentPath(std::string_view host);
// Applies ".", ".." and repeated "/" of an absolute host path lexically.
std::string NormalizeHostPath(std::string_view path);

}  // namespace velqo
