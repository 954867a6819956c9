#include "common/preview/preview_platform.h"

#include <set>

#include "common/platform/listed_search.h"
#include "common/platform/platform_ops.h"
#include "common/text/wildcard.h"

namespace velqo {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string_view WithoutTrailingSeparator(std::string_view path) {
  while (path.size() > 3 && IsSeparator(path.back())) path.remove_suffix(1);
  return path;
}

// The overlay's key of a path: separators as "\", A to Z folded, as the
// layer resolves names that differ only in case to the one entry.
std::string Key(std::string_view path) {
  std::string key(WithoutTrailingSeparator(path));
  for (char& c : key) c = c == '/' ? '\\' : AsciiLower(c);
  return key;
}

bool IsRootKey(std::string_view key) { return key.size() <= 3; }

// The prefix every key below a directory's key starts with.
std::string ChildPrefix(const std::string& key) { return IsRootKey(key) ? key : key + "\\"; }

std::string NameOf(std::string_view path) {
  path = WithoutTrailingSeparator(path);
  std::size_t cut = path.size();
  while (cut > 0 && !IsSeparator(path[cut - 1])) --cut;
  return std::string(path.substr(cut));
}

std::string ParentOf(std::string_view path) {
  path = WithoutTrailingSeparator(path);
  std::size_t cut = path.size();
  while (cut > 0 && !IsSeparator(path[cut - 1])) --cut;
  if (cut == 0) return {};
  // The parent of C:\A is the root C:\ itself.
  return std::string(path.substr(0, cut <= 3 ? cut : cut - 1));
}

bool IsDotName(std::string_view name) { return !name.empty() && name[0] == '.'; }

bool Excluded(std::uint32_t attributes, std::uint32_t mask) {
  constexpr std::uint32_t kSpecial = kAttrHidden | kAttrSystem | kAttrVolume | kAttrDirectory;
  return (attributes & kSpecial & ~mask) != 0;
}

bool IsLink(std::uint32_t attributes) { return (attributes & kAttrReparsePoint) != 0; }

// The attributes an entry named name reports after being given requested:
// its type bits stay, the settable flags are replaced, a leading "." keeps
// it hidden, and nothing at all reads as normal.
std::uint32_t Settled(std::uint32_t before, std::uint32_t requested, std::string_view name) {
  constexpr std::uint32_t kSettable = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive;
  std::uint32_t value = (before & (kAttrDirectory | kAttrReparsePoint)) | (requested & kSettable);
  if (IsDotName(name)) value |= kAttrHidden;
  return value == 0 ? kAttrNormal : value;
}

// A copy's attributes under its new name: the source's, with the hidden
// flag that only a leading "." gave it following the name.
std::uint32_t Renamed(std::uint32_t attributes, std::string_view from, std::string_view to) {
  if (IsDotName(from) && !IsDotName(to)) attributes &= ~std::uint32_t{kAttrHidden};
  if (IsDotName(to)) attributes |= kAttrHidden;
  return attributes;
}

char DriveLetter(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' ? AsciiUpper(path[0]) : '?';
}

}  // namespace

PreviewPlatform::Found PreviewPlatform::Find(std::string_view path) {
  Found f;
  const std::string key = Key(path);
  bool disk = true;
  for (std::size_t cut = key.find('\\'); cut != std::string::npos; cut = key.find('\\', cut + 1)) {
    const std::string ancestor = key.substr(0, cut == 2 ? 3 : cut);
    if (ancestor.size() >= key.size()) break;
    const auto it = nodes_.find(ancestor);
    if (it == nodes_.end()) continue;
    if (it->second.kind != Node::Kind::kDirectory) {
      f.status = Status::PathNotFound(std::string(path));
      return f;
    }
    if (it->second.opaque) disk = false;
  }
  if (const auto it = nodes_.find(key); it != nodes_.end()) {
    if (it->second.kind == Node::Kind::kGone) {
      f.status = Status::FileNotFound(std::string(path));
    } else {
      f.node = &it->second;
      f.data = it->second.data;
    }
    return f;
  }
  if (!disk) {
    f.status = Status::FileNotFound(std::string(path));
    return f;
  }
  std::uint32_t attributes = 0;
  f.status = target().GetAttributes(path, &attributes);
  if (f.status.ok()) {
    f.real = true;
    f.data.name = NameOf(path);
    f.data.attributes = attributes;
  }
  return f;
}

