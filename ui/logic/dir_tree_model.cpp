#include "ui/logic/dir_tree_model.h"

#include <memory>

#include "common/platform/platform_ops.h"

namespace velqo::ui {

namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool EndsWithDriveRoot(std::string_view text) {
  return text.size() >= 2 && text.substr(text.size() - 2) == ":\\";
}

// Splits a path after its drive part into its components.
std::vector<std::string> Components(std::string_view rest) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t cut = rest.find('\\', start);
    if (cut == std::string_view::npos) cut = rest.size();
    if (cut > start) parts.emplace_back(rest.substr(start, cut - start));
    start = cut + 1;
  }
  return parts;
}

// "c:\a\..\b\." as "c:\b": a typed relative text may hold such steps.
std::string Normalise(std::string_view full) {
  if (full.size() < 3) return std::string(full);
  std::vector<std::string> kept;
  for (std::string& part : Components(full.substr(3))) {
    if (part == ".") continue;
    if (part == "..") {
      if (!kept.empty()) kept.pop_back();
      continue;
    }
    kept.push_back(std::move(part));
  }
  std::string out(full.substr(0, 3));
  for (std::size_t i = 0; i < kept.size(); ++i) {
    if (i > 0) out += '\\';
    out += kept[i];
  }
  return out;
}

}  // namespace

std::string DirTreeModel::ApplyCase(std::string_view text) const {
  std::string out(text);
  for (char& c : out) {
    if (text_case_ == TextCase::tcLowerCase) c = AsciiLower(c);
    if (text_case_ == TextCase::tcUpperCase) c = AsciiUpper(c);
  }
  return out;
}

void DirTreeModel::Changed() {
  if (on_change_) on_change_();
}

std::uint32_t DirTreeModel::SearchMask() const {
  std::uint32_t mask = kTreeDirectory;
  if (switches_.hidden) mask |= kTreeHidden;
  if (switches_.system) mask |= kTreeSystem;
  if (switches_.archive) mask |= kTreeArchive;
  if (switches_.read_only) mask |= kTreeReadOnly;
  return mask;
}

// A directory is listed only when every attribute it carries is one the
// switches allow; any other bit (a link, a device) keeps it out.
bool DirTreeModel::Accepts(std::uint32_t attributes) const {
  if ((attributes & kTreeDirectory) == 0) return false;
  std::uint32_t allowed = kTreeDirectory;
  if (switches_.hidden) allowed |= kTreeHidden;
  if (switches_.system) allowed |= kTreeSystem;
  if (switches_.archive) allowed |= kTreeArchive;
  if (switches_.read_only) allowed |= kTreeReadOnly;
  return (attributes & ~allowed) == 0;
}

std::string DirTreeModel::FullPath(int index) const {
  if (index < 0 || index >= item_count()) return {};
  const Item& it = item(index);
  if (it.parent == kNone) return it.text;
  std::string parent = FullPath(it.parent);
  if (parent.empty() || parent.back() != '\\') parent += '\\';
  return parent + it.text;
}

// Children stay in ascending byte order of their shown names.
void DirTreeModel::InsertSorted(int parent, int child) {
  std::vector<int>& kids = items_[static_cast<std::size_t>(parent)].children;
  const std::string& name = item(child).text;
  if (kids.empty() || name <= item(kids.front()).text) {
    kids.insert(kids.begin(), child);
    return;
  }
  if (name >= item(kids.back()).text) {
    kids.push_back(child);
    return;
  }
  std::size_t low = 0;
  std::size_t high = kids.size() - 1;
  while (high - low > 1) {
    std::size_t mid = (low + high) / 2;
    if (mid == low) ++mid;
    if (name > item(kids[mid]).text) {
      low = mid;
    } else {
      high = mid;
    }
  }
  kids.insert(kids.begin() + static_cast<std::ptrdiff_t>(high), child);
}

void DirTreeModel::LoadChildren(int index) {
  if (index < 0 || index >= item_count()) return;
  std::string path = FullPath(index);
  if (path.empty() || path.back() != '\\') path += '\\';
  std::unique_ptr<DirSearch> search;
  if (fs_.FindFirst(path + "*.*", SearchMask(), &search).ok()) {
    FindData entry;
    while (search->Next(&entry)) {
      if (!Accepts(entry.attributes) || entry.name.empty() || entry.name[0] == '.') continue;
      Item child;
      child.text = ApplyCase(entry.name);
      child.parent = index;
      items_.push_back(std::move(child));
      InsertSorted(index, item_count() - 1);
    }
  }
  items_[static_cast<std::size_t>(index)].data = 1;
}

