#include "common/platform/drive_map.h"

#include <climits>
#include <cstdlib>

#include "common/platform/platform_ops.h"
#include "common/platform/windows_path.h"

namespace velqo {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::string_view Unquote(std::string_view s) {
  if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front()) {
    return s.substr(1, s.size() - 2);
  }
  return s;
}

// "D", "d" or "D:" as a letter index, or -1.
int LetterIndex(std::string_view key) {
  if (key.size() == 2 && key[1] == ':') key.remove_suffix(1);
  if (key.size() != 1) return -1;
  const char c = AsciiUpper(key[0]);
  return (c >= 'A' && c <= 'Z') ? c - 'A' : -1;
}

bool IsUnder(std::string_view path, std::string_view dir) {
  if (dir.empty()) return false;
  if (dir == "/") return !path.empty() && path[0] == '/';
  return path.size() >= dir.size() && path.compare(0, dir.size(), dir) == 0 &&
         (path.size() == dir.size() || path[dir.size()] == '/');
}

}  // namespace

DriveMap::DriveMap(std::string_view home) : home_(home) {
  Set('C', home);
  Set('Z', "/");
}

std::string DriveMap::ExpandHome(std::string_view text) const {
  if (text == "~") return home_;
  if (text.size() >= 2 && text[0] == '~' && text[1] == '/') return home_ + std::string(text.substr(1));
  return std::string(text);
}

void DriveMap::Set(char letter, std::string_view given) {
  const int index = LetterIndex(std::string_view(&letter, 1));
  if (index < 0) return;
  Drive& drive = drives_[static_cast<std::size_t>(index)];
  const std::string dir = ExpandHome(Trim(given));
  if (dir.empty()) {
    drive = Drive{};
    return;
  }
  if (dir[0] != '/') return;
  drive.dir = NormalizeHostPath(dir);
  drive.real_dir.clear();
  // A host path reached through a link in the drive's own directory (a
  // home directory that is a link) must still find its drive.
  char resolved[PATH_MAX];
  if (realpath(drive.dir.c_str(), resolved) != nullptr && drive.dir != resolved) drive.real_dir = resolved;
}

void DriveMap::ApplyList(std::string_view list) {
  std::size_t i = 0;
  while (i <= list.size()) {
    std::size_t j = list.find(';', i);
    if (j == std::string_view::npos) j = list.size();
    const std::string_view item = list.substr(i, j - i);
    const std::size_t eq = item.find('=');
    if (eq != std::string_view::npos) {
      const int index = LetterIndex(Trim(item.substr(0, eq)));
      if (index >= 0) Set(static_cast<char>('A' + index), Unquote(Trim(item.substr(eq + 1))));
    }
    i = j + 1;
  }
}

void DriveMap::ApplyIniText(std::string_view ini) {
  bool in_drives = false;
  bool seen[26] = {};  // the first of duplicated keys wins, as profile reads do
  bool section_seen = false;
  std::size_t i = 0;
  while (i < ini.size()) {
    std::size_t j = ini.find_first_of("\r\n", i);
    if (j == std::string_view::npos) j = ini.size();
    const std::string_view line = Trim(ini.substr(i, j - i));
    i = j + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const std::size_t close = line.find(']');
      const std::string_view name = Trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
      // Only the first section of that name is read.
      in_drives = !section_seen && EqualsIgnoreCase(name, "Drives");
      section_seen = section_seen || in_drives;
      continue;
    }
    if (!in_drives) continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const int index = LetterIndex(Trim(line.substr(0, eq)));
    if (index < 0 || seen[index]) continue;
    seen[index] = true;
    Set(static_cast<char>('A' + index), Unquote(Trim(line.substr(eq + 1))));
  }
}

const std::string* DriveMap::HostDir(char letter) const {
  const int index = LetterIndex(std::string_view(&letter, 1));
  if (index < 0) return nullptr;
  const Drive& drive = drives_[static_cast<std::size_t>(index)];
  return drive.dir.empty() ? nullptr : &drive.dir;
}

bool DriveMap::ToWindows(std::string_view host, std::string* windows) const {
  int best = -1;
  std::size_t best_length = 0;
  std::string_view best_dir;
  for (int i = 0; i < 26; ++i) {
    const Drive& drive = drives_[static_cast<std::size_t>(i)];
    for (const std::string* dir : {&drive.dir, &drive.real_dir}) {
      // The longest prefix wins; among equals the first letter.
      if (IsUnder(host, *dir) && (best < 0 || dir->size() > best_length)) {
        best = i;
        best_length = dir->size();
        best_dir = *dir;
      }
    }
  }
  if (best < 0) return false;
  std::string_view rest = host.substr(best_dir == "/" ? 0 : best_dir.size());
  std::string out;
  out += static_cast<char>('A' + best);
  out += ':';
  if (rest.empty()) rest = "/";
  for (const char c : rest) {
    if (c == '\\') return false;  // no Windows name can hold it
    out += c == '/' ? '\\' : c;
  }
  *windows = std::move(out);
  return true;
}

}  // namespace velqo
