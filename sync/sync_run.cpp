#include "sync/sync_run.h"

#include <map>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "actions/copy_backup.h"
#include "actions/deletion.h"
#include "actions/directories.h"
#include "actions/log_format.h"
#include "actions/update_log.h"
#include "common/platform/platform_ops.h"
#include "sync/conflict_name.h"
#include "sync/listing.h"
#include "sync/version_hook.h"

namespace velqo::sync {

namespace {

constexpr int kA = 0;
constexpr int kB = 1;
constexpr std::uint64_t kLargestCompared = 8u << 20;

// Where an entry is once its decision is carried out.
struct Where {
  bool on[2] = {false, false};
};

constexpr Where kNowhere{};
constexpr Where kBothSides{{true, true}};

Where OnlyOn(int side) {
  Where w;
  w.on[side] = true;
  return w;
}

// A directory being synchronized: its path on each side, whether it is
// there, and whether this run made it (then it is known to be empty and
// is not listed).
struct DirAt {
  std::string rel;
  std::string path[2];
  bool present[2] = {true, true};
  bool fresh[2] = {false, false};
};

std::string Join(const std::string& rel, const std::string& name) {
  return rel.empty() ? name : rel + "/" + name;
}

// Whether path lies strictly below rel ("" is above everything).
bool IsBelow(const std::string& path, const std::string& rel) {
  if (rel.empty()) return true;
  return path.size() > rel.size() + 1 && path.compare(0, rel.size(), rel) == 0 && path[rel.size()] == '/';
}

Entry FromRow(const state::SyncRow& row) {
  Entry e;
  e.kind = static_cast<EntryKind>(row.kind);
  e.size = row.size;
  e.mtime_ns = row.mtime_ns;
  e.mode = row.mode;
  e.dev = row.dev;
  e.ino = row.ino;
  return e;
}

int CopyKindOf(int from, bool replaces) {
  if (from == kA) return replaces ? kCopy1Over2 : kCopyAdd1To2;
  return replaces ? kCopy2Over1 : kCopyAdd2To1;
}

class Walker {
 public:
  Walker(AppState& s, state::SyncState& state, const SyncOptions& options, const DecisionSink& sink,
         SyncReport* report)
      : s_(s), state_(state), options_(options), sink_(sink), report_(report) {}

  void Run(const std::string& top_a, const std::string& top_b) {
    now_ = s_.fs.Now();
    if (!state_.StartReading().ok()) {
      Failed("cannot read the state of this pair");
      report_->state_failed = true;
      return;
    }
    Advance();
    DirAt top;
    top.path[kA] = top_a;
    top.path[kB] = top_b;
    tops_[kA] = top_a;
    tops_[kB] = top_b;
    if (!options_.preview) PruneSideVersions(s_, tops_);
    if (has_row_ && !options_.allow_empty && EmptiedTop(top)) return;
    bool remains[2] = {false, false};
    SyncDir(top, true, remains);
  }

 private:
  // A top that held entries at the last sync and holds none now looks like
  // a disk that is not mounted: carrying that would empty the other side.
  bool EmptiedTop(const DirAt& top) {
    for (int side : {kA, kB}) {
      std::vector<Listed> listed;
      if (ListDirectory(s_.fs, s_.PathPatterns, "", top.path[side], &listed).ok() && listed.empty()) {
        report_->refused_empty = true;
        report_->empty_top = top.path[side];
        return true;
      }
    }
    return false;
  }

  // --- the old state, read in step with the walk ---

  void Advance() {
    if (!state_.Next(&has_row_, &row_).ok()) {
      // Without the rest of the state every path below looks new: nothing
      // is deleted for it, and the new state is not written.
      has_row_ = false;
      if (!report_->state_failed) Failed("cannot read the state of this pair");
      report_->state_failed = true;
    }
  }

