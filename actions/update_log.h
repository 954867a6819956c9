#pragma once

#include <string>
#include <string_view>

#include "config/app_state.h"

namespace velqo {

constexpr int kLogLineCapacity = 80;

// Appends one line (cut to 80 characters) to the current log file: picks
// the file (daily or LOG.TXT), ensures the log directory and writes the
// header block when a header is pending, empties the file once per run when
// appending is off, and records the file in LastLogFile. Callers check
// EnableLog first. A log that cannot be written (a refused link, no access,
// a full disk) does not stop or damage the run; it is reported once per run
// (a box, or the unattended notice under JFDI) and sets ErrorLogged.
void WriteLogLine(AppState& s, std::string_view text);

// Fills File1Data (codes 1 and 3) or File2Data (codes 2 and 4) with the
// date, time and size of a file, as the log and the dialogs show them.
void CaptureFileInfo(AppState& s, std::string_view path, int code);

// The same description as a text of its own.
std::string DescribeFile(AppState& s, std::string_view path);

// The full path of today's log file.
std::string LogFileName(AppState& s);

// The name column of an entry: two spaces and the name, padded to 17
// characters, or (long names, not brief) a line of its own.
// Writes the entry's lines through WriteLogLine; info is File1Data,
// File2Data or 39 spaces; phrase may be empty.
void WriteLogEntryLine(AppState& s, std::string_view name, std::string_view info,
                       std::string_view phrase);

}  // namespace velqo
