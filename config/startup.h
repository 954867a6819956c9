#pragma once

#include <string>
#include <vector>

#include "config/app_state.h"

namespace velqo {

// Reads the configuration at start: the Windows and program directories,
// the command-line switches (args[0] is the program's path and is tested
// too), the location of the INI file, and the INI load. Returns false, after
// the box "Could Not Find Windows Directory", when there is no Windows
// directory; the program then ends with exit code 1.
bool StartConfiguration(AppState& s, const std::vector<std::string>& args);

}  // namespace velqo