  // The name of the next state row's child of directory rel, if the row
  // lies below rel.
  bool StateChild(const std::string& rel, std::string* name) const {
    if (!has_row_ || !IsBelow(row_.path, rel)) return false;
    const std::size_t start = rel.empty() ? 0 : rel.size() + 1;
    const std::size_t end = row_.path.find('/', start);
    *name = row_.path.substr(start, end == std::string::npos ? std::string::npos : end - start);
    return true;
  }

  // Rows below rel that the walk did not reach are dropped (nothing is
  // there any more) or kept as they were (the walk could not look).
  void SkipStateBelow(const std::string& rel) {
    while (has_row_ && IsBelow(row_.path, rel)) {
      Drop(row_.path);
      Advance();
    }
  }
  void KeepStateBelow(const std::string& rel) {
    while (has_row_ && IsBelow(row_.path, rel)) Advance();
  }

  // The new state is written as changes to the old: the path being
  // decided (the innermost of the walk) is written only when what it
  // records differs from its old row, and dropped when nothing records it.
  struct Deciding {
    std::string rel;
    Entry last;
    bool recorded = false;
  };

  void Record(const std::string& rel, const Entry& e) {
    if (options_.preview || !e.exists()) return;
    if (!deciding_.empty() && deciding_.back().rel == rel) {
      deciding_.back().recorded = true;
      if (SameRow(deciding_.back().last, e)) return;
    } else {
      written_elsewhere_.insert(rel);
    }
    state::SyncRow row;
    row.path = rel;
    row.kind = static_cast<int>(e.kind);
    row.size = e.size;
    row.mtime_ns = e.mtime_ns;
    row.mode = e.mode;
    row.dev = e.dev;
    row.ino = e.ino;
    if (!state_.Add(row).ok()) StateWriteFailed();
  }

  void Drop(const std::string& rel) {
    // A conflict copy made in this run may have a forgotten old row.
    if (options_.preview || written_elsewhere_.count(rel) != 0) return;
    if (!state_.Drop(rel).ok()) StateWriteFailed();
  }

  void StateWriteFailed() {
    if (report_->state_failed) return;
    Failed("cannot write the new state of this pair");
    report_->state_failed = true;
  }

  static bool SameRow(const Entry& x, const Entry& y) {
    return x.kind == y.kind && x.size == y.size && x.mtime_ns == y.mtime_ns && x.mode == y.mode &&
           x.dev == y.dev && x.ino == y.ino;
  }

  // --- the walk ---

  bool Cancelled() const { return s_.flags.CancelRequested != 0; }

  // Synchronizes the entries of d; remains tells on which sides anything is
  // left in it afterwards.
  void SyncDir(DirAt& d, bool use_state, bool remains[2]) {
    s_.host.PumpEvents();
    std::vector<Listed> list[2];
    for (int side : {kA, kB}) {
      if (!d.present[side] || d.fresh[side]) continue;
      const Status st = ListDirectory(s_.fs, s_.PathPatterns, d.rel, d.path[side], &list[side]);
      if (!st.ok()) {
        // A listing cut short is never taken for the truth: nothing below
        // is decided, and the state of it is kept.
        Failed(st.ToString());
        KeepStateBelow(d.rel);
        remains[kA] = remains[kB] = true;
        return;
      }
    }
    if (!use_state) SkipStateBelow(d.rel);
    const std::set<std::string> blocked = CaseClashes(d, list);
    std::size_t at[2] = {0, 0};
    for (;;) {
      if (Cancelled()) {
        report_->cancelled = true;
        KeepStateBelow(d.rel);
        remains[kA] = remains[kB] = true;
        return;
      }
      std::string name;
      bool any = false;
      for (int side : {kA, kB}) {
        if (at[side] < list[side].size() && (!any || list[side][at[side]].name < name)) {
          name = list[side][at[side]].name;
          any = true;
        }
      }
      std::string from_state;
      if (StateChild(d.rel, &from_state) && (!any || from_state < name)) {
        name = from_state;
        any = true;
      }
      if (!any) break;
      Entry now[2];
      for (int side : {kA, kB}) {
        if (at[side] < list[side].size() && list[side][at[side]].name == name) {
          now[side] = list[side][at[side]++].entry;
        }
      }
      const std::string rel = Join(d.rel, name);
      Entry last;
      if (has_row_ && row_.path == rel) {
        last = FromRow(row_);
        Advance();
      }
      deciding_.push_back(Deciding{rel, last, false});
      const Where w = blocked.count(name) != 0 ? LeftAlone(rel, last, now) : Handle(d, name, rel, last, now);
      const Deciding done = std::move(deciding_.back());
      deciding_.pop_back();
      if (!done.recorded && done.last.exists()) Drop(rel);
      SkipStateBelow(rel);
      remains[kA] = remains[kA] || w.on[kA];
      remains[kB] = remains[kB] || w.on[kB];
    }
  }

