#include "cli/host_paths.h"

#include <algorithm>

namespace velqo::cli {

namespace {

// The pieces that follow a path in the program's messages.
constexpr std::string_view kAfterPath[] = {
    ".  ",        ". ",          " To ",       " Is ",        " Does ",    " Directory",
    " Differ ",   " Contains ",  " Cannot ",   " Because ",   " And All ", " Already ",
    " ?",         " - ",         " Has ",      " Will ",      " Was ",     " Could ",
    " Into ",     "\r",          "\n",         "\"",          ")",
};

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A drive path begins here: a letter, ":\", at the start of the text or
// after a blank, a quote or a bracket.
bool StartsPath(std::string_view text, std::size_t i) {
  if (i + 2 >= text.size() || !IsLetter(text[i]) || text[i + 1] != ':' || text[i + 2] != '\\') {
    return false;
  }
  if (i == 0) return true;
  const char before = text[i - 1];
  return before == ' ' || before == '"' || before == '(' || before == '\n' || before == '\t';
}

}  // namespace

std::size_t PathEnd(std::string_view text, std::size_t from) {
  // A drive root followed by a blank is the root alone.
  if (from < text.size() && text[from] == ' ' && from >= 1 && text[from - 1] == '\\') return from;
  std::size_t end = text.size();
  for (std::string_view piece : kAfterPath) {
    const std::size_t at = text.find(piece, from);
    if (at != std::string_view::npos) end = std::min(end, at);
  }
  // Another path before that end: the word joining the two ("X And Y") is
  // no part of the first.
  for (std::size_t k = from; k < end; ++k) {
    if (!StartsPath(text, k) || k < 2) continue;
    const std::size_t word = text.rfind(' ', k - 2);
    if (word != std::string_view::npos && word >= from) end = word;
    break;
  }
  // A sentence that ends with the path keeps its full stop.
  if (end == text.size() && end > from && text[end - 1] == '.') --end;
  return end;
}

std::string HostPaths::Path(std::string_view windows) const {
  std::string host;
  if (windows.empty() || !fs_.ToHostPath(windows, &host).ok() || host.empty()) {
    return std::string(windows);
  }
  while (host.size() > 1 && host.back() == '/') host.pop_back();
  return host;
}

std::string HostPaths::Text(std::string_view text) const {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    if (!StartsPath(text, i)) {
      out += text[i++];
      continue;
    }
    const std::size_t end = PathEnd(text, i + 3);
    out += Path(text.substr(i, end - i));
    i = end;
  }
  return out;
}

FileChange HostPaths::Change(const FileChange& change) const {
  FileChange host = change;
  host.path = Path(change.path);
  if (!change.target.empty()) host.target = Path(change.target);
  return host;
}

}  // namespace velqo::cli
