#include "cli/sync_cli.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <sstream>

#include "cli/host_paths.h"
#include "cli/itemize.h"
#include "cli/option_overrides.h"
#include "cli/terminal_host.h"
#include "common/host/change_observer.h"
#include "common/platform/platform_ops.h"
#include "common/preview/plan_text.h"
#include "common/text/printable.h"
#include "config/app_state.h"
#include "config/option_tables.h"
#include "config/startup.h"
#include "state/pair_key.h"
#include "state/state_db.h"
#include "state/sync_state.h"
#include "sync/sync_run.h"

namespace velqo::cli {

namespace {

// Both tops as the program names them and as the kernel does.
struct SyncTops {
  std::string windows[2];
  std::string real[2];
};

bool TakeTop(Platform& fs, const std::string& typed, const std::string& cwd, CliIo& io, std::string* windows,
             std::string* real) {
  std::string why;
  std::string host;
  struct stat st {};
  const bool converted = ConvertDirectoryArgument(fs, typed, cwd, windows, &why);
  if (!converted) {
    // why says what is wrong with the text.
  } else if (!fs.ToHostPath(*windows, &host).ok() || stat(host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    why = "it is not a directory";
  } else if (Status r = state::RealPath(host, real); !r.ok()) {
    why = r.ToString();
  }
  if (why.empty()) return true;
  io.err << "velqo-cli: cannot sync \"" << Printable(typed, false) << "\": " << why << "; nothing was changed\n";
  return false;
}

// One tree inside the other would sync into itself, without end.
bool Nested(const std::string& x, const std::string& y) {
  const std::string& shorter = x.size() <= y.size() ? x : y;
  const std::string& longer = x.size() <= y.size() ? y : x;
  if (longer.compare(0, shorter.size(), shorter) != 0) return false;
  return longer.size() == shorter.size() || shorter == "/" || longer[shorter.size()] == '/';
}

bool TakeTops(Platform& fs, const CommandLine& line, CliIo& io, SyncTops* tops) {
  if (line.overrides.file_mode) {
    io.err << "velqo-cli: --sync is a file-update mode of its own; leave out --matching, --add, --both-ways and --mirror\n";
    return false;
  }
  if (line.paths.size() != 2) {
    io.err << "velqo-cli: --sync needs two directories\n";
    return false;
  }
  for (int i = 0; i < 2; ++i) {
    if (!TakeTop(fs, line.paths[i], io.cwd, io, &tops->windows[i], &tops->real[i])) return false;
  }
  if (Nested(tops->real[0], tops->real[1])) {
    io.err << "velqo-cli: cannot sync " << Printable(tops->real[0], false) << " with "
           << Printable(tops->real[1], false) << ": one lies inside the other; nothing was changed\n";
    return false;
  }
  return true;
}

std::string HostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "host";
  return name;
}

std::vector<std::string> StartArguments(const std::vector<std::string>& args, const CommandLine& line) {
  std::vector<std::string> result = {args.empty() ? std::string() : args[0]};
  if (line.no_alerts) result.emplace_back("/Q");
  for (const std::string& sw : line.switches) result.push_back(sw);
  result.emplace_back("/A");
  return result;
}

// The command line's options for this run, and the log where the console
// program keeps it: $XDG_STATE_HOME/velqo unless --log-dir says otherwise.
void ApplySyncOptions(AppState& s, const CommandLine& line, const std::string& cwd, const std::string& state_dir) {
  OptionOverrides overrides = line.overrides;
  std::string log_dir;
  std::string why;
  if (line.log_dir) (void)ConvertDirectoryArgument(s.fs, *line.log_dir, cwd, &log_dir, &why);
  std::string log_file;
  if (line.log_file && ConvertDirectoryArgument(s.fs, *line.log_file, cwd, &log_file, &why)) {
    s.log.FixedFile = log_file;
    log_dir = log_file.substr(0, std::max<std::size_t>(log_file.rfind('\\'), 3));
  }
  overrides.log_directory = log_dir;
  ApplyOverrides(overrides, &s.opt.SessionOptions);
  s.log.IsoDateNames = true;
  std::string windows;
  if (log_dir.empty() && !line.preview && s.fs.ToWindowsPath(state_dir, &windows).ok()) {
    (void)s.opt.SessionOptions.LogFilePath.Assign(windows);
  }
  s.opt.ActiveOptions = s.opt.SessionOptions;
  RebuildTables(s, s.opt.ActiveOptions);
  s.PathPatterns = line.path_rules;
  // What a sync replaces or deletes is kept as a version on its side,
  // unless told otherwise: a deletion carried over is otherwise final.
  s.versions.enabled = line.versions.value_or(true);
  s.versions.keep_days = line.keep_versions;
  s.versions.prune = !line.preview;
  // The preview writes nothing, not even a log.
  if (line.preview) s.opt.ActiveOptions.EnableLog = 0;
}

class SyncCommand {
 public:
  SyncCommand(const std::vector<std::string>& args, const CommandLine& line, const PlatformConfig& config,
              CliIo& io)
      : args_(args), line_(line), config_(config), io_(io) {}