  // Names that differ only in case are distinct entries here, but a path
  // to a name one side lacks would reach its case twin there (the paths
  // the program works with match a missing name ignoring case). Such a
  // group is synced only when each of its names is on both sides, so every
  // path names exactly one entry; otherwise it is reported and left alone.
  std::set<std::string> CaseClashes(const DirAt& d, const std::vector<Listed> list[2]) {
    std::map<std::string, std::map<std::string, int>> groups;
    for (int side : {kA, kB}) {
      for (const Listed& item : list[side]) groups[FoldCase(item.name)][item.name] |= 1 << side;
    }
    std::set<std::string> blocked;
    for (const auto& [folded, names] : groups) {
      if (names.size() < 2) continue;
      bool everywhere = true;
      for (const auto& [name, sides] : names) everywhere = everywhere && sides == 3;
      if (everywhere) continue;
      std::string listed;
      for (const auto& [name, sides] : names) {
        blocked.insert(name);
        listed += (listed.empty() ? "\"" : ", \"") + name + "\"";
      }
      Failed("cannot sync " + listed + " in " + d.path[kA] + " and " + d.path[kB] +
             ": their names differ only in case, and a side lacks one of them");
    }
    return blocked;
  }

  static std::string FoldCase(std::string name) {
    for (char& c : name) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
  }

  // A path the run does not touch keeps what it had in the state.
  Where LeftAlone(const std::string& rel, const Entry& last, const Entry now[2]) {
    const Where w = Unchanged(rel, last, now);
    KeepStateBelow(rel);
    return w;
  }

  Where Handle(DirAt& d, const std::string& name, const std::string& rel, const Entry& last,
               const Entry now[2]) {
    Decision decision = Decide(last, now[kA], now[kB]);
    if (decision == Decision::kConflict && SameData(d, name, now)) {
      // Two versions with the same data are one version: the newer's
      // times and mode go to the other side. A copy an interrupted run
      // left with its provisional time is met this way.
      decision = now[kB].mtime_ns > now[kA].mtime_ns ? Decision::kCopyBToA : Decision::kCopyAToB;
    }
    if (decision != Decision::kNothing && decision != Decision::kConflict) Emit(decision, rel, {});
    switch (decision) {
      case Decision::kNothing:
        return Agreed(d, name, rel, last, now);
      case Decision::kCopyAToB:
      case Decision::kBringBackToB:
        return Carry(d, kA, name, rel, last, now);
      case Decision::kCopyBToA:
      case Decision::kBringBackToA:
        return Carry(d, kB, name, rel, last, now);
      case Decision::kDeleteInA:
        return Remove(d, kA, name, rel, last, now);
      case Decision::kDeleteInB:
        return Remove(d, kB, name, rel, last, now);
      case Decision::kConflict:
        return Conflict(d, name, rel, last, now);
    }
    return kBothSides;
  }

