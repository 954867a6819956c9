#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "config/app_state.h"

namespace velqo {

enum class DirPurpose { kPair, kLog };

// Makes sure a directory exists, asking to create it unless CreateNewDir is
// 1; clears PairDirsReady when it is not available (and may set
// EndRunRequested). spelled, when given, gives path as the directories it
// creates are to be spelled on disk (equal to path ignoring case): a
// replica gets the spelling of its source, while messages show path.
// model, when given, is the directory path is made as a copy of: path
// gets its mode, owner, attributes and time by the end of the run.
void EnsureDirectory(AppState& s, std::string_view path, DirPurpose purpose,
                     const std::function<std::string()>& spelled = {}, std::string_view model = {});

// Creates a directory with its missing ancestors, the last one as a copy of
// model when one is given; true when it exists afterwards.
bool MakeDirectory(AppState& s, std::string_view path, std::string_view model = {});

// Removes a directory with everything below it, never following a symbolic
// link out of the tree. Reports a failure inside it (and stops that
// removal) without ending the run; returns false then.
bool RemoveDirTree(AppState& s, std::string_view path);

}  // namespace velqo
