#include "cli/plan_text.h"

#include "cli/printable.h"
#include "cli/progress.h"

namespace velqo::cli {

namespace {

std::string Count(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "3 copies (4.5 KiB), 2 deletions (1.0 KiB), 1 new directory".
std::string TotalsText(const ChangeTotals& t) {
  std::vector<std::string> parts;
  if (t.copies > 0) {
    parts.push_back(Count(t.copies, "copy", "copies") + " (" + FormatBytes(t.copied_bytes) + ")");
  }
  if (t.renames > 0) parts.push_back(Count(t.renames, "backup", "backups"));
  if (t.deletions > 0) {
    parts.push_back(Count(t.deletions, "deletion", "deletions") + " (" +
                    FormatBytes(t.deleted_bytes) + ")");
  }
  if (t.created_dirs > 0) parts.push_back(Count(t.created_dirs, "new directory", "new directories"));
  if (t.removed_dirs > 0) {
    parts.push_back(Count(t.removed_dirs, "directory removed", "directories removed"));
  }
  std::string text;
  for (std::size_t i = 0; i < parts.size(); ++i) text += (i > 0 ? ", " : "") + parts[i];
  return text;
}

}  // namespace

std::string ChangeLine(const FileChange& change) {
  std::string line = DescribeChange(change, false);
  if (change.kind == FileChange::Kind::kCopy) line += " (" + FormatBytes(change.bytes) + ")";
  return Printable(line, false);
}

std::string PlanText(const std::vector<FileChange>& changes) {
  if (changes.empty()) return "Preview: nothing would change.\n";
  std::string text;
  for (const FileChange& c : changes) {
    std::string line = DescribeChange(c, true);
    if (c.kind == FileChange::Kind::kCopy) line += " (" + FormatBytes(c.bytes) + ")";
    text += Printable(line, false) + "\n";
  }
  const ChangeSummary summary = Summarize(changes);
  text += "Preview: " + TotalsText(summary.all) + ". Nothing has been changed.\n";
  for (const auto& [drive, totals] : summary.drives) {
    text += std::string("  ") + drive + ": " + TotalsText(totals) + "\n";
  }
  return text;
}

std::string AttemptText(const FileChange& c) {
  switch (c.kind) {
    case FileChange::Kind::kCopy:
      return "copy " + c.path + " to " + c.target;
    case FileChange::Kind::kRename:
      return "rename " + c.path + " to " + c.target;
    case FileChange::Kind::kDelete:
      return "delete " + c.path;
    case FileChange::Kind::kCreateDirectory:
      return "create the directory " + c.path;
    case FileChange::Kind::kRemoveDirectory:
      return "remove the directory " + c.path;
  }
  return {};
}

}  // namespace velqo::cli