bool PreviewPlatform::DiskShowsBelow(const std::string& key) {
  for (std::size_t cut = key.find('\\'); cut != std::string::npos; cut = key.find('\\', cut + 1)) {
    const auto it = nodes_.find(key.substr(0, cut == 2 ? 3 : cut));
    if (it != nodes_.end() && it->second.opaque) return false;
  }
  const auto it = nodes_.find(key);
  return it == nodes_.end() || !it->second.opaque;
}

PreviewPlatform::Node* PreviewPlatform::Materialize(std::string_view path, Found& found) {
  if (found.node != nullptr) return found.node;
  Node node;
  node.data = found.data;
  std::unique_ptr<DirSearch> search;
  if (target().FindFirst(path, kMaskEverything, &search).ok() && search) {
    FindData entry;
    if (search->Next(&entry)) node.data = entry;
  }
  node.kind = found.IsDirectory() ? Node::Kind::kDirectory : Node::Kind::kFile;
  if (node.kind == Node::Kind::kFile) node.real_source = std::string(path);
  found.node = &(nodes_[Key(path)] = std::move(node));
  found.real = false;
  return found.node;
}

Status PreviewPlatform::ParentDirectory(std::string_view path) {
  const std::string parent = ParentOf(path);
  if (parent.empty()) return Status::PathNotFound(std::string(path));
  const Found f = Find(parent);
  if (!f.status.ok() || !f.IsDirectory()) return Status::PathNotFound(std::string(path));
  return Status::Ok();
}

void PreviewPlatform::EraseBelow(const std::string& key) {
  const std::string prefix = ChildPrefix(key);
  auto it = nodes_.lower_bound(prefix);
  while (it != nodes_.end() && it->first.starts_with(prefix)) it = nodes_.erase(it);
}

void PreviewPlatform::Use(std::string_view path, std::int64_t bytes) {
  used_[DriveLetter(path)] += bytes;
}

Status PreviewPlatform::FindInDirectory(std::string_view dir, std::string_view last, std::uint32_t mask,
                                        std::vector<FindData>* out, std::vector<std::string>* unusable) {
  const Found d = Find(dir);
  // A directory on disk is left to the real search, which also follows a
  // top directory that is a link.
  if (!d.status.ok() || (d.node != nullptr && d.node->kind != Node::Kind::kDirectory)) {
    return Status::PathNotFound(std::string(dir));
  }
  const std::string key = Key(dir);
  const std::string prefix = ChildPrefix(key);
  std::set<std::string> seen;
  if (DiskShowsBelow(key)) {
    std::string pattern(dir);
    if (!IsSeparator(pattern.back())) pattern += '\\';
    pattern += last;
    std::unique_ptr<DirSearch> real;
    const Status st = target().FindFirst(pattern, mask, &real);
    if (!st.ok() && st.code() != Status::Code::kFileNotFound) return st;
    if (st.ok() && real) *unusable = real->Unusable();
    FindData e;
    while (st.ok() && real && real->Next(&e)) {
      if (e.name == "." || e.name == "..") {
        out->push_back(e);
        continue;
      }
      const std::string child = prefix + AsciiLowerCopy(e.name);
      const auto it = nodes_.find(child);
      if (it == nodes_.end()) {
        out->push_back(e);
        continue;
      }
      seen.insert(child);
      const Node& n = it->second;
      if (n.kind != Node::Kind::kGone && !Excluded(n.data.attributes, mask)) out->push_back(n.data);
    }
  } else if (!IsRootKey(key) && !Excluded(kAttrDirectory, mask) && MatchesWildcard(last, ".")) {
    out->push_back(FindData{".", kAttrDirectory, 0, d.data.dos_time});
    out->push_back(FindData{"..", kAttrDirectory, 0, d.data.dos_time});
  }
  // What the overlay adds: created directories, copies, renamed files, and
  // entries whose new attributes a search of the disk did not include.
  const bool directories_only = (mask & kSearchDirectoriesOnly) != 0;
  for (auto it = nodes_.lower_bound(prefix); it != nodes_.end() && it->first.starts_with(prefix);
       ++it) {
    const Node& n = it->second;
    if (it->first.find('\\', prefix.size()) != std::string::npos || seen.count(it->first) != 0) continue;
    if (n.kind == Node::Kind::kGone || Excluded(n.data.attributes, mask)) continue;
    if (directories_only && n.kind != Node::Kind::kDirectory) continue;
    if (MatchesWildcard(last, n.data.name)) out->push_back(n.data);
  }
  return Status::Ok();
}