  int Run() {
    std::unique_ptr<Platform> posix = NewPosixPlatform(config_);
    posix->SetCopyFidelity(line_.fidelity);
    SyncTops tops;
    if (!TakeTops(*posix, line_, io_, &tops)) return kExitNoStart;
    state::PairLock lock;
    state::Database db;
    state::SyncState state;
    if (const int refused = OpenState(tops, &lock, &db, &state); refused != kExitDone) return refused;

    const HostPaths paths(*posix);
    paths_ = &paths;
    TerminalHost host(io_.in, io_.out, HostOptions(paths));
    // Each change is watched as in the other modes: a failed one is said
    // with the file system's reason, and -v itemizes the changes made.
    const bool verbose = line_.verbosity == Verbosity::kVerbose;
    const RunTops run_tops{tops.windows[0], tops.windows[1]};
    ChangeObserver fs(
        *posix,
        [&](const FileChange& c, const Status& st) {
          if (!st.ok()) {
            host.Note("velqo-cli: cannot " + AttemptText(paths.Change(c)) + ": " + st.ToString());
          } else if (verbose) {
            io_.out << ItemizeLine(c, run_tops, paths) << '\n' << std::flush;
          }
        },
        verbose);
    AppState s(fs, host);
    if (!StartConfiguration(s, StartArguments(args_, line_))) return kExitNoStart;
    ApplySyncOptions(s, line_, io_.cwd, folder_);
    return Sync(s, host, state, tops);
  }

 private:
  // Takes the pair's lock and opens its state; kExitDone, or the status of
  // the refusal already printed.
  int OpenState(const SyncTops& tops, state::PairLock* lock, state::Database* db, state::SyncState* state) {
    const std::string home =
        config_.xdg_state_home.empty() ? config_.home + "/.local/state" : config_.xdg_state_home;
    const std::string db_path = state::DatabasePath(home);
    folder_ = db_path.substr(0, db_path.rfind('/'));
    const state::PairKey key = state::MakePairKey(tops.real[0], tops.real[1]);
    // A preview makes nothing, not even the state's folder or database: a
    // pair never synced is previewed against an empty state in memory.
    const bool stored = !line_.preview || access(db_path.c_str(), F_OK) == 0;
    if (!line_.preview) {
      if (Status st = MakePrivateDirectories(folder_); !st.ok()) {
        return Refuse("cannot make " + folder_ + ": " + st.ToString(), kExitNoStart);
      }
    }
    if (Status st = stored ? state::PairLock::Acquire(folder_, key, false, lock) : Status::Ok(); !st.ok()) {
      return Refuse(st.code() == Status::Code::kAccessDenied
                        ? "another sync of this pair is running (" + st.message() + ")"
                        : st.ToString(),
                    kExitError);
    }
    const Status opened = stored ? state::Database::Open(db_path, db) : state::Database::OpenInMemory(db);
    if (!opened.ok()) return Refuse(opened.ToString(), kExitError);
    const Status ready = line_.preview ? state::SyncState::OpenForReading(db, key, state)
                                       : state::SyncState::Open(db, key, state);
    return ready.ok() ? kExitDone : Refuse(ready.ToString(), kExitError);
  }

  TerminalHostOptions HostOptions(const HostPaths& paths) const {
    TerminalHostOptions options;
    options.echo_answers = io_.echo_answers;
    options.errors = &io_.err;
    options.interrupts = io_.interrupts;
    options.verbosity = line_.verbosity;
    options.preview = line_.preview;
    options.paths = &paths;
    return options;
  }

  int Refuse(const std::string& why, int status) {
    io_.err << "velqo-cli: " << Printable(why, false) << "; nothing was changed\n";
    return status;
  }

