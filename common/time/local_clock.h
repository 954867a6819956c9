#pragma once

#include <cstdint>
#include <ctime>

#include "common/time/dos_time.h"

namespace velqo {

// Proleptic Gregorian calendar arithmetic on day numbers (0 = 1970-01-01),
// independent of the time zone.
std::int64_t DaysFromCivil(int year, int month, int day);
void CivilFromDays(std::int64_t days, int* year, int* month, int* day);
int DaysInMonth(int year, int month);

// Local time of a POSIX time stamp with the daylight-saving rule of that
// date; false when the C library cannot represent it.
bool LocalFromTime(std::time_t when, LocalTime* out);
// The POSIX time stamp of a local time (a moment skipped by a clock change
// is taken as the time zone rules normalise it).
std::timespec TimespecFromLocal(const LocalTime& t);
// The current local time, to the millisecond.
LocalTime CurrentLocalTime();

}  // namespace velqo
