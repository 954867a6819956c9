#include "actions/update_log.h"

namespace velqo {

namespace {

constexpr std::size_t kNameColumnWidth = 17;
constexpr std::size_t kLongName = 13;

}  // namespace

void WriteLogEntryLine(AppState& s, std::string_view name, std::string_view info,
                       std::string_view phrase) {
  std::string line = "  ";
  if (name.size() >= kLongName && s.opt.ActiveOptions.Brief != 1) {
    WriteLogLine(s, line + std::string(name));
    line.assign(kNameColumnWidth, ' ');
  } else {
    line += name;
    if (line.size() < kNameColumnWidth) line.resize(kNameColumnWidth, ' ');
  }
  line += info;
  line += phrase;
  WriteLogLine(s, line);
}

}  // namespace velqo
