#include "ui/logic/skins.h"

#include <algorithm>
#include <memory>

#include "common/attributes.h"
#include "common/platform_ops.h"

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