Status PreviewPlatform::FindFirst(std::string_view pattern, std::uint32_t mask,
                                  std::unique_ptr<DirSearch>* search) {
  std::size_t cut = pattern.size();
  while (cut > 0 && !IsSeparator(pattern[cut - 1])) --cut;
  const std::string_view last = pattern.substr(cut);
  std::vector<FindData> out;
  std::vector<std::string> unusable;
  if (HasWildcard(last)) {
    std::string dir(pattern.substr(0, cut));
    if (cut == 0 && pattern.size() > 2 && pattern[1] == ':') dir = std::string(pattern.substr(0, 2));
    if (dir.size() == 2 && dir[1] == ':') dir += '\\';
    // A pattern relative to the current directory is the disk's alone.
    if (dir.empty()) return target().FindFirst(pattern, mask, search);
    const Status st = FindInDirectory(WithoutTrailingSeparator(dir), last, mask, &out, &unusable);
    if (!st.ok()) return st;
  } else {
    Found f = Find(pattern);
    if (f.real) return target().FindFirst(pattern, mask, search);
    if (!f.status.ok()) return f.status;
    if (!Excluded(f.data.attributes, mask)) out.push_back(f.data);
  }
  *search = std::make_unique<ListedSearch>(std::move(out), std::move(unusable));
  return Status::Ok();
}

Status PreviewPlatform::GetAttributes(std::string_view path, std::uint32_t* attributes) {
  const Found f = Find(path);
  if (f.status.ok()) *attributes = f.data.attributes;
  return f.status;
}

Status PreviewPlatform::SetAttributes(std::string_view path, std::uint32_t attributes) {
  Found f = Find(path);
  if (!f.status.ok()) return f.status;
  if (IsLink(f.data.attributes) &&
      (attributes & (kAttrReadOnly | kAttrSystem | (IsDotName(f.data.name) ? 0u : kAttrHidden))) != 0) {
    return Status::NotSupported("a symbolic link cannot carry attributes: " + std::string(path));
  }
  Node* n = Materialize(path, f);
  n->data.attributes = Settled(n->data.attributes, attributes, n->data.name);
  return Status::Ok();
}

Status PreviewPlatform::CopyFile(std::string_view from, std::string_view to) {
  Found src = Find(from);
  if (!src.status.ok()) return src.status;
  if (src.IsDirectory()) return Status::AccessDenied("a directory is not copied: " + std::string(from));
  if (Status parent = ParentDirectory(to); !parent.ok()) return parent;
  Found dst = Find(to);
  const bool exists = dst.status.ok();
  if (exists && dst.IsDirectory()) return Status::AccessDenied("a directory is in the way: " + std::string(to));
  if (exists && !IsLink(dst.data.attributes) && (dst.data.attributes & kAttrReadOnly) != 0) {
    return Status::AccessDenied("the target is read-only: " + std::string(to));
  }
  const Node source = *Materialize(from, src);
  const std::uint64_t old_size = exists ? Materialize(to, dst)->data.size : 0;
  Node copy = source;
  copy.data.name = exists ? dst.data.name : NameOf(to);
  copy.data.attributes = Renamed(source.data.attributes, source.data.name, copy.data.name);
  nodes_[Key(to)] = copy;
  Use(to, static_cast<std::int64_t>(source.data.size) - static_cast<std::int64_t>(old_size));
  Record(MakeChange(FileChange::Kind::kCopy, std::string(from), std::string(to), source.data.size,
                    exists));
  return Status::Ok();
}

Status PreviewPlatform::CheckBackup(std::string_view to, std::string_view backup, bool* needed) {
  *needed = false;
  Found dst = Find(to);
  if (!dst.status.ok() || dst.IsDirectory() || IsLink(dst.data.attributes)) return Status::Ok();
  const auto made = backups_.find(Key(backup));
  if (made != backups_.end()) {
    if (made->second != Key(to)) return Status::AlreadyExists("the backup of another file: " + std::string(backup));
    *needed = true;
    return Status::Ok();
  }
  // A copy planned in this preview over a file the disk still holds as it
  // was: the disk's answer stands; for a file only the plan holds there
  // is nothing to keep.
  if (!dst.real && dst.node != nullptr && dst.node->real_source.empty() && !Find(backup).status.ok()) {
    *needed = true;
    return Status::Ok();
  }
  if (Find(backup).status.ok() && !Find(backup).real) {
    return Status::AlreadyExists("not a backup made here: " + std::string(backup));
  }
  return target().CheckBackup(to, backup, needed);
}

