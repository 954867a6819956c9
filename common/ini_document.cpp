#include <algorithm>
#include <set>
#include <utility>

#include "common/platform_ops.h"
#include "common/profile.h"

namespace velqo {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsQuote(char c) { return c == '"' || c == '\''; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool HoldsLineBreakOrZero(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// A value as a reader sees it: blanks removed, then one enclosing pair of
// matching quotes.
std::string_view ReadValue(std::string_view raw) {
  raw = Trim(raw);
  if (raw.size() >= 2 && IsQuote(raw.front()) && raw.back() == raw.front()) {
    raw = raw.substr(1, raw.size() - 2);
  }
  return raw;
}

// The text to write so that ReadValue gives value back unchanged.
std::string WriteValue(std::string_view value) {
  const bool blank_edge = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
  const bool quoted = value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front();
  if (!blank_edge && !quoted) return std::string(value);
  std::string out = "\"";
  out += value;
  out += '"';
  return out;
}

bool ValidSectionName(std::string_view name) {
  return !HoldsLineBreakOrZero(name) && name.find(']') == std::string_view::npos;
}

// A key must come back as a key of the same name: not empty, not read as a
// comment or a section header, and not split by its own "=".
bool ValidKeyName(std::string_view name) {
  return !name.empty() && !HoldsLineBreakOrZero(name) && name.front() != ';' &&
         name.front() != '[' && name.find('=') == std::string_view::npos;
}

}  // namespace

IniDocument::Line IniDocument::MakeLine(std::string text, std::string eol, std::size_t skip) {
  Line line;
  const std::string_view t = Trim(std::string_view(text).substr(skip));
  if (!t.empty() && t.front() == '[') {
    const std::size_t close = t.find(']');
    if (close != std::string_view::npos) {
      line.kind = Line::Kind::kSection;
      line.name = std::string(Trim(t.substr(1, close - 1)));
    }
  } else if (!t.empty() && t.front() != ';') {
    const std::size_t eq = t.find('=');
    const std::string_view name =
        eq == std::string_view::npos ? std::string_view() : Trim(t.substr(0, eq));
    if (!name.empty()) {
      line.kind = Line::Kind::kKey;
      line.name = std::string(name);
    }
  }
  line.text = std::move(text);
  line.eol = std::move(eol);
  return line;
}

IniDocument IniDocument::Parse(std::string_view bytes) {
  IniDocument doc;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const std::size_t end = std::min(bytes.find_first_of("\r\n", pos), bytes.size());
    std::size_t next = end;
    if (end < bytes.size()) {
      next = (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? end + 2
                                                                                      : end + 1;
    }
    // An editor may start the file with a UTF-8 byte order mark; it stays in
    // the file but must not hide the first section header.
    const bool marked = pos == 0 && bytes.substr(0, end).starts_with(kByteOrderMark);
    const std::size_t skip = marked ? kByteOrderMark.size() : 0;
    doc.lines_.push_back(MakeLine(std::string(bytes.substr(pos, end - pos)),
                                  std::string(bytes.substr(end, next - end)), skip));
    pos = next;
  }
  return doc;
}

std::string IniDocument::Serialize() const {
  std::string out;
  for (const Line& line : lines_) {
    out += line.text;
    out += line.eol;
  }
  return out;
}

std::optional<IniDocument::Range> IniDocument::FindSection(std::string_view name,
                                                           std::size_t from) const {
  name = Trim(name);
  for (std::size_t i = from; i < lines_.size(); ++i) {
    if (lines_[i].kind != Line::Kind::kSection || !EqualsIgnoreCase(lines_[i].name, name)) continue;
    std::size_t end = i + 1;
    while (end < lines_.size() && lines_[end].kind != Line::Kind::kSection) ++end;
    return Range{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> IniDocument::FindKey(const Range& range, std::string_view key) const {
  key = Trim(key);
  for (std::size_t i = range.header + 1; i < range.end; ++i) {
    if (lines_[i].kind == Line::Kind::kKey && EqualsIgnoreCase(lines_[i].name, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
  const auto range = FindSection(section);
  if (!range) return std::nullopt;
  const auto at = FindKey(*range, key);
  if (!at) return std::nullopt;
  const std::string& text = lines_[*at].text;
  return std::string(ReadValue(std::string_view(text).substr(text.find('=') + 1)));
}

std::vector<std::string> IniDocument::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  const auto range = FindSection(section);
  if (!range) return names;
  std::set<std::string> seen;
  for (std::size_t i = range->header + 1; i < range->end; ++i) {
    if (lines_[i].kind == Line::Kind::kKey && seen.insert(AsciiLowerCopy(lines_[i].name)).second) {
      names.push_back(lines_[i].name);
    }
  }
  return names;
}

std::vector<std::string> IniDocument::SectionNames() const {
  std::vector<std::string> names;
  std::set<std::string> seen;
  for (const Line& line : lines_) {
    if (line.kind == Line::Kind::kSection && seen.insert(AsciiLowerCopy(line.name)).second) {
      names.push_back(line.name);
    }
  }
  return names;
}

std::string IniDocument::NewLineEnd() const {
  if (!lines_.empty() && !lines_.front().eol.empty()) return lines_.front().eol;
  return "\r\n";
}

void IniDocument::InsertLine(std::size_t at, std::string text) {
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                MakeLine(std::move(text), NewLineEnd()));
  KeepLinesApart();
}

// After lines were added or removed, two neighbours must not run into one
// another when the file is read again: a line that lost its place at the end
// needs a line end, and a lone CR followed by an empty LF line would read as
// one CRLF, losing the empty line.
void IniDocument::KeepLinesApart() {
  for (std::size_t i = 1; i < lines_.size(); ++i) {
    std::string& eol = lines_[i - 1].eol;
    if (eol.empty()) eol = NewLineEnd();
    if (eol == "\r" && lines_[i].text.empty() && lines_[i].eol == "\n") eol = "\r\n";
  }
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  if (!ValidSectionName(section) || !ValidKeyName(key) || HoldsLineBreakOrZero(value)) return false;
  const std::string written = WriteValue(value);
  const auto range = FindSection(section);
  if (!range) {
    // Appended piece by piece: GCC 12 at -O3 mistakes `"[" + std::string`
    // for an overlapping copy (-Wrestrict).
    std::string header;
    header.reserve(section.size() + 2);
    header += '[';
    header += section;
    header += ']';
    InsertLine(lines_.size(), std::move(header));
    InsertLine(lines_.size(), std::string(key) + "=" + written);
    return true;
  }
  if (const auto at = FindKey(*range, key)) {
    Line& line = lines_[*at];
    line = MakeLine(line.name + "=" + written, std::move(line.eol));
    return true;
  }
  std::size_t after = range->header;
  for (std::size_t i = range->header + 1; i < range->end; ++i) {
    if (lines_[i].kind == Line::Kind::kKey) after = i;
  }
  InsertLine(after + 1, std::string(key) + "=" + written);
  return true;
}

void IniDocument::DeleteKey(std::string_view section, std::string_view key) {
  const auto range = FindSection(section);
  if (!range) return;
  key = Trim(key);
  const auto first = lines_.begin() + static_cast<std::ptrdiff_t>(range->header + 1);
  const auto last = lines_.begin() + static_cast<std::ptrdiff_t>(range->end);
  lines_.erase(std::remove_if(first, last,
                              [key](const Line& line) {
                                return line.kind == Line::Kind::kKey &&
                                       EqualsIgnoreCase(line.name, key);
                              }),
               last);
  KeepLinesApart();
}

void IniDocument::DeleteSection(std::string_view section) {
  std::size_t from = 0;
  while (const auto range = FindSection(section, from)) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(range->header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(range->end));
    from = range->header;
  }
  KeepLinesApart();
}

}  // namespace velqo
