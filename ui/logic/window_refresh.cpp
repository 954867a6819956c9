#include "ui/logic/window_refresh.h"

#include "common/platform/platform_ops.h"

namespace velqo::ui {

namespace {

constexpr std::string_view kFallbackPath = "c:\\";

// A stored path that is no longer a directory becomes the fallback.
bool CheckStoredPath(AppState& s, PathText& path) {
  if (DirectoryExists(s.fs, path.view())) return true;
  path.AssignCut(kFallbackPath);
  return false;
}

char FirstChar(const PathText& path) { return path.view().empty() ? 'c' : path[0]; }

}  // namespace

TreeSwitches SwitchesOf(const OptionSet& options) {
  TreeSwitches sw;
  sw.hidden = options.IncHidDir == 1;
  sw.system = options.IncSysDir == 1;
  sw.read_only = options.IncRODir == 1;
  sw.archive = options.IncArcDir == 1;
  return sw;
}

std::string StructurePath(char drive, std::string_view dir1) {
  std::string out(1, drive);
  out += ":\\";
  if (dir1.size() > 3) out += dir1.substr(3);
  return out;
}

RefreshPlan PlanRefresh(AppState& s) {
  const OptionSet& d = s.opt.DefaultOptions;
  RefreshPlan plan;
  plan.batch_mode = d.UseBatchFile != 0;
  if (plan.batch_mode) return plan;
  const bool valid1 = CheckStoredPath(s, s.Path1);
  const bool valid2 = CheckStoredPath(s, s.Path2);
  if (!valid1 || !valid2) {
    plan.path_invalid = true;
    s.sw.AutoStart = 0;
  }
  plan.switches = SwitchesOf(d);
  plan.edir1 = s.Path1.str();
  plan.drive1 = FirstChar(s.Path1);
  plan.drive2 = FirstChar(s.Path2);
  plan.progress_visible = !(d.UseDir1 == 1 || d.SelectSeparate == 1);
  plan.structure_mode = d.UseDir1 == 1;
  if (plan.structure_mode) {
    plan.ld2_text = "Drive";
    plan.tree2_visible = false;
    plan.edir2 = StructurePath(plan.drive2, s.Path1.view());
  } else {
    plan.edir2 = s.Path2.str();
  }
  return plan;
}

}  // namespace velqo::ui
