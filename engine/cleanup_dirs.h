#pragma once

#include <string_view>

#include "config/app_state.h"
#include "engine/dir_acquisition.h"

namespace velqo {

// The same-structure test of a walk from the main window: the two top
// directories are equal in every character but the first (the drive).
bool SameStructure(std::string_view top1, std::string_view top2);

// In CleanUp with DIRDEL: removes the Dir 2 directories below top2 that
// have no counterpart in the (complete) Dir 1 listing dir1, asking for each
// unless JFDI, and logs each removal. With same_structure false only the
// alert is shown.
void RemoveSurplusDirectories(AppState& s, DirWalk& dir1, std::string_view top1,
                              std::string_view top2, bool same_structure);

}  // namespace velqo
