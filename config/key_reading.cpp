#include "config/key_reading.h"

#include <array>
#include <string>

namespace velqo {

namespace {

constexpr std::string_view kTextMissing = "*";

using W = WhenMissing;
using T = ThenDo;

const std::array<KeyRule, 40> kIniRules = {{
    {"Quiet", 0, W::kTakeDefault},
    {"Brief", 0, W::kTakeDefault, 0, T::kSwitchAlert},
    {"DIRDEL", 0, W::kTakeDefault, 0, T::kSwitchAlert},
    {"JFDI", 0, W::kTakeDefault, 0, T::kSwitchAlert},
    {"XATTR", 0, W::kTakeDefault, 0, T::kSwitchAlert},
    {"Add1To2", 2, W::kBoxAndKeep},
    {"AddBothWays", 2, W::kBoxAndKeep},
    {"CleanUp", 2, W::kRepair, 0},
    {"ConfirmEveryFile", 2, W::kBoxAndKeep},
    {"CreateBackup", 2, W::kBoxAndKeep},
    {"CreateNewDir", 2, W::kKeep, 0, T::kJfdiForcesConfirm},
    {"SelectSeparate", 2, W::kBoxAndKeep},
    {"UseDir1", 2, W::kBoxAndKeep},
    {"UseDir1And", 2, W::kBoxAndKeep},
    {"UseSubOnly", 2, W::kRepair, 0},
    {"UseBatchFile", 2, W::kBoxAndKeep, 0, T::kReadPaths},
    // A missing key means "use OPTIONS.UPD files", for this session and in
    // the file alike, as on a first run.
    {"IgnoreOptUpd", 2, W::kRepair, 0},
    {"Incl", 2, W::kRepair, 0},
    {"ArchiveFilter", 3, W::kRepair, 2},
    {"ReadOnlyFilter", 3, W::kRepair, 0, T::kReadOnlyForcesXattr},
    {"HiddenFilter", 3, W::kRepair, 0},
    {"SystemFilter", 3, W::kRepair, 0},
    {"ExclDays", 2, W::kRepair, 0},
    {"DeleteExclDays", 2, W::kRepair, 0},
    {"IncHidDir", 2, W::kRepair, 0},
    {"IncRODir", 2, W::kRepair, 1},
    {"IncArcDir", 2, W::kRepair, 1},
    {"IncSysDir", 2, W::kRepair, 0},
    {"InclFile", 2, W::kRepair, 0},
    {"ExclDaysInt", 0, W::kRepair, 0},
    {"ExclDaysDriveString", 0, W::kRepair, 0, T::kBracketDrive},
    {"ExtString", 0, W::kRepair},
    {"FileString", 0, W::kRepair},
    {"EnableLog", 2, W::kRepair, 0, T::kJfdiForcesLog},
    {"AutoGenerateFile", 2, W::kRepair, 1},
    {"AppendToFile", 2, W::kRepair, 1},
    {"LogFilePath", 0, W::kLogDirectory},
    {"ShowHints", 2, W::kRepair, 1},
    // Added later: files written before them read as they always did.
    {"OneWay", 0, W::kTakeDefault},
    {"IncDotDir", 0, W::kTakeDefault},
}};

// DeleteExclDays, LogFilePath and ShowHints are written but never read:
// a directory does not choose where the log goes.
const std::array<KeyRule, 21> kUpdRules = {{
    {"VelqoOnly", 2, W::kBoxAndKeep},
    {"Add1To2", 2, W::kBoxAndKeep},
    {"AddBothWays", 2, W::kBoxAndKeep},
    {"CleanUp", 2, W::kBoxAndKeep},
    {"ConfirmEveryFile", 2, W::kBoxAndKeep},
    {"CreateBackup", 2, W::kBoxAndKeep},
    {"CreateNewDir", 2, W::kBoxAndKeep},
    {"Incl", 2, W::kBoxAndKeep},
    {"ArchiveFilter", 3, W::kRepair, 2},
    {"ReadOnlyFilter", 3, W::kRepair, 0},
    {"HiddenFilter", 3, W::kRepair, 0},
    {"SystemFilter", 3, W::kRepair, 0},
    {"ExclDays", 2, W::kRepair, 0},
    {"InclFile", 2, W::kBoxAndKeep},
    {"ExclDaysInt", 0, W::kRepair, 0},
    {"ExclDaysDriveString", 0, W::kRepair},
    {"ExtString", 0, W::kBoxAndKeep},
    {"FileString", 0, W::kBoxAndKeep},
    {"EnableLog", 2, W::kRepair, 0},
    {"AutoGenerateFile", 2, W::kRepair, 1},
    {"AppendToFile", 2, W::kRepair, 1},
}};

KeyReadResult ReadIntKey(ProfileSection& file, const KeyRule& rule, bool negative_is_missing,
                         std::int32_t* field) {
  KeyReadResult result;
  const std::int32_t value = file.ReadInt(rule.key, rule.read_default);
  result.missing = value == rule.read_default || (negative_is_missing && value < 0);
  if (!result.missing) {
    *field = value;
    return result;
  }
  *field = rule.read_default;
  if (rule.missing == W::kBoxAndKeep) result.wants_box = true;
  if (rule.missing == W::kRepair) {
    *field = rule.repaired;
    result.write_failed = !file.WriteInt(rule.key, rule.repaired);
  }
  return result;
}

KeyReadResult ReadTextKey(ProfileSection& file, const KeyRule& rule, const OptionKey& key,
                          OptionSet* set) {
  KeyReadResult result;
  const std::string value = file.ReadText(rule.key, kTextMissing, key.text_size);
  result.missing = value == kTextMissing;
  key.set_text(*set, value);
  if (!result.missing) return result;
  if (rule.missing == W::kBoxAndKeep) result.wants_box = true;
  if (rule.missing == W::kRepair) {
    key.set_text(*set, {});
    result.write_failed = !file.WriteText(rule.key, {});
  }
  return result;
}

}  // namespace

std::span<const KeyRule> IniLoadRules() { return kIniRules; }
std::span<const KeyRule> OptionsUpdRules() { return kUpdRules; }

KeyReadResult ReadOptionKey(ProfileSection& file, const KeyRule& rule, bool negative_is_missing,
                            OptionSet* set) {
  const OptionKey* key = FindOptionKey(rule.key);
  if (key == nullptr) return {};
  if (key->is_text()) return ReadTextKey(file, rule, *key, set);
  return ReadIntKey(file, rule, negative_is_missing, &(set->*key->number));
}

bool WriteOptionKey(ProfileSection& file, const OptionSet& set, std::string_view key_name) {
  const OptionKey* key = FindOptionKey(key_name);
  if (key == nullptr) return false;
  return file.WriteText(key->name, OptionKeyValue(set, *key));
}

}  // namespace velqo