void DirTreeModel::Expand(int index) {
  if (index < 0 || index >= item_count()) return;
  if (item(index).data == 0) LoadChildren(index);
  items_[static_cast<std::size_t>(index)].expanded = true;
}

void DirTreeModel::Collapse(int index) {
  if (index >= 0 && index < item_count()) items_[static_cast<std::size_t>(index)].expanded = false;
}

void DirTreeModel::Toggle(int index) {
  if (index < 0 || index >= item_count()) return;
  if (item(index).expanded) {
    Collapse(index);
  } else {
    Expand(index);
  }
}

void DirTreeModel::Rebuild() {
  items_.clear();
  selected_ = kNone;
  ++generation_;
  if (drive_ != 0) {
    Item root;
    root.text = ApplyCase(std::string(1, drive_) + ":\\");
    items_.push_back(std::move(root));
    selected_ = 0;
    WalkTo(current_);
  }
  Changed();
}

// Opens the tree along a path; a component that is not there is skipped and
// the next one looked for at the same level.
void DirTreeModel::WalkTo(std::string_view path) {
  if (items_.empty()) return;
  std::string text = ApplyCase(path);
  const std::size_t colon = text.find(':');
  std::string_view rest = text;
  if (colon != std::string::npos) rest.remove_prefix(colon + 1);
  if (!rest.empty() && rest.front() == '\\') rest.remove_prefix(1);
  int current = 0;
  for (const std::string& part : Components(rest)) {
    Expand(current);
    for (int child : item(current).children) {
      if (item(child).text == part) {
        current = child;
        break;
      }
    }
  }
  selected_ = current;
}

Status DirTreeModel::SetDriveLetter(char letter) {
  if (!IsDriveLetter(letter)) return Status::Ok();
  if (drive_ != 0 && AsciiLower(drive_) == AsciiLower(letter)) return Status::Ok();
  drive_ = letter;
  const Status st = fs_.SetCurrentDirectory(std::string(1, letter) + ":\\");
  if (!st.ok()) return st;
  current_ = ApplyCase(fs_.CurrentDirectory());
  Rebuild();
  return Status::Ok();
}

std::string DirTreeModel::FullForm(std::string_view path) const {
  if (EndsWithDriveRoot(path)) return std::string(path);
  std::string text(path);
  for (char& c : text) {
    if (c == '/') c = '\\';
  }
  if (text.size() >= 2 && text[1] == ':' && IsDriveLetter(text[0])) {
    if (text.size() == 2 || text[2] != '\\') text.insert(2, "\\");
    return Normalise(text);
  }
  std::string cwd = fs_.CurrentDirectory();
  if (cwd.size() < 3) cwd = "C:\\";
  if (!text.empty() && text.front() == '\\') return Normalise(cwd.substr(0, 2) + text);
  if (cwd.back() != '\\') cwd += '\\';
  return Normalise(cwd + text);
}

Status DirTreeModel::ChangeDirectory(std::string_view path) {
  if (path.empty()) return Status::Ok();
  std::string full = ApplyCase(FullForm(path));
  if (full.size() > 3 && full.back() == '\\') full.pop_back();
  if (EqualsIgnoreCase(full, current_)) return Status::Ok();
  current_ = full;
  const Status st = fs_.SetCurrentDirectory(full);
  if (!st.ok()) return st;
  if (drive_ == 0 || AsciiLower(full[0]) != AsciiLower(drive_)) {
    const Status drive = SetDriveLetter(full[0]);
    if (!drive.ok()) return drive;
  }
  if (EndsWithDriveRoot(current_)) {
    // The drive switch left its root current; the directory asked for is
    // the one the caller (and the selection the walk makes) means.
    if (current_ != full && fs_.SetCurrentDirectory(full).ok()) current_ = full;
    WalkTo(full);
  }
  Changed();
  return Status::Ok();
}

void DirTreeModel::Click(int index) {
  if (index < 0 || index >= item_count()) return;
  selected_ = index;
  (void)ChangeDirectory(FullPath(index));
}

}  // namespace velqo::ui
