#pragma once

#include <string_view>

#include "config/app_state.h"

namespace velqo::sync {

// A file a sync is about to delete, because the other side deleted it, may
// be kept as a version instead. True when it was (then it is gone from its
// place and nothing more is to be done); false when no store of versions
// took it, and the caller deletes it.
bool KeepDeletedAsVersion(AppState& s, std::string_view path);

}  // namespace velqo::sync
