#pragma once

#include <string>
#include <string_view>

namespace velqo {

// ASCII-only case folding and comparison, as the program compares names.
char AsciiLower(char c);
char AsciiUpper(char c);
std::string AsciiLowerCopy(std::string_view s);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace velqo
