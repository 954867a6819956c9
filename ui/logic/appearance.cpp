#include "ui/logic/appearance.h"

#include <cstdint>

namespace velqo::ui {

std::optional<Rgb> ColorFromStored(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  std::uint64_t value = 0;
  std::size_t digits = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
    value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
    if (value > 0xFFFFFFu) return std::nullopt;
  }
  if (digits == 0) return std::nullopt;
  return Rgb{static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
             static_cast<int>((value >> 16) & 0xFF)};
}

FontStyle FontStyleFromStored(std::string_view text) {
  FontStyle style;
  style.bold = text.find("fsBold") != std::string_view::npos;
  style.italic = text.find("fsItalic") != std::string_view::npos;
  style.underline = text.find("fsUnderline") != std::string_view::npos;
  style.strike_out = text.find("fsStrikeOut") != std::string_view::npos;
  return style;
}

}  // namespace velqo::ui
