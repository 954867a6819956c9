#include "cli/version_commands.h"

#include <sys/stat.h>

#include <memory>

#include "actions/versions.h"
#include "cli/host_paths.h"
#include "cli/journal_session.h"
#include "common/platform/platform_ops.h"
#include "common/platform/windows_path.h"
#include "common/text/printable.h"
#include "engine/undo.h"

namespace velqo::cli {

namespace {

std::string Shown(std::string_view text) { return Printable(text, false); }

bool ConvertPair(Platform& fs, const CommandLine& line, CliIo& io, std::string* dir1, std::string* dir2) {
  std::string why;
  for (int i = 0; i < 2; ++i) {
    std::string* out = i == 0 ? dir1 : dir2;
    if (!ConvertDirectoryArgument(fs, line.paths[i], io.cwd, out, &why)) {
      io.err << "velqo-cli: cannot use " << (i == 0 ? "Dir 1" : "Dir 2") << " \"" << Shown(line.paths[i])
             << "\": " << why << "; nothing was changed\n";
      return false;
    }
  }
  return true;
}

// The run an undo takes back, the journal run it writes into, and whether
// it goes on with an undo that was interrupted.
struct UndoTarget {
  state::JournalRun target;
  std::int64_t resume = 0;
};

Status FindUndoTarget(state::RunJournal& journal, const std::string& pair, UndoTarget* out, bool* found) {
  state::JournalRun last;
  Status st = journal.LastRun(pair, &last, found);
  if (!st.ok() || !*found) return st;
  if (last.undoes != 0 && !last.complete) {
    // An undo that died: the same undo goes on, into the same journal run.
    out->resume = last.id;
    return journal.FindRun(last.undoes, &out->target, found);
  }
  out->target = last;
  return Status::Ok();
}

std::string_view StepWords(UndoAction action) {
  switch (action) {
    case UndoAction::kRestore:
      return "restore ";
    case UndoAction::kRemove:
      return "remove ";
    case UndoAction::kChanged:
      return "leave (changed since the run) ";
    case UndoAction::kVersionMissing:
      return "leave (its version is gone) ";
    case UndoAction::kRefused:
      return "leave (the journal names a path outside the tree) ";
    default:
      return {};
  }
}

int PrintPlan(Platform& fs, const std::string& top, const std::vector<VersionChange>& changes, CliIo& io) {
  const HostPaths paths(fs);
  int left = 0;
  for (const UndoStep& step : PlanUndo(fs, top, changes)) {
    if (step.action == UndoAction::kDone) continue;
    io.out << StepWords(step.action) << Shown(paths.Path(BelowTop(top, step.change.path))) << '\n';
    if (step.action != UndoAction::kRestore && step.action != UndoAction::kRemove) ++left;
  }
  io.out << std::flush;
  return left > 0 ? kExitError : kExitDone;
}

// A typed path as a host path: relative ones joined to the working
// directory, "~/" to the home directory; "." and ".." applied lexically.
std::string HostPathOf(std::string_view typed, const CliIo& io, const PlatformConfig& config) {
  std::string path(typed);
  if (path == "~" || path.starts_with("~/")) path = config.home + path.substr(1);
  return NormalizeHostPath(AbsoluteIfRelative(path, io.cwd));
}

// The top of the tree that keeps file's versions: the nearest directory
// above it holding a versions folder. False when there is none.
bool FindVersionTop(const std::string& file, std::string* top, std::string* relative) {
  std::string dir = HostParentPath(file);
  for (;;) {
    struct stat st {};
    const std::string folder = JoinHostPath(dir, std::string(kVersionsFolder));
    if (lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      *top = dir;
      *relative = file.substr(dir == "/" ? 1 : dir.size() + 1);
      return true;
    }
    if (dir == "/") return false;
    dir = HostParentPath(dir);
  }
}

struct VersionedFile {
  std::unique_ptr<Platform> fs;
  std::string top;       // Windows form
  std::string relative;  // "/"-joined
  std::string path;      // Windows form
};

bool LocateVersioned(std::string_view typed, const PlatformConfig& config, CliIo& io, VersionedFile* out) {
  const std::string file = HostPathOf(typed, io, config);
  std::string top_host;
  if (!FindVersionTop(file, &top_host, &out->relative)) {
    io.err << "velqo-cli: no versions are kept for \"" << Shown(typed) << "\": no directory above it holds "
           << kVersionsFolder << '\n';
    return false;
  }
  out->fs = NewPosixPlatform(config);
  Status st = out->fs->ToWindowsPath(top_host, &out->top);
  if (st.ok()) st = out->fs->PinTops({out->top});
  if (!st.ok()) {
    io.err << "velqo-cli: cannot use \"" << Shown(top_host) << "\": " << st.ToString() << '\n';
    return false;
  }
  out->path = BelowTop(out->top, out->relative);
  return true;
}

}  // namespace

int RunUndo(const CommandLine& line, const PlatformConfig& config, CliIo& io) {
  std::unique_ptr<Platform> fs = NewPosixPlatform(config);
  std::string dir1;
  std::string dir2;
  if (!ConvertPair(*fs, line, io, &dir1, &dir2)) return kExitNoStart;
  JournalSession session;
  bool busy = false;
  // A preview makes nothing, not even an empty journal.
  if (Status st = session.Open(config, *fs, dir1, dir2, !line.preview, &busy); !st.ok()) {
    if (st.code() == Status::Code::kFileNotFound) {
      io.err << "velqo-cli: nothing to undo: no run of this pair is in the journal\n";
    } else {
      io.err << "velqo-cli: cannot undo: " << Shown(st.ToString()) << '\n';
    }
    return kExitNoStart;
  }
  UndoTarget target;
  bool found = false;
  Status st = FindUndoTarget(session.journal(), session.key().Text(), &target, &found);
  if (st.ok() && !found) {
    io.err << "velqo-cli: nothing to undo: no run of this pair is in the journal\n";
    return kExitNoStart;
  }
  std::string top;
  if (st.ok()) {
    if (target.target.top == session.real2()) {
      top = dir2;
    } else if (target.target.top == session.real1()) {
      top = dir1;
    } else {
      st = Status::InvalidArgument("the journaled tree " + target.target.top + " is neither directory");
    }
  }
  std::vector<state::JournalChange> journaled;
  if (st.ok()) st = fs->PinTops({top});
  if (st.ok()) st = session.journal().Changes(target.target.id, &journaled);
  if (!st.ok()) {
    io.err << "velqo-cli: cannot undo: " << Shown(st.ToString()) << '\n';
    return kExitNoStart;
  }
  const std::vector<VersionChange> changes = FromJournal(journaled);
  if (line.preview) return PrintPlan(*fs, top, changes, io);

  // The undo is a run of its own, journaled as it goes, so it can be
  // finished when interrupted and taken back by the next undo.
  std::int64_t run = target.resume;
  if (run == 0) st = session.journal().BeginRun(session.key().Text(), target.target.top, target.target.id, &run);
  if (!st.ok()) {
    io.err << "velqo-cli: cannot undo: " << Shown(st.ToString()) << '\n';
    return kExitNoStart;
  }
  VersionState v;
  v.enabled = true;
  v.top = top;
  int journal_failures = 0;
  v.record = [&](const VersionChange& c) {
    if (!session.journal().Add(run, ToJournal(c)).ok()) ++journal_failures;
  };
  const UndoOutcome outcome = UndoChanges(*fs, v, changes);
  const HostPaths paths(*fs);
  for (const std::string& left : outcome.left) {
    io.err << "velqo-cli: left as it is, changed since the run: " << Shown(paths.Path(BelowTop(top, left))) << '\n';
  }
  for (const std::string& failed : outcome.failed) io.err << "velqo-cli: cannot undo " << Shown(failed) << '\n';
  if (journal_failures > 0) io.err << "velqo-cli: the journal missed " << journal_failures << " changes of the undo\n";
  // An undo that could not do everything stays open: run again, it goes on.
  if (outcome.failed.empty()) (void)session.journal().Finish(run);
  if (line.verbosity != Verbosity::kQuiet) {
    io.out << outcome.restored << " restored, " << outcome.removed << " removed, " << outcome.left.size()
           << " left as they are\n"
           << std::flush;
  }
  return outcome.left.empty() && outcome.failed.empty() ? kExitDone : kExitError;
}

int RunVersionsOf(const CommandLine& line, const PlatformConfig& config, CliIo& io) {
  VersionedFile file;
  if (!LocateVersioned(*line.versions_of, config, io, &file)) return kExitNoStart;
  const HostPaths paths(*file.fs);
  const std::string folder = ChildPath(file.top, kVersionsFolder);
  for (const std::string& stamp : VersionsOf(*file.fs, file.top, file.relative)) {
    io.out << stamp << "  " << Shown(paths.Path(BelowTop(ChildPath(folder, stamp), file.relative))) << '\n';
  }
  io.out << std::flush;
  return kExitDone;
}

int RunRestore(const CommandLine& line, const PlatformConfig& config, CliIo& io) {
  VersionedFile file;
  if (!LocateVersioned(*line.restore, config, io, &file)) return kExitNoStart;
  const std::string& stamp = *line.restore_from;
  LocalTime when;
  std::string version(kVersionsFolder);
  version += "/" + stamp + "/" + file.relative;
  FindData kept;
  if (!ParseVersionStamp(stamp, &when) || !StatEntry(*file.fs, BelowTop(file.top, version), &kept)) {
    io.err << "velqo-cli: no version of \"" << Shown(*line.restore) << "\" is kept in " << Shown(stamp)
           << " (--versions-of lists them)\n";
    return kExitNoStart;
  }
  VersionState v;
  v.enabled = true;
  v.top = file.top;
  VersionChange change;
  change.kind = VersionChange::Kind::kDeleted;
  change.path = file.relative;
  change.version = version;
  UndoStep step;
  step.change = change;
  step.action = UndoAction::kRestore;
  FindData present;
  if (StatEntry(*file.fs, file.path, &present)) step.change.kind = VersionChange::Kind::kReplaced;
  Status st = CarryOutUndoStep(*file.fs, v, step);
  if (st.ok()) st = file.fs->EndOfRun();
  if (!st.ok()) {
    io.err << "velqo-cli: cannot restore \"" << Shown(*line.restore) << "\": " << Shown(st.ToString()) << '\n';
    return kExitError;
  }
  return kExitDone;
}

}  // namespace velqo::cli
