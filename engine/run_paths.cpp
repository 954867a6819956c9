#include <algorithm>
#include <string>

#include "actions/versions.h"
#include "common/platform/platform_ops.h"
#include "engine/run_internal.h"

namespace velqo {

namespace {

constexpr std::string_view kDemoTarget = "C:\\VelqoDemo\\My Backed Up Documents";

void ShowError(AppState& s, std::string_view text, Icon icon) {
  s.host.MessageBox(text, "Error", icon, Buttons::kOk);
}

// Returns false when Dir 2 could not be taken at all (reported here).
bool TakePaths(AppState& s) {
  if (s.sw.DemoMode == 1) {
    if (!s.Path1.Assign(s.fs.ShellFolder("Personal"))) s.Path1.Clear();
    (void)s.Path2.Assign(kDemoTarget);
    if (!MakeDirPath(s.fs, kDemoTarget).empty()) {
      ShowError(s, "Cannot create C:\\VelqoDemo\\My Backed Up Documents", Icon::kWarning);
    }
    return true;
  }
  // A Dir 1 that cannot be taken stays empty and fails the check below
  // with the usual message.
  (void)TakeTypedPath(s, s.host.Dir1Text(), &s.Path1);
  if (TakeTypedPath(s, s.host.Dir2Text(), &s.Path2)) return true;
  s.host.MessageBox("Directory Path 2 is invalid - please respecify", "Error", Icon::kWarning,
                    Buttons::kOk);
  return false;
}

void CheckMissingPath2(AppState& s) {
  if (s.Path2.size() == 3) {
    ShowError(s,
              "Directory Path 2 does not exist. Since it is a ROOT directory, it is either "
              "pointing at an empty removable drive or the directory was entered in error - "
              "please respecify.",
              Icon::kError);
  } else if (!IsExistingDir(s, s.Path2.view().substr(0, 3))) {
    ShowError(s,
              "The ROOT of the Directory Path 2 does not exist - it is likely that, it is either "
              "pointing at an empty removable drive or the directory was entered in error - "
              "please respecify.",
              Icon::kError);
    (void)s.Path2.Assign("C:\\");
  }
}

// The create question for a Dir 2 below an existing root.
bool OfferToCreatePath2(AppState& s) {
  const Answer answer =
      s.host.MessageBox("Directory Path 2 does not exist. Do you wish to create this path?",
                        "Create Directory Path 2?", Icon::kQuestion, Buttons::kYesNo);
  if (answer != Answer::kYes) {
    ShowError(s, "Directory Path 2 is invalid - please respecify", Icon::kWarning);
    return false;
  }
  if (MakeDirPath(s.fs, s.Path2.view()).empty() && IsExistingDir(s, s.Path2.view())) {
    PinRunTops(s);
    return true;
  }
  ShowError(s, "Cannot create Directory Path 2.", Icon::kWarning);
  return false;
}

}  // namespace

bool IsExistingDir(AppState& s, std::string_view path) {
  return !path.empty() && DirectoryExists(s.fs, path);
}

bool TakeTypedPath(AppState& s, std::string_view typed, PathText* out) {
  out->Clear();
  if (typed.empty()) return true;
  std::string windows;
  if (!s.fs.ToWindowsPath(typed, &windows).ok()) return false;
  return out->Assign(windows);
}

void PinRunTops(AppState& s) {
  // The tops may be links (a disk mounted elsewhere, a home directory moved):
  // they are resolved once, here; below them no link is followed.
  (void)s.fs.PinTops({s.Path1.str(), s.Path2.str(), std::string(s.opt.ActiveOptions.LogFilePath.view())});
  StartVersions(s);
}

void StartVersions(AppState& s) {
  VersionState& v = s.versions;
  if (!v.enabled) return;
  // Each Dir 2 top keeps its own versions, at its top.
  if (v.top != s.Path2.view()) v.stamp.clear();
  v.top = s.Path2.str();
  if (!v.prune || v.top.empty() || std::find(v.pruned.begin(), v.pruned.end(), v.top) != v.pruned.end()) return;
  v.pruned.push_back(v.top);
  std::string failed;
  (void)PruneVersions(s.fs, v.top, v.keep_days, s.fs.Now(), &failed);
  if (!failed.empty()) s.host.Warning("cannot remove the old versions in " + failed);
}

PathChecks TakeAndCheckPaths(AppState& s) {
  PathChecks checks;
  const bool path2_taken = TakePaths(s);
  PinRunTops(s);
  if (!IsExistingDir(s, s.Path1.view())) checks.valid1 = false;
  if (!path2_taken) {
    checks.valid2 = false;
  } else if (!IsExistingDir(s, s.Path2.view())) {
    CheckMissingPath2(s);
    checks.valid2 = false;
  }
  if (!checks.valid1) ShowError(s, "Directory Path 1 is invalid - please respecify", Icon::kError);
  if (path2_taken && !checks.valid2 && s.Path2.size() > 3) checks.valid2 = OfferToCreatePath2(s);
  return checks;
}

}  // namespace velqo
