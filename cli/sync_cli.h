#pragma once

#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/cli_run.h"

namespace velqo::cli {

// velqo-cli --sync A B: a two-way sync of the pair that remembers its last
// synced state. Returns the exit status: 0 done, 1 could not start, 2 a
// conflict, a failure, a refusal (an emptied side, --max-delete, another
// sync of the pair running), 3 cancelled.
int RunSyncCommand(const std::vector<std::string>& args, const CommandLine& line,
                   const PlatformConfig& config, CliIo& io);

}  // namespace velqo::cli