  // Whether two files of the same size hold the same bytes. Only files
  // small enough to read whole are compared; larger ones stay a conflict,
  // which keeps both.
  bool SameData(const DirAt& d, const std::string& name, const Entry now[2]) {
    if (now[kA].kind != EntryKind::kFile || now[kB].kind != EntryKind::kFile) return false;
    if (now[kA].size != now[kB].size || now[kA].size > kLargestCompared) return false;
    FileAccess access;
    access.follow_link = false;
    access.max_size = kLargestCompared;
    std::string data[2];
    for (int side : {kA, kB}) {
      if (!s_.fs.ReadFile(ChildPath(d.path[side], name), &data[side], access).ok()) return false;
    }
    return data[kA] == data[kB];
  }

  Where Agreed(DirAt& d, const std::string& name, const std::string& rel, const Entry& last,
               const Entry now[2]) {
    if (!now[kA].exists()) return kNowhere;
    if (now[kA].is_directory()) {
      DirAt child = ChildOf(d, name);
      bool remains[2] = {false, false};
      // Below a directory the state did not know as one, nothing is known.
      SyncDir(child, last.is_directory(), remains);
    }
    Record(rel, now[kA]);
    return kBothSides;
  }

  // Carries the entry of side from to the other side.
  Where Carry(DirAt& d, int from, const std::string& name, const std::string& rel, const Entry& last,
              const Entry now[2]) {
    const int to = 1 - from;
    const Entry& x = now[from];
    const Entry& y = now[to];
    const auto unchanged = [&] { return Unchanged(rel, last, now); };
    if (!EnsurePresent(d, to)) return unchanged();
    const std::string source = ChildPath(d.path[from], name);
    const std::string target = ChildPath(d.path[to], name);
    if (y.is_directory()) {
      // Never a file over a directory (the decision makes that a conflict).
      Failed("cannot replace the directory " + target);
      return unchanged();
    }
    if (x.is_directory()) {
      if (y.exists() && !DeleteEntry(target)) return unchanged();
      if (!MakeDir(target, source)) {
        KeepStateBelow(rel);
        return OnlyOn(from);
      }
      DirAt child = ChildOf(d, name);
      child.fresh[to] = true;
      bool remains[2] = {false, false};
      SyncDir(child, false, remains);
      Record(rel, x);
      return kBothSides;
    }
    if (!CopyEntry(from, source, target, y.exists())) return unchanged();
    ++report_->copies;
    Record(rel, x);
    return kBothSides;
  }

  // Removes the entry of side, which the other side deleted.
  Where Remove(DirAt& d, int side, const std::string& name, const std::string& rel, const Entry& last,
               const Entry now[2]) {
    const std::string path = ChildPath(d.path[side], name);
    if (!now[side].is_directory()) {
      if (!DeleteEntry(path)) {
        Record(rel, last);
        return OnlyOn(side);
      }
      ++report_->deletions;
      return kNowhere;
    }
    // Each entry below is decided on its own: what changed since the last
    // sync stays and is brought back to the other side, with the
    // directory around it.
    DirAt child = ChildOf(d, name);
    child.present[1 - side] = false;
    bool remains[2] = {false, false};
    SyncDir(child, true, remains);
    if (remains[side] || !RemoveDir(path)) {
      Record(rel, now[side]);
      Where w = OnlyOn(side);
      w.on[1 - side] = remains[1 - side];
      return w;
    }
    ++report_->deletions;
    return kNowhere;
  }

