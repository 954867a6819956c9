#include <string>
#include <vector>

#include "common/platform/platform_ops.h"
#include "engine/case_folding.h"
#include "engine/cleanup_dirs.h"
#include "engine/dir_acquisition.h"
#include "engine/empty_source.h"
#include "engine/reconcile_pair.h"
#include "engine/run_internal.h"
#include "engine/skipped_paths.h"

namespace velqo {

namespace {

// The directory holding path's last name.
std::string ParentOf(std::string_view path) {
  const std::size_t cut = path.find_last_of('\\');
  if (cut == std::string_view::npos) return std::string(path);
  return std::string(path.substr(0, cut < 3 ? 3 : cut));
}

// The Dir 2 counterpart of a Dir 1 directory: root2 followed by the part of
// the path after root1. A drive root root1 leaves the tail with its
// backslash, so C:\DATA\a\b under C:\DATA with E:\ gives E:\a\b (root2
// has by then lost its own backslash).
std::string CounterpartOf(std::string_view path1, std::string_view root1, std::string_view root2) {
  const std::size_t tail_start = root1.size() == 3 ? 2 : root1.size();
  std::string path2(root2);
  if (tail_start < path1.size()) path2 += path1.substr(tail_start);
  return path2;
}

// path1 with the names below root1 as Dir 1 spells them on disk; the walk
// holds them lower-cased. Empty when the spelling cannot be read.
std::string SpelledOnDisk(AppState& s, std::string_view path1, std::string_view root1) {
  const std::size_t tail_start = root1.size() == 3 ? 2 : root1.size();
  std::size_t names = 0;
  for (std::size_t i = tail_start; i < path1.size(); ++i) names += path1[i] == '\\' ? 1 : 0;
  std::string host;
  if (names == 0 || !s.fs.ToHostPath(path1, &host).ok()) return {};
  std::size_t cut = host.size();
  for (std::size_t k = 0; k < names; ++k) {
    cut = host.find_last_of('/', cut == 0 ? 0 : cut - 1);
    if (cut == std::string::npos) return {};
  }
  std::string spelled(path1.substr(0, tail_start));
  for (char c : std::string_view(host).substr(cut)) spelled += c == '/' ? '\\' : c;
  return spelled.size() == path1.size() ? spelled : std::string();
}

// A Dir 2 directory of the walk with case twins beside it: the exact name
// would be paired while its twin never is, so neither is. True when path2
// (or a directory above it, in skipped) has such twins; reported once.
bool Dir2HasTwins(AppState& s, const std::string& path2, bool folds_case, std::vector<std::string>* skipped) {
  // Where names keep their case, twins are two directories like any two.
  if (!folds_case) return false;
  for (const std::string& dir : *skipped) {
    if (path2.size() > dir.size() && path2.compare(0, dir.size(), dir) == 0 && path2[dir.size()] == '\\') {
      return true;
    }
  }
  std::vector<std::string> twins;
  if (!s.fs.CaseTwins(path2, &twins).ok() || twins.size() < 2) return false;
  ReportCaseTwins(s, ParentOf(path2), twins);
  skipped->push_back(path2);
  return true;
}

// A Dir 2 directory spelled otherwise than its Dir 1 counterpart, whose own
// spelling the patterns exclude: it is left alone with all below it, as
// the Dir 1 spelling would have been. True when path2 is such a one.
bool Dir2SpellingExcluded(AppState& s, const std::string& path2, std::string_view below1,
                          std::vector<std::string>* left_alone) {
  if (s.PathPatterns.empty() || !DirectoryExists(s.fs, path2)) return false;
  std::string host;
  if (!s.fs.ToHostPath(path2, &host).ok()) return false;
  const std::string_view spelled = std::string_view(host).substr(host.find_last_of('/') + 1);
  const std::size_t cut = below1.rfind('/');
  const std::string below2 =
      JoinBelowTop(cut == std::string_view::npos ? std::string_view() : below1.substr(0, cut), spelled);
  if (below2 == below1 || !s.PathPatterns.Excludes(below2, true)) return false;
  left_alone->push_back(path2);
  return true;
}

void ReconcileOne(AppState& s, std::string_view path1, const std::string& path2, std::string_view root1,
                  std::string_view root2, bool top) {
  if (!s.Path1.Assign(path1) || !s.Path2.Assign(path2)) {
    ReportPathTooLong(s, path2);
    return;
  }
  if (!top) {
    // Read from disk only when the Dir 2 directory has to be made.
    s.Path2Spelling = [&s, path1, root1, root2] {
      const std::string spelled1 = SpelledOnDisk(s, path1, root1);
      return spelled1.empty() ? spelled1 : CounterpartOf(spelled1, root1, root2);
    };
  }
  s.Path2BelowTop = !top;
  ReconcileCurrentPair(s);
  s.Path2Spelling = nullptr;
  s.Path2BelowTop = false;
}

// Reconciles entries start..count-1 of the walk while no end of the walk
// was asked for. A cancel pressed before (during the walk) stops it too.
void ReconcileWalk(AppState& s, DirWalk& walk, std::string_view root1, std::string root2) {
  const bool sub_only = s.opt.ActiveOptions.UseSubOnly == 1;
  (void)s.Path2.Assign(root2);
  s.flags.EndRunRequested = 0;
  const int start = sub_only ? 1 : 0;
  s.host.SetProgressMax(sub_only ? walk.count() - 1 : walk.count());
  std::vector<std::string> left_alone;  // Dir 2 directories skipped with all below them
  int index = s.flags.CancelRequested == 1 ? walk.count() : start;
  while (index < walk.count() && s.flags.EndRunRequested == 0) {
    const std::string_view path1 = walk.Entry(index);
    if (index > 0 && root2.size() == 3) root2.pop_back();
    const std::string path2 = index == 0 ? std::string(root2) : CounterpartOf(path1, root1, root2);
    s.PairBelowTop = walk.BelowTop(index);
    const bool skipped = index > 0 && (Dir2HasTwins(s, path2, walk.folds_case(), &left_alone) ||
                                       Dir2SpellingExcluded(s, path2, s.PairBelowTop, &left_alone));
    if (!skipped) ReconcileOne(s, path1, path2, root1, root2, index == 0);
    ++index;
    if (s.flags.CancelRequested == 1) index = walk.count();
    s.host.SetProgressPosition(index);
    s.host.PumpEvents();
  }
  s.PairBelowTop.clear();
}

bool CleanUpMayRemoveDirectories(const AppState& s) {
  return s.opt.ActiveOptions.CleanUp == 1 && s.opt.ActiveOptions.DIRDEL == 1;
}

}  // namespace

void RunDirectoryWalk(AppState& s, std::string_view root1, std::string_view root2,
                      bool same_structure, WalkOrigin origin) {
  if (origin == WalkOrigin::kMainWindow) s.host.SetStatusText("Acquiring Directories... ");
  if (!EmptySourceMayGoOn(s, root1, root2)) return;
  DirWalk walk(s, root1);
  walk.SetFoldsCase(FoldsCase(s, root2));
  AcquireDirectories(s, walk, WalkMode::kDir1);
  // Ctrl-C or Cancel during the walk ends the run before anything changes.
  if (s.flags.CancelRequested == 1) return;
  // Removal compares Dir 2 with the whole Dir 1 tree, so it comes after
  // the whole walk.
  if (CleanUpMayRemoveDirectories(s)) RemoveSurplusDirectories(s, walk, root1, root2, same_structure);
  if (origin == WalkOrigin::kBatchItem) s.host.SetProgressPosition(0);
  ReconcileWalk(s, walk, root1, std::string(root2));
}

}  // namespace velqo
