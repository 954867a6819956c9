#include <memory>
#include <string>
#include <vector>

#include "actions/directories.h"
#include "actions/versions.h"
#include "common/platform/windows_path.h"

namespace velqo {

namespace {

constexpr std::size_t kMaxPathLength = kMaxWindowsPath;

std::string Join(std::string_view dir, std::string_view name) {
  std::string path(dir);
  if (path.empty() || path.back() != '\\') path += '\\';
  path += name;
  return path;
}

// One removal of a tree. It works on full paths, so it neither depends on
// nor changes the process's current directory. The first failure ends it:
// what is left of the tree stays as it is and the user is told.
class TreeRemoval {
 public:
  TreeRemoval(AppState& s, std::string_view top) : s_(s), top_(top) {}

  bool Run() {
    std::uint32_t attributes = 0;
    const Status found = s_.fs.GetAttributes(top_, &attributes);
    if (found.code() == Status::Code::kFileNotFound || found.code() == Status::Code::kPathNotFound) {
      return true;  // nothing to remove
    }
    // A link named as the tree goes as a link; its target is not touched.
    if (found.ok() && (attributes & kAttrReparsePoint) != 0) return DeleteLink(top_);
    return RemoveDirectory(top_);
  }

 private:
  // Reports what could not be done with path and ends the removal.
  bool Fail(std::string_view what, const std::string& path) {
    std::string text(what);
    text += path;
    if (path != top_) text += ".  The Directory " + top_ + " Has Not Been Removed Completely.";
    s_.host.MessageBox(text, "Error", Icon::kWarning, Buttons::kOk);
    return false;
  }

  bool List(const std::string& dir, std::vector<FindData>* entries) {
    std::unique_ptr<DirSearch> search;
    if (!s_.fs.FindFirst(Join(dir, "*.*"), kMaskEverything, &search).ok() || search == nullptr) {
      return Fail("Cannot Read The Directory ", dir);
    }
    FindData entry;
    while (search->Next(&entry)) {
      if (entry.name != "." && entry.name != "..") entries->push_back(entry);
    }
    return true;
  }

  bool DeleteLink(const std::string& path) {
    if (DeleteKeepingVersion(s_, path, false, 0).ok()) return true;
    return Fail("Cannot Delete The Link ", path);
  }

  bool DeleteOrdinaryFile(const std::string& path) {
    std::uint32_t before = 0;
    const bool cleared = s_.fs.GetAttributes(path, &before).ok() && s_.fs.SetAttributes(path, 0).ok();
    // In a tree whose old files are kept, each file of a removed directory
    // is kept with its own marks.
    if (s_.fs.OpenReadWrite(path).ok() && DeleteKeepingVersion(s_, path, cleared, before).ok()) return true;
    return Fail("Cannot Delete The File ", path);
  }

  bool RemoveEntry(const std::string& dir, const FindData& entry) {
    const std::string path = Join(dir, entry.name);
    if (path.size() > kMaxPathLength) {
      return Fail("A Path Longer Than 32767 Characters Cannot Be Removed: ", path);
    }
    // Links are never entered, whatever they point to.
    if ((entry.attributes & kAttrReparsePoint) != 0) return DeleteLink(path);
    if ((entry.attributes & kAttrDirectory) != 0) return RemoveDirectory(path);
    return DeleteOrdinaryFile(path);
  }

  bool RemoveDirectory(const std::string& dir) {
    std::vector<FindData> entries;
    if (!List(dir, &entries)) return false;
    for (const FindData& entry : entries) {
      if (!RemoveEntry(dir, entry)) return false;
    }
    if (s_.fs.RemoveDirectory(dir).ok()) return true;
    return Fail("Cannot Remove The Directory ", dir);
  }

  AppState& s_;
  std::string top_;
};

}  // namespace

bool RemoveDirTree(AppState& s, std::string_view path) { return TreeRemoval(s, path).Run(); }

}  // namespace velqo
