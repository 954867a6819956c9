#pragma once

#include <string>
#include <string_view>

#include "config/app_state.h"

namespace velqo {

// The path of a Dir 1's OPTIONS.UPD.
std::string OptionsUpdPath(std::string_view dir1);

// Makes ActiveOptions current for a Dir 1: a copy of DirOptions read from its
// OPTIONS.UPD (unless IgnoreOptUpd of ActiveOptions is 1), else of
// SessionOptions; sets OptUpdInUse and rebuilds the tables.
void DeriveActiveOptions(AppState& s, std::string_view dir1);

// Writes ActiveOptions into Dir 1's OPTIONS.UPD, then derives again.
void WriteOptionsUpd(AppState& s, std::string_view dir1);

}  // namespace velqo
