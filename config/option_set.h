#pragma once

#include <array>
#include <cstdint>

#include "common/text/fixed_text.h"

namespace velqo {

// The option record: 37 integer fields and 4 text fields, each named by its
// INI key, in this order. A plain fixed-size record, copied only as a whole.
// Boolean fields hold 0 or 1, and 2 for "never set" (a missing key); the four
// attribute filters are tri-states (0 absent, 1 present, 2 either).
struct OptionSet {
  std::int32_t SelectSeparate = 0;
  std::int32_t UseDir1 = 0;
  std::int32_t UseDir1And = 0;
  std::int32_t UseSubOnly = 0;
  std::int32_t UseBatchFile = 0;
  std::int32_t VelqoOnly = 0;
  std::int32_t Add1To2 = 0;
  std::int32_t AddBothWays = 0;
  std::int32_t CleanUp = 0;
  std::int32_t ConfirmEveryFile = 0;
  std::int32_t CreateBackup = 0;
  std::int32_t CreateNewDir = 0;
  std::int32_t IgnoreOptUpd = 0;
  std::int32_t ArchiveFilter = 0;
  std::int32_t ReadOnlyFilter = 0;
  std::int32_t HiddenFilter = 0;
  std::int32_t SystemFilter = 0;
  std::int32_t ExclDays = 0;
  std::int32_t ExclDaysInt = 0;
  std::int32_t DeleteExclDays = 0;
  FixedText<7> ExclDaysDriveString;
  std::int32_t IncArcDir = 0;
  std::int32_t IncHidDir = 0;
  std::int32_t IncRODir = 0;
  std::int32_t IncSysDir = 0;
  std::int32_t Incl = 0;
  FixedText<1101> ExtString;
  std::int32_t InclFile = 0;
  FixedText<25801> FileString;
  std::int32_t EnableLog = 0;
  StoredPathText LogFilePath;
  std::int32_t AutoGenerateFile = 0;
  std::int32_t AppendToFile = 0;
  std::int32_t ShowHints = 0;
  std::int32_t Brief = 0;
  std::int32_t DIRDEL = 0;
  std::int32_t JFDI = 0;
  std::int32_t Quiet = 0;
  std::int32_t XATTR = 0;
  // 1: every file-update mode but AddBothWays (a two-way sync by nature)
  // leaves Dir 1 unchanged: a Dir 2 file newer than its Dir 1 namesake is
  // left alone and named, where CleanUp replaces it. 0: newer files are
  // copied in both directions.
  std::int32_t OneWay = 0;
  // 1: directories whose names begin with "." are walked like any other.
  std::int32_t IncDotDir = 0;
};

// Whether a set's file-update mode leaves Dir 1 unchanged: CleanUp always,
// and under OneWay every mode but the two-way AddBothWays.
inline bool WritesOnlyDir2(const OptionSet& o) {
  return o.CleanUp == 1 || (o.OneWay == 1 && o.AddBothWays != 1);
}

constexpr int kMaxTableEntries = 100;

// The lists parsed from the ExtString and FileString of the active set.
struct FilterTables {
  std::array<FixedText<51>, kMaxTableEntries> ExtensionTable;
  int NumExtensions = 0;
  std::array<FixedText<257>, kMaxTableEntries> FileNameTable;
  int NumFileNames = 0;
};

}  // namespace velqo