Status PreviewPlatform::CopyFileWithBackup(std::string_view from, std::string_view to, std::string_view backup,
                                           bool* backup_failed) {
  *backup_failed = false;
  bool needed = false;
  if (Status st = CheckBackup(to, backup, &needed); !st.ok()) {
    *backup_failed = true;
    return st;
  }
  if (!needed) return CopyFile(from, to);
  Found dst = Find(to);
  const bool replaces = Find(backup).status.ok();
  Node kept = *Materialize(to, dst);
  const std::size_t before = changes_.size();
  if (Status st = CopyFile(from, to); !st.ok()) return st;
  // The backup comes first in the plan, as it does on disk.
  kept.data.name = NameOf(backup);
  kept.data.attributes = Renamed(kept.data.attributes, NameOf(to), kept.data.name);
  nodes_[Key(backup)] = std::move(kept);
  backups_[Key(backup)] = Key(to);
  FileChange keep = MakeChange(FileChange::Kind::kBackup, std::string(to), std::string(backup));
  keep.replaces = replaces;
  changes_.insert(changes_.begin() + static_cast<std::ptrdiff_t>(before), std::move(keep));
  return Status::Ok();
}

Status PreviewPlatform::MoveFile(std::string_view from, std::string_view to) {
  Found src = Find(from);
  if (!src.status.ok()) return src.status;
  if (src.IsDirectory() && !IsLink(src.data.attributes)) {
    return Status::NotSupported("a preview does not rename directories: " + std::string(from));
  }
  if (Status parent = ParentDirectory(to); !parent.ok()) return parent;
  if (Find(to).status.ok()) return Status::AlreadyExists(std::string(to));
  Node moved = *Materialize(from, src);
  moved.data.attributes = Renamed(moved.data.attributes, moved.data.name, NameOf(to));
  moved.data.name = NameOf(to);
  nodes_[Key(from)] = Node{};
  nodes_[Key(to)] = std::move(moved);
  Record(MakeChange(FileChange::Kind::kRename, std::string(from), std::string(to)));
  return Status::Ok();
}

Status PreviewPlatform::DeleteFile(std::string_view path) {
  Found f = Find(path);
  if (!f.status.ok()) return f.status;
  if (!IsLink(f.data.attributes)) {
    if (f.IsDirectory()) return Status::AccessDenied("a directory is not a file: " + std::string(path));
    if ((f.data.attributes & kAttrReadOnly) != 0) {
      return Status::AccessDenied("the file is read-only: " + std::string(path));
    }
  }
  Node* n = Materialize(path, f);
  const std::uint64_t size = n->data.size;
  *n = Node{};
  Use(path, -static_cast<std::int64_t>(size));
  Record(MakeChange(FileChange::Kind::kDelete, std::string(path), {}, size));
  return Status::Ok();
}

Status PreviewPlatform::KeepVersion(std::string_view path, std::string_view /*version*/, VersionKeep how) {
  if (how == VersionKeep::kMove) return DeleteFile(path);
  Found f = Find(path);
  return f.status;
}

Status PreviewPlatform::CreateDirectory(std::string_view path) {
  if (Find(path).status.ok()) return Status::AlreadyExists(std::string(path));
  if (Status parent = ParentDirectory(path); !parent.ok()) return parent;
  const std::string key = Key(path);
  EraseBelow(key);
  Node n;
  n.kind = Node::Kind::kDirectory;
  n.opaque = true;
  n.data.name = NameOf(path);
  n.data.attributes = Settled(kAttrDirectory, 0, n.data.name);
  n.data.dos_time = PackDosTime(target().Now());
  nodes_[key] = std::move(n);
  Record(MakeChange(FileChange::Kind::kCreateDirectory, std::string(path)));
  return Status::Ok();
}

