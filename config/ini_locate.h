#pragma once

#include <string>

#include "config/app_state.h"
#include "config/profile_section.h"

namespace velqo {

// Decides, once at start, which WINVELQO.INI the program uses and records it
// in s.places.IniPath: the program directory's for a program in a build tree
// whose directory is writable and has a Windows form (a copy of the Windows
// directory's file is made there when only that one exists), else (an
// installed program, one outside every drive, a read-only directory) the
// Windows directory's. Never the current directory's.
void LocateIniFile(AppState& s);

// The directory holding the located INI file.
std::string IniDirectory(const AppState& s);

// The program section of the located INI file.
inline ProfileSection ProgramSection(AppState& s) {
  return ProfileSection(s.profiles, s.places.IniPath);
}

}  // namespace velqo
