#pragma once

#include <string>
#include <string_view>

#include "config/app_state.h"

namespace velqo::sync {

// Where versions are on, the old files a sync replaces or deletes are kept
// in the versions folder at the top of the side they were on: the copy and
// delete actions keep them there once the versions' top is that side's.
// Points s.versions at the top that path lies below.
void KeepVersionsBelow(AppState& s, const std::string (&tops)[2], std::string_view path);

// Removes each side's versions older than the days to keep, once per run.
void PruneSideVersions(AppState& s, const std::string (&tops)[2]);

}  // namespace velqo::sync
