#include "ui/logic/skins.h"

#include <algorithm>
#include <memory>

#include "common/platform/attributes.h"
#include "common/platform/platform_ops.h"

namespace velqo::ui {

namespace {

std::string SkinsDir(Platform& fs) { return ChildPath(fs.DataDirectory(), "Skins"); }

bool HasSkinExtension(std::string_view name) {
  return name.size() > kSkinExtension.size() &&
         EqualsIgnoreCase(name.substr(name.size() - kSkinExtension.size()), kSkinExtension);
}

}  // namespace

std::vector<std::string> ListSkins(Platform& fs) {
  std::vector<std::string> names;
  std::unique_ptr<DirSearch> search;
  if (!fs.FindFirst(SearchPattern(SkinsDir(fs)), 0, &search).ok()) return names;
  FindData entry;
  while (search->Next(&entry)) {
    if ((entry.attributes & kAttrDirectory) != 0 || !HasSkinExtension(entry.name)) continue;
    names.push_back(entry.name.substr(0, entry.name.size() - kSkinExtension.size()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string SkinPath(Platform& fs, std::string_view name) {
  return ChildPath(SkinsDir(fs), std::string(name) + std::string(kSkinExtension));
}

Status ReadSkin(Platform& fs, std::string_view name, std::string* style_sheet) {
  if (name.empty() || EqualsIgnoreCase(name, "None")) return Status::FileNotFound("no skin");
  const std::string path = SkinPath(fs, name);
  std::unique_ptr<DirSearch> search;
  Status st = fs.FindFirst(path, 0, &search);
  if (!st.ok()) return st;
  FindData entry;
  if (!search->Next(&entry)) return Status::FileNotFound(path);
  if (entry.size > kMaxSkinBytes) return Status::InvalidArgument("skin file too large: " + path);
  std::string text;
  st = fs.ReadFile(path, &text);
  if (!st.ok()) return st;
  if (text.size() > kMaxSkinBytes || text.find('\0') != std::string::npos) {
    return Status::InvalidArgument("not a style sheet: " + path);
  }
  *style_sheet = std::move(text);
  return Status::Ok();
}

}  // namespace velqo::ui

namespace velqo::ui {

std::optional<Rgb> SkinColor(std::string_view sheet) {
  constexpr std::string_view kKey = "background-color:";
  for (std::size_t at = sheet.find(kKey); at != std::string_view::npos; at = sheet.find(kKey, at + 1)) {
    std::size_t i = at + kKey.size();
    while (i < sheet.size() && sheet[i] == ' ') ++i;
    if (i + 7 > sheet.size() || sheet[i] != '#') continue;
    int value = 0;
    bool hex = true;
    for (std::size_t k = i + 1; k < i + 7 && hex; ++k) {
      const char c = sheet[k];
      const int digit = c >= '0' && c <= '9' ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
      hex = digit >= 0;
      value = value * 16 + digit;
    }
    if (hex) return Rgb{(value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF};
  }
  return std::nullopt;
}

}  // namespace velqo::ui
