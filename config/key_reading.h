#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "config/option_keys.h"
#include "config/profile_section.h"

namespace velqo {

// What a key that reads as missing (its read default comes back) turns into.
enum class WhenMissing {
  kTakeDefault,     // the read default is the value; nothing is said or written
  kBoxAndKeep,      // the caller's error box; the field keeps the read default
  kKeep,            // the field keeps the read default, silently
  kRepair,          // the field takes the repaired value, which is written back
  kLogDirectory,    // the log directory of the INI file; handled by the INI load
};

// What the INI load does right after reading a key.
enum class ThenDo {
  kNothing,
  kSwitchAlert,       // Brief, DIRDEL, JFDI, XATTR: the switch alert when on
  kJfdiForcesConfirm, // JFDI = 1: ConfirmEveryFile 0, CreateNewDir 1
  kReadPaths,         // Path1 and Path2 follow UseBatchFile
  kReadOnlyForcesXattr,
  kJfdiForcesLog,
  kBracketDrive,      // "[?c..." means the drive letter c
};

// How one key is read: integers with read_default, texts with "*"; a missing
// text key is repaired to the empty text.
struct KeyRule {
  std::string_view key;
  std::int32_t read_default = 2;
  WhenMissing missing = WhenMissing::kTakeDefault;
  std::int32_t repaired = 0;
  ThenDo then = ThenDo::kNothing;
};

// Rules of the program INI file, in the order of its load (VelqoOnly, the
// first-run marker, is read before them).
std::span<const KeyRule> IniLoadRules();
// Rules of an OPTIONS.UPD file, in the order of its writer; the keys it
// writes but never reads are absent.
std::span<const KeyRule> OptionsUpdRules();

// The outcome of reading one key.
struct KeyReadResult {
  bool missing = false;
  bool wants_box = false;
  bool write_failed = false;
};

// Reads one key into a set and applies its missing rule (the log directory
// excepted). With negative_is_missing an integer below 0 counts as missing.
KeyReadResult ReadOptionKey(ProfileSection& file, const KeyRule& rule, bool negative_is_missing,
                            OptionSet* set);

// Writes one field; false when the file refused it.
bool WriteOptionKey(ProfileSection& file, const OptionSet& set, std::string_view key);

}  // namespace velqo
