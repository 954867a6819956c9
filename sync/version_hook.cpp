#include "sync/version_hook.h"

#include "actions/versions.h"

namespace velqo::sync {

void KeepVersionsBelow(AppState& s, const std::string (&tops)[2], std::string_view path) {
  VersionState& v = s.versions;
  if (!v.enabled) return;
  std::string relative;
  for (const std::string& top : tops) {
    v.top = top;
    if (RelativeToVersionTop(v, path, &relative)) return;
  }
}

void PruneSideVersions(AppState& s, const std::string (&tops)[2]) {
  VersionState& v = s.versions;
  if (!v.enabled || !v.prune) return;
  for (const std::string& top : tops) {
    std::string failed;
    (void)PruneVersions(s.fs, top, v.keep_days, s.fs.Now(), &failed);
    if (!failed.empty()) s.host.Warning("cannot remove the old versions in " + failed);
  }
}

}  // namespace velqo::sync
