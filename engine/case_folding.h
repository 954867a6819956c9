#pragma once

#include <string>
#include <string_view>

#include "config/app_state.h"

namespace velqo {

// Whether a file system (named as the volume query names it) takes names
// that differ only in case for one name: FAT, exFAT, NTFS and SMB shares.
// There two such names cannot both arrive; elsewhere they are two entries.
bool FoldsCaseOf(std::string_view file_system_name);

// Whether the file system holding path folds case. One that cannot be
// asked is taken to fold: refusing twins there loses nothing.
bool FoldsCase(AppState& s, std::string_view path);

// The key two names are matched by: the name itself, or folded to lower
// case where the target folds case.
std::string NameKey(std::string_view name, bool fold_case);

}  // namespace velqo
