#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/text/fixed_text.h"
#include "config/app_state.h"

namespace velqo {

// Things the engine cannot work on are reported and skipped, never
// guessed at: a path that would not fit its 32767-character array (cutting it
// would name some other file), and a directory that cannot be read (taking
// it for an empty one would make CleanUp delete its replica).

// Reports that path (longer than 32767 characters) was left alone: a box
// unless JFDI, a failure notice in the log when logging is on.
void ReportPathTooLong(AppState& s, std::string_view path);

// Reports that a directory could not be read, so its pair was not updated.
// reason: the file system's, shown in brackets after the directory.
void ReportUnreadableDirectory(AppState& s, std::string_view dir, std::string_view reason);

// Reports that name, in directory dir, holds the character that stands
// for a backslash in the program's paths, so it cannot be told from a name
// holding one: it was left out.
void ReportUnusableName(AppState& s, std::string_view dir, std::string_view name);

// Reports that the entries names of directory dir differ only in case: one
// cannot stand for the other, so all of them were left out.
void ReportCaseTwins(AppState& s, std::string_view dir, const std::vector<std::string>& names);

// Reports that the files of name in Path1 and Path2 have the same date but
// different sizes, where a two-way update cannot tell which one is the
// newer: neither was copied.
void ReportSameDateConflict(AppState& s, std::string_view name);

// Names, as a warning that fails nothing, a Dir 2 file newer than its Dir 1
// namesake that a one-way run leaves as it is.
void WarnNewerInDir2(AppState& s, std::string_view name);

// Builds dir + (backslash) + name into out; reports and returns false when
// the result does not fit.
[[nodiscard]] bool BuildChildPath(AppState& s, std::string_view dir, std::string_view name,
                                  PathText* out);

}  // namespace velqo