  // Both sides changed the entry. The keeper's version takes the name on
  // both sides; the other is saved beside it, on both sides, under a name
  // of its own. Nothing is deleted for a conflict.
  Where Conflict(DirAt& d, const std::string& name, const std::string& rel, const Entry& last,
                 const Entry now[2]) {
    const int keeper = ConflictKeeper(now[kA], now[kB]) == Side::kA ? kA : kB;
    const int other = 1 - keeper;
    const std::string saved = SavedName(d, name);
    Emit(Decision::kConflict, rel, saved);
    ++report_->conflicts;
    const auto unchanged = [&] { return Unchanged(rel, last, now); };
    const std::string kept_path = ChildPath(d.path[keeper], name);
    const std::string other_path = ChildPath(d.path[other], name);
    const std::string saved_rel = Join(d.rel, saved);
    if (!CopyEntry(other, other_path, ChildPath(d.path[keeper], saved), false)) return unchanged();
    if (now[keeper].is_directory()) {
      // The directory keeps the name; the file makes way for it.
      if (!MoveEntry(other_path, ChildPath(d.path[other], saved))) return unchanged();
      Record(saved_rel, now[other]);
      if (!MakeDir(other_path, kept_path)) return OnlyOn(keeper);
      DirAt child = ChildOf(d, name);
      child.fresh[other] = true;
      bool remains[2] = {false, false};
      SyncDir(child, false, remains);
      Record(rel, now[keeper]);
      return kBothSides;
    }
    if (!CopyEntry(other, other_path, ChildPath(d.path[other], saved), false)) return unchanged();
    Record(saved_rel, now[other]);
    if (!CopyEntry(keeper, kept_path, other_path, true)) return unchanged();
    Record(rel, now[keeper]);
    return kBothSides;
  }

  // An action failed or was not taken: the path keeps its old state, so
  // the next run decides it again, and stays where it is.
  Where Unchanged(const std::string& rel, const Entry& last, const Entry now[2]) {
    Record(rel, last);
    Where w;
    w.on[kA] = now[kA].exists();
    w.on[kB] = now[kB].exists();
    return w;
  }

  DirAt ChildOf(const DirAt& d, const std::string& name) const {
    DirAt child;
    child.rel = Join(d.rel, name);
    for (int side : {kA, kB}) child.path[side] = ChildPath(d.path[side], name);
    return child;
  }

  std::string SavedName(const DirAt& d, const std::string& name) {
    for (int attempt = 1;; ++attempt) {
      std::string saved = ConflictName(name, options_.host_name, now_, attempt);
      if (!EntryExists(s_.fs, ChildPath(d.path[kA], saved)) && !EntryExists(s_.fs, ChildPath(d.path[kB], saved))) {
        return saved;
      }
    }
  }

  // --- the actions, through the logged file actions of the other modes ---

  bool EnsurePresent(DirAt& d, int side) {
    if (d.present[side]) return true;
    if (!MakeDir(d.path[side], d.path[1 - side])) return false;
    d.present[side] = true;
    d.fresh[side] = true;
    return true;
  }

  bool CopyEntry(int from, const std::string& source, const std::string& target, bool replaces) {
    if (options_.preview) return true;
    KeepVersionsBelow(s_, tops_, target);
    const int kind = CopyKindOf(from, replaces);
    switch (kind) {
      case kCopy1Over2:
        CaptureFileInfo(s_, source, 1);
        CaptureFileInfo(s_, target, 4);
        break;
      case kCopy2Over1:
        CaptureFileInfo(s_, target, 3);
        CaptureFileInfo(s_, source, 2);
        break;
      default:
        CaptureFileInfo(s_, source, 1);
        CaptureFileInfo(s_, source, 2);
        break;
    }
    const int failed_before = s_.flags.ActionFailed;
    s_.flags.ActionFailed = 0;
    CopyOneFile(s_, source, target, kind, false);
    const bool copied = s_.flags.ActionFailed == 0;
    s_.flags.ActionFailed = failed_before != 0 || !copied ? 1 : 0;
    if (!copied) ++report_->failures;
    return copied;
  }

  bool DeleteEntry(const std::string& path) {
    if (options_.preview) return true;
    KeepVersionsBelow(s_, tops_, path);
    CaptureFileInfo(s_, path, 2);
    if (DeleteFileChecked(s_, path, true)) return true;
    ++report_->failures;
    return false;
  }

