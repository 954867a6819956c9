#include "engine/change_detection.h"

#include <algorithm>
#include <array>

#include "common/text/ascii_case.h"
#include "common/time/dos_time.h"
#include "common/time/provisional_time.h"

namespace velqo {

namespace {

constexpr std::int64_t kNanosecond = 1;
constexpr std::int64_t kSecond = 1'000'000'000;

struct Precision {
  std::string_view name;  // as the volume query spells it
  std::int64_t nanoseconds;
};

// File systems that keep exact times in UTC. ext2 and ext3 may have inodes
// too small for nanoseconds: their times count to the second.
constexpr std::array<Precision, 14> kFineTimes = {{
    {"EXT4", kNanosecond},
    {"XFS", kNanosecond},
    {"BTRFS", kNanosecond},
    {"TMPFS", kNanosecond},
    {"RAMFS", kNanosecond},
    {"F2FS", kNanosecond},
    {"ZFS", kNanosecond},
    {"BCACHEFS", kNanosecond},
    {"OVERLAY", kNanosecond},
    {"JFS", kNanosecond},
    {"NILFS2", kNanosecond},
    {"NTFS", 100 * kNanosecond},
    {"EXT2", kSecond},
    {"EXT3", kSecond},
}};

// a div b rounded toward minus infinity, for times before 1970 too.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// -1, 0 or 1 as t1 is before, at or after t2, both cut to the precision.
int CompareExact(const FileVersion& v1, const FileVersion& v2, std::int64_t precision) {
  if (precision >= kSecond) {
    const std::int64_t step = precision / kSecond;
    const std::int64_t a = FloorDiv(v1.seconds, step);
    const std::int64_t b = FloorDiv(v2.seconds, step);
    return a < b ? -1 : (a > b ? 1 : 0);
  }
  if (v1.seconds != v2.seconds) return v1.seconds < v2.seconds ? -1 : 1;
  const std::int64_t a = v1.nanoseconds / precision;
  const std::int64_t b = v2.nanoseconds / precision;
  return a < b ? -1 : (a > b ? 1 : 0);
}

int ComparePacked(std::uint32_t packed1, std::uint32_t packed2) {
  if (packed1 == packed2) return 0;
  const long double t1 = DosTimeToDateTime(packed1);
  const long double t2 = DosTimeToDateTime(packed2);
  if (t1 > t2 + kDosTimeTolerance) return 1;
  if (t1 < t2 - kDosTimeTolerance) return -1;
  return 0;
}

}  // namespace

std::int64_t TimePrecisionOf(std::string_view file_system_name) {
  for (const Precision& p : kFineTimes) {
    if (EqualsIgnoreCase(p.name, file_system_name)) return p.nanoseconds;
  }
  return 0;
}

std::int64_t PairPrecision(std::int64_t precision1, std::int64_t precision2) {
  if (precision1 <= 0 || precision2 <= 0) return 0;
  return std::max(precision1, precision2);
}

Difference CompareVersions(const FileVersion& v1, const FileVersion& v2, std::int64_t precision) {
  const int order = precision > 0 ? CompareExact(v1, v2, precision) : ComparePacked(v1.packed, v2.packed);
  if (order > 0) return Difference::kDir1Newer;
  if (order < 0) return Difference::kDir2Newer;
  return v1.size == v2.size ? Difference::kSame : Difference::kSameTimeOtherSize;
}

bool MetadataMayDiffer(const EntryMetadata& source, const EntryMetadata& target) {
  if (source.mode == 0 || target.mode == 0) return true;
  constexpr std::uint32_t kOwnWrite = 0200;
  constexpr std::uint32_t kPermissions = 07777;
  if (((source.mode ^ target.mode) & kPermissions & ~kOwnWrite) != 0) return true;
  if (source.uid != target.uid || source.gid != target.gid) return true;
  if (source.ctime_sec != target.ctime_sec) return source.ctime_sec > target.ctime_sec;
  return source.ctime_nsec > target.ctime_nsec;
}

}  // namespace velqo
