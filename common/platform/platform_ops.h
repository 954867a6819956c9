#pragma once

#include <string>
#include <string_view>

#include "common/text/fixed_text.h"
#include "common/platform/platform.h"
#include "common/text/ascii_case.h"

namespace velqo {

// Composite operations written once on top of the platform primitives.

// True when path names an existing directory.
bool DirectoryExists(Platform& fs, std::string_view path);
// True when path names an existing entry of any kind.
bool EntryExists(Platform& fs, std::string_view path);

// The path of an entry in a directory: dir, a backslash when dir is longer
// than 3 characters (a drive root such as C:\ has its own), and name.
std::string ChildPath(std::string_view dir, std::string_view name);
// The same into a fixed path array; false (out unchanged) when it does not fit.
[[nodiscard]] bool ChildPath(std::string_view dir, std::string_view name, PathText* out);

// The search pattern of a directory: ChildPath(dir, "*.*").
std::string SearchPattern(std::string_view dir);

// Creates a directory and its missing ancestors. Returns the path of the
// directory that could not be created, or an empty text on success. Stops
// at the root: a missing root is reported as the directory that failed.
std::string MakeDirPath(Platform& fs, std::string_view path);

}  // namespace velqo
