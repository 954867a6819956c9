#include "common/platform/windows_path.h"

#include "common/platform/platform_ops.h"

namespace velqo {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Applies the names of text (separated by "\" or "/") to parts.
void ApplyNames(std::string_view text, std::vector<std::string>* parts) {
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t j = i;
    while (j < text.size() && !IsSeparator(text[j])) ++j;
    const std::string_view name = text.substr(i, j - i);
    if (name == "..") {
      if (!parts->empty()) parts->pop_back();
    } else if (!name.empty() && name != ".") {
      parts->emplace_back(name);
    }
    i = j + 1;
  }
}

}  // namespace

std::string WindowsPath::Format() const {
  std::string s;
  s += drive;
  s += ":\\";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) s += '\\';
    s += parts[i];
  }
  return s;
}

WindowsPath WindowsPath::Parent() const {
  WindowsPath p = *this;
  if (!p.parts.empty()) p.parts.pop_back();
  return p;
}

Status ParseWindowsPath(std::string_view text, std::string_view current, WindowsPath* out) {
  // Anything far beyond the limit is refused before it is taken apart.
  if (text.size() > 4 * kMaxWindowsPath) return Status::TooLong(std::string(text.substr(0, 64)) + "...");
  if (text.empty()) return Status::InvalidArgument("empty path");
  if (text.find('\0') != std::string_view::npos) return Status::InvalidArgument("zero in path");
  WindowsPath p;
  if (text.size() >= 2 && IsDriveLetter(text[0]) && text[1] == ':') {
    p.drive = AsciiUpper(text[0]);
    ApplyNames(text.substr(2), &p.parts);
  } else if (text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1])) {
    return Status::InvalidArgument("network paths are not supported: " + std::string(text));
  } else {
    if (current.empty() || current == text) return Status::InvalidArgument("no drive in " + std::string(text));
    WindowsPath base;
    Status st = ParseWindowsPath(current, {}, &base);
    if (!st.ok()) return st;
    p.drive = base.drive;
    if (!IsSeparator(text[0])) p.parts = std::move(base.parts);
    ApplyNames(text, &p.parts);
  }
  // Separators between the names, and the root's own.
  std::size_t length = 3;
  for (const std::string& part : p.parts) length += part.size() + 1;
  if (!p.parts.empty()) --length;
  if (length > kMaxWindowsPath) return Status::TooLong(p.Format());
  *out = std::move(p);
  return Status::Ok();
}

namespace {

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  std::size_t start = 0;
  for (std::size_t at = text.find(from); at != std::string_view::npos; at = text.find(from, start)) {
    out.append(text.substr(start, at - start));
    out.append(to);
    start = at + from.size();
  }
  out.append(text.substr(start));
  return out;
}

}  // namespace

std::string NameOnHost(std::string_view name) {
  if (name.find(kBackslashStandIn) == std::string_view::npos) return std::string(name);
  return ReplaceAll(name, kBackslashStandIn, "\\");
}

std::string NameInProgram(std::string_view host_name) {
  if (host_name.find('\\') == std::string_view::npos) return std::string(host_name);
  return ReplaceAll(host_name, "\\", kBackslashStandIn);
}

std::string HostPathInProgram(std::string_view host) { return NameInProgram(host); }

std::string JoinHostPath(std::string_view dir, std::string_view name) {
  std::string s(dir);
  if (s.empty() || s.back() != '/') s += '/';
  s += name;
  return s;
}

std::string HostParentPath(std::string_view host) {
  const std::size_t cut = host.rfind('/');
  return cut == 0 || cut == std::string_view::npos ? std::string("/") : std::string(host.substr(0, cut));
}

std::string NormalizeHostPath(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t i = 0;
  while (i <= path.size()) {
    std::size_t j = path.find('/', i);
    if (j == std::string_view::npos) j = path.size();
    const std::string_view name = path.substr(i, j - i);
    if (name == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!name.empty() && name != ".") {
      parts.push_back(name);
    }
    i = j + 1;
  }
  std::string s;
  for (const std::string_view part : parts) {
    s += '/';
    s += part;
  }
  return s.empty() ? std::string("/") : s;
}

}  // namespace velqo
