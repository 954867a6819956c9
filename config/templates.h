#pragma once

#include "config/app_state.h"

namespace velqo {

// "Save Option Template As...": asks for a .opt file (through the host's
// save dialog, starting where the INI file is), copies the INI file there
// byte for byte and writes the current options, LastBatch or the two paths
// over the copy. Returns true when a template was saved.
bool SaveOptionTemplate(AppState& s);

// "Load Option Template...": offers to save the current options first, asks
// for a .opt file and makes it the INI file, then runs the INI load. Returns
// true when a template was loaded; the main window then re-reads its layout.
bool LoadOptionTemplate(AppState& s);

}  // namespace velqo
