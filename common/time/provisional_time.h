#pragma once

#include <ctime>

namespace velqo {

// Files whose packed local times differ by no more than this many days
// (2.99808 seconds) have the same time: packed times have a 2-second
// resolution.
constexpr long double kDosTimeTolerance = 0.0000347L;

// Whether a reads as older than b the way the update engine compares
// last-write times: packed local time, with the tolerance.
bool ReadsOlder(const std::timespec& a, const std::timespec& b);

// The nanoseconds of every provisional time: what marks a copy as pending
// (not yet flushed) for as long as it carries that time, in this run or
// after it died. A file of the user's carrying them by chance (one in a
// thousand million) is merely not backed up when replaced.
constexpr long kProvisionalNanoseconds = 999999999;
inline bool IsProvisionalTime(const std::timespec& t) { return t.tv_nsec == kProvisionalNanoseconds; }

// A time for a copy whose data is not yet durable: earlier than real and
// reading as older than it, so that a run interrupted before the flush
// leaves a copy that the next run takes for out of date and copies again.
// Across a clock change a minute earlier can read an hour later, so the
// candidates step back by hours until one reads older. False when none
// does: real packs as the earliest time there is (1980), and nothing can
// read older than that.
bool ProvisionalTimeFor(const std::timespec& real, std::timespec* provisional);

}  // namespace velqo
