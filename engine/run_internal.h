#pragma once

#include <string>
#include <string_view>

#include "config/app_state.h"
#include "engine/update_run.h"

namespace velqo {

// The pieces of one update run, called in this order by RunUpdate.

// True for an existing directory; an empty text names none (the platform
// would otherwise take it for the current directory).
bool IsExistingDir(AppState& s, std::string_view path);

// Takes a typed text (main window, batch item) into a path array: a host
// path ("/...", "~...") in its Windows form. False when it cannot be
// converted or would not fit; the array is then empty, never cut.
bool TakeTypedPath(AppState& s, std::string_view typed, PathText* out);

// Pins Path1, Path2 and the log directory as the tops of the run (or of
// the batch pair) in the platform.
void PinRunTops(AppState& s);
// Makes Path2 the top whose old files are kept (when versions are on) and
// prunes that top's old versions once per run.
void StartVersions(AppState& s);

// Validity of the two paths the main window gave, after they were checked
// (and Dir 2 possibly created).
struct PathChecks {
  bool valid1 = true;
  bool valid2 = true;
};

// Fills Path1/Path2 from the main window (or the demonstration's folders),
// shows the messages of the checks, asks to create a missing Dir 2.
PathChecks TakeAndCheckPaths(AppState& s);

// The status-bar text of a pair, then a pump, then the pair itself.
void ReconcileCurrentPair(AppState& s);

// How a walk is started: from the main window (with the "Acquiring
// Directories... " text) or from a batch item.
enum class WalkOrigin { kMainWindow, kBatchItem };

// Lists the Dir 1 tree below root1, removes surplus Dir 2 directories when
// CleanUp may do so, and reconciles every directory with its Dir 2
// counterpart below root2. same_structure is the result of the test the
// caller made on the two top directories.
void RunDirectoryWalk(AppState& s, std::string_view root1, std::string_view root2,
                      bool same_structure, WalkOrigin origin);

// The two batch forms: one pair per item, or one walk per item.
void RunBatchOfPairs(AppState& s);
void RunBatchWithWalks(AppState& s);

// Splits a batch item at the first "!", or else at the first blank.
struct BatchItem {
  std::string dir1;
  std::string dir2;
};
BatchItem SplitBatchItem(std::string_view item);

// Reports the outcome on the status bar and in the log, restores the
// window, ends an error-free autostart run, repositions the trees.
UpdateOutcome FinishRun(AppState& s);

}  // namespace velqo
