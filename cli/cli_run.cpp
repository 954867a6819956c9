#include "cli/cli_run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <chrono>
#include <memory>
#include <optional>
#include <sstream>
#include <string_view>

#include "cli/arguments.h"
#include "cli/copy_watch.h"
#include "cli/host_paths.h"
#include "cli/itemize.h"
#include "cli/run_stats.h"
#include "cli/sync_cli.h"
#include "common/preview/plan_text.h"
#include "common/text/printable.h"
#include "cli/progress.h"
#include "cli/terminal_host.h"
#include "cli/journal_session.h"
#include "cli/version_commands.h"
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
  int copies = 0;
  std::uint64_t copied_bytes = 0;
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
  std::string log_file;
};

bool ConvertOne(Platform& fs, std::string_view typed, std::string_view what, CliIo& io,
                std::string* windows) {
  std::string why;
  if (ConvertDirectoryArgument(fs, typed, io.cwd, windows, &why)) return true;
  io.err << "velqo-cli: cannot use " << what << " \"" << Printable(typed, false) << "\": " << why
         << "; nothing was changed\n";
  return false;
}

// Why a directory of the command line cannot be worked on, or nothing.
// Dir 2 may be missing (the run offers to create it); Dir 1 may not.
std::string Unusable(Platform& fs, const std::string& windows, bool must_exist) {
  std::string host;
  if (!fs.ToHostPath(windows, &host).ok()) return {};  // the run reports it
  struct stat st {};
  if (stat(host.c_str(), &st) != 0) {
    return errno == ENOENT && !must_exist ? std::string() : std::strerror(errno);
  }
  if (!S_ISDIR(st.st_mode)) return "it is not a directory";
  if (must_exist && access(host.c_str(), R_OK | X_OK) != 0) return std::strerror(errno);
  return {};
}

bool CheckOne(Platform& fs, std::string_view typed, std::string_view what, const std::string& windows,
              bool must_exist, CliIo& io) {
  const std::string why = Unusable(fs, windows, must_exist);
  if (why.empty()) return true;
  io.err << "velqo-cli: cannot use " << what << " \"" << Printable(typed, false) << "\": " << why
         << "; nothing was changed\n";
  return false;
}

