#include "actions/versions.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "common/platform/platform_ops.h"
#include "common/time/local_clock.h"

namespace velqo {

namespace {

bool IsDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int Number(std::string_view digits) {
  int n = 0;
  for (char c : digits) n = n * 10 + (c - '0');
  return n;
}

std::int64_t SecondsOf(const LocalTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

std::string VersionsFolderOf(std::string_view top) { return ChildPath(top, kVersionsFolder); }

std::vector<FindData> Entries(Platform& fs, std::string_view dir, bool* ok) {
  std::vector<FindData> out;
  std::unique_ptr<DirSearch> search;
  *ok = fs.FindFirst(SearchPattern(dir), kMaskEverything, &search).ok() && search != nullptr;
  if (!*ok) return out;
  FindData entry;
  while (search->Next(&entry)) {
    if (entry.name != "." && entry.name != "..") out.push_back(entry);
  }
  return out;
}

// Removes dir and all below it; links are removed as links, never entered.
bool RemoveTree(Platform& fs, const std::string& dir) {
  bool ok = true;
  for (const FindData& e : Entries(fs, dir, &ok)) {
    const std::string path = ChildPath(dir, e.name);
    const bool is_dir = (e.attributes & kAttrDirectory) != 0 && (e.attributes & kAttrReparsePoint) == 0;
    if (is_dir) {
      if (!RemoveTree(fs, path)) return false;
      continue;
    }
    // A read-only version is still only a version.
    if ((e.attributes & kAttrReparsePoint) == 0) (void)fs.SetAttributes(path, 0);
    if (!fs.DeleteFile(path).ok()) return false;
  }
  return ok && fs.RemoveDirectory(dir).ok();
}

std::string ToWindowsSeparators(std::string_view relative) {
  std::string out(relative);
  std::replace(out.begin(), out.end(), '/', '\\');
  return out;
}

}  // namespace

std::string VersionStamp(const LocalTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d_%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return text;
}

bool ParseVersionStamp(std::string_view name, LocalTime* t) {
  // 2026-12-10_231500, perhaps with a suffix that tells apart two runs of
  // one second.
  if (name.size() < 17 || name[4] != '-' || name[7] != '-' || name[10] != '_') return false;
  if (name.size() > 17 && (name[17] != '.' || !IsDigits(name.substr(18)))) return false;
  const std::string_view y = name.substr(0, 4), mo = name.substr(5, 2), d = name.substr(8, 2);
  const std::string_view h = name.substr(11, 2), mi = name.substr(13, 2), s = name.substr(15, 2);
  for (std::string_view part : {y, mo, d, h, mi, s}) {
    if (!IsDigits(part)) return false;
  }
  LocalTime r;
  r.year = Number(y);
  r.month = Number(mo);
  r.day = Number(d);
  r.hour = Number(h);
  r.minute = Number(mi);
  r.second = Number(s);
  if (r.month < 1 || r.month > 12 || r.day < 1 || r.day > DaysInMonth(r.year, r.month) || r.hour > 23 ||
      r.minute > 59 || r.second > 59) {
    return false;
  }
  *t = r;
  return true;
}

bool RelativeToVersionTop(const VersionState& v, std::string_view path, std::string* relative) {
  if (!v.enabled || v.top.empty()) return false;
  std::string_view top = v.top;
  if (top.back() == '\\') top.remove_suffix(1);
  if (path.size() <= top.size() + 1 || path.compare(0, top.size(), top) != 0 || path[top.size()] != '\\') {
    return false;
  }
  std::string rel(path.substr(top.size() + 1));
  std::replace(rel.begin(), rel.end(), '\\', '/');
  // The versions folder keeps no versions of itself.
  const std::string_view first = std::string_view(rel).substr(0, rel.find('/'));
  if (EqualsIgnoreCase(first, kVersionsFolder)) return false;
  *relative = std::move(rel);
  return true;
}

std::string BelowTop(std::string_view top, std::string_view relative) {
  return ChildPath(top, ToWindowsSeparators(relative));
}

Status KeepOldVersion(Platform& fs, VersionState& v, std::string_view path, std::string_view relative,
                      VersionKeep how, std::string* version) {
  if (v.stamp.empty()) {
    // Two runs in one second get folders of their own.
    const std::string base = VersionStamp(fs.Now());
    std::string stamp = base;
    for (int n = 2; EntryExists(fs, ChildPath(VersionsFolderOf(v.top), stamp)); ++n) {
      stamp = base + "." + std::to_string(n);
    }
    v.stamp = stamp;
  }
  std::string kept(kVersionsFolder);
  kept += '/';
  kept += v.stamp;
  kept += '/';
  kept += relative;
  const Status st = fs.KeepVersion(path, BelowTop(v.top, kept), how);
  if (st.ok()) *version = std::move(kept);
  return st;
}

bool StatEntry(Platform& fs, std::string_view path, FindData* entry) {
  std::unique_ptr<DirSearch> search;
  return fs.FindFirst(path, kMaskEverything, &search).ok() && search != nullptr && search->Next(entry);
}

void RecordVersionChange(Platform& fs, VersionState& v, VersionChange::Kind kind, std::string_view path,
                         std::string relative, std::string version) {
  if (!v.record) return;
  VersionChange c;
  c.kind = kind;
  c.path = std::move(relative);
  c.version = std::move(version);
  FindData left;
  if ((kind == VersionChange::Kind::kReplaced || kind == VersionChange::Kind::kAdded) && StatEntry(fs, path, &left)) {
    c.size = left.size;
    c.mtime_sec = left.mtime_sec;
    c.mtime_nsec = left.mtime_nsec;
  }
  v.record(c);
}

int PruneVersions(Platform& fs, std::string_view top, int keep_days, const LocalTime& now, std::string* failed) {
  const std::string folder = VersionsFolderOf(top);
  if (!DirectoryExists(fs, folder)) return 0;
  bool ok = true;
  const std::int64_t limit = SecondsOf(now) - static_cast<std::int64_t>(keep_days) * 86400;
  int removed = 0;
  for (const FindData& e : Entries(fs, folder, &ok)) {
    LocalTime stamp;
    // Only folders named as runs name them: anything else is not ours to remove.
    if ((e.attributes & kAttrDirectory) == 0 || (e.attributes & kAttrReparsePoint) != 0) continue;
    if (!ParseVersionStamp(e.name, &stamp) || SecondsOf(stamp) >= limit) continue;
    const std::string path = ChildPath(folder, e.name);
    if (RemoveTree(fs, path)) {
      ++removed;
    } else if (failed != nullptr && failed->empty()) {
      *failed = path;
    }
  }
  return removed;
}

std::vector<std::string> VersionsOf(Platform& fs, std::string_view top, std::string_view relative) {
  std::vector<std::string> stamps;
  bool ok = true;
  const std::string folder = VersionsFolderOf(top);
  for (const FindData& e : Entries(fs, folder, &ok)) {
    LocalTime stamp;
    if ((e.attributes & kAttrDirectory) == 0 || !ParseVersionStamp(e.name, &stamp)) continue;
    FindData kept;
    if (StatEntry(fs, BelowTop(ChildPath(folder, e.name), relative), &kept)) stamps.push_back(e.name);
  }
  std::sort(stamps.begin(), stamps.end());
  return stamps;
}

std::vector<std::string> MissingDirectories(Platform& fs, const VersionState& v, std::string_view path) {
  std::vector<std::string> missing;
  std::string dir(path);
  while (dir.size() > 3 && dir.back() == '\\') dir.pop_back();
  std::string relative;
  while (RelativeToVersionTop(v, dir, &relative) && !DirectoryExists(fs, dir)) {
    missing.insert(missing.begin(), dir);
    const std::size_t cut = dir.rfind('\\');
    if (cut == std::string::npos) break;
    dir.resize(cut);
  }
  return missing;
}

void RecordMadeDirectories(Platform& fs, VersionState& v, const std::vector<std::string>& dirs) {
  for (const std::string& dir : dirs) {
    std::string relative;
    if (!RelativeToVersionTop(v, dir, &relative) || !DirectoryExists(fs, dir)) continue;
    RecordVersionChange(fs, v, VersionChange::Kind::kDirectoryAdded, dir, std::move(relative), {});
  }
}

Status DeleteKeepingVersion(AppState& s, std::string_view path, bool restore_attributes,
                            std::uint32_t attributes) {
  std::string relative;
  if (!RelativeToVersionTop(s.versions, path, &relative)) return s.fs.DeleteFile(path);
  std::string version;
  const Status st = KeepOldVersion(s.fs, s.versions, path, relative, VersionKeep::kMove, &version);
  if (!st.ok()) return st;
  if (restore_attributes) (void)s.fs.SetAttributes(BelowTop(s.versions.top, version), attributes);
  RecordVersionChange(s.fs, s.versions, VersionChange::Kind::kDeleted, path, std::move(relative),
                      std::move(version));
  return Status::Ok();
}

}  // namespace velqo
