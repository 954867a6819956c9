#pragma once

#include "config/app_state.h"

namespace velqo {

// Fills s.intl from section "intl" of WIN.INI in the Windows directory (keys
// it lacks come from the user's locale). Under /I the test dialog is shown
// first and, on OK, its clock and date-order choices replace those two.
void LoadIntlSettings(AppState& s);

}  // namespace velqo
