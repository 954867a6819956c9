#pragma once

#include <span>
#include <string>
#include <string_view>

#include "cli/arguments.h"

namespace velqo::cli {

// One GNU-style option of velqo-cli.
struct CliOption {
  std::string_view name;   // the long name, without "--"
  char short_name;         // 0 when there is none
  std::string_view value;  // the value's name in the help text; empty: takes none
  // Records the option in line; a sentence when the value is refused.
  std::string (*take)(CommandLine& line, std::string_view value);
};

std::span<const CliOption> Options();
const CliOption* FindLongOption(std::string_view name);
const CliOption* FindShortOption(char c);

}  // namespace velqo::cli
