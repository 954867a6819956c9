#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/platform/platform.h"
#include "config/app_state.h"

namespace velqo {

// The folder name of a run's versions: "YYYY-MM-DD_HHMMSS" of its start.
std::string VersionStamp(const LocalTime& t);
// Reads a folder name made by VersionStamp (a suffix after it is allowed);
// false for any other name.
bool ParseVersionStamp(std::string_view name, LocalTime* t);

// Where path lies below the top whose old files v keeps ("/"-joined);
// false when versions are off or path is not below that top.
bool RelativeToVersionTop(const VersionState& v, std::string_view path, std::string* relative);

// The Windows path of a "/"-joined path relative to top.
std::string BelowTop(std::string_view top, std::string_view relative);

// Keeps the file at path (below v.top, at relative) in this run's versions
// folder, choosing that folder at the first call; *version gets the
// version's path relative to the top.
Status KeepOldVersion(Platform& fs, VersionState& v, std::string_view path, std::string_view relative,
                      VersionKeep how, std::string* version);

// Hands a change to v.record, with the size and time of the file now at
// path (none for a deletion).
void RecordVersionChange(Platform& fs, VersionState& v, VersionChange::Kind kind, std::string_view path,
                         std::string relative, std::string version);

// The size and exact time of the entry at path; false when there is none.
bool StatEntry(Platform& fs, std::string_view path, FindData* entry);

// Removes the folders of runs older than keep_days from the versions
// folder of top; nothing outside it is touched and no link is followed
// (links inside are removed as links). Returns how many folders went;
// *failed names the first that could not be removed completely.
int PruneVersions(Platform& fs, std::string_view top, int keep_days, const LocalTime& now, std::string* failed);

// The versions of the file at relative (below top): their folder names,
// oldest first.
std::vector<std::string> VersionsOf(Platform& fs, std::string_view top, std::string_view relative);

// The directories from path up to (not including) the top of the versioned
// tree that do not exist yet, the highest first; empty outside that tree.
std::vector<std::string> MissingDirectories(Platform& fs, const VersionState& v, std::string_view path);
// Records those of dirs that exist now as made by the run.
void RecordMadeDirectories(Platform& fs, VersionState& v, const std::vector<std::string>& dirs);

// Deletes the file at path after keeping it as a version when it lies in
// the versioned tree, and records the deletion. attributes are the file's
// own from before the deletion cleared them: the version keeps them.
Status DeleteKeepingVersion(AppState& s, std::string_view path, bool restore_attributes,
                            std::uint32_t attributes);

}  // namespace velqo
