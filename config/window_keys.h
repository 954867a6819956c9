#pragma once

#include "config/app_state.h"
#include "config/profile_section.h"

namespace velqo {

// The window and appearance part of the INI load, into s.window: the four
// geometry keys (30000 or missing: the default, written back), MainSkin and
// the choice of the skin in use, and the font and colour keys.
// Failed write-backs go to notice.
void LoadWindowGeometry(AppState& s, WriteFailureNotice& notice);
void LoadSkin(AppState& s, WriteFailureNotice& notice);
void LoadFontKeys(AppState& s);

// The skin the program starts with when none is stored.
inline constexpr std::string_view kDefaultSkin = "Gray Ghost";
inline constexpr std::string_view kNoSkin = "None";

}  // namespace velqo
