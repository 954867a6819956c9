#include <string>

#include "engine/cleanup_dirs.h"
#include "engine/dir_acquisition.h"
#include "engine/reconcile_pair.h"
#include "engine/run_internal.h"
#include "engine/skipped_paths.h"

namespace velqo {

namespace {

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

// Reconciles entries start..count-1 of the walk while no end of the walk
// was asked for.
void ReconcileWalk(AppState& s, DirWalk& walk, std::string_view root1, std::string root2) {
  const bool sub_only = s.opt.ActiveOptions.UseSubOnly == 1;
  (void)s.Path2.Assign(root2);
  s.flags.CancelRequested = 0;
  s.flags.EndRunRequested = 0;
  const int start = sub_only ? 1 : 0;
  s.host.SetProgressMax(sub_only ? walk.count() - 1 : walk.count());
  int index = start;
  while (index < walk.count() && s.flags.EndRunRequested == 0) {
    const std::string_view path1 = walk.Entry(index);
    if (index > 0 && root2.size() == 3) root2.pop_back();
    const std::string path2 = index == 0 ? std::string(root2) : CounterpartOf(path1, root1, root2);
    if (s.Path1.Assign(path1) && s.Path2.Assign(path2)) {
      ReconcileCurrentPair(s);
    } else {
      ReportPathTooLong(s, path2);
    }
    ++index;
    if (s.flags.CancelRequested == 1) index = walk.count();
    s.host.SetProgressPosition(index);
    s.host.PumpEvents();
  }
}

bool CleanUpMayRemoveDirectories(const AppState& s) {
  return s.opt.ActiveOptions.CleanUp == 1 && s.opt.ActiveOptions.DIRDEL == 1;
}

}  // namespace

void RunDirectoryWalk(AppState& s, std::string_view root1, std::string_view root2,
                      bool same_structure, WalkOrigin origin) {
  if (origin == WalkOrigin::kMainWindow) s.host.SetStatusText("Acquiring Directories... ");
  DirWalk walk(s, root1);
  if (!walk.ok()) return;
  AcquireDirectories(s, walk, WalkMode::kDir1);
  // Removal compares Dir 2 with the whole Dir 1 tree: with part of it
  // unlisted, directories that do have a counterpart would look surplus.
  if (CleanUpMayRemoveDirectories(s) && walk.Complete()) {
    RemoveSurplusDirectories(s, walk, root1, root2, same_structure);
  }
  if (!walk.Complete()) return;
  if (origin == WalkOrigin::kBatchItem) s.host.SetProgressPosition(0);
  ReconcileWalk(s, walk, root1, std::string(root2));
}

}  // namespace velqo
