#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/platform.h"

namespace velqo::cli {

// The command line sorted into what the console program itself looks at.
// The switches are left where they are: the configuration start-up reads
// them from the whole argument list, as the windowed program does.
struct CommandLine {
  bool help = false;
  bool version = false;
  std::vector<std::string> paths;    // the directory arguments, as typed (at most two)
  std::vector<std::string> ignored;  // neither switch nor path, or a third path
};

// args[0] is the program's own path and is never a directory argument.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// "/" and one of the program's nine switch letters, in either case.
bool IsSwitch(std::string_view arg);
// "/" and one letter: reserved for switches, so never a directory.
bool IsSwitchShaped(std::string_view arg);
// A host path ("/...", "~..."), a Windows path ("X:...") or a relative path
// that says so ("." , "..", "./...", "../...").
bool LooksLikePath(std::string_view arg);

// "." and ".." forms made absolute against cwd (lexically, no links
// followed); every other text is returned as it is.
std::string AbsoluteIfRelative(std::string_view arg, std::string_view cwd);

// Converts a typed directory to the Windows form the program works with.
// False with a sentence in *why (starting in lower case) when the text
// cannot be taken: too long, or not reachable through the drive map.
bool ConvertDirectoryArgument(Platform& fs, std::string_view typed, std::string_view cwd,
                              std::string* windows, std::string* why);

// The text printed by --help.
std::string UsageText();

}  // namespace velqo::cli
