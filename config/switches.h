#pragma once

#include <string>
#include <vector>

#include "config/app_state.h"

namespace velqo {

// Reads the command line into s.sw. Every argument, the program's own path
// (args[0]) included, is compared whole and ignoring case with the nine
// switches; anything else is ignored. Shows the debug boxes of /D, /Q and /A
// and, unless /Q or /A came earlier, the alerts of /O, /B, /G, /J and /E.
void ParseSwitches(AppState& s, const std::vector<std::string>& args);

}  // namespace velqo
