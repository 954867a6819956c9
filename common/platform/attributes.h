#pragma once

#include <cstdint>

namespace velqo {

// File attribute bits as Windows reports them.
enum FileAttribute : std::uint32_t {
  kAttrReadOnly = 1,
  kAttrHidden = 2,
  kAttrSystem = 4,
  kAttrVolume = 8,
  kAttrDirectory = 16,
  kAttrArchive = 32,
  kAttrNormal = 128,
  kAttrReparsePoint = 1024,
};

// Search masks used throughout: files of every kind, and every entry type.
constexpr std::uint32_t kMaskAllFiles = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive;  // 39
constexpr std::uint32_t kMaskEverything = kMaskAllFiles | kAttrVolume | kAttrDirectory;           // 63

// A search hint, never an attribute: the caller keeps only directories, so
// a platform may leave out the other entries without examining them (the
// directory walks). Ignoring it changes nothing but the cost.
constexpr std::uint32_t kSearchDirectoriesOnly = 0x80000000u;

// A search hint: the caller looks at no hidden, system or archive bit of
// what the search returns (its filters take either value), so a platform
// may leave unread the flags it keeps apart from the entry, one more lookup
// per entry, and report none of them (a name's leading "." still reports
// hidden). Honoured only where the mask takes hidden and system entries
// alike, so that the entries returned stay the same.
constexpr std::uint32_t kSearchWithoutStoredFlags = 0x40000000u;

}  // namespace velqo
