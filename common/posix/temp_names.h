#pragma once

#include <sys/stat.h>

#include <string>
#include <string_view>
#include <vector>

namespace velqo {

// Temporary files of the layer carry, after the fixed prefix, the process
// that made them (its id, its start time and the boot it ran in), so that
// a later listing can tell the leftovers of a run that died from the files
// of a run still going (the console and the windowed program may run at
// the same time).

// A name for mkostemp: prefix, owner, then "XXXXXX".
std::string TemporaryNameTemplate();
// A fresh name (not created) with the same owner part.
std::string FreshTemporaryName();

// Whether the temporary file name (lstat st) was left by a process that
// has ended. A name without a readable owner counts as left over only when
// it is older than the boot or a day old.
bool IsLeftoverTemporary(std::string_view name, const struct stat& st);

// Removes, among names (temporary names found in the directory open as
// dir_fd), the files whose owner has ended. Directories and files of live
// runs stay. Returns how many were removed.
int RemoveLeftoverTemporaries(int dir_fd, const std::vector<std::string>& names);

}  // namespace velqo
