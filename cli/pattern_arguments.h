#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/text/path_rules.h"

namespace velqo::cli {

// --exclude, --include and --exclude-from as given, in command-line order:
// the first pattern that matches decides, so a file's lines take the
// place of its option among the others.
struct PatternArgument {
  enum class Kind { kExclude, kInclude, kExcludeFrom };
  Kind kind = Kind::kExclude;
  std::string text;  // the pattern, or the file's name as typed
};

// Checks a pattern of --exclude or --include; a sentence when it cannot be
// one.
std::string CheckPattern(std::string_view pattern);

// The rules of the arguments, each --exclude-from file read as it comes
// (relative names from cwd, "~/" from home). False with a sentence in *why
// naming the file and what is wrong with it; *rules is then incomplete.
bool BuildPathRules(const std::vector<PatternArgument>& arguments, std::string_view cwd,
                    std::string_view home, PathRules* rules, std::string* why);

}  // namespace velqo::cli
