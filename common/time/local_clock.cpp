#include "common/time/local_clock.h"

namespace velqo {

// Day-number conversions after the well-known era-based algorithm: exact for
// every date and free of the time zone, which mktime is not.
std::int64_t DaysFromCivil(int year, int month, int day) {
  const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t mp = (month + 9) % 12;
  const std::int64_t doy = (153 * mp + 2) / 5 + day - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t days, int* year, int* month, int* day) {
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
  *year = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
  *month = static_cast<int>(m);
  *day = static_cast<int>(d);
}

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 31;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

bool LocalFromTime(std::time_t when, LocalTime* out) {
  std::tm tm{};
  if (localtime_r(&when, &tm) == nullptr) return false;
  out->year = tm.tm_year + 1900;
  out->month = tm.tm_mon + 1;
  out->day = tm.tm_mday;
  out->hour = tm.tm_hour;
  out->minute = tm.tm_min;
  out->second = tm.tm_sec > 59 ? 59 : tm.tm_sec;
  out->millisecond = 0;
  return true;
}

std::timespec TimespecFromLocal(const LocalTime& t) {
  std::tm tm{};
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_sec = t.second;
  tm.tm_isdst = -1;  // let the rules of that date decide
  std::timespec ts{};
  ts.tv_sec = mktime(&tm);
  const int ms = t.millisecond < 0 ? 0 : (t.millisecond > 999 ? 999 : t.millisecond);
  ts.tv_nsec = static_cast<long>(ms) * 1000000L;
  return ts;
}

LocalTime CurrentLocalTime() {
  std::timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  LocalTime t;
  LocalFromTime(now.tv_sec, &t);
  t.millisecond = static_cast<int>(now.tv_nsec / 1000000L);
  return t;
}

}  // namespace velqo
