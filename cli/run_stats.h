#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "common/platform/file_change.h"

namespace velqo::cli {

// What --stats sums up at the end of a run.
struct RunStats {
  int copied = 0;  // new files
  std::uint64_t copied_bytes = 0;
  int updated = 0;  // files replaced
  std::uint64_t updated_bytes = 0;
  int deleted = 0;
  std::uint64_t deleted_bytes = 0;
  int backups = 0;
  int metadata_only = 0;  // mode, owner or attributes carried, data unchanged
  int renamed = 0;
  int dirs_made = 0;
  int dirs_removed = 0;
  int failed = 0;             // changes the file system refused
  int errors_reported = 0;    // messages that reported a failure
  int skipped_by_answer = 0;  // Next File, Next Directory, a bypassed pair
  int answered_by_end_of_input = 0;

  // Counts a change that was made, or one that failed.
  void Count(const FileChange& change, bool ok);
};

// The summary lines, each ending in a newline; elapsed is the run's time.
std::string StatsText(const RunStats& stats, std::chrono::duration<double> elapsed);

}  // namespace velqo::cli
