#pragma once

#include <cstdint>
#include <ctime>

namespace velqo {

// A broken-down local date and time.
struct LocalTime {
  int year = 1980;
  int month = 1;   // 1..12
  int day = 1;     // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// Packed MS-DOS date-time: date in the high 16 bits (day 0-4, month 5-8,
// year-1980 9-15), time in the low 16 bits (seconds/2 0-4, minute 5-10,
// hour 11-15).
std::uint32_t PackDosTime(const LocalTime& t);
LocalTime UnpackDosTime(std::uint32_t packed);

// Converts a POSIX time stamp to packed local time, with the daylight-saving
// rule in force on that date. Odd seconds (and any fraction) round up to the
// next even second; times before 1980 give 1980-01-01 00:00:00 and times after
// 2107 give 2107-12-31 23:59:58.
std::uint32_t DosTimeFromTimespec(const std::timespec& ts);

// DosTimeFromTimespec for the many time stamps of one directory search:
// where one offset from UTC holds for a whole (UTC) day, the local times of
// that day are worked out from it instead of looking up the rules for each
// stamp. The time zone must not change while one converter is in use.
class DosTimeConverter {
 public:
  std::uint32_t FromTimespec(const std::timespec& ts);

 private:
  bool Local(std::time_t when, LocalTime* out);

  std::int64_t day_ = -1;  // the UTC day the offset below was checked for
  bool uniform_ = false;   // one offset holds for every second of day_
  long offset_ = 0;        // seconds east of UTC
};

// Day count with fraction (days since 1899-12-30, the usual date-time value)
// for comparisons in days; long double as the update engine compares with a
// tolerance of 0.0000347 days.
long double DateTimeValue(const LocalTime& t);
long double DosTimeToDateTime(std::uint32_t packed);

}  // namespace velqo
