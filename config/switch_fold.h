#pragma once

#include <span>
#include <string_view>

#include "config/app_state.h"
#include "config/profile_section.h"

namespace velqo {

// The option fields that command-line switches override: Quiet, Brief,
// DIRDEL, JFDI and XATTR, in the order the INI load reads them.
std::span<const std::string_view> SwitchFieldNames();
bool IsSwitchField(std::string_view key);

// Sets one of those fields of DefaultOptions: 1 when its switch was given
// (Quiet: /Q or /A), else the file's value (ini), else it keeps its value
// (ini null). Then shows the field's alert when it is 1 and Quiet is 0.
void FoldSwitchField(AppState& s, std::string_view key, ProfileSection* ini);

}  // namespace velqo
