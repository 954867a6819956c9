#pragma once

#include <string>
#include <string_view>

#include "config/app_state.h"

namespace velqo {

// Where logs go when nothing says otherwise: "LOG" beside the INI file, so a
// program whose own directory is read-only never asks for a directory there.
std::string FirstRunLogDirectory(const AppState& s);

// Makes sure the LogFilePath of DefaultOptions exists, creating missing
// parents. When it cannot (or the path is empty), says so, naming shown, and
// switches logging off for this session; nothing is written to the file.
void EnsureLogDirectory(AppState& s, std::string_view shown);

}  // namespace velqo
