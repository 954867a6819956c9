#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/option_overrides.h"
#include "cli/pattern_arguments.h"
#include "cli/verbosity.h"
#include "common/platform/platform.h"

namespace velqo::cli {

// The command line sorted into what the console program does with it.
// Nothing of it is stored: the option overrides hold for this run only.
struct CommandLine {
  bool help = false;
  bool version = false;
  bool preview = false;             // -n: plan the changes, make none
  bool no_alerts = false;           // the long form of /Q
  bool allow_empty_source = false;  // a mirror may run from an empty Dir 1
  bool stats = false;               // --stats: a summary at the end
  bool sync = false;                // --sync: two-way sync with a remembered state
  Verbosity verbosity = Verbosity::kNormal;
  std::optional<long long> max_delete;
  // Versions of what the update replaces or deletes in DIR2 (unset: on for
  // --mirror only) and how many days they are kept.
  std::optional<bool> versions;
  int keep_versions = 30;
  bool undo = false;                         // --undo: take back the pair's last run
  std::optional<std::string> versions_of;    // --versions-of=PATH, as typed
  std::optional<std::string> restore;        // --restore=PATH, as typed
  std::optional<std::string> restore_from;   // --from=STAMP
  std::optional<std::string> log_dir;   // as typed
  std::optional<std::string> log_file;  // as typed
  CopyFidelity fidelity;                // what copies carry beside data, mode and owner
  OptionOverrides overrides;
  std::vector<PatternArgument> patterns;  // in order; read by BuildPathRules
  PathRules path_rules;                   // what they make, once built
  std::vector<std::string> switches;  // the slash switches, as typed, in order
  std::vector<std::string> paths;     // none or two, as typed
  std::vector<std::string> notes;     // arguments ignored, one sentence each
  // A usage error: when set, nothing may run and the rest is incomplete.
  std::string error;
};

// Whether a host path names an existing directory: a "/word" that is not a
// switch is a directory argument only then.
using DirectoryTest = std::function<bool(const std::string&)>;

// Reads args (args[0] is the program's path and is never an argument).
// GNU style: long options with "=" or the next argument as value, short
// options that may be grouped (-rn), "--" before arguments that are
// directories whatever they look like. An unknown option, a missing or
// refused value, one directory or more than two is a usage error.
CommandLine ParseCommandLine(const std::vector<std::string>& args, const DirectoryTest& is_directory);

// "/" and one of the program's nine switch letters, in either case.
bool IsSwitch(std::string_view arg);

// A relative path (anything but "/...", "~..." and "X:...") joined to cwd;
// every other text is returned as it is. Lexical: no link is followed.
std::string AbsoluteIfRelative(std::string_view arg, std::string_view cwd);

// Converts a typed directory to the Windows form the program works with.
// False with a sentence in *why (starting in lower case) when the text
// cannot be taken: too long, or not reachable through the drive map.
bool ConvertDirectoryArgument(Platform& fs, std::string_view typed, std::string_view cwd,
                              std::string* windows, std::string* why);

// The text printed by --help.
std::string UsageText();

}  // namespace velqo::cli
