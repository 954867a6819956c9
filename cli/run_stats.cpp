#include "cli/run_stats.h"

#include <cstdio>

#include "common/preview/plan_text.h"

namespace velqo::cli {

void RunStats::Count(const FileChange& change, bool ok) {
  if (!ok) {
    ++failed;
    return;
  }
  switch (change.kind) {
    case FileChange::Kind::kCopy:
      (change.replaces ? updated : copied) += 1;
      (change.replaces ? updated_bytes : copied_bytes) += change.bytes;
      break;
    case FileChange::Kind::kBackup:
      ++backups;
      break;
    case FileChange::Kind::kRename:
      ++renamed;
      break;
    case FileChange::Kind::kDelete:
      ++deleted;
      deleted_bytes += change.bytes;
      break;
    case FileChange::Kind::kCreateDirectory:
      ++dirs_made;
      break;
    case FileChange::Kind::kRemoveDirectory:
      ++dirs_removed;
      break;
    case FileChange::Kind::kMetadata:
      ++metadata_only;
      break;
  }
}

namespace {

std::string FilesLine(const char* what, int files, std::uint64_t bytes) {
  return std::string(what) + std::to_string(files) + " (" + FormatBytes(bytes) + ")\n";
}

std::string Line(const char* what, int n) { return std::string(what) + std::to_string(n) + "\n"; }

}  // namespace

std::string StatsText(const RunStats& s, std::chrono::duration<double> elapsed) {
  std::string text;
  text += FilesLine("Files copied: ", s.copied, s.copied_bytes);
  text += FilesLine("Files updated: ", s.updated, s.updated_bytes);
  text += FilesLine("Files deleted: ", s.deleted, s.deleted_bytes);
  text += Line("Backups kept: ", s.backups);
  if (s.metadata_only > 0) text += Line("Files with changed metadata only: ", s.metadata_only);
  if (s.renamed > 0) text += Line("Files renamed: ", s.renamed);
  text += Line("Directories made: ", s.dirs_made);
  text += Line("Directories removed: ", s.dirs_removed);
  text += Line("Files skipped by an answer: ", s.skipped_by_answer);
  if (s.answered_by_end_of_input > 0) {
    text += Line("Questions answered by end of input: ", s.answered_by_end_of_input);
  }
  text += Line("Changes that failed: ", s.failed);
  text += Line("Errors reported: ", s.errors_reported);
  const double seconds = elapsed.count();
  const std::uint64_t moved = s.copied_bytes + s.updated_bytes;
  char timing[96];
  std::snprintf(timing, sizeof timing, "Elapsed: %.2f s", seconds);
  text += timing;
  if (seconds > 0) {
    text += ", " + FormatBytes(static_cast<std::uint64_t>(static_cast<double>(moved) / seconds)) +
            "/s";
  }
  return text + "\n";
}

}  // namespace velqo::cli
