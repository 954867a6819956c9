#pragma once

#include <string_view>

#include "config/app_state.h"

namespace velqo {

// Deletes one file after clearing its attributes; with_log_entry writes the
// CleanUp deletion entry.
void DeleteOneFile(AppState& s, std::string_view path, bool with_log_entry);
// The same, telling whether the file is gone: false when it could not be
// located or deleted (both already reported to the user).
bool DeleteFileChecked(AppState& s, std::string_view path, bool with_log_entry);

// Deletes both files of a pair, asking Yes/No for each; the Dir 1 side file
// (the source for kinds 0 and 2, the target for 1 and 3) comes first.
void DeletePair(AppState& s, std::string_view source, std::string_view target, int kind);

// Offers to delete a file left out for its age on the purge drive.
void PurgeOldFile(AppState& s, std::string_view directory, std::string_view name);

}  // namespace velqo
