#include <langinfo.h>
#include <locale.h>

#include <string>

#include "common/posix/posix_impl.h"

namespace velqo {

namespace {

// Expands the composite conversions of a format, so the fields and their
// separators can be read off.
std::string Expand(std::string_view format, locale_t loc) {
  std::string out;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 >= format.size()) {
      out += format[i];
      continue;
    }
    char c = format[++i];
    // Alternative forms (%Ex, %Oy) read as the plain conversion.
    if ((c == 'E' || c == 'O') && i + 1 < format.size()) c = format[++i];
    switch (c) {
      case 'D': out += "%m/%d/%y"; break;
      case 'F': out += "%Y-%m-%d"; break;
      case 'T': out += "%H:%M:%S"; break;
      case 'R': out += "%H:%M"; break;
      case 'r': out += nl_langinfo_l(T_FMT_AMPM, loc); break;
      default:
        out += '%';
        out += c;
    }
  }
  return out;
}

// The first text between two conversions (the separator), or empty.
std::string FirstSeparator(std::string_view format) {
  const std::size_t first = format.find('%');
  if (first == std::string_view::npos || first + 2 > format.size()) return {};
  std::size_t end = first + 2;
  while (end < format.size() && format[end] != '%') ++end;
  if (end >= format.size()) return {};
  return std::string(format.substr(first + 2, end - first - 2));
}

// 0 month-day-year, 1 day-month-year, 2 year-month-day; -1 when unclear.
int DateOrder(std::string_view format) {
  std::size_t day = std::string_view::npos, month = day, year = day;
  for (std::size_t i = 0; i + 1 < format.size(); ++i) {
    if (format[i] != '%') continue;
    const char c = format[i + 1];
    if ((c == 'd' || c == 'e') && day == std::string_view::npos) day = i;
    if ((c == 'm' || c == 'b' || c == 'B') && month == std::string_view::npos) month = i;
    if ((c == 'y' || c == 'Y') && year == std::string_view::npos) year = i;
    ++i;
  }
  if (day == std::string_view::npos || month == std::string_view::npos || year == std::string_view::npos) return -1;
  if (year < month && month < day) return 2;
  if (day < month) return 1;
  return 0;
}

}  // namespace

IntlSettings PosixPlatform::LocaleIntl() {
  IntlSettings intl;
  locale_t loc = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
  if (loc == static_cast<locale_t>(nullptr)) loc = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(nullptr));
  if (loc == static_cast<locale_t>(nullptr)) return intl;
  const std::string date = Expand(nl_langinfo_l(D_FMT, loc), loc);
  const std::string time = Expand(nl_langinfo_l(T_FMT, loc), loc);
  const int order = DateOrder(date);
  if (order >= 0) intl.date_order = order;
  const std::string date_sep = FirstSeparator(date);
  if (!date_sep.empty()) intl.date_sep = date_sep;
  const std::string time_sep = FirstSeparator(time);
  if (!time_sep.empty()) intl.time_sep = time_sep;
  const std::string am = nl_langinfo_l(AM_STR, loc);
  const std::string pm = nl_langinfo_l(PM_STR, loc);
  intl.clock24 = (time.find("%p") == std::string::npos && time.find("%P") == std::string::npos) || am.empty() ? 1 : 0;
  if (!am.empty()) intl.am = am;
  if (!pm.empty()) intl.pm = pm;
  freelocale(loc);
  return intl;
}

}  // namespace velqo
