#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/platform/file_change.h"

namespace velqo {

// How a preview's plan reads, the same in the console and the windowed
// program. Every line is printable: the control characters of names are
// shown as "?", so a name cannot fake a line of its own.

// "1.5 KiB", "12.0 MiB": one decimal from KiB on.
std::string FormatBytes(std::uint64_t bytes);

// One planned change in the log's words ("... will be copied to ... (4 B)").
std::string PlanLine(const FileChange& change);

// "3 copies (4.5 KiB), 2 deletions (1.0 KiB), 1 new directory".
std::string TotalsText(const ChangeTotals& totals);

// The summary under the plan: the totals overall, then a line per drive
// ("  D: 2 copies (13 B)"). A plan without changes says so.
std::vector<std::string> SummaryLines(const std::vector<FileChange>& changes);

// A preview's plan: one line per change, then the summary.
std::string PlanText(const std::vector<FileChange>& changes);

// One change as it happens, for -v ("... was copied to ...").
std::string ChangeLine(const FileChange& change);

// What a failed change tried, for the message with the file system's
// reason: "copy C:\a to D:\b".
std::string AttemptText(const FileChange& change);

}  // namespace velqo
