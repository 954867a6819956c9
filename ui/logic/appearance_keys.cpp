#include "ui/logic/appearance_keys.h"

#include "config/config_texts.h"
#include "config/ini_locate.h"

namespace velqo::ui {

namespace {

void Write(ProfileSection& ini, WriteFailureNotice& notice, std::string_view key,
           std::string_view value) {
  notice.Note(ini.WriteText(key, value));
}

}  // namespace

std::string ColorToStored(const Rgb& color) {
  const long value = (static_cast<long>(color.blue & 0xFF) << 16) |
                     (static_cast<long>(color.green & 0xFF) << 8) | (color.red & 0xFF);
  return std::to_string(value);
}

std::string FontStyleToStored(const FontStyle& style) {
  std::string names;
  const auto add = [&names](bool on, std::string_view name) {
    if (!on) return;
    if (!names.empty()) names += ',';
    names += name;
  };
  add(style.bold, "fsBold");
  add(style.italic, "fsItalic");
  add(style.underline, "fsUnderline");
  add(style.strike_out, "fsStrikeOut");
  return "[" + names + "]";
}

void StoreWindowColor(AppState& s, const Rgb& color) {
  s.window.MWCurBkGndColor = ColorToStored(color);
  ProfileSection ini = ProgramSection(s);
  WriteFailureNotice notice(s.host, kIniWriteFailed);
  Write(ini, notice, "MWCurBkGndColor", s.window.MWCurBkGndColor);
}

void StoreWindowFont(AppState& s, const StoredFont& font) {
  s.window.WFontName = font.name;
  s.window.WFontSize = font.size;
  s.window.WFontStyle = FontStyleToStored(font.style);
  ProfileSection ini = ProgramSection(s);
  WriteFailureNotice notice(s.host, kIniWriteFailed);
  Write(ini, notice, "WFontName", s.window.WFontName);
  Write(ini, notice, "WFontSize", std::to_string(s.window.WFontSize));
  Write(ini, notice, "WFontStyle", s.window.WFontStyle);
  Write(ini, notice, "WFontColor", s.window.WFontColor);
}

}  // namespace velqo::ui
