#pragma once

#include <string>
#include <vector>

#include "common/file_change.h"

namespace velqo::cli {

// A preview's plan: one line per change in the log's words ("... will be
// copied to ..."), then the totals overall and per drive. Printable: the
// control characters of names are shown as "?".
std::string PlanText(const std::vector<FileChange>& changes);

// One change as it happens, for -v ("... was copied to ...").
std::string ChangeLine(const FileChange& change);

// What a failed change tried, for the message with the file system's
// reason: "copy C:\a to D:\b".
std::string AttemptText(const FileChange& change);

}  // namespace velqo::cli
