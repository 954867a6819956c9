#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/platform/platform.h"
#include "common/text/status.h"
#include "ui/logic/appearance.h"

namespace velqo::ui {

// Skins are style sheets in the data directory's Skins folder, one
// "<name>.skn" file each.
inline constexpr std::string_view kSkinExtension = ".skn";
// A skin file is read whole; anything larger is not a skin.
inline constexpr std::uint64_t kMaxSkinBytes = 1u << 20;

// The skin names found, sorted, without the extension.
std::vector<std::string> ListSkins(Platform& fs);

// The Windows path of a skin's file.
std::string SkinPath(Platform& fs, std::string_view name);

// Reads a skin's style sheet. Fails for "None", a missing or oversized
// file, or text holding a zero byte.
Status ReadSkin(Platform& fs, std::string_view name, std::string* style_sheet);

}  // namespace velqo::ui

namespace velqo::ui {

// The colour a skin gives its windows: the first background colour its
// style sheet names as #rrggbb. Empty when it names none.
std::optional<Rgb> SkinColor(std::string_view style_sheet);

}  // namespace velqo::ui
