#pragma once

#include <string>
#include <string_view>

#include "common/text/status.h"

namespace velqo::state {

// A pair of trees as the state knows it: by the real paths of its two tops,
// in byte order, so "A B" and "B A" and any spelling of either are one pair.
struct PairKey {
  std::string first;   // the smaller real path
  std::string second;  // the larger
  bool swapped = false;  // true when the run's Dir 1 is `second`

  // The text stored in the database: both paths, NUL between them (no path
  // holds a NUL, so the key is unambiguous).
  std::string Text() const;
};

PairKey MakePairKey(std::string_view real_dir1, std::string_view real_dir2);

// Resolves a local top to its real path (links and "..", as the kernel sees
// them), naming the path and the reason when it cannot.
Status RealPath(const std::string& typed, std::string* real);

// Only one run at a time may work on a pair: the lock is an flock on a file
// beside the database, released by the kernel when the process ends, so a
// killed run never leaves a stale lock.
class PairLock {
 public:
  PairLock() = default;
  PairLock(const PairLock&) = delete;
  PairLock& operator=(const PairLock&) = delete;
  PairLock(PairLock&& other) noexcept;
  PairLock& operator=(PairLock&& other) noexcept;
  ~PairLock();

  // Takes the lock for key in folder (the database's folder). With wait false,
  // a lock held by another run is refused with kAccessDenied at once.
  static Status Acquire(const std::string& folder, const PairKey& key, bool wait, PairLock* lock);
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace velqo::state
