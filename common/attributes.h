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

}  // namespace velqo
