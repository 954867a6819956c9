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
  // A copy or deletion was attempted and failed: a run that did nothing
  // else did not find "nothing to update".
  std::int32_t ActionFailed = 0;
  // EndRunRequested was raised because a pair's drive is missing: it ends
  // that pair's walk, not the rest of a batch.
  std::int32_t RootMissing = 0;
};

}  // namespace velqo
