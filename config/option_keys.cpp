#include "config/option_keys.h"

#include <array>
#include <string>

namespace velqo {

namespace {

template <std::size_t N, FixedText<N> OptionSet::*Field>
constexpr OptionKey TextKey(std::string_view name) {
  OptionKey key;
  key.name = name;
  key.text = [](const OptionSet& o) { return (o.*Field).view(); };
  key.set_text = [](OptionSet& o, std::string_view v) { (o.*Field).AssignCut(v); };
  key.text_size = N;
  return key;
}

constexpr OptionKey IntKey(std::string_view name, std::int32_t OptionSet::*field,
                           std::int32_t first_run, bool keeps = false) {
  OptionKey key;
  key.name = name;
  key.number = field;
  key.first_run = first_run;
  key.keeps_on_first_run = keeps;
  return key;
}

using O = OptionSet;

const std::array<OptionKey, 41> kKeys = {
    IntKey("SelectSeparate", &O::SelectSeparate, 1),
    IntKey("UseDir1", &O::UseDir1, 0),
    IntKey("UseDir1And", &O::UseDir1And, 0),
    IntKey("UseSubOnly", &O::UseSubOnly, 0),
    IntKey("UseBatchFile", &O::UseBatchFile, 0),
    IntKey("VelqoOnly", &O::VelqoOnly, 1),
    IntKey("Add1To2", &O::Add1To2, 0),
    IntKey("AddBothWays", &O::AddBothWays, 0),
    IntKey("CleanUp", &O::CleanUp, 0),
    IntKey("ConfirmEveryFile", &O::ConfirmEveryFile, 1),
    IntKey("CreateBackup", &O::CreateBackup, 1),
    IntKey("CreateNewDir", &O::CreateNewDir, 0),
    IntKey("IgnoreOptUpd", &O::IgnoreOptUpd, 0),
    IntKey("ArchiveFilter", &O::ArchiveFilter, 2),
    IntKey("ReadOnlyFilter", &O::ReadOnlyFilter, 0),
    IntKey("HiddenFilter", &O::HiddenFilter, 0),
    IntKey("SystemFilter", &O::SystemFilter, 0),
    IntKey("ExclDays", &O::ExclDays, 0),
    IntKey("ExclDaysInt", &O::ExclDaysInt, 5),
    IntKey("DeleteExclDays", &O::DeleteExclDays, 0),
    TextKey<7, &O::ExclDaysDriveString>("ExclDaysDriveString"),
    IntKey("IncArcDir", &O::IncArcDir, 0, true),
    IntKey("IncHidDir", &O::IncHidDir, 0),
    IntKey("IncRODir", &O::IncRODir, 1),
    IntKey("IncSysDir", &O::IncSysDir, 0),
    IntKey("Incl", &O::Incl, 0),
    TextKey<1101, &O::ExtString>("ExtString"),
    IntKey("InclFile", &O::InclFile, 0),
    TextKey<25801, &O::FileString>("FileString"),
    IntKey("EnableLog", &O::EnableLog, 0),
    TextKey<257, &O::LogFilePath>("LogFilePath"),
    IntKey("AutoGenerateFile", &O::AutoGenerateFile, 1),
    IntKey("AppendToFile", &O::AppendToFile, 1),
    IntKey("ShowHints", &O::ShowHints, 1),
    IntKey("Brief", &O::Brief, 0),
    IntKey("DIRDEL", &O::DIRDEL, 0),
    IntKey("JFDI", &O::JFDI, 0),
    IntKey("Quiet", &O::Quiet, 0),
    IntKey("XATTR", &O::XATTR, 0),
    IntKey("OneWay", &O::OneWay, 0),
    IntKey("IncDotDir", &O::IncDotDir, 0),
};

const std::array<std::string_view, 41> kDefaultsOrder = {
    "VelqoOnly",      "Add1To2",        "AddBothWays",    "CleanUp",
    "ConfirmEveryFile", "CreateBackup", "CreateNewDir",   "SelectSeparate",
    "UseDir1",        "UseDir1And",     "UseSubOnly",     "UseBatchFile",
    "IgnoreOptUpd",   "Incl",           "ArchiveFilter",  "ReadOnlyFilter",
    "HiddenFilter",   "SystemFilter",   "ExclDays",       "DeleteExclDays",
    "IncHidDir",      "IncRODir",       "IncArcDir",      "IncSysDir",
    "InclFile",       "ExclDaysInt",    "ExclDaysDriveString", "ExtString",
    "FileString",     "Brief",          "DIRDEL",         "JFDI",
    "Quiet",          "XATTR",          "EnableLog",      "AutoGenerateFile",
    "AppendToFile",   "LogFilePath",    "ShowHints",      "OneWay",
    "IncDotDir",
};

const std::array<std::string_view, 24> kOptionsUpdOrder = {
    "VelqoOnly",     "Add1To2",        "AddBothWays",  "CleanUp",
    "ConfirmEveryFile", "CreateBackup", "CreateNewDir", "Incl",
    "ArchiveFilter", "ReadOnlyFilter", "HiddenFilter", "SystemFilter",
    "ExclDays",      "DeleteExclDays", "InclFile",     "ExclDaysInt",
    "ExclDaysDriveString", "ExtString", "FileString",  "EnableLog",
    "AutoGenerateFile", "AppendToFile", "LogFilePath", "ShowHints",
};

}  // namespace

std::span<const OptionKey> AllOptionKeys() { return kKeys; }

const OptionKey* FindOptionKey(std::string_view name) {
  for (const OptionKey& key : kKeys) {
    if (key.name == name) return &key;
  }
  return nullptr;
}

std::span<const std::string_view> DefaultsWriteOrder() { return kDefaultsOrder; }
std::span<const std::string_view> OptionsUpdWriteOrder() { return kOptionsUpdOrder; }

void ApplyFirstRunValues(OptionSet* set, std::string_view log_path) {
  for (const OptionKey& key : kKeys) {
    if (key.keeps_on_first_run) continue;
    if (key.is_text()) {
      key.set_text(*set, {});
    } else {
      set->*key.number = key.first_run;
    }
  }
  // A log directory that does not fit stays empty; the load then reports it.
  if (!set->LogFilePath.Assign(log_path)) set->LogFilePath.Clear();
}

std::string OptionKeyValue(const OptionSet& set, const OptionKey& key) {
  if (key.is_text()) return std::string(key.text(set));
  return std::to_string(set.*key.number);
}

}  // namespace velqo
