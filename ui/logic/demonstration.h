#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "config/app_state.h"

namespace velqo::ui {

inline constexpr std::string_view kDemoRoot = "C:\\VelqoDemo";

// The question asked before the demonstration runs, lines broken with CR LF.
std::string DemoQuestion();

// The options the demonstration runs with: the documents folder alone,
// new files added to the backup, every file confirmed, no OPTIONS.UPD, and
// a log only where the session's log directory exists.
OptionSet DemoOptions(AppState& s);

// "Run Demonstration": asks, then runs an update of the documents folder
// into the demonstration directory through run_update (the main window's
// update press). Afterwards the session's options, the active options with
// their tables, and Path1 and Path2 are what they were before, so the next
// update is the user's own. False when the user declined.
bool RunDemonstration(AppState& s, const std::function<void()>& run_update);

// "Remove Demonstration Directory": removes it with all it holds; nothing
// happens when it is not there.
void RemoveDemonstrationDirectory(AppState& s);

}  // namespace velqo::ui
