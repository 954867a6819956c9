#include "common/dir_listing.h"

#include "common/path_resolver.h"
#include "common/platform_ops.h"

namespace velqo {

namespace {

// Lookups in one listing before it gets an index: the directory a run is
// working in is asked once (is there an option file?), its parent once per
// subdirectory.
constexpr int kLookupsBeforeIndex = 2;

}  // namespace

bool DirListing::Read(const std::string& dir) {
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return false;
  ReadFrom(d);
  closedir(d);
  return true;
}

void DirListing::ReadFrom(DIR* d) {
  while (const struct dirent* e = readdir(d)) {
    const std::string_view name = e->d_name;
    if (name == "." || name == ".." || IsTemporaryName(name)) continue;
    if (name.find('\\') != std::string_view::npos) continue;
    Append(name, e->d_type);
  }
}

void DirListing::Append(std::string_view name, unsigned char type) {
  Entry e;
  e.offset = static_cast<std::uint32_t>(text_.size());
  e.size = static_cast<std::uint32_t>(name.size());
  e.type = type;
  text_.append(name);
  text_.push_back('\0');
  entries_.push_back(e);
}

void DirListing::BuildIndex() {
  if (indexed_) return;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].removed) continue;
    Slot& slot = index_[AsciiLowerCopy(View(entries_[i]))];
    if (slot.count++ == 0) slot.first = i;
  }
  indexed_ = true;
}

std::string_view DirListing::FirstMatch(std::string_view name) {
  if (!indexed_ && ++lookups_ >= kLookupsBeforeIndex) BuildIndex();
  if (indexed_) {
    const auto it = index_.find(AsciiLowerCopy(name));
    return it == index_.end() ? std::string_view() : View(entries_[it->second.first]);
  }
  for (const Entry& e : entries_) {
    if (!e.removed && EqualsIgnoreCase(View(e), name)) return View(e);
  }
  return {};
}

bool DirListing::Add(std::string_view name) {
  BuildIndex();
  Slot& slot = index_[AsciiLowerCopy(name)];
  if (slot.count > 0) return false;
  slot = Slot{entries_.size(), 1};
  Append(name, DT_UNKNOWN);
  in_order_ = false;
  return true;
}

bool DirListing::Remove(std::string_view name) {
  BuildIndex();
  const auto it = index_.find(AsciiLowerCopy(name));
  if (it == index_.end()) return true;  // not listed: nothing to forget
  Entry& e = entries_[it->second.first];
  if (it->second.count > 1 || View(e) != name) return false;
  e.removed = true;
  index_.erase(it);
  in_order_ = false;
  return true;
}

}  // namespace velqo
