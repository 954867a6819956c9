#include "common/platform/platform_ops.h"

namespace velqo {

bool DirectoryExists(Platform& fs, std::string_view path) {
  std::uint32_t attributes = 0;
  return fs.GetAttributes(path, &attributes).ok() && (attributes & kAttrDirectory) != 0;
}

bool EntryExists(Platform& fs, std::string_view path) {
  std::uint32_t attributes = 0;
  return fs.GetAttributes(path, &attributes).ok();
}

std::string ChildPath(std::string_view dir, std::string_view name) {
  std::string path(dir);
  if (dir.size() > 3) path += '\\';
  path += name;
  return path;
}

bool ChildPath(std::string_view dir, std::string_view name, PathText* out) {
  return out->Assign(ChildPath(dir, name));
}

std::string SearchPattern(std::string_view dir) { return ChildPath(dir, "*.*"); }

std::string MakeDirPath(Platform& fs, std::string_view given) {
  std::string path(given);
  if (!path.empty() && path.back() == '\\') path.pop_back();
  if (DirectoryExists(fs, path)) return {};
  if (path.size() == 2) path += '\\';
  const std::size_t cut = path.rfind('\\');
  // A root (or a text without any separator) cannot be made from a parent:
  // try it once and stop, so a missing drive never recurses for ever.
  if (cut == std::string::npos || path.size() <= 3) {
    return fs.CreateDirectory(path).ok() ? std::string() : path;
  }
  // The parent of C:\A is the root C:\ itself.
  std::string parent = path.substr(0, cut == 2 ? 3 : cut);
  if (!DirectoryExists(fs, parent)) {
    std::string failed = MakeDirPath(fs, parent);
    if (!failed.empty()) return failed;
  }
  return fs.CreateDirectory(path).ok() ? std::string() : path;
}

}  // namespace velqo
