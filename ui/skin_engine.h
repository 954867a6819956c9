#pragma once

#include <string_view>

#include "common/platform/platform.h"

namespace velqo::ui {

// Skins are Qt style sheets applied to the whole application, so the
// dialogs share the main window's look. Activates the named skin and
// returns true; "None", or a skin that cannot be read, gives the plain
// look and false.
bool ActivateSkin(Platform& fs, std::string_view name);
void DeactivateSkin();

}  // namespace velqo::ui