Status PreviewPlatform::RemoveDirectory(std::string_view path) {
  const Found f = Find(path);
  if (!f.status.ok()) return f.status;
  if (!f.IsDirectory() || IsLink(f.data.attributes)) return Status::PathNotFound(std::string(path));
  std::vector<FindData> inside;
  std::vector<std::string> unusable;
  if (Status st = FindInDirectory(path, "*.*", kMaskEverything, &inside, &unusable); !st.ok()) return st;
  if (!unusable.empty()) return Status::NotEmpty(std::string(path));
  for (const FindData& e : inside) {
    if (e.name != "." && e.name != "..") return Status::NotEmpty(std::string(path));
  }
  const std::string key = Key(path);
  EraseBelow(key);
  nodes_[key] = Node{};
  Record(MakeChange(FileChange::Kind::kRemoveDirectory, std::string(path)));
  return Status::Ok();
}

Status PreviewPlatform::OpenReadWrite(std::string_view path) {
  const Found f = Find(path);
  if (!f.status.ok()) return f.status;
  if (f.real) return target().OpenReadWrite(path);
  if (f.IsDirectory() || (f.data.attributes & kAttrReadOnly) != 0) {
    return Status::AccessDenied(std::string(path));
  }
  return Status::Ok();
}

Status PreviewPlatform::CreateNewFile(std::string_view path) {
  if (Find(path).status.ok()) return Status::AlreadyExists(std::string(path));
  if (Status parent = ParentDirectory(path); !parent.ok()) return parent;
  Node n;
  n.kind = Node::Kind::kFile;
  n.data.name = NameOf(path);
  n.data.attributes = Settled(0, kAttrArchive, n.data.name);
  n.data.dos_time = PackDosTime(target().Now());
  nodes_[Key(path)] = std::move(n);
  return Status::Ok();
}

Status PreviewPlatform::ReadFile(std::string_view path, std::string* contents, const FileAccess& access) {
  const Found f = Find(path);
  if (!f.status.ok()) return f.status;
  if (f.real) return target().ReadFile(path, contents, access);
  if (f.IsDirectory()) return Status::AccessDenied(std::string(path));
  if (!access.follow_link && IsLink(f.data.attributes)) {
    return Status::AccessDenied("a symbolic link: " + std::string(path));
  }
  std::string base;
  if (!f.node->real_source.empty()) {
    if (Status st = target().ReadFile(f.node->real_source, &base, access); !st.ok()) return st;
  }
  *contents = base + f.node->appended;
  if (contents->size() > access.max_size) return Status::TooLarge(std::string(path));
  return Status::Ok();
}

Status PreviewPlatform::WriteFile(std::string_view path, std::string_view contents, WriteMode mode,
                                  const FileAccess& access) {
  if (Status parent = ParentDirectory(path); !parent.ok()) return parent;
  Found f = Find(path);
  const bool exists = f.status.ok();
  if (exists && f.IsDirectory()) return Status::AccessDenied(std::string(path));
  if (exists && !access.follow_link && IsLink(f.data.attributes)) {
    return Status::AccessDenied("a symbolic link: " + std::string(path));
  }
  Node n;
  if (exists && mode == WriteMode::kAppend) {
    n = *Materialize(path, f);
    n.appended += contents;
    n.data.size += contents.size();
  } else {
    n.kind = Node::Kind::kFile;
    n.data.name = exists ? f.data.name : NameOf(path);
    n.data.attributes = exists ? f.data.attributes : Settled(0, kAttrArchive, n.data.name);
    n.appended = std::string(contents);
    n.data.size = contents.size();
  }
  n.data.dos_time = PackDosTime(target().Now());
  nodes_[Key(path)] = std::move(n);
  return Status::Ok();
}

Status PreviewPlatform::SetLastWriteTime(std::string_view path, const LocalTime& time) {
  Found f = Find(path);
  if (!f.status.ok()) return f.status;
  Materialize(path, f)->data.dos_time = PackDosTime(time);
  return Status::Ok();
}

Status PreviewPlatform::DiskSpace(std::string_view root, std::uint64_t* total, std::uint64_t* free) {
  const Status st = target().DiskSpace(root, total, free);
  if (!st.ok()) return st;
  const auto it = used_.find(DriveLetter(root));
  if (it == used_.end()) return st;
  if (it->second > 0) {
    const auto taken = static_cast<std::uint64_t>(it->second);
    *free = *free > taken ? *free - taken : 0;
  } else {
    *free += static_cast<std::uint64_t>(-it->second);
  }
  return st;
}

}  // namespace velqo
