#include "common/text/printable.h"

namespace velqo {

std::string Printable(std::string_view text, bool keep_line_breaks) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (keep_line_breaks && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      shown += '\n';
      ++i;
    } else if (c < 0x20 || c == 0x7f) {
      shown += '?';
    } else {
      shown += static_cast<char>(c);
    }
  }
  return shown;
}

}  // namespace velqo
