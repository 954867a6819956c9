#include "actions/update_log.h"

#include <cstdio>

#include "actions/directories.h"
#include "actions/log_format.h"
#include "common/platform/platform_ops.h"
#include "config/file_problem.h"

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
  if (!s.log.FixedFile.empty()) return s.log.FixedFile;
  std::string name = o.LogFilePath.str();
  if (name.empty() || name.back() != '\\') name += '\\';
  if (o.AutoGenerateFile != 1) return name + "LOG.TXT";
  if (s.log.IsoDateNames) {
    return name + FourDigits(now.year) + "-" + TwoDigits(now.month) + "-" + TwoDigits(now.day) +
           ".log";
  }
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

// Log files are never written through a link: one planted in the log
// directory (or a LOG.TXT made a link to a system file) is refused.
Status Write(AppState& s, const std::string& file, std::string_view bytes, WriteMode mode) {
  FileAccess access;
  access.follow_link = false;
  return s.fs.WriteFile(file, bytes, mode, access);
}

// A log that cannot be written is said once per run (a box, or under JFDI
// the unattended notice), and every lost line counts as an error of the
// run: an unattended run must not end as a clean update without its log.
void ReportLogFailure(AppState& s, const std::string& file, const Status& why) {
  s.flags.ErrorLogged = 1;
  if (s.log.FailureReported) return;
  s.log.FailureReported = true;
  const std::string text =
      FileProblemMessage("Log File", file, DescribeFileProblem(s.fs, file, why, 0),
                         "This Update Goes On Without A Complete Log.");
  if (s.opt.ActiveOptions.JFDI == 0) {
    s.host.MessageBox(text, "Error", Icon::kWarning, Buttons::kOk);
  } else {
    s.host.UnattendedNotice(text);
  }
}

// Makes sure the log directory exists. When it does not afterwards, the
// question or failure box just shown has told the user why (unless JFDI
// kept it quiet), so the lines lost for it are not reported again.
void EnsureLogDirectoryForRun(AppState& s) {
  const std::string_view dir = s.opt.ActiveOptions.LogFilePath.view();
  // The log variant of EnsureDirectory never writes to the log, so this
  // cannot come back here.
  EnsureDirectory(s, dir, DirPurpose::kLog);
  if (s.opt.ActiveOptions.JFDI == 0 && !DirectoryExists(s.fs, dir)) s.log.FailureReported = true;
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
  // The first line of a run: its failures have not been reported yet.
  if (s.log.TruncatePending) s.log.FailureReported = false;
  if (s.log.HeaderPending) EnsureLogDirectoryForRun(s);
  Status failed;
  const auto note = [&failed](const Status& st) {
    if (!st.ok() && failed.ok()) failed = st;
  };
  if (s.log.TruncatePending) {
    if (s.opt.ActiveOptions.AppendToFile == 0) note(Write(s, file, "", WriteMode::kTruncate));
    s.log.TruncatePending = false;
  }
  // A header that cannot be written is not tried again for every line: the
  // next pair asks for its own.
  if (s.log.HeaderPending) {
    note(Write(s, file, HeaderBlock(s, now), WriteMode::kAppend));
    s.log.HeaderPending = false;
  }
  // A line that cannot be written is lost, and said; the run goes on.
  const Status line = Write(s, file, LogLine(text), WriteMode::kAppend);
  note(line);
  if (line.ok()) RecordLastLogFile(s, file);
  if (!failed.ok()) ReportLogFailure(s, file, failed);
}

}  // namespace velqo
