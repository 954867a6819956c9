#pragma once

#include <string>
#include <string_view>

#include "config/app_state.h"
#include "ui/logic/appearance.h"

namespace velqo::ui {

// The stored forms that ColorFromStored and FontStyleFromStored read.
std::string ColorToStored(const Rgb& color);
std::string FontStyleToStored(const FontStyle& style);

// The main window's background colour, kept and written at once.
void StoreWindowColor(AppState& s, const Rgb& color);

// The main window's font, kept and written at once (name, size, style and
// colour).
struct StoredFont {
  std::string name;
  int size = 8;
  FontStyle style;
};
void StoreWindowFont(AppState& s, const StoredFont& font);

}  // namespace velqo::ui
