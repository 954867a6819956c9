#include "cli/cli_run.h"

#include <sys/stat.h>

#include <memory>
#include <optional>
#include <sstream>
#include <string_view>

#include "cli/arguments.h"
#include "cli/copy_watch.h"
#include "common/preview/plan_text.h"
#include "common/text/printable.h"
#include "cli/progress.h"
#include "cli/terminal_host.h"
#include "common/host/change_observer.h"
#include "common/platform/platform_ops.h"
#include "common/preview/preview_platform.h"
#include "config/app_state.h"
#include "config/batches.h"
#include "config/option_tables.h"
#include "config/startup.h"

namespace velqo::cli {

namespace {

constexpr std::string_view kStoredPathsInvalid =
    "One Or Both Of The Stored Directory Paths Are No Longer Valid. The Invalid Path(s) Have "
    "Been Set To C:\\ And Any AutoStart Operation Aborted.";
constexpr std::string_view kAppTitle = "ProVelqo";

// What one pass over the trees is for.
enum class Pass {
  kUpdate,          // the real update
  kPreview,         // -n: plan and print, change nothing
  kCountDeletions,  // --max-delete's silent preview before the update
};

struct PassResult {
  int status = kExitDone;
  int deletions = 0;
};

bool IsHostDirectory(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The directories of the command line in Windows form; false after
// printing why one cannot be taken.
struct RunPaths {
  std::string dir1;
  std::string dir2;
  std::string log_dir;
};

bool ConvertOne(Platform& fs, std::string_view typed, std::string_view what, CliIo& io,
                std::string* windows) {
  std::string why;
  if (ConvertDirectoryArgument(fs, typed, io.cwd, windows, &why)) return true;
  io.err << "velqo-cli: cannot use " << what << " \"" << Printable(typed, false) << "\": " << why
         << "; nothing was changed\n";
  return false;
}

bool ConvertPaths(Platform& fs, const CommandLine& line, CliIo& io, RunPaths* paths) {
  if (line.paths.size() == 2 && (!ConvertOne(fs, line.paths[0], "Dir 1", io, &paths->dir1) ||
                                 !ConvertOne(fs, line.paths[1], "Dir 2", io, &paths->dir2))) {
    return false;
  }
  return !line.log_dir || ConvertOne(fs, *line.log_dir, "the log directory", io, &paths->log_dir);
}

// The switches the configuration start-up reads: the slash switches given,
// with /Q first for --no-alerts, and /A, as this is the unattended run it
// is. /A goes last, so that /D given earlier still shows its debug box and
// alerts of earlier switches show as they would.
std::vector<std::string> ConfigArguments(const std::vector<std::string>& args,
                                         const CommandLine& line) {
  std::vector<std::string> result = {args.empty() ? std::string() : args[0]};
  if (line.no_alerts) result.emplace_back("/Q");
  bool autostart = false;
  for (const std::string& sw : line.switches) {
    result.push_back(sw);
    autostart = autostart || EqualsIgnoreCase(sw, "/A");
  }
  if (!autostart) result.emplace_back("/A");
  return result;
}

// The command line's options as the options dialog's "this session only"
// applies its choices: to the active and the session set, never to the
// defaults that the INI file holds.
void ApplyRunOptions(AppState& s, const CommandLine& line, const RunPaths& paths) {
  OptionOverrides overrides = line.overrides;
  overrides.log_directory = paths.log_dir;
  ApplyOverrides(overrides, &s.opt.SessionOptions);
  s.opt.ActiveOptions = s.opt.SessionOptions;
  RebuildTables(s, s.opt.ActiveOptions);
  s.sw.AllowEmptySource = line.allow_empty_source ? 1 : 0;
}

void TurnOffBatchMethod(AppState& s) {
  s.opt.DefaultOptions.UseBatchFile = 0;
  s.opt.SessionOptions.UseBatchFile = 0;
  s.opt.ActiveOptions.UseBatchFile = 0;
}

// Dir 1's structure on Dir 2's drive: C:\work with D:\ gives D:\work.
std::string OnDriveOf(std::string_view dir1, std::string_view dir2) {
  std::string result(1, dir2.empty() ? 'c' : dir2[0]);
  result += ":\\";
  if (dir1.size() > 3) result += dir1.substr(3);
  return result;
}

// What showing the main window does before an autostart: puts the pair to
// update into the Dir 1 and Dir 2 texts, or loads the batch. False when the
// stored paths no longer exist, which aborts the autostart.
bool PrepareRun(AppState& s, TerminalHost& host, const RunPaths& paths) {
  const bool structure = s.opt.ActiveOptions.UseDir1 == 1;
  if (!paths.dir1.empty()) {
    // Directories named on the command line are this run's pair, even when
    // the stored options use the batch method; nothing of it is stored.
    TurnOffBatchMethod(s);
    host.SetDir1Text(paths.dir1);
    host.SetDir2Text(structure ? OnDriveOf(paths.dir1, paths.dir2) : paths.dir2);
    return true;
  }
  if (s.opt.ActiveOptions.UseBatchFile != 0) {
    LoadBatches(s);
    return true;
  }
  bool invalid = false;
  for (PathText* path : {&s.Path1, &s.Path2}) {
    if (DirectoryExists(s.fs, path->view())) continue;
    path->AssignCut("c:\\");
    invalid = true;
  }
  if (invalid) {
    s.sw.AutoStart = 0;
    // The run cannot start: a warning, so that a cron mail carries it.
    host.MessageBox(kStoredPathsInvalid, kAppTitle, Icon::kWarning, Buttons::kOk);
    return false;
  }
  host.SetDir1Text(s.Path1.view());
  host.SetDir2Text(structure ? OnDriveOf(s.Path1.view(), s.Path2.view()) : s.Path2.str());
  return true;
}

class PassRunner {
 public:
  PassRunner(const std::vector<std::string>& args, const CommandLine& line,
             const PlatformConfig& config, CliIo& io, Pass pass)
      : args_(args), line_(line), config_(config), io_(io), pass_(pass) {}

  PassResult Run() {
    std::unique_ptr<Platform> posix = NewPosixPlatform(config_);
    posix->SetCopyFidelity(line_.fidelity);
    RunPaths paths;
    if (!ConvertPaths(*posix, line_, io_, &paths)) return {kExitNoStart, 0};
    std::optional<PreviewPlatform> preview;
    Platform* base = posix.get();
    if (pass_ != Pass::kUpdate) base = &preview.emplace(*posix);

    const bool verbose = line_.verbosity == Verbosity::kVerbose && pass_ == Pass::kUpdate;
    ProgressDisplay progress(io_.err, io_.progress && pass_ == Pass::kUpdate, io_.width);
    TerminalHost host(io_.in, io_.out, HostOptions(&progress));
    ChangeObserver observer(
        *base, [&](const FileChange& c, const Status& st) { Observe(host, c, st, verbose); },
        verbose);
    CopyWatch fs(observer, progress);
    if (progress.enabled()) {
      fs.SetCopyProgress([&progress](std::uint64_t done, std::uint64_t total) {
        progress.OnCopyProgress(done, total);
      });
    }
    AppState s(fs, host);
    const PassResult result = Update(s, host, paths, preview ? &*preview : nullptr);
    progress.Clear();
    fs.SetCopyProgress({});
    return result;
  }

 private:
  TerminalHostOptions HostOptions(ProgressDisplay* progress) const {
    TerminalHostOptions options;
    options.echo_answers = io_.echo_answers;
    options.progress = progress;
    options.errors = &io_.err;
    options.interrupts = io_.interrupts;
    options.verbosity = line_.verbosity;
    options.preview = pass_ != Pass::kUpdate;
    options.allow_empty_source = line_.allow_empty_source;
    return options;
  }

  // The start-up, the command line's options, the pair and the update;
  // a preview's plan printed at the end.
  PassResult Update(AppState& s, TerminalHost& host, const RunPaths& paths,
                    PreviewPlatform* preview) {
    if (!StartConfiguration(s, ConfigArguments(args_, line_))) return {kExitNoStart, 0};
    ApplyRunOptions(s, line_, paths);
    // Boxes and answers of the start-up (a missing INI key, the
    // international settings) do not decide how the run went.
    const int errors_before = host.reported_errors();
    const int unanswered_before = host.unanswered();
    if (!PrepareRun(s, host, paths)) return {kExitNoStart, 0};
    if (preview != nullptr) preview->ForgetChanges();
    watching_ = true;
    const UpdateOutcome outcome = RunUpdate(s);
    watching_ = false;
    // Once per run, not once per file: what the targets could not keep.
    for (const std::string& note : s.fs.TakeNotKept()) host.Note("velqo-cli: " + note);

    RunReport report;
    report.reported_error = host.reported_errors() > errors_before;
    report.unanswered = host.unanswered() > unanswered_before;
    report.failed_change = failed_changes_ > 0;
    PassResult result{ExitStatusOf(s.flags, outcome, report), 0};
    if (preview != nullptr) {
      result.deletions = Summarize(preview->changes()).all.deletions;
      if (pass_ == Pass::kPreview && line_.verbosity != Verbosity::kQuiet) {
        io_.out << PlanText(preview->changes()) << std::flush;
      }
    }
    return result;
  }

  // A failed change is printed with the file system's reason, beside the
  // box that reports it (the log keeps its own words); -v prints each
  // change made. Only the update's own changes count: the start-up's
  // probe of the program directory may fail by design.
  void Observe(TerminalHost& host, const FileChange& c, const Status& st, bool verbose) {
    if (!watching_) return;
    if (!st.ok()) {
      ++failed_changes_;
      host.Note("velqo-cli: cannot " + AttemptText(c) + ": " + st.ToString());
    } else if (verbose) {
      io_.out << ChangeLine(c) << '\n' << std::flush;
    }
  }

  const std::vector<std::string>& args_;
  const CommandLine& line_;
  const PlatformConfig& config_;
  CliIo& io_;
  Pass pass_;
  bool watching_ = false;
  int failed_changes_ = 0;
};

// --max-delete: a silent preview first. The exit status when the update
// must not run (it would delete more files than allowed, or Ctrl-C came
// meanwhile), else nothing.
std::optional<int> CheckDeleteLimit(const std::vector<std::string>& args,
                                    const CommandLine& line, const PlatformConfig& config,
                                    CliIo& io) {
  std::istringstream no_answers;
  std::ostream nowhere(nullptr);
  CliIo silent(no_answers, nowhere, nowhere);
  silent.cwd = io.cwd;
  silent.interrupts = io.interrupts;
  const PassResult counted = PassRunner(args, line, config, silent, Pass::kCountDeletions).Run();
  if (io.interrupts && io.interrupts() > 0) return kExitCancelled;
  if (counted.deletions <= *line.max_delete) return std::nullopt;
  io.err << "velqo-cli: the update would delete " << counted.deletions << " files, more than "
         << "--max-delete=" << *line.max_delete << " allows; nothing was changed (-n lists them)\n";
  return kExitError;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, const PlatformConfig& config, CliIo& io) {
  const CommandLine line = ParseCommandLine(args, IsHostDirectory);
  if (!line.error.empty()) {
    io.err << "velqo-cli: " << Printable(line.error, false) << "\n"
           << "Try \"velqo-cli --help\" for more information.\n";
    return kExitNoStart;
  }
  if (line.help) {
    io.out << UsageText() << std::flush;
    return kExitDone;
  }
  if (line.version) {
    io.out << kProductTitle << '\n' << std::flush;
    return kExitDone;
  }
  for (const std::string& note : line.notes) io.err << "velqo-cli: " << Printable(note, false) << '\n';

  if (line.preview) {
    const PassResult planned = PassRunner(args, line, config, io, Pass::kPreview).Run();
    if (planned.status == kExitDone && line.max_delete && planned.deletions > *line.max_delete) {
      io.err << "velqo-cli: the update would delete " << planned.deletions
             << " files, more than --max-delete=" << *line.max_delete << " allows\n";
      return kExitError;
    }
    return planned.status;
  }
  if (line.max_delete) {
    if (const std::optional<int> stop = CheckDeleteLimit(args, line, config, io)) return *stop;
  }
  return PassRunner(args, line, config, io, Pass::kUpdate).Run().status;
}

}  // namespace velqo::cli
