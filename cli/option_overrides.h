#pragma once

#include <optional>
#include <string>

#include "config/option_set.h"

namespace velqo::cli {

enum class DirectoryMode { kSeparate, kStructure, kRecursive, kSubdirectoriesOnly };
enum class FileMode { kMatching, kAdd, kBothWays, kMirror };

// What the command line changes in the option set of this run. Unset
// fields keep the stored value.
struct OptionOverrides {
  std::optional<DirectoryMode> directory_mode;
  std::optional<FileMode> file_mode;
  // -a: recursive, add to Dir 2, every file, no questions per file, new
  // directories made; each part yields to an option that says otherwise.
  bool archive = false;
  std::optional<bool> backup;
  std::optional<bool> confirm;
  std::optional<bool> create_dirs;
  std::optional<bool> log;
  bool ignore_options_upd = false;
  bool include_hidden = false;
  bool include_read_only = false;
  bool include_system = false;
  bool include_hidden_dirs = false;
  bool skip_dot_dirs = false;
  std::optional<bool> include_extensions;  // true: only these; false: all but these
  std::string extensions;                  // comma-separated
  std::optional<bool> include_names;       // true: always these; false: never these
  std::string names;                       // comma-separated
  std::optional<int> exclude_older_than;   // days
  // The long forms of /B, /E, /J and /O.
  bool brief = false;
  bool delete_dirs = false;
  bool unattended = false;
  bool overwrite_read_only = false;
  std::string log_directory;  // Windows form, converted by the caller; empty: unchanged
};

// Applies the overrides to a set, with the rules the stored options obey
// too: unattended turns confirmations off and logging and directory
// creation on (unless --confirm, --no-log or --no-create-dirs say
// otherwise), and including read-only files lets read-only targets be
// replaced. Every mode but --both-ways leaves Dir 1 as it is.
void ApplyOverrides(const OptionOverrides& o, OptionSet* set);

}  // namespace velqo::cli
