#pragma once

namespace velqo::cli {

// How much the console program prints: -q only errors and the questions
// that must be answered, -v also each change as it is made.
enum class Verbosity { kQuiet, kNormal, kVerbose };

}  // namespace velqo::cli
