#include "actions/log_format.h"

#include <cstdio>

namespace velqo {

std::string TwoDigits(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

std::string OrderedDate(const IntlSettings& intl, std::string_view year, std::string_view month,
                        std::string_view day) {
  std::string_view first = month, second = day, third = year;
  if (intl.date_order == 1) {
    first = day;
    second = month;
  } else if (intl.date_order == 2) {
    first = year;
    second = month;
    third = day;
  }
  std::string date(first);
  date += intl.date_sep;
  date += second;
  date += intl.date_sep;
  date += third;
  return date;
}

ClockHour ToClock(const IntlSettings& intl, int hour) {
  if (intl.clock24 != 0) return {hour, std::string()};
  if (hour < 12) return {hour == 0 ? 12 : hour, intl.am};
  return {hour == 12 ? 12 : hour - 12, intl.pm};
}

std::string_view NamePart(std::string_view path) {
  const std::size_t cut = path.find_last_of("\\/");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

}  // namespace velqo
