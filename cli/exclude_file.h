#pragma once

#include <string>
#include <string_view>

#include "common/text/path_rules.h"

namespace velqo::cli {

// An exclude file is read whole only up to this size.
constexpr std::size_t kMaxExcludeFileBytes = 1024 * 1024;
constexpr std::size_t kMaxPatternBytes = 4096;

// Adds the patterns of an exclude file's text: one per line, "+ " before
// an include and "- " before an exclude; blank lines and lines starting
// with "#" or ";" are comments; a line may end in CR LF. False with a
// sentence in *why naming the line that cannot be a pattern.
bool ParseExcludeText(std::string_view text, PathRules* rules, std::string* why);

// Reads the exclude file at path (a regular file, followed if it is a
// link, as any file the user names) into *text. False with the reason in
// *why: the system's words, or what makes it unfit.
bool ReadExcludeFile(const std::string& path, std::string* text, std::string* why);

}  // namespace velqo::cli
