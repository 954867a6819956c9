#pragma once

#include <cstdint>
#include <string_view>

#include "common/time/provisional_time.h"
#include "config/app_state.h"
#include "engine/file_lists.h"

namespace velqo {

// The space estimate of one pair, in bytes (64-bit: sizes are never cut).
struct PairSpace {
  // Allocation units of Path1's and Path2's drive, 0 until first needed: a
  // pair whose files are all equal never reads the volumes.
  std::uint32_t cluster1 = 0;
  std::uint32_t cluster2 = 0;
  std::int64_t growth1 = 0;  // net growth of each drive from replacements
  std::int64_t growth2 = 0;
  std::int64_t backup1 = 0;  // room for the backups of replaced files
  std::int64_t backup2 = 0;
  std::int64_t new1 = 0;     // Dir 2-only files, to be added to Dir 1
  std::int64_t new2 = 0;     // Dir 1-only files, to be added to Dir 2
  // The largest file replaced on each drive: until the rename its new copy
  // and the old file are both there.
  std::int64_t largest_replaced1 = 0;
  std::int64_t largest_replaced2 = 0;
  // The precision the pair's file times are compared with (nanoseconds,
  // 0 for coarse times), once a matched pair needs it; -1 before.
  std::int64_t time_precision = -1;
};

struct PairContext {
  PairLists lists;
  PairSpace space;
};

// Files differing by no more than this many days (2.99808 seconds) have
// the same time: the packed times have a 2-second resolution.
constexpr long double kTimeTolerance = kDosTimeTolerance;

// A size counted in whole allocation units, always one unit more than its
// whole units: R(s) = (s div U + 1) * U.
std::int64_t RoundToUnit(std::uint64_t size, std::uint32_t unit);

// The estimated allocation unit of the file system path lies on, from the
// volume's file-system name and total size.
std::uint32_t AllocationUnit(AppState& s, std::string_view path);

// The allocation unit of Path1's (side 1) or Path2's drive for this pair,
// estimated at its first use.
std::uint32_t ClusterSize(AppState& s, PairSpace& space, int side);

// The precision of the pair's time comparison, read from both volumes at
// its first use.
std::int64_t TimePrecision(AppState& s, PairSpace& space);

// Matches the two lists by name, gives every file its state, asks the
// size-drop question and adds up the space each drive needs.
void GenerateFileIndices(AppState& s, PairContext& pair);

// The space check of a pair; true (PairStopped set, reported and logged)
// when a drive is short.
bool DriveIsShort(AppState& s, const PairSpace& space);

// The file actions of the file-update mode, phase by phase.
void RunActionPhases(AppState& s, PairLists& lists);

}  // namespace velqo
