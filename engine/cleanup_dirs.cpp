#include "engine/cleanup_dirs.h"

#include <string>
#include <unordered_set>

#include "actions/directories.h"
#include "actions/log_format.h"
#include "actions/update_log.h"
#include "common/text/tostring.h"
#include "engine/case_folding.h"
#include "engine/excluded_contents.h"
#include "engine/action_phases.h"

namespace velqo {

namespace {

// Paths of both trees compared without their drive letter.
std::string WithoutDrive(std::string_view path) {
  return path.empty() ? std::string() : std::string(path.substr(1));
}

void ShowStructureAlert(AppState& s, std::string_view top1, std::string_view top2) {
  TOstring text(800);
  text.Append("Because Of The HIGH Likelihood Of Catastrophe, Velqo ");
  text.Append("Does Not Allow Cleanup Involving Removal Of Directories ");
  text.Append("When The Two Top Directories Do Not Share The Same Path ");
  text.Append("Structure - I.E. C:\\EXAMPLE\\TEST And D:\\EXAMPLE\\TEST Are ");
  text.Append("Acceptable; C:\\EXAMPLE\\TEST And D:\\EXAMPLE\\ODDBALL Are Not. ");
  text.Append("In This Case The Unacceptable Top Directories Were");
  text.AppendCrLf();
  text.Append(top1);
  text.AppendCrLf();
  text.Append(" And ");
  text.AppendCrLf();
  text.Append(top2);
  s.host.MessageBox(text.View(), "Cleanup Directories Alert", Icon::kWarning, Buttons::kOk);
}

// What the Dir 1 walk saw, keyed without the drive letter, and folded to
// lower case where Dir 2 folds case.
struct Dir1View {
  bool fold_case = true;
  std::unordered_set<std::string> present;
  std::unordered_set<std::string> unreadable;
  std::unordered_set<std::string> left_out;  // by the filters, as links, or as case twins

  std::string Key(std::string_view path) const { return NameKey(WithoutDrive(path), fold_case); }
};

Dir1View ViewOf(DirWalk& dir1) {
  Dir1View view;
  view.fold_case = dir1.folds_case();
  view.present.reserve(static_cast<std::size_t>(dir1.count()) * 2);
  for (int i = 0; i < dir1.count(); ++i) view.present.insert(view.Key(dir1.Entry(i)));
  for (const std::string& dir : dir1.unreadable()) view.unreadable.insert(view.Key(dir));
  for (const std::string& dir : dir1.left_out()) view.left_out.insert(view.Key(dir));
  return view;
}

// True when a proper ancestor of path (keyed as view keys it) is in set.
bool BelowAnyOf(const Dir1View& view, const std::string& path, const std::unordered_set<std::string>& set) {
  if (set.empty()) return false;
  for (std::size_t cut = path.find('\\', 3); cut != std::string::npos;
       cut = path.find('\\', cut + 1)) {
    if (set.count(view.Key(path.substr(0, cut))) != 0) return true;
  }
  return false;
}

bool UserAgrees(AppState& s, const std::string& path) {
  if (s.opt.ActiveOptions.JFDI == 1) return true;
  TOstring text(300);
  text.Append("Do You Wish To Delete ");
  text.Append(path);
  text.Append(" And All Of Its Subdirectories As Part");
  text.Append(" Of The Current CleanUp Operation?");
  return s.host.MessageBox(text.View(), "Confirm Directory Deletion Operation", Icon::kQuestion,
                           Buttons::kYesNo) == Answer::kYes;
}

void LogLine(AppState& s, std::string_view first, std::string_view second) {
  TOstring line(80);
  line.Append(first);
  line.Append(second);
  WriteLogLine(s, line.View());
}

void RemoveOne(AppState& s, const std::string& path) {
  s.flags.DirectoryRemoved = 1;
  const bool removed = RemoveDirTree(s, path);
  if (s.opt.ActiveOptions.EnableLog != 1) return;
  if (removed) {
    LogLine(s, "   ", " The directory below (and its subdirectories) has been deleted by CleanUp  ");
  } else {
    // The removal said what failed; the log must not claim it was done.
    LogLine(s, "!!! CleanUp Could Not Completely Remove The Directory Below", " !!!");
    s.flags.ErrorLogged = 1;
  }
  LogLine(s, "       ", path);
}

void LogKept(AppState& s, const std::string& path) {
  if (s.opt.ActiveOptions.EnableLog != 1) return;
  LogLine(s, "   ", " The directory below holds excluded entries - CleanUp kept it");
  LogLine(s, "       ", path);
}

}  // namespace

namespace {

// A mirror that keeps backups keeps the directories a Dir 1 file replaced,
// under their backup names (an extension beginning with "~").
bool IsKeptBackup(AppState& s, std::string_view path) {
  if (!KeepsBackups(s)) return false;
  const std::string_view name = NamePart(path);
  const std::size_t dot = name.rfind('.');
  return dot != std::string_view::npos && dot + 1 < name.size() && name[dot + 1] == '~';
}

}  // namespace

bool SameStructure(std::string_view top1, std::string_view top2) {
  return !top1.empty() && !top2.empty() && top1.substr(1) == top2.substr(1);
}

void RemoveSurplusDirectories(AppState& s, DirWalk& dir1, std::string_view top1,
                              std::string_view top2, bool same_structure) {
  if (!same_structure) {
    ShowStructureAlert(s, top1, top2);
    return;
  }
  DirWalk dir2(s, top2);
  dir2.SetFoldsCase(dir1.folds_case());
  dir2.keys.push_back(DirKey{0, static_cast<std::int32_t>(top2.size())});
  AcquireDirectories(s, dir2, WalkMode::kDir2);
  SortDirKeys(dir2.keys);

  const Dir1View view = ViewOf(dir1);
  std::unordered_set<std::string> surplus;
  for (DirKey& key : dir2.keys) {
    const std::string path(dir2.Entry(key.position));
    if (view.present.count(view.Key(path)) != 0) continue;
    key.length = 0;
    const bool inside_surplus = BelowAnyOf(view, path, surplus);
    surplus.insert(view.Key(path));
    if (inside_surplus) continue;
    // Below a Dir 1 directory that could not be read, absence proves nothing;
    // a directory Dir 1 holds but the walk left out is not surplus either.
    if (BelowAnyOf(view, path, view.unreadable)) continue;
    if (view.left_out.count(view.Key(path)) != 0 || BelowAnyOf(view, path, view.left_out)) continue;
    if (IsKeptBackup(s, path)) continue;
    if (s.flags.CancelRequested == 1) return;
    // Excluded entries are never deleted, so neither is the tree holding them.
    if (HoldsExcludedEntries(s, path, dir2.BelowTop(key.position))) {
      LogKept(s, path);
      continue;
    }
    if (!UserAgrees(s, path)) continue;
    RemoveOne(s, path);
  }
}

}  // namespace velqo
