#pragma once

#include <cstdint>
#include <string_view>

#include "config/app_state.h"
#include "engine/file_lists.h"

namespace velqo {

// Helpers shared by the plain and the confirmed phases.

// Fills File1Path and File2Path for a file of the pair, both with the name
// of the list being walked. False (reported) when either would not fit:
// the file is then left alone.
bool SetFilePaths(AppState& s, std::string_view name);

// Whether replaced files keep their old data under their backup names
// (in CleanUp, which makes Dir 2 a replica, only when asked for apart).
bool KeepsBackups(const AppState& s);

// Calls act(index) for each entry of list in the given state, in list
// order, while PairStopped is off and act returns true, once its paths are
// set. Returns false when act asked to end the pair at once.
template <typename Act>
bool ForEachInState(AppState& s, FileList& list, std::int32_t state, Act act) {
  for (int i = 0; i < list.count() && s.flags.PairStopped == 0; ++i) {
    if (list.State(i) != state) continue;
    if (!SetFilePaths(s, list.Name(i))) continue;
    if (!act()) return false;
  }
  return true;
}

// The phases that put every action to the user (unless JFDI).
void ConfirmedPhases(AppState& s, PairLists& lists);

}  // namespace velqo
