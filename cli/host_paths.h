#pragma once

#include <string>
#include <string_view>

#include "common/platform/file_change.h"
#include "common/platform/platform.h"

namespace velqo::cli {

// Paths as the user's system names them. Inside the program every file has
// its Windows path (Z:\home\ann\docs\a.txt); what the console program prints
// shows the host path (/home/ann/docs/a.txt) instead, whichever form was
// typed. A path that cannot be converted (a drive the map lacks) is printed
// as it is.
class HostPaths {
 public:
  explicit HostPaths(Platform& fs) : fs_(fs) {}

  // One path, exactly.
  std::string Path(std::string_view windows) const;
  // A message with paths inside it: each runs from its drive letter to the
  // fixed words that follow a path in the program's messages (" To ",
  // " Does Not Exist", ".  ", ...) or to the end of its line.
  std::string Text(std::string_view text) const;
  // A change with both of its paths converted.
  FileChange Change(const FileChange& change) const;

 private:
  Platform& fs_;
};

// Where a path that starts at from ends in text (see HostPaths::Text).
std::size_t PathEnd(std::string_view text, std::size_t from);

}  // namespace velqo::cli
