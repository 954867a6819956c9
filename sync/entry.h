#pragma once

#include <cstdint>

namespace velqo::sync {

enum class EntryKind : int { kNone = 0, kFile = 1, kDirectory = 2, kLink = 3 };

// What a path holds on one side, or what it held after the last sync.
struct Entry {
  EntryKind kind = EntryKind::kNone;
  std::uint64_t size = 0;
  std::int64_t mtime_ns = 0;
  std::uint32_t mode = 0;  // permission bits
  std::uint64_t dev = 0;
  std::uint64_t ino = 0;

  bool exists() const { return kind != EntryKind::kNone; }
  bool is_directory() const { return kind == EntryKind::kDirectory; }
};

// Whether two entries hold the same thing as far as a sync can tell: the
// same type, and for files and links the same size, modification time and
// permission bits. A directory is the same directory whatever its time (it
// changes with every entry made in it); its contents are compared one by one.
// Device and inode differ between replicas and never count.
bool SameEntry(const Entry& x, const Entry& y);

}  // namespace velqo::sync
