#include "cli/cli_run.h"

#include <memory>
#include <string_view>

#include "cli/arguments.h"
#include "cli/copy_watch.h"
#include "cli/printable.h"
#include "cli/progress.h"
#include "cli/terminal_host.h"
#include "common/platform_ops.h"
#include "config/app_state.h"
#include "config/batches.h"
#include "config/startup.h"

namespace velqo::cli {

namespace {

constexpr std::string_view kStoredPathsInvalid =
    "One Or Both Of The Stored Directory Paths Are No Longer Valid. The Invalid Path(s) Have "
    "Been Set To C:\\ And Any AutoStart Operation Aborted.";
constexpr std::string_view kAppTitle = "ProVelqo";

// Converts the two directory arguments; false after printing why not.
bool ConvertPaths(Platform& fs, const CommandLine& line, CliIo& io, std::string* dir1,
                  std::string* dir2) {
  if (line.paths.empty()) return true;
  if (line.paths.size() == 1) {
    io.err << "velqo-cli: give both DIR1 and DIR2, or neither (see --help)\n";
    return false;
  }
  std::string* targets[2] = {dir1, dir2};
  for (int i = 0; i < 2; ++i) {
    std::string why;
    const std::string& typed = line.paths[static_cast<std::size_t>(i)];
    if (!ConvertDirectoryArgument(fs, typed, io.cwd, targets[i], &why)) {
      io.err << "velqo-cli: cannot use Dir " << (i + 1) << " \"" << Printable(typed, false)
             << "\": " << why
             << "; nothing was changed\n";
      return false;
    }
  }
  return true;
}

// The command line with /A, so that the configuration start-up treats this
// as the unattended run it is. Appended, so that /D given earlier still
// shows its debug box and alerts of earlier switches show as they would.
std::vector<std::string> WithAutoStart(const std::vector<std::string>& args) {
  std::vector<std::string> result = args;
  bool has_autostart = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (EqualsIgnoreCase(args[i], "/A")) has_autostart = true;
  }
  if (!has_autostart) result.emplace_back("/A");
  return result;
}

void TurnOffBatchMethod(AppState& s) {
  s.opt.DefaultOptions.UseBatchFile = 0;
  s.opt.SessionOptions.UseBatchFile = 0;
  s.opt.ActiveOptions.UseBatchFile = 0;
}

// What showing the main window does before an autostart: puts the pair to
// update into the Dir 1 and Dir 2 texts, or loads the batch. False when the
// stored paths no longer exist, which aborts the autostart.
bool PrepareRun(AppState& s, TerminalHost& host, const std::string& dir1,
                const std::string& dir2) {
  if (!dir1.empty()) {
    // Directories named on the command line are this run's pair, even when
    // the stored options use the batch method; nothing of it is stored.
    TurnOffBatchMethod(s);
    host.SetDir1Text(dir1);
    host.SetDir2Text(dir2);
    return true;
  }
  if (s.opt.DefaultOptions.UseBatchFile != 0) {
    LoadBatches(s);
    return true;
  }
  bool invalid = false;
  if (!DirectoryExists(s.fs, s.Path1.view())) {
    s.Path1.AssignCut("c:\\");
    invalid = true;
  }
  if (!DirectoryExists(s.fs, s.Path2.view())) {
    s.Path2.AssignCut("c:\\");
    invalid = true;
  }
  if (invalid) {
    s.sw.AutoStart = 0;
    host.MessageBox(kStoredPathsInvalid, kAppTitle, Icon::kNone, Buttons::kOk);
    return false;
  }
  host.SetDir1Text(s.Path1.view());
  if (s.opt.DefaultOptions.UseDir1 == 1) {
    // Dir 1's structure on Dir 2's drive.
    const std::string_view p1 = s.Path1.view();
    std::string edir2(1, s.Path2[0]);
    edir2 += ":\\";
    if (p1.size() > 3) edir2 += p1.substr(3);
    host.SetDir2Text(edir2);
  } else {
    host.SetDir2Text(s.Path2.view());
  }
  return true;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, const PlatformConfig& config, CliIo& io) {
  const CommandLine line = ParseCommandLine(args);
  if (line.help) {
    io.out << UsageText() << std::flush;
    return kExitDone;
  }
  if (line.version) {
    io.out << kProductTitle << '\n' << std::flush;
    return kExitDone;
  }
  for (const std::string& arg : line.ignored) {
    io.err << "velqo-cli: ignoring argument \"" << Printable(arg, false) << "\"\n";
  }

  std::unique_ptr<Platform> posix = NewPosixPlatform(config);
  std::string dir1;
  std::string dir2;
  if (!ConvertPaths(*posix, line, io, &dir1, &dir2)) return kExitNoStart;

  ProgressDisplay progress(io.err, io.progress, io.width);
  CopyWatch fs(*posix, progress);
  TerminalHost host(io.in, io.out, {io.echo_answers, &progress, &io.err, io.interrupts});
  if (progress.enabled()) {
    fs.SetCopyProgress([&progress](std::uint64_t done, std::uint64_t total) {
      progress.OnCopyProgress(done, total);
    });
  }
  AppState s(fs, host);
  if (!StartConfiguration(s, WithAutoStart(args))) return kExitNoStart;

  // Boxes and answers of the start-up (a missing INI key, the
  // international settings) do not decide how the run went.
  const int errors_before = host.reported_errors();
  const int stops_before = host.stopping_answers();
  if (!PrepareRun(s, host, dir1, dir2)) return kExitNoStart;
  const UpdateOutcome outcome = RunUpdate(s);
  progress.Clear();
  fs.SetCopyProgress({});
  RunReport report;
  report.reported_error = host.reported_errors() > errors_before;
  report.stopping_answer = host.stopping_answers() > stops_before;
  return ExitStatusOf(s.flags, outcome, report);
}

}  // namespace velqo::cli
