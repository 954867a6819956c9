#pragma once

#include <cstdint>
#include <string_view>

#include "common/platform/platform.h"

namespace velqo {

// How finely a file system keeps modification times: in nanoseconds, or 0
// for file systems with coarse or local times (FAT, exFAT, SMB shares and
// any whose kind is not known), where times are compared packed, in local
// time, with a tolerance.
std::int64_t TimePrecisionOf(std::string_view file_system_name);

// The precision a pair of directories is compared with: the coarser of the
// two sides', 0 when either side keeps coarse times.
std::int64_t PairPrecision(std::int64_t precision1, std::int64_t precision2);

// What a file of Dir 1 and its Dir 2 namesake have as their versions.
struct FileVersion {
  std::uint32_t packed = 0;  // packed local last-write time
  std::int64_t seconds = 0;  // exact last-write time
  std::int32_t nanoseconds = 0;
  std::uint64_t size = 0;
};

enum class Difference {
  kSame,               // nothing to carry
  kDir1Newer,
  kDir2Newer,
  kSameTimeOtherSize,  // a change that the dates cannot place
};

// Compares two versions. With a precision (nanoseconds, above 0) the exact
// times are compared to it and a difference in size is a change; with 0
// the packed times are compared with the tolerance of their 2-second
// resolution.
Difference CompareVersions(const FileVersion& v1, const FileVersion& v2, std::int64_t precision);

// Whether a copy whose data matches its source may still lack some of the
// source's metadata, judged from what the listings of both gave: a
// difference of permission bits (but the owner's write bit, which the
// target keeps as its own read-only attribute), of owner or group, or a
// change of the source's inode after the target's last one (an attribute
// or ACL set since the copy was made). Metadata a listing did not give
// counts as different, so the file system is asked.
bool MetadataMayDiffer(const EntryMetadata& source, const EntryMetadata& target);

}  // namespace velqo
