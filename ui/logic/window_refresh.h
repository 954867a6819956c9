#pragma once

#include <string>
#include <string_view>

#include "config/app_state.h"
#include "ui/logic/dir_tree_model.h"

namespace velqo::ui {

// What showing the main window puts where, worked out from the default
// options and the stored paths.
struct RefreshPlan {
  bool batch_mode = false;
  // A stored path was no longer a directory: it became "c:\" and any
  // autostart was called off.
  bool path_invalid = false;
  bool progress_visible = true;  // PB1 and Cancel
  TreeSwitches switches;
  std::string edir1;
  std::string edir2;
  char drive1 = 'c';
  char drive2 = 'c';
  bool structure_mode = false;  // Dir 1's structure on Dir 2's drive
  std::string ld2_text = "Directories";
  bool tree2_visible = true;
};

// Plans the refresh; checks (and repairs) Path1 and Path2 unless in batch mode.
RefreshPlan PlanRefresh(AppState& s);

// The tree switches an option set asks for.
TreeSwitches SwitchesOf(const OptionSet& options);

// Dir 1's place on another drive: the drive letter, ":\" and Dir 1 less
// its own drive part ("d:\work\src" on drive e is "e:\work\src").
std::string StructurePath(char drive, std::string_view dir1);

}  // namespace velqo::ui
