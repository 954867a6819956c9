#include "common/time/dos_time.h"

#include <algorithm>

#include "common/time/local_clock.h"

namespace velqo {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// The first and last moments a packed time can hold.
constexpr LocalTime kEarliest{1980, 1, 1, 0, 0, 0, 0};
constexpr LocalTime kLatest{2107, 12, 31, 23, 59, 58, 0};

LocalTime Clamped(const LocalTime& t) {
  if (t.year < 1980) return kEarliest;
  if (t.year > 2107) return kLatest;
  return t;
}

std::uint32_t PackFields(const LocalTime& t) {
  const auto date = static_cast<std::uint32_t>(((t.year - 1980) << 9) | (t.month << 5) | t.day);
  const auto time = static_cast<std::uint32_t>((t.hour << 11) | (t.minute << 5) | (t.second / 2));
  return (date << 16) | time;
}

// A time stamp packed with the local times that to_local gives.
template <typename ToLocal>
std::uint32_t PackTimespec(const std::timespec& ts, ToLocal&& to_local) {
  // Round up before converting, so that the daylight-saving rule applied is
  // the one of the rounded moment.
  // Far outside the range in any time zone (and never overflowing below).
  if (ts.tv_sec < 0) return PackFields(kEarliest);
  if (ts.tv_sec > 5000000000LL) return PackFields(kLatest);
  std::time_t when = ts.tv_sec;
  if (ts.tv_nsec > 0) ++when;
  LocalTime t;
  if (!to_local(when, &t)) return PackFields(kLatest);
  if (t.second % 2 != 0) {
    ++when;
    if (!to_local(when, &t)) return PackFields(kLatest);
  }
  return PackFields(Clamped(t));
}

}  // namespace

std::uint32_t PackDosTime(const LocalTime& given) {
  // Out-of-range fields would spill into their neighbours' bits.
  LocalTime t = given;
  t.month = std::clamp(t.month, 1, 12);
  t.day = std::clamp(t.day, 1, 31);
  t.hour = std::clamp(t.hour, 0, 23);
  t.minute = std::clamp(t.minute, 0, 59);
  t.second = std::clamp(t.second, 0, 59);
  t.millisecond = std::clamp(t.millisecond, 0, 999);
  if (t.year < 1980) return PackFields(kEarliest);
  if (t.year > 2107) return PackFields(kLatest);

  // Two-second resolution: a fraction or an odd second rounds up, which can
  // carry into the next minute, hour, day, month or year.
  std::int64_t seconds = t.hour * 3600 + t.minute * 60 + t.second + (t.millisecond > 0 ? 1 : 0);
  if (seconds % 2 != 0) ++seconds;
  std::int64_t days = DaysFromCivil(t.year, t.month, std::min(t.day, DaysInMonth(t.year, t.month)));
  days += seconds / kSecondsPerDay;
  seconds %= kSecondsPerDay;
  LocalTime r;
  CivilFromDays(days, &r.year, &r.month, &r.day);
  r.hour = static_cast<int>(seconds / 3600);
  r.minute = static_cast<int>(seconds / 60 % 60);
  r.second = static_cast<int>(seconds % 60);
  return PackFields(Clamped(r));
}

LocalTime UnpackDosTime(std::uint32_t packed) {
  const std::uint32_t date = packed >> 16;
  const std::uint32_t time = packed & 0xFFFFu;
  LocalTime t;
  t.year = 1980 + static_cast<int>(date >> 9);
  t.month = static_cast<int>((date >> 5) & 0x0Fu);
  t.day = static_cast<int>(date & 0x1Fu);
  t.hour = static_cast<int>(time >> 11);
  t.minute = static_cast<int>((time >> 5) & 0x3Fu);
  t.second = static_cast<int>((time & 0x1Fu) * 2);
  t.millisecond = 0;
  return t;
}

std::uint32_t DosTimeFromTimespec(const std::timespec& ts) { return PackTimespec(ts, LocalFromTime); }

namespace {

// The local time of when, read as UTC shifted by offset.
LocalTime Shifted(std::time_t when, long offset) {
  const std::int64_t local = static_cast<std::int64_t>(when) + offset;
  std::int64_t days = local / kSecondsPerDay;
  std::int64_t seconds = local % kSecondsPerDay;
  if (seconds < 0) {
    seconds += kSecondsPerDay;
    --days;
  }
  LocalTime t;
  CivilFromDays(days, &t.year, &t.month, &t.day);
  t.hour = static_cast<int>(seconds / 3600);
  t.minute = static_cast<int>(seconds / 60 % 60);
  t.second = static_cast<int>(seconds % 60);
  return t;
}

// Whether localtime's reading tm of a moment is t.
bool ReadsAs(const std::tm& tm, const LocalTime& t) {
  return tm.tm_year + 1900 == t.year && tm.tm_mon + 1 == t.month && tm.tm_mday == t.day && tm.tm_hour == t.hour &&
         tm.tm_min == t.minute && tm.tm_sec == t.second;
}

}  // namespace

bool DosTimeConverter::Local(std::time_t when, LocalTime* out) {
  const std::int64_t day = when / kSecondsPerDay;  // when is never negative here
  if (day != day_) {
    // The day is uniform when its first and last seconds have the same
    // offset and both read as that offset says (a zone that counts leap
    // seconds does not).
    day_ = day;
    uniform_ = false;
    const std::time_t first = static_cast<std::time_t>(day * kSecondsPerDay);
    const std::time_t last = first + static_cast<std::time_t>(kSecondsPerDay - 1);
    std::tm a{};
    std::tm b{};
    if (localtime_r(&first, &a) != nullptr && localtime_r(&last, &b) != nullptr && a.tm_gmtoff == b.tm_gmtoff) {
      offset_ = a.tm_gmtoff;
      uniform_ = ReadsAs(a, Shifted(first, offset_)) && ReadsAs(b, Shifted(last, offset_));
    }
  }
  if (!uniform_) return LocalFromTime(when, out);
  *out = Shifted(when, offset_);
  return true;
}

std::uint32_t DosTimeConverter::FromTimespec(const std::timespec& ts) {
  return PackTimespec(ts, [this](std::time_t when, LocalTime* out) { return Local(when, out); });
}

long double DateTimeValue(const LocalTime& t) {
  const std::int64_t days = DaysFromCivil(t.year, t.month, t.day) - DaysFromCivil(1899, 12, 30);
  const long double seconds = t.hour * 3600.0L + t.minute * 60.0L + t.second + t.millisecond / 1000.0L;
  return static_cast<long double>(days) + seconds / static_cast<long double>(kSecondsPerDay);
}

long double DosTimeToDateTime(std::uint32_t packed) { return DateTimeValue(UnpackDosTime(packed)); }

}  // namespace velqo
