#pragma once

#include <span>
#include <string_view>

#include "config/app_state.h"
#include "config/profile_section.h"

namespace velqo {

// The main window's place and size.
struct WindowGeometry {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// "Save As Default Settings" (and the first run): writes every option key
// from ActiveOptions, then LastBatch or Path1 and Path2, then runs the INI
// load. The keys reach the file in one write; a failure shows its box once.
void WriteDefaults(AppState& s, bool first_run);

// When the main window closes: the geometry (10, 10, 600, 240 for a window
// that covers the whole screen), the skin in use, then LastBatch or the two
// paths as the defaults writer stores them.
void WriteOnClose(AppState& s, const WindowGeometry& live, int screen_width, int screen_height);

// Writers' shared steps, into any file with the program's section; a
// failed write is told through the pass's notice, once.
// Writes the keys in order from a set.
void WriteOptionKeys(ProfileSection& file, const OptionSet& from,
                     std::span<const std::string_view> order, WriteFailureNotice& notice);
// Batch method: LastBatch. Otherwise the main window's Dir 1 and Dir 2 ("c:\"
// on a first run), each reported and skipped when it is not an existing
// directory, written unless the paths are read-only (/G). With update_paths
// the valid ones also become Path1 and Path2.
void WriteBatchOrPaths(AppState& s, ProfileSection& file, bool first_run, bool update_paths,
                       WriteFailureNotice& notice);

}  // namespace velqo
