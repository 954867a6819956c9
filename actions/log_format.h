#pragma once

#include <string>
#include <string_view>

#include "common/platform/platform.h"

namespace velqo {

// Pieces shared by the log header, the file descriptions and the entries.

// The information column of a side that has no file.
inline constexpr std::string_view kNoFileColumn = "                                       ";

// A number with at least two digits, a leading zero when needed.
std::string TwoDigits(int value);

// Year, month and day texts in the user's date order (0 and unknown orders
// month-day-year, 1 day-month-year, 2 year-month-day), joined by the date
// separator.
std::string OrderedDate(const IntlSettings& intl, std::string_view year, std::string_view month,
                        std::string_view day);

// An hour as the user's clock shows it: 0 to 23 on a 24-hour clock without a
// designator, else 12, 1 to 11 with the morning and 12, 1 to 11 with the
// afternoon designator.
struct ClockHour {
  int hour = 0;
  std::string designator;
};
ClockHour ToClock(const IntlSettings& intl, int hour);

// The file name of a path: what follows its last separator.
std::string_view NamePart(std::string_view path);

}  // namespace velqo
