#include "cli/exclude_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

namespace velqo::cli {

namespace {

std::string LineSentence(std::size_t number, std::string_view what) {
  return "line " + std::to_string(number) + " " + std::string(what);
}

bool IsComment(std::string_view line) {
  return line.empty() || line.front() == '#' || line.front() == ';';
}

// One line that is not a comment: its rule, or why it cannot be one.
bool TakeLine(std::string_view line, std::size_t number, PathRules* rules, std::string* why) {
  if (line.size() > kMaxPatternBytes) {
    *why = LineSentence(number, "is longer than " + std::to_string(kMaxPatternBytes) + " bytes");
    return false;
  }
  if (line.find('\0') != std::string_view::npos) {
    *why = LineSentence(number, "holds a NUL byte, which no name can hold");
    return false;
  }
  if (line == "!") {
    *why = LineSentence(number, "clears the list (\"!\"), which is not supported");
    return false;
  }
  bool include = false;
  if (line.starts_with("+ ") || line.starts_with("- ")) {
    include = line.front() == '+';
    line.remove_prefix(2);
  }
  PathRule rule;
  std::string refused;
  if (!ParsePathRule(line, include, &rule, &refused)) {
    *why = LineSentence(number, "cannot be a pattern: " + refused);
    return false;
  }
  rules->Add(std::move(rule));
  return true;
}

bool ReadAll(int fd, std::string* text, std::string* why) {
  char buffer[65536];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      *why = std::strerror(errno);
      return false;
    }
    if (got == 0) return true;
    text->append(buffer, static_cast<std::size_t>(got));
    if (text->size() > kMaxExcludeFileBytes) {
      *why = "it is larger than 1 MiB";
      return false;
    }
  }
}

// Regular files only: a FIFO or a device would block or never end.
bool IsFitFile(int fd, std::string* why) {
  struct stat st {};
  if (fstat(fd, &st) != 0) {
    *why = std::strerror(errno);
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    *why = "it is a directory";
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    *why = "it is not a regular file";
    return false;
  }
  if (static_cast<std::uint64_t>(st.st_size) > kMaxExcludeFileBytes) {
    *why = "it is larger than 1 MiB";
    return false;
  }
  return true;
}

}  // namespace

bool ParseExcludeText(std::string_view text, PathRules* rules, std::string* why) {
  std::size_t number = 0;
  while (!text.empty()) {
    ++number;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (IsComment(line)) continue;
    if (!TakeLine(line, number, rules, why)) return false;
  }
  return true;
}

bool ReadExcludeFile(const std::string& path, std::string* text, std::string* why) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    *why = std::strerror(errno);
    return false;
  }
  const bool read_whole = IsFitFile(fd, why) && ReadAll(fd, text, why);
  close(fd);
  return read_whole;
}

}  // namespace velqo::cli
