#include "actions/update_log.h"

#include <cstdio>

#include "actions/directories.h"
#include "actions/log_format.h"

namespace velqo {

namespace {

constexpr std::string_view kIniSection = "WINVELQO";

std::string FourDigits(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d", value);
  return text;
}

// What reaches the file of one line: the text up to any zero character
// (callers pass zero-terminated texts), cut to the line capacity, with line
// breaks replaced so that a strange file name can never start a line of
// its own and pass for an entry the program wrote.
std::string LogLine(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::string line(text.substr(0, kLogLineCapacity));
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = '?';
  }
  line += "\r\n";
  return line;
}

// The file for a line written at `now`; the date is taken for every line,
// so a run that passes midnight goes on in the next day's file.
std::string LogFileNameAt(const AppState& s, const LocalTime& now) {
  const OptionSet& o = s.opt.ActiveOptions;
  std::string name = o.LogFilePath.str();
  if (name.empty() || name.back() != '\\') name += '\\';
  if (o.AutoGenerateFile != 1) return name + "LOG.TXT";
  IntlSettings digits_only = s.intl;
  digits_only.date_sep.clear();
  return name + OrderedDate(digits_only, FourDigits(now.year), TwoDigits(now.month),
                            TwoDigits(now.day)) +
         ".TXT";
}

std::string HeaderTitle(const IntlSettings& intl, const LocalTime& now) {
  const ClockHour clock = ToClock(intl, now.hour);
  char hour[16];
  std::snprintf(hour, sizeof hour, "%2d", clock.hour);
  std::string line = "************************* ";
  line += OrderedDate(intl, FourDigits(now.year), TwoDigits(now.month), TwoDigits(now.day));
  line += " - - - ";
  line += hour + intl.time_sep + TwoDigits(now.minute) + intl.time_sep + TwoDigits(now.second);
  line += " " + clock.designator + " ***************************";
  return line;
}

std::string HeaderBlock(const AppState& s, const LocalTime& now) {
  const std::string stars(80, '*');
  std::string block = LogLine(HeaderTitle(s.intl, now));
  block += LogLine("Dir 1 = " + s.Path1.str());
  block += LogLine("Dir 2 = " + s.Path2.str());
  block += LogLine(stars);
  block += LogLine(
      "|---FileName---|---Date---|----Time-----|------Size------|-------Action -------|");
  block += LogLine(stars);
  return block;
}

// The INI file is rewritten only when the log moves to another file, not
// once per line.
void RecordLastLogFile(AppState& s, const std::string& file) {
  if (s.places.LastLogFileWritten == file) return;
  if (s.profiles.WriteString(s.places.IniPath, kIniSection, "LastLogFile", file).ok()) {
    s.places.LastLogFileWritten = file;
  }
}

}  // namespace

std::string LogFileName(AppState& s) { return LogFileNameAt(s, s.fs.Now()); }

void WriteLogLine(AppState& s, std::string_view text) {
  const LocalTime now = s.fs.Now();
  const std::string file = LogFileNameAt(s, now);
  // The log variant of EnsureDirectory never writes to the log, so this
  // cannot come back here.
  if (s.log.HeaderPending) {
    EnsureDirectory(s, s.opt.ActiveOptions.LogFilePath.view(), DirPurpose::kLog);
  }
  if (s.log.TruncatePending) {
    if (s.opt.ActiveOptions.AppendToFile == 0) {
      (void)s.fs.WriteFile(file, "", WriteMode::kTruncate);
    }
    s.log.TruncatePending = false;
  }
  // A header that cannot be written is not tried again for every line: the
  // next pair asks for its own.
  if (s.log.HeaderPending) {
    (void)s.fs.WriteFile(file, HeaderBlock(s, now), WriteMode::kAppend);
    s.log.HeaderPending = false;
  }
  // A line that cannot be written is dropped; the run goes on.
  if (s.fs.WriteFile(file, LogLine(text), WriteMode::kAppend).ok()) RecordLastLogFile(s, file);
}

}  // namespace velqo
