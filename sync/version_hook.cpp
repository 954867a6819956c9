#include "sync/version_hook.h"

namespace velqo::sync {

bool KeepDeletedAsVersion(AppState& /*s*/, std::string_view /*path*/) {
  // No store of versions exists yet: the deletion goes ahead as in the
  // other modes, through the logged delete action.
  return false;
}

}  // namespace velqo::sync
