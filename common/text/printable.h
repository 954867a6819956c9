#pragma once

#include <string>
#include <string_view>

namespace velqo {

// A text safe to print on a terminal: file names are arbitrary bytes, and a
// control character in one (an escape sequence, a line break that would
// fake a line of its own) must not reach the terminal. Control characters,
// tabs and DEL become "?", as ls shows them. With keep_line_breaks the
// "\r\n" pairs the program's messages use between their lines become "\n";
// a lone "\r" or "\n" is still a "?". Other bytes, UTF-8 included, are
// unchanged.
std::string Printable(std::string_view text, bool keep_line_breaks);

}  // namespace velqo
