#include "common/preview/plan_text.h"

#include <cstdio>
#include <iterator>

#include "common/text/printable.h"

namespace velqo {

namespace {

std::string Count(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string WithSize(const FileChange& change, bool planned) {
  std::string line = DescribeChange(change, planned);
  if (change.kind == FileChange::Kind::kCopy) line += " (" + FormatBytes(change.bytes) + ")";
  return Printable(line, false);
}

}  // namespace

std::string FormatBytes(std::uint64_t bytes) {
  static const char* const kUnits[] = {"KiB", "MiB", "GiB", "TiB", "PiB"};
  if (bytes < 1024) return std::to_string(bytes) + " B";
  double value = static_cast<double>(bytes) / 1024.0;
  std::size_t unit = 0;
  while (value >= 1024.0 && unit + 1 < std::size(kUnits)) {
    value /= 1024.0;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
  return text;
}

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

std::string PlanLine(const FileChange& change) { return WithSize(change, true); }

std::string ChangeLine(const FileChange& change) { return WithSize(change, false); }

std::vector<std::string> SummaryLines(const std::vector<FileChange>& changes) {
  if (changes.empty()) return {"Preview: nothing would change."};
  const ChangeSummary summary = Summarize(changes);
  std::vector<std::string> lines = {"Preview: " + TotalsText(summary.all) +
                                    ". Nothing has been changed."};
  for (const auto& [drive, totals] : summary.drives) {
    lines.push_back(std::string("  ") + drive + ": " + TotalsText(totals));
  }
  return lines;
}

std::string PlanText(const std::vector<FileChange>& changes) {
  std::string text;
  for (const FileChange& c : changes) text += PlanLine(c) + "\n";
  for (const std::string& line : SummaryLines(changes)) text += line + "\n";
  return text;
}

std::string AttemptText(const FileChange& c) {
  switch (c.kind) {
    case FileChange::Kind::kCopy:
      return "copy " + c.path + " to " + c.target;
    case FileChange::Kind::kRename:
      return "rename " + c.path + " to " + c.target;
    case FileChange::Kind::kBackup:
      return "keep " + c.path + " as the backup " + c.target;
    case FileChange::Kind::kDelete:
      return "delete " + c.path;
    case FileChange::Kind::kCreateDirectory:
      return "create the directory " + c.path;
    case FileChange::Kind::kRemoveDirectory:
      return "remove the directory " + c.path;
    case FileChange::Kind::kMetadata:
      return "give " + c.path + " its source's mode, owner and attributes";
  }
  return {};
}

}  // namespace velqo
