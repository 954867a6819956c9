#pragma once

#include <string>
#include <string_view>

#include "common/time/dos_time.h"

namespace velqo::sync {

// The name the losing side of a conflict is saved under, beside the file:
// report.txt -> report.conflict-HOST-20261210-234500.txt. A name without
// an extension (or a dotfile such as .profile) gets the mark at its end.
// attempt > 1 adds "-2", "-3", ... before the extension, for a name taken.
std::string ConflictName(std::string_view name, std::string_view host, const LocalTime& when,
                         int attempt = 1);

}  // namespace velqo::sync