  bool MakeDir(const std::string& path, const std::string& model) {
    if (options_.preview) return true;
    if (MakeDirectory(s_, path, model)) {
      s_.flags.FileChanged = 1;
      return true;
    }
    Failed("cannot create the directory " + path);
    return false;
  }

  bool RemoveDir(const std::string& path) {
    if (options_.preview) return true;
    const Status st = s_.fs.RemoveDirectory(path);
    if (!st.ok()) {
      Failed("cannot remove the directory " + path + ": " + st.ToString());
      return false;
    }
    s_.flags.FileChanged = 1;
    s_.flags.DirectoryRemoved = 1;
    if (s_.opt.ActiveOptions.EnableLog == 1 && s_.opt.ActiveOptions.Brief != 1) {
      WriteLogEntryLine(s_, NamePart(path), kNoFileColumn, "    was removed");
    }
    return true;
  }

  bool MoveEntry(const std::string& from, const std::string& to) {
    if (options_.preview) return true;
    const Status st = s_.fs.MoveFile(from, to);
    if (!st.ok()) {
      Failed("cannot rename " + from + " to " + to + ": " + st.ToString());
      return false;
    }
    s_.flags.FileChanged = 1;
    if (s_.opt.ActiveOptions.EnableLog == 1 && s_.opt.ActiveOptions.Brief != 1) {
      WriteLogEntryLine(s_, NamePart(from), kNoFileColumn, "    was renamed to ");
      WriteLogEntryLine(s_, NamePart(to), kNoFileColumn, {});
    }
    return true;
  }

  // A failure not reported by a file action: said on the terminal and in
  // the log, and the run ends as one with errors.
  void Failed(const std::string& text) {
    ++report_->failures;
    if (options_.silent) return;
    s_.host.Warning(text);
    // A preview says what would fail; it writes no log.
    if (options_.preview) return;
    s_.flags.ActionFailed = 1;
    if (s_.opt.ActiveOptions.EnableLog == 1) {
      WriteLogLine(s_, "!!!!! The Following Action Could Not Be Completed !!!!!");
      WriteLogLine(s_, text);
      s_.flags.ErrorLogged = 1;
    }
  }

  void Emit(Decision decision, const std::string& rel, const std::string& saved) {
    if (sink_) sink_(DecisionEvent{decision, rel, saved});
  }

  AppState& s_;
  std::string tops_[2];
  state::SyncState& state_;
  const SyncOptions& options_;
  const DecisionSink& sink_;
  SyncReport* report_;
  LocalTime now_;
  bool has_row_ = false;
  state::SyncRow row_;
  std::vector<Deciding> deciding_;
  std::set<std::string> written_elsewhere_;
};

}  // namespace

void RunSync(AppState& s, state::SyncState& state, const std::string& top_a, const std::string& top_b,
             const SyncOptions& options, const DecisionSink& sink, SyncReport* report) {
  *report = SyncReport{};
  s.flags.CancelRequested = 0;
  s.flags.ErrorLogged = 0;
  s.flags.ActionFailed = 0;
  s.flags.FileChanged = 0;
  s.log.HeaderPending = true;
  s.log.TruncatePending = true;
  (void)s.Path1.Assign(top_a);
  (void)s.Path2.Assign(top_b);
  (void)s.fs.PinTops({top_a, top_b, std::string(s.opt.ActiveOptions.LogFilePath.view())});
  Walker(s, state, options, sink, report).Run(top_a, top_b);
  if (options.preview) return;
  // Copies are made durable, and get their real times, before the state
  // that describes them is written.
  if (!s.fs.EndOfRun().ok()) {
    s.host.Warning("cannot flush the copies of this sync to disk");
    report->state_failed = true;
  }
  if (s.opt.ActiveOptions.EnableLog == 1 && s.flags.FileChanged == 1) {
    WriteLogLine(s, report->conflicts > 0 ? "Synchronization Completed With Conflicts"
                                          : "Synchronization Completed");
  }
}

}  // namespace velqo::sync
