#include "cli/option_table.h"

#include <array>

#include "config/option_set.h"

namespace velqo::cli {

namespace {

using Take = std::string (*)(CommandLine&, std::string_view);

constexpr std::size_t kExtensionsCapacity = decltype(OptionSet::ExtString)::kMaxLength;
constexpr std::size_t kNamesCapacity = decltype(OptionSet::FileString)::kMaxLength;
constexpr long long kMaxDays = 100000;
constexpr long long kMaxCount = 1000000000;

OptionOverrides& Of(CommandLine& line) { return line.overrides; }

std::string SetDirectoryMode(CommandLine& line, DirectoryMode mode) {
  auto& current = Of(line).directory_mode;
  if (current && *current != mode) {
    return "choose one of --no-recursive, --structure, --recursive and --subdirs-only";
  }
  current = mode;
  return {};
}

std::string SetFileMode(CommandLine& line, FileMode mode) {
  auto& current = Of(line).file_mode;
  if (current && *current != mode) return "choose one of --matching, --add, --both-ways and --mirror";
  current = mode;
  return {};
}

// A decimal number from 0 (or 1) to max, digits only.
bool ParseCount(std::string_view value, long long min, long long max, long long* out) {
  if (value.empty() || value.size() > 12) return false;
  long long n = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
  }
  if (n < min || n > max) return false;
  *out = n;
  return true;
}

// Adds the items of a repeated list option; the include and the exclude
// form of one list cannot be mixed.
std::string AddToList(std::optional<bool>* include, std::string* list, bool wanted,
                      std::string_view value, std::size_t capacity, std::string_view forms) {
  if (value.empty()) return "the list is empty";
  if (*include && **include != wanted) return "use either " + std::string(forms) + ", not both";
  *include = wanted;
  if (!list->empty()) *list += ',';
  *list += value;
  if (list->size() > capacity) {
    return "the list is longer than " + std::to_string(capacity) + " characters";
  }
  return {};
}

std::string AddPattern(CommandLine& line, PatternArgument::Kind kind, std::string_view pattern) {
  std::string refused = CheckPattern(pattern);
  if (refused.empty()) line.patterns.push_back({kind, std::string(pattern)});
  return refused;
}

constexpr std::string_view kExtForms = "--include-ext or --exclude-ext";
constexpr std::string_view kNameForms = "--include-name or --exclude-name";

// Sized by its entries, so adding an option needs no count kept in step.
constexpr CliOption kOptions[] = {
    {"recursive", 'r', {},
     [](CommandLine& l, std::string_view) { return SetDirectoryMode(l, DirectoryMode::kRecursive); }},
    {"no-recursive", 0, {},
     [](CommandLine& l, std::string_view) { return SetDirectoryMode(l, DirectoryMode::kSeparate); }},
    {"structure", 0, {},
     [](CommandLine& l, std::string_view) { return SetDirectoryMode(l, DirectoryMode::kStructure); }},
    {"subdirs-only", 0, {},
     [](CommandLine& l, std::string_view) {
       return SetDirectoryMode(l, DirectoryMode::kSubdirectoriesOnly);
     }},
    {"matching", 0, {},
     [](CommandLine& l, std::string_view) { return SetFileMode(l, FileMode::kMatching); }},
    {"add", 0, {}, [](CommandLine& l, std::string_view) { return SetFileMode(l, FileMode::kAdd); }},
    {"both-ways", 0, {},
     [](CommandLine& l, std::string_view) { return SetFileMode(l, FileMode::kBothWays); }},
    {"mirror", 0, {},
     [](CommandLine& l, std::string_view) { return SetFileMode(l, FileMode::kMirror); }},
    {"delete", 0, {},
     [](CommandLine& l, std::string_view) { return SetFileMode(l, FileMode::kMirror); }},
    {"sync", 0, {},
     [](CommandLine& l, std::string_view) {
       l.sync = true;
       return std::string();
     }},
    {"archive", 'a', {},
     [](CommandLine& l, std::string_view) {
       Of(l).archive = true;
       return std::string();
     }},
    {"backup", 'b', {},
     [](CommandLine& l, std::string_view) {
       Of(l).backup = true;
       return std::string();
     }},
    {"no-backup", 0, {},
     [](CommandLine& l, std::string_view) {
       Of(l).backup = false;
       return std::string();
     }},
    {"confirm", 'i', {},
     [](CommandLine& l, std::string_view) {
       Of(l).confirm = true;
       return std::string();
     }},
    {"no-confirm", 0, {},
     [](CommandLine& l, std::string_view) {
       Of(l).confirm = false;
       return std::string();
     }},
    {"create-dirs", 0, {},
     [](CommandLine& l, std::string_view) {
       Of(l).create_dirs = true;
       return std::string();
     }},
    {"no-create-dirs", 0, {},
     [](CommandLine& l, std::string_view) {
       Of(l).create_dirs = false;
       return std::string();
     }},
    {"ignore-options-upd", 0, {},
     [](CommandLine& l, std::string_view) {
       Of(l).ignore_options_upd = true;
       return std::string();
     }},
    {"include-hidden", 0, {},
     [](CommandLine& l, std::string_view) {
       Of(l).include_hidden = true;
       return std::string();
     }},
    {"include-read-only", 0, {},
     [](CommandLine& l, std::string_view) {
       Of(l).include_read_only = true;
       return std::string();
     }},
    {"include-system", 0, {},
     [](CommandLine& l, std::string_view) {
       Of(l).include_system = true;
       return std::string();
     }},
    {"include-hidden-dirs", 0, {},
     [](CommandLine& l, std::string_view) {
       Of(l).include_hidden_dirs = true;
       return std::string();
     }},
    {"skip-dot-dirs", 0, {},
     [](CommandLine& l, std::string_view) {
       Of(l).skip_dot_dirs = true;
       return std::string();
     }},
    {"include-ext", 0, "LIST",
     [](CommandLine& l, std::string_view v) {
       return AddToList(&Of(l).include_extensions, &Of(l).extensions, true, v, kExtensionsCapacity,
                        kExtForms);
     }},
    {"exclude-ext", 0, "LIST",
     [](CommandLine& l, std::string_view v) {
       return AddToList(&Of(l).include_extensions, &Of(l).extensions, false, v,
                        kExtensionsCapacity, kExtForms);
     }},
    {"include-name", 0, "LIST",
     [](CommandLine& l, std::string_view v) {
       return AddToList(&Of(l).include_names, &Of(l).names, true, v, kNamesCapacity, kNameForms);
     }},
    {"exclude-name", 0, "LIST",
     [](CommandLine& l, std::string_view v) {
       return AddToList(&Of(l).include_names, &Of(l).names, false, v, kNamesCapacity, kNameForms);
     }},
    {"exclude", 0, "PATTERN",
     [](CommandLine& l, std::string_view v) { return AddPattern(l, PatternArgument::Kind::kExclude, v); }},
    {"include", 0, "PATTERN",
     [](CommandLine& l, std::string_view v) { return AddPattern(l, PatternArgument::Kind::kInclude, v); }},
    {"exclude-from", 0, "FILE",
     [](CommandLine& l, std::string_view v) {
       if (v.empty()) return std::string("FILE is empty");
       // Standard input holds the answers to the run's questions.
       if (v == "-") return std::string("the patterns cannot come from standard input; name a file");
       l.patterns.push_back({PatternArgument::Kind::kExcludeFrom, std::string(v)});
       return std::string();
     }},
    {"exclude-older-than", 0, "DAYS",
     [](CommandLine& l, std::string_view v) {
       long long days = 0;
       if (!ParseCount(v, 1, kMaxDays, &days)) return std::string("DAYS must be a whole number from 1");
       Of(l).exclude_older_than = static_cast<int>(days);
       return std::string();
     }},
    {"log", 0, {},
     [](CommandLine& l, std::string_view) {
       Of(l).log = true;
       return std::string();
     }},
    {"no-log", 0, {},
     [](CommandLine& l, std::string_view) {
       Of(l).log = false;
       return std::string();
     }},
    {"log-dir", 0, "DIR",
     [](CommandLine& l, std::string_view v) {
       if (v.empty()) return std::string("DIR is empty");
       l.log_dir = std::string(v);
       return std::string();
     }},
    {"log-file", 0, "FILE",
     [](CommandLine& l, std::string_view v) {
       if (v.empty()) return std::string("FILE is empty");
       l.log_file = std::string(v);
       return std::string();
     }},
    {"brief", 0, {},
     [](CommandLine& l, std::string_view) {
       Of(l).brief = true;
       return std::string();
     }},
    {"delete-dirs", 0, {},
     [](CommandLine& l, std::string_view) {
       Of(l).delete_dirs = true;
       return std::string();
     }},
    {"unattended", 'j', {},
     [](CommandLine& l, std::string_view) {
       Of(l).unattended = true;
       return std::string();
     }},
    {"overwrite-read-only", 0, {},
     [](CommandLine& l, std::string_view) {
       Of(l).overwrite_read_only = true;
       return std::string();
     }},
    {"no-alerts", 0, {},
     [](CommandLine& l, std::string_view) {
       l.no_alerts = true;
       return std::string();
     }},
    {"preview", 'n', {},
     [](CommandLine& l, std::string_view) {
       l.preview = true;
       return std::string();
     }},
    {"dry-run", 0, {},
     [](CommandLine& l, std::string_view) {
       l.preview = true;
       return std::string();
     }},
    {"max-delete", 0, "N",
     [](CommandLine& l, std::string_view v) {
       long long n = 0;
       if (!ParseCount(v, 0, kMaxCount, &n)) return std::string("N must be a whole number from 0");
       l.max_delete = n;
       return std::string();
     }},
    {"versions", 0, {},
     [](CommandLine& l, std::string_view) {
       l.versions = true;
       return std::string();
     }},
    {"no-versions", 0, {},
     [](CommandLine& l, std::string_view) {
       l.versions = false;
       return std::string();
     }},
    {"keep-versions", 0, "DAYS",
     [](CommandLine& l, std::string_view v) {
       long long days = 0;
       if (!ParseCount(v, 0, kMaxDays, &days)) return std::string("DAYS must be a whole number from 0");
       l.keep_versions = static_cast<int>(days);
       return std::string();
     }},
    {"undo", 0, {},
     [](CommandLine& l, std::string_view) {
       l.undo = true;
       return std::string();
     }},
    {"versions-of", 0, "PATH",
     [](CommandLine& l, std::string_view v) {
       if (v.empty()) return std::string("PATH is empty");
       l.versions_of = std::string(v);
       return std::string();
     }},
    {"restore", 0, "PATH",
     [](CommandLine& l, std::string_view v) {
       if (v.empty()) return std::string("PATH is empty");
       l.restore = std::string(v);
       return std::string();
     }},
    {"from", 0, "STAMP",
     [](CommandLine& l, std::string_view v) {
       if (v.empty()) return std::string("STAMP is empty");
       l.restore_from = std::string(v);
       return std::string();
     }},
    {"no-xattrs", 0, {},
     [](CommandLine& l, std::string_view) {
       l.fidelity.xattrs = false;
       return std::string();
     }},
    {"no-acls", 0, {},
     [](CommandLine& l, std::string_view) {
       l.fidelity.acls = false;
       return std::string();
     }},
    {"hard-links", 'H', {},
     [](CommandLine& l, std::string_view) {
       l.fidelity.hard_links = true;
       return std::string();
     }},
    {"allow-empty-source", 0, {},
     [](CommandLine& l, std::string_view) {
       l.allow_empty_source = true;
       return std::string();
     }},
    {"quiet", 'q', {},
     [](CommandLine& l, std::string_view) {
       l.verbosity = Verbosity::kQuiet;
       return std::string();
     }},
    {"verbose", 'v', {},
     [](CommandLine& l, std::string_view) {
       l.verbosity = Verbosity::kVerbose;
       return std::string();
     }},
    {"itemize-changes", 0, {},
     [](CommandLine& l, std::string_view) {
       l.verbosity = Verbosity::kVerbose;
       return std::string();
     }},
    {"stats", 0, {},
     [](CommandLine& l, std::string_view) {
       l.stats = true;
       return std::string();
     }},
    {"help", 'h', {},
     [](CommandLine& l, std::string_view) {
       l.help = true;
       return std::string();
     }},
    {"version", 'V', {},
     [](CommandLine& l, std::string_view) {
       l.version = true;
       return std::string();
     }},
};

}  // namespace

std::span<const CliOption> Options() { return kOptions; }

const CliOption* FindLongOption(std::string_view name) {
  for (const CliOption& o : kOptions) {
    if (o.name == name) return &o;
  }
  return nullptr;
}

const CliOption* FindShortOption(char c) {
  for (const CliOption& o : kOptions) {
    if (o.short_name != 0 && o.short_name == c) return &o;
  }
  return nullptr;
}

}  // namespace velqo::cli
