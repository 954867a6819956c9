#include "config/intl.h"

#include "common/platform/platform_ops.h"
#include "config/profile_section.h"

namespace velqo {

namespace {

// Separators are one character, the designators at most five.
constexpr std::size_t kSeparatorLength = 1;
constexpr std::size_t kDesignatorLength = 5;

// A key's text, or the locale's when the key is absent; cut to length. The
// presence test keeps a locale value such as a blank separator, which a
// profile default would lose.
std::string IntlText(ProfileSection& intl, std::string_view key, const std::string& locale,
                     std::size_t length) {
  if (!intl.HasKey(key)) return locale.substr(0, length);
  return intl.ReadText(key, {}, length + 1);
}

IntlSettings ReadSystemIntl(AppState& s) {
  const IntlSettings locale = s.fs.LocaleIntl();
  ProfileSection intl(s.profiles, ChildPath(s.places.WindowsDir, "WIN.INI"), "intl");
  IntlSettings out;
  out.date_order = intl.ReadInt("iDate", locale.date_order);
  out.clock24 = intl.ReadInt("iTime", locale.clock24);
  out.date_sep = IntlText(intl, "sDate", locale.date_sep, kSeparatorLength);
  out.time_sep = IntlText(intl, "sTime", locale.time_sep, kSeparatorLength);
  out.am = IntlText(intl, "s1159", locale.am, kDesignatorLength);
  out.pm = IntlText(intl, "s2359", locale.pm, kDesignatorLength);
  return out;
}

}  // namespace

void LoadIntlSettings(AppState& s) {
  IntlSettings settings = ReadSystemIntl(s);
  if (s.sw.IntlTest != 0) {
    int time_choice = -1;
    int date_choice = -1;
    if (s.host.AskIntlSettings(&time_choice, &date_choice)) {
      settings.clock24 = time_choice == 1 ? 1 : 0;
      settings.date_order = (date_choice >= 0 && date_choice <= 2) ? date_choice : 0;
    }
  }
  s.intl = settings;
}

}  // namespace velqo