  int Sync(AppState& s, TerminalHost& host, state::SyncState& state, const SyncTops& tops) {
    sync::SyncOptions options;
    options.allow_empty = line_.allow_empty_source;
    options.host_name = HostName();
    sync::SyncReport report;
    if (line_.max_delete && !line_.preview) {
      // Counted before anything is touched, on the same state and trees.
      options.preview = true;
      options.silent = true;
      sync::RunSync(s, state, tops.windows[0], tops.windows[1], options, {}, &report);
      options.silent = false;
      if (report.refused_empty) return RefusedEmpty(report);
      if (report.deletions > *line_.max_delete) {
        return Refuse("the sync would delete " + std::to_string(report.deletions) + " entries, more than --max-delete=" +
                          std::to_string(*line_.max_delete) + " allows (-n lists them)",
                      kExitError);
      }
    }
    options.preview = line_.preview;
    // A preview lists every decision; a run itemizes its changes instead.
    const bool list = line_.preview && line_.verbosity != Verbosity::kQuiet;
    sync::RunSync(s, state, tops.windows[0], tops.windows[1], options,
                  [&](const sync::DecisionEvent& e) { Tell(host, e, list); }, &report);
    if (report.refused_empty) return RefusedEmpty(report);
    if (line_.preview) {
      if (list) io_.out << Summary(report) << '\n' << std::flush;
      if (line_.max_delete && report.deletions > *line_.max_delete) {
        io_.err << "velqo-cli: the sync would delete " << report.deletions << " entries, more than --max-delete="
                << *line_.max_delete << " allows\n";
        return kExitError;
      }
      return report.conflicts > 0 || report.failures > 0 ? kExitError : kExitDone;
    }
    if (!report.state_failed) {
      if (Status st = state.Commit(); !st.ok()) {
        host.Note("velqo-cli: the state of this pair was not saved: " + st.ToString());
        return kExitError;
      }
    }
    if (line_.stats) io_.out << Summary(report) << '\n' << std::flush;
    return StatusOf(s, host, report);
  }

  int RefusedEmpty(const sync::SyncReport& report) {
    return Refuse(paths_->Path(report.empty_top) + " is empty, though it held files at the last sync (a disk not mounted?); "
                      "--allow-empty-source syncs it all the same",
                  kExitError);
  }

  static int StatusOf(const AppState& s, const TerminalHost& host, const sync::SyncReport& report) {
    // An answer nobody gave is never a cancel: the run stopped for want of input.
    if (host.answered_by_end_of_input() > 0) return kExitError;
    if (report.cancelled || s.flags.CancelRequested != 0 || host.cancel_typed()) return kExitCancelled;
    if (report.conflicts > 0 || report.failures > 0 || report.state_failed || s.flags.ErrorLogged != 0 ||
        s.flags.ActionFailed != 0 || host.reported_errors() > 0) {
      return kExitError;
    }
    return kExitDone;
  }

  // Every decision is listed by -n (and -v); a conflict is always named,
  // on standard error.
  void Tell(TerminalHost& host, const sync::DecisionEvent& e, bool list) {
    if (list) io_.out << sync::DecisionName(e.decision) << "  " << Printable(e.path, false) << '\n' << std::flush;
    if (e.decision != sync::Decision::kConflict) return;
    const std::string dir = e.path.find('/') == std::string::npos ? "" : e.path.substr(0, e.path.rfind('/') + 1);
    host.Note("velqo-cli: conflict: " + e.path + " was changed on both sides; the other version " +
              (line_.preview ? "would be" : "is") + " saved as " + dir + e.saved_as);
  }

  static std::string Summary(const sync::SyncReport& r) {
    std::ostringstream out;
    out << r.copies << (r.copies == 1 ? " copy, " : " copies, ") << r.deletions
        << (r.deletions == 1 ? " deletion, " : " deletions, ") << r.conflicts
        << (r.conflicts == 1 ? " conflict" : " conflicts");
    return out.str();
  }

  const std::vector<std::string>& args_;
  const CommandLine& line_;
  const PlatformConfig& config_;
  CliIo& io_;
  const HostPaths* paths_ = nullptr;
  std::string folder_;  // where the state and the pairs' locks are kept
};

}  // namespace

int RunSyncCommand(const std::vector<std::string>& args, const CommandLine& line, const PlatformConfig& config,
                   CliIo& io) {
  return SyncCommand(args, line, config, io).Run();
}

}  // namespace velqo::cli
