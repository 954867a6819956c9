#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/platform/platform.h"
#include "common/text/status.h"

namespace velqo {

// Why a settings or log file cannot be used, in the words of the program's
// messages ("It Is A Symbolic Link", "It Is Larger Than 1 MiB", ...).
// size_limit is the bound the file was read with.
std::string DescribeFileProblem(Platform& fs, std::string_view path, const Status& status,
                                std::uint64_t size_limit);

// "The <what> <path> Cannot Be Used (<reason>). <consequence>"
std::string FileProblemMessage(std::string_view what, std::string_view path,
                               std::string_view reason, std::string_view consequence);

}  // namespace velqo
