#include <algorithm>
#include <set>
#include <utility>

#include "common/platform/platform_ops.h"
#include "common/profile/profile.h"

namespace velqo {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineBreaks = "\r\n";

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

// The first CR or LF at or after from, or the text's size. A plain loop:
// find_first_of tests every byte against the set with a call of its own.
std::size_t FindLineBreak(std::string_view text, std::size_t from) {
  for (std::size_t i = from; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') return i;
  }
  return text.size();
}

// Where the line that ends at end (a CR, an LF, or the text's end) is
// followed by the next one.
std::size_t AfterLineEnd(std::string_view text, std::size_t end) {
  if (end == text.size()) return end;
  const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
  return end + (crlf ? 2 : 1);
}

std::string_view TrimFront(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

enum class LineKind { kOther, kSection, kKey };

// What a line (without its line end and byte order mark) is. Blanks at its
// end never matter here, so a long line is not walked back from its end.
LineKind KindOf(std::string_view line) {
  const std::string_view t = TrimFront(line);
  if (t.empty() || t.front() == ';') return LineKind::kOther;
  if (t.front() == '[') {
    return t.find(']') != std::string_view::npos ? LineKind::kSection : LineKind::kOther;
  }
  const std::size_t eq = t.find('=');
  if (eq == std::string_view::npos || Trim(t.substr(0, eq)).empty()) return LineKind::kOther;
  return LineKind::kKey;
}

std::string KeyLine(std::string_view key, std::string_view value) {
  std::string line(key);
  line += '=';
  line += WriteValue(value);
  return line;
}

}  // namespace

IniDocument IniDocument::Parse(std::string bytes) {
  IniDocument doc;
  doc.text_ = std::move(bytes);
  doc.Reindex();
  return doc;
}

// An editor may start the file with a UTF-8 byte order mark; it stays in the
// file but must not hide the first section header.
std::string_view IniDocument::LineAt(std::size_t start) const {
  const std::string_view text = text_;
  const std::size_t end = FindLineBreak(text, start);
  std::string_view line = text.substr(start, end - start);
  if (start == 0 && line.starts_with(kByteOrderMark)) line.remove_prefix(kByteOrderMark.size());
  return line;
}

std::size_t IniDocument::NextLineStart(std::size_t start) const {
  return AfterLineEnd(text_, FindLineBreak(text_, start));
}

// Two passes, counting first: the index is allocated once at its final size,
// never grown by doubling. Each finds every line end once.
void IniDocument::Reindex() {
  const std::string_view text = text_;
  const auto each_entry = [text](auto&& add) {
    for (std::size_t pos = 0; pos < text.size();) {
      const std::size_t end = FindLineBreak(text, pos);
      std::string_view line = text.substr(pos, end - pos);
      if (pos == 0 && line.starts_with(kByteOrderMark)) line.remove_prefix(kByteOrderMark.size());
      if (KindOf(line) != LineKind::kOther) add(pos);
      pos = AfterLineEnd(text, end);
    }
  };
  std::size_t count = 0;
  each_entry([&count](std::size_t) { ++count; });
  std::vector<Entry> entries;
  entries.reserve(count);
  each_entry([&entries](std::size_t pos) { entries.push_back(static_cast<Entry>(pos)); });
  entries_ = std::move(entries);
}

// The text from an entry's first non-blank character on. Only the name at
// its start is looked at, and the "]" or "=" that ends the name is known to
// be on the entry's own line, so no line end needs to be found.
std::string_view IniDocument::From(Entry entry) const {
  std::string_view rest = std::string_view(text_).substr(entry);
  if (entry == 0 && rest.starts_with(kByteOrderMark)) rest.remove_prefix(kByteOrderMark.size());
  while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
  return rest;
}

bool IniDocument::IsSection(Entry entry) const {
  const std::string_view rest = From(entry);
  return !rest.empty() && rest.front() == '[';
}

std::string_view IniDocument::NameOf(Entry entry) const {
  const std::string_view rest = From(entry);
  if (!rest.empty() && rest.front() == '[') return Trim(rest.substr(1, rest.find(']') - 1));
  return Trim(rest.substr(0, rest.find('=')));
}

std::optional<IniDocument::Range> IniDocument::FindSection(std::string_view name,
                                                           std::size_t from) const {
  name = Trim(name);
  for (std::size_t i = from; i < entries_.size(); ++i) {
    if (!IsSection(entries_[i]) || !EqualsIgnoreCase(NameOf(entries_[i]), name)) continue;
    std::size_t end = i + 1;
    while (end < entries_.size() && !IsSection(entries_[end])) ++end;
    return Range{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> IniDocument::FindKey(const Range& range, std::string_view key) const {
  key = Trim(key);
  for (std::size_t i = range.header + 1; i < range.end; ++i) {
    if (EqualsIgnoreCase(NameOf(entries_[i]), key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
  const auto range = FindSection(section);
  if (!range) return std::nullopt;
  const auto at = FindKey(*range, key);
  if (!at) return std::nullopt;
  const std::string_view line = LineAt(entries_[*at]);
  return std::string(ReadValue(line.substr(line.find('=') + 1)));
}

std::vector<std::string> IniDocument::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  const auto range = FindSection(section);
  if (!range) return names;
  std::set<std::string> seen;
  for (std::size_t i = range->header + 1; i < range->end; ++i) {
    const std::string_view name = NameOf(entries_[i]);
    if (seen.insert(AsciiLowerCopy(name)).second) names.emplace_back(name);
  }
  return names;
}

std::vector<std::string> IniDocument::SectionNames() const {
  std::vector<std::string> names;
  std::set<std::string> seen;
  for (const Entry entry : entries_) {
    if (!IsSection(entry)) continue;
    const std::string_view name = NameOf(entry);
    if (seen.insert(AsciiLowerCopy(name)).second) names.emplace_back(name);
  }
  return names;
}

std::string IniDocument::NewLineEnd() const {
  const std::size_t end = FindLineBreak(text_, 0);
  if (end == text_.size()) return "\r\n";
  return text_.substr(end, NextLineStart(0) - end);
}

// The line of entry index becomes text; its line end and any byte order
// mark before it stay.
void IniDocument::ReplaceLine(std::size_t index, std::string_view text) {
  std::size_t start = entries_[index];
  if (start == 0 && std::string_view(text_).starts_with(kByteOrderMark)) {
    start = kByteOrderMark.size();
  }
  const std::size_t end = FindLineBreak(text_, start);
  if (std::string_view(text_).substr(start, end - start) == text) return;
  text_.replace(start, end - start, text);
  const auto delta = static_cast<std::int64_t>(text.size()) - static_cast<std::int64_t>(end - start);
  for (std::size_t i = index + 1; i < entries_.size(); ++i) {
    entries_[i] = static_cast<Entry>(entries_[i] + delta);
  }
  edited_ = true;
}

// Inserts a line (a section header or a key) at byte offset at, the start
// of a line or the end of the text, as entry number index. Two neighbours
// must not run into one another when the file is read again: a last line
// without a line end gets one, and a lone CR before an empty LF line would
// read as one CRLF, losing the empty line.
void IniDocument::InsertLine(std::size_t index, std::size_t at, std::string_view text) {
  std::string eol = NewLineEnd();
  std::string piece;
  const bool unended_last = at == text_.size() && !text_.empty() &&
                            kLineBreaks.find(text_.back()) == std::string_view::npos;
  if (unended_last) piece += eol;
  const std::size_t line_start = at + piece.size();
  piece += text;
  if (eol == "\r" && at < text_.size() && text_[at] == '\n') eol = "\r\n";
  piece += eol;
  text_.insert(at, piece);
  for (std::size_t i = index; i < entries_.size(); ++i) {
    entries_[i] = static_cast<Entry>(entries_[i] + piece.size());
  }
  entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(index),
                  static_cast<Entry>(line_start));
  edited_ = true;
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  if (!ValidSectionName(section) || !ValidKeyName(key) || HoldsLineBreakOrZero(value)) return false;
  const auto range = FindSection(section);
  if (!range) {
    // Appended piece by piece: GCC 12 at -O3 mistakes `"[" + std::string`
    // for an overlapping copy (-Wrestrict).
    std::string header;
    header.reserve(section.size() + 2);
    header += '[';
    header += section;
    header += ']';
    InsertLine(entries_.size(), text_.size(), header);
    InsertLine(entries_.size(), text_.size(), KeyLine(key, value));
    return true;
  }
  if (const auto at = FindKey(*range, key)) {
    ReplaceLine(*at, KeyLine(NameOf(entries_[*at]), value));
    return true;
  }
  // After the section's last key, or right after its header.
  const std::size_t last = range->end - 1;
  InsertLine(last + 1, NextLineStart(entries_[last]), KeyLine(key, value));
  return true;
}

void IniDocument::RemoveSpans(const std::vector<std::pair<std::size_t, std::size_t>>& spans) {
  if (spans.empty()) return;
  std::string kept;
  kept.reserve(text_.size());
  std::size_t pos = 0;
  for (const auto& [first, second] : spans) {
    kept.append(text_, pos, first - pos);
    pos = second;
    // A lone CR now followed by an empty LF line would merge with it.
    if (!kept.empty() && kept.back() == '\r' && pos < text_.size() && text_[pos] == '\n') {
      kept += '\n';
    }
  }
  kept.append(text_, pos, std::string::npos);
  text_ = std::move(kept);
  Reindex();
  edited_ = true;
}

void IniDocument::DeleteKey(std::string_view section, std::string_view key) {
  const auto range = FindSection(section);
  if (!range) return;
  key = Trim(key);
  std::vector<std::pair<std::size_t, std::size_t>> spans;
  for (std::size_t i = range->header + 1; i < range->end; ++i) {
    if (EqualsIgnoreCase(NameOf(entries_[i]), key)) {
      spans.emplace_back(entries_[i], NextLineStart(entries_[i]));
    }
  }
  RemoveSpans(spans);
}

void IniDocument::DeleteSection(std::string_view section) {
  std::vector<std::pair<std::size_t, std::size_t>> spans;
  std::size_t from = 0;
  while (const auto range = FindSection(section, from)) {
    const std::size_t end = range->end < entries_.size() ? entries_[range->end] : text_.size();
    spans.emplace_back(entries_[range->header], end);
    from = range->end;
  }
  RemoveSpans(spans);
}

}  // namespace velqo
