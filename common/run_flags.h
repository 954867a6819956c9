#pragma once

#include <cstdint>

namespace velqo {

// Run-wide flags: each is on when it holds 1. Operations report their outcome
// through them and the loops of an update test them between files,
// directories and batch items.
struct RunFlags {
  std::int32_t CancelRequested = 0;
  std::int32_t PairStopped = 0;
  std::int32_t EndRunRequested = 0;
  std::int32_t ErrorLogged = 0;
  std::int32_t FileChanged = 0;
  std::int32_t DirectoryRemoved = 0;
  std::int32_t NothingToUpdate = 0;
  std::int32_t NoActionTaken = 0;
  std::int32_t PairDirsReady = 0;
};

}  // namespace velqo
