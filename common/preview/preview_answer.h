#pragma once

#include <string_view>

#include "common/host/host.h"

namespace velqo {

// The answer a preview takes to a box with buttons, shown to nobody: the
// one that lets the update go on, as an unattended run would. Two
// questions are answered No instead: the size-drop warning (Yes would
// leave the newer file out) and the empty-source caution (Yes would
// empty Dir 2), unless an empty source is allowed.
Answer PreviewAnswer(std::string_view caption, Buttons buttons, bool allow_empty_source);

}  // namespace velqo
