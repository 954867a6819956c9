#pragma once

#include <optional>
#include <string_view>

namespace velqo::ui {

struct Rgb {
  int red = 0;
  int green = 0;
  int blue = 0;
};

// A stored colour: decimal text (leading blanks allowed) of a 0x00BBGGRR
// value. Empty when the text holds no number or one outside that range.
std::optional<Rgb> ColorFromStored(std::string_view text);

// The styles a stored font-style text names ("[fsBold][fsItalic]").
struct FontStyle {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike_out = false;
};
FontStyle FontStyleFromStored(std::string_view text);

}  // namespace velqo::ui
