#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace velqo {

// Test-only controls of the file copy. The hook runs before each chunk of a
// regular file's data is copied, with the bytes copied so far and the total;
// a non-zero return is taken as the errno of a failed write, so tests can
// make a copy fail midway (which permissions cannot do for root). An empty
// hook and a chunk size of 0 restore the normal behaviour.
using CopyChunkHook = std::function<int(std::uint64_t done, std::uint64_t total)>;
void SetCopyChunkHookForTesting(CopyChunkHook hook);
void SetCopyChunkSizeForTesting(std::size_t bytes);

}  // namespace velqo
