#include "common/time/provisional_time.h"

#include <cstdint>
#include <initializer_list>

#include "common/time/dos_time.h"
#include "common/time/local_clock.h"

namespace velqo {

namespace {

constexpr std::time_t kMinute = 60;
constexpr std::time_t kHour = 3600;
// Time zones have moved their clocks back by up to a day.
constexpr int kMostHoursBack = 26;

bool PackedOlder(std::uint32_t a, std::uint32_t b) {
  return DosTimeToDateTime(a) < DosTimeToDateTime(b) - kDosTimeTolerance;
}

}  // namespace

bool ReadsOlder(const std::timespec& a, const std::timespec& b) {
  return PackedOlder(DosTimeFromTimespec(a), DosTimeFromTimespec(b));
}

bool ProvisionalTimeFor(const std::timespec& real, std::timespec* provisional) {
  const std::uint32_t packed = DosTimeFromTimespec(real);
  // From the moment itself, and from the moment its packed time names (far
  // below real when real lies beyond the last time a packed time holds).
  const std::time_t named = TimespecFromLocal(UnpackDosTime(packed)).tv_sec;
  for (const std::time_t base : {real.tv_sec, named < real.tv_sec ? named : real.tv_sec}) {
    for (int hours = 0; hours <= kMostHoursBack; ++hours) {
      std::timespec candidate{};
      candidate.tv_sec = base - kMinute - hours * kHour;
      candidate.tv_nsec = kProvisionalNanoseconds;
      if (candidate.tv_sec < 0) break;
      if (PackedOlder(DosTimeFromTimespec(candidate), packed)) {
        *provisional = candidate;
        return true;
      }
    }
  }
  return false;
}

}  // namespace velqo