bool ConvertPaths(Platform& fs, const CommandLine& line, CliIo& io, RunPaths* paths) {
  if (line.paths.size() == 2 && (!ConvertOne(fs, line.paths[0], "Dir 1", io, &paths->dir1) ||
                                 !ConvertOne(fs, line.paths[1], "Dir 2", io, &paths->dir2))) {
    return false;
  }
  if (line.paths.size() == 2 &&
      (!CheckOne(fs, line.paths[0], "Dir 1", paths->dir1, true, io) ||
       !CheckOne(fs, line.paths[1], "Dir 2", paths->dir2, false, io))) {
    return false;
  }
  if (line.log_file &&
      !ConvertOne(fs, *line.log_file, "the log file", io, &paths->log_file)) {
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
// The console program keeps its logs where Linux keeps state
// ($XDG_STATE_HOME/velqo), by ISO date, unless told otherwise; the windowed
// program keeps its own place. The directory is made (mode 0700) only by
// an update that will write the log.
void PlaceLog(AppState& s, const RunPaths& paths, bool may_create) {
  s.log.IsoDateNames = true;
  if (!paths.log_file.empty()) {
    s.log.FixedFile = paths.log_file;
    return;
  }
  if (!paths.log_dir.empty()) return;
  const std::string state = s.fs.ShellFolder("State");
  std::string host;
  if (state.empty() || !s.fs.ToHostPath(ChildPath(state, "velqo"), &host).ok()) return;
  OptionSet& o = s.opt.SessionOptions;
  if (may_create && (o.EnableLog == 1 || o.JFDI == 1)) (void)MakePrivateDirectories(host);
  // A preview makes nothing: without the directory its plan would list
  // making it, which no update shows, so it keeps the stored place.
  if (!may_create && !DirectoryExists(s.fs, ChildPath(state, "velqo"))) return;
  (void)o.LogFilePath.Assign(ChildPath(state, "velqo"));
}

std::string ParentOf(const std::string& windows) {
  const std::size_t cut = windows.rfind('\\');
  return cut == std::string::npos ? windows : windows.substr(0, cut < 3 ? 3 : cut);
}

void ApplyRunOptions(AppState& s, const CommandLine& line, const RunPaths& paths, bool may_create) {
  OptionOverrides overrides = line.overrides;
  overrides.log_directory = paths.log_file.empty() ? paths.log_dir : ParentOf(paths.log_file);
  ApplyOverrides(overrides, &s.opt.SessionOptions);
  PlaceLog(s, paths, may_create);
  s.opt.ActiveOptions = s.opt.SessionOptions;
  RebuildTables(s, s.opt.ActiveOptions);
  s.sw.AllowEmptySource = line.allow_empty_source ? 1 : 0;
  s.PathPatterns = line.path_rules;
  // -b asked for in so many words: a mirror keeps backups too.
  s.sw.MirrorBackups = line.overrides.backup.value_or(false) ? 1 : 0;
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
    const HostPaths paths_out(*posix);
    paths_ = &paths_out;
    ProgressDisplay progress(io_.err, io_.progress && pass_ == Pass::kUpdate, io_.width);
    progress.SetPathForm([&paths_out](std::string_view p) { return paths_out.Path(p); });
    if (totals_ && progress.enabled()) progress.SetTotals(totals_->first, totals_->second);
    progress_ = &progress;
    TerminalHost host(io_.in, io_.out, HostOptions(&progress));
    // Sizes and replacements are looked up (a query per change) only where
    // something shows them: -v, --stats, the progress line's bytes.
    const bool details = verbose || line_.stats || (totals_ && progress.enabled());
    ChangeObserver observer(
        *base, [&](const FileChange& c, const Status& st) { Observe(host, c, st, verbose); },
        details);
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
    options.paths = paths_;
    return options;
  }

  // The start-up, the command line's options, the pair and the update;
  // a preview's plan printed at the end.
  PassResult Update(AppState& s, TerminalHost& host, const RunPaths& paths,
                    PreviewPlatform* preview) {
    if (!StartConfiguration(s, ConfigArguments(args_, line_))) return {kExitNoStart, 0};
    ApplyRunOptions(s, line_, paths, pass_ == Pass::kUpdate);
    // Answers of the start-up (the international settings) do not decide
    // how the run went; its failures (a settings file refused or not
    // written) do, since the run then worked on settings nobody chose.
    const int unanswered_before = host.unanswered();
    if (!PrepareRun(s, host, paths)) return {kExitNoStart, 0};
    if (preview != nullptr) preview->ForgetChanges();
    tops_ = RunTops{host.Dir1Text(), host.Dir2Text()};
    JournalSession session;
    std::int64_t journal_run = 0;
    if (!StartVersions(s, host, session, &journal_run)) return {kExitNoStart, 0};
    const auto started = std::chrono::steady_clock::now();
    watching_ = true;
    const UpdateOutcome outcome = RunUpdate(s);
    watching_ = false;
    if (journal_run != 0) (void)session.journal().Finish(journal_run);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;

    RunReport report;
    report.reported_error = host.reported_errors() > 0;
    report.unanswered = host.unanswered() > unanswered_before;
    report.failed_change = failed_changes_ > 0;
    report.answered_by_end_of_input = host.answered_by_end_of_input();
    report.cancel_typed = host.cancel_typed();
    if (report.answered_by_end_of_input > 0) NoteUnanswered(host, report.answered_by_end_of_input);
    PassResult result{ExitStatusOf(s.flags, outcome, report), 0};
    if (result.status == kExitError && pass_ == Pass::kUpdate) NoteLog(s, host);
    if (line_.stats && pass_ == Pass::kUpdate) PrintStats(host, elapsed);
    if (preview != nullptr) {
      const ChangeSummary summary = Summarize(preview->changes());
      result.deletions = summary.all.deletions;
      result.copies = summary.all.copies;
      result.copied_bytes = summary.all.copied_bytes;
      if (pass_ == Pass::kPreview && line_.verbosity != Verbosity::kQuiet) {
        PrintPlan(preview->changes());
      }
    }
    return result;
  }

  // Versions of what the update replaces or deletes in Dir 2: on for a
  // mirror unless told otherwise. The real update journals each change of
  // a pair named on the command line, holding the pair's lock meanwhile;
  // false when another run holds it.
  bool StartVersions(AppState& s, TerminalHost& host, JournalSession& session, std::int64_t* run) {
    VersionState& v = s.versions;
    v.enabled = line_.versions.value_or(s.opt.ActiveOptions.CleanUp == 1);
    v.keep_days = line_.keep_versions;
    v.prune = pass_ == Pass::kUpdate;
    if (!v.enabled || pass_ != Pass::kUpdate || line_.paths.size() != 2) return true;
    // A Dir 2 the run is to make holds nothing to take back.
    if (!DirectoryExists(s.fs, tops_.dir2)) return true;
    bool busy = false;
    Status st = session.Open(config_, s.fs, tops_.dir1, tops_.dir2, true, &busy);
    if (busy) {
      host.Note("velqo-cli: " + st.ToString() + "; nothing was changed");
      return false;
    }
    if (st.ok()) st = session.journal().BeginRun(session.key().Text(), session.real2(), 0, run);
    if (!st.ok()) {
      // Versions are kept all the same; only the undo of this run is lost.
      host.Note("velqo-cli: the run journal cannot be used (" + st.ToString() + "); this run cannot be undone");
      *run = 0;
      return true;
    }
    const std::int64_t id = *run;
    v.record = [&session, id](const VersionChange& c) { (void)session.journal().Add(id, ToJournal(c)); };
    return true;
  }

  // A failed run names its log, so that a cron mail says where to look.
  void NoteLog(const AppState& s, TerminalHost& host) const {
    const std::string& log = s.places.LastLogFileWritten;
    if (log.empty()) return;
    host.Note("velqo-cli: the log of this update is " + paths_->Path(log));
  }

  void PrintStats(const TerminalHost& host, std::chrono::duration<double> elapsed) {
    stats_.errors_reported = host.reported_errors();
    stats_.skipped_by_answer = host.skipped_by_answer();
    stats_.answered_by_end_of_input = host.answered_by_end_of_input();
    io_.out << StatsText(stats_, elapsed) << std::flush;
  }

  static void NoteUnanswered(TerminalHost& host, int count) {
    host.Note("velqo-cli: " + std::to_string(count) +
              (count == 1 ? " question was" : " questions were") + " answered by end of input");
  }

  // A failed change is printed with the file system's reason, beside the
  // box that reports it (the log keeps its own words); -v prints each
  // change made. Only the update's own changes count: the start-up's
  // probe of the program directory may fail by design.
  void Observe(TerminalHost& host, const FileChange& c, const Status& st, bool verbose) {
    if (!watching_) return;
    stats_.Count(c, st.ok());
    if (c.kind == FileChange::Kind::kCopy && progress_ != nullptr) progress_->OnFileDone(c.bytes);
    if (!st.ok()) {
      ++failed_changes_;
      host.Note("velqo-cli: cannot " + AttemptText(paths_->Change(c)) + ": " + st.ToString());
    } else if (verbose) {
      io_.out << ItemizeLine(c, tops_, *paths_) << '\n' << std::flush;
    }
  }

  const std::vector<std::string>& args_;
  const CommandLine& line_;
  const PlatformConfig& config_;
  CliIo& io_;
  Pass pass_;
  // The plan in host paths; the totals keep their drive letters.
  // Directories the plan makes exist only in it: a path below one takes
  // the spelling the plan gave it, as the real run will.
  void PrintPlan(const std::vector<FileChange>& changes) {
    std::vector<std::string> made;
    for (FileChange c : changes) {
      c.path = SpelledBelow(made, c.path);
      c.target = SpelledBelow(made, c.target);
      if (c.kind == FileChange::Kind::kCreateDirectory) made.push_back(c.path);
      // -v: the lines the update itself prints with -v.
      io_.out << (line_.verbosity == Verbosity::kVerbose ? ItemizeLine(c, tops_, *paths_)
                                                          : PlanLine(paths_->Change(c)))
              << '\n';
    }
    for (const std::string& line : SummaryLines(changes)) io_.out << line << '\n';
    io_.out << std::flush;
  }

  static std::string SpelledBelow(const std::vector<std::string>& made, const std::string& path) {
    const std::string* best = nullptr;
    for (const std::string& dir : made) {
      if (path.size() > dir.size() && path[dir.size()] == '\\' &&
          EqualsIgnoreCase(std::string_view(path).substr(0, dir.size()), dir) &&
          (best == nullptr || dir.size() > best->size())) {
        best = &dir;
      }
    }
    return best == nullptr ? path : *best + path.substr(best->size());
  }

  bool watching_ = false;
  int failed_changes_ = 0;
  const HostPaths* paths_ = nullptr;
  RunTops tops_;
  RunStats stats_;
  ProgressDisplay* progress_ = nullptr;

 public:
  // The copies and bytes a silent preview counted, for the progress line.
  std::optional<std::pair<std::uint64_t, std::uint64_t>> totals_;
};

// A silent preview of the update: what --max-delete checks and what the
// progress line counts down. Questions take the preview's answers.
PassResult CountChanges(const std::vector<std::string>& args, const CommandLine& line,
                        const PlatformConfig& config, CliIo& io) {
  std::istringstream no_answers;
  std::ostream nowhere(nullptr);
  CliIo silent(no_answers, nowhere, nowhere);
  silent.cwd = io.cwd;
  silent.interrupts = io.interrupts;
  return PassRunner(args, line, config, silent, Pass::kCountDeletions).Run();
}

// --max-delete: the exit status when the update must not run (it would
// delete more files than allowed, or Ctrl-C came meanwhile), else nothing.
std::optional<int> CheckDeleteLimit(const PassResult& counted, const CommandLine& line,
                                    CliIo& io) {
  if (counted.deletions <= *line.max_delete) return std::nullopt;
  io.err << "velqo-cli: the update would delete " << counted.deletions << " files, more than "
         << "--max-delete=" << *line.max_delete << " allows; nothing was changed (-n lists them)\n";
  return kExitError;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, const PlatformConfig& config, CliIo& io) {
  CommandLine line = ParseCommandLine(args, IsHostDirectory);
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
  std::string refused;
  if (!BuildPathRules(line.patterns, io.cwd, config.home, &line.path_rules, &refused)) {
    io.err << "velqo-cli: " << Printable(refused, false) << "; nothing was changed\n";
    return kExitNoStart;
  }
  for (const std::string& note : line.notes) io.err << "velqo-cli: " << Printable(note, false) << '\n';
  if (line.undo) return RunUndo(line, config, io);
  if (line.versions_of) return RunVersionsOf(line, config, io);
  if (line.restore) return RunRestore(line, config, io);
  if (line.sync) return RunSyncCommand(args, line, config, io);

  if (line.preview) {
    const PassResult planned = PassRunner(args, line, config, io, Pass::kPreview).Run();
    if (planned.status == kExitDone && line.max_delete && planned.deletions > *line.max_delete) {
      io.err << "velqo-cli: the update would delete " << planned.deletions
             << " files, more than --max-delete=" << *line.max_delete << " allows\n";
      return kExitError;
    }
    return planned.status;
  }
  // On a terminal the progress line shows the run's totals: a silent
  // preview counts them first (the price of a second scan, paid only there).
  const bool show_totals = io.progress && line.verbosity != Verbosity::kQuiet;
  std::optional<PassResult> counted;
  if (line.max_delete || show_totals) counted = CountChanges(args, line, config, io);
  if (counted && io.interrupts && io.interrupts() > 0) return kExitCancelled;
  if (line.max_delete) {
    if (const std::optional<int> stop = CheckDeleteLimit(*counted, line, io)) return *stop;
  }
  PassRunner update(args, line, config, io, Pass::kUpdate);
  if (show_totals && counted && counted->status != kExitNoStart) {
    update.totals_ = std::pair<std::uint64_t, std::uint64_t>(counted->copies, counted->copied_bytes);
  }
  return update.Run().status;
}

}  // namespace velqo::cli
