#pragma once

#include "cli/arguments.h"
#include "cli/cli_run.h"

namespace velqo::cli {

// --undo DIR1 DIR2 (with -n: the plan only). Returns the exit status.
int RunUndo(const CommandLine& line, const PlatformConfig& config, CliIo& io);
// --versions-of=PATH.
int RunVersionsOf(const CommandLine& line, const PlatformConfig& config, CliIo& io);
// --restore=PATH --from=STAMP.
int RunRestore(const CommandLine& line, const PlatformConfig& config, CliIo& io);

}  // namespace velqo::cli
