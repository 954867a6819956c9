#pragma once

#include <string>
#include <string_view>

#include "config/app_state.h"

namespace velqo {

// The path of a Dir 1's OPTIONS.UPD.
std::string OptionsUpdPath(std::string_view dir1);

// Settings that travel with a tree may narrow the run the user started,
// never widen it: dir (read from an OPTIONS.UPD) loses whatever would make
// it delete, purge, remove directories or write into Dir 1 where session
// would not, and under JFDI it asks nothing and keeps the log on.
void NarrowToSession(const OptionSet& session, OptionSet* dir);

// Makes ActiveOptions current for a Dir 1: a copy of DirOptions read from its
// OPTIONS.UPD (unless IgnoreOptUpd of ActiveOptions is 1), else of
// SessionOptions; sets OptUpdInUse and rebuilds the tables.
void DeriveActiveOptions(AppState& s, std::string_view dir1);

// The derivation for the pair of a run: the set read from an OPTIONS.UPD is
// then narrowed to the session's (DirOptions keeps what the file says, for
// the options dialog to show and save).
void DeriveRunOptions(AppState& s, std::string_view dir1);

// Writes ActiveOptions into Dir 1's OPTIONS.UPD, then derives again.
void WriteOptionsUpd(AppState& s, std::string_view dir1);

}  // namespace velqo
