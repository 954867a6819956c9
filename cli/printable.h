#pragma once

#include <string>
#include <string_view>

namespace velqo::cli {

// A text safe to print on a terminal: file names are arbitrary bytes, and a
// control character in one (an escape sequence) must not reach the terminal
// as a command. Control characters and DEL become "?", as ls shows them;
// line breaks are kept when keep_line_breaks is set, with "\r\n" and a lone
// "\r" both turned into "\n". Other bytes, UTF-8 included, are unchanged.
std::string Printable(std::string_view text, bool keep_line_breaks);

}  // namespace velqo::cli
