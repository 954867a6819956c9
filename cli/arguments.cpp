#include "cli/arguments.h"

#include <cctype>

#include "cli/option_table.h"
#include "common/platform/platform_ops.h"
#include "common/platform/windows_path.h"

namespace velqo::cli {

namespace {

constexpr std::string_view kSwitchLetters = "ABDEGIJOQ";
constexpr std::size_t kMaxPath = kMaxWindowsPath;

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

bool IsSwitch(std::string_view arg) {
  return arg.size() == 2 && arg[0] == '/' && IsAsciiLetter(arg[1]) &&
         kSwitchLetters.find(AsciiUpper(arg[1])) != std::string_view::npos;
}

namespace {

// "/" and a word without further slashes: what a mistyped switch looks like.
bool IsSlashWord(std::string_view arg) {
  return arg.size() >= 2 && arg[0] == '/' && arg.find('/', 1) == std::string_view::npos;
}

bool IsHelpSwitch(std::string_view arg) { return arg == "/?" || EqualsIgnoreCase(arg, "/h"); }

// The versions options that only make sense together, or alone.
std::string CheckVersionOptions(const CommandLine& line) {
  const bool listing = line.versions_of.has_value();
  const bool restoring = line.restore.has_value();
  if (line.restore_from && !restoring) return "--from=STAMP goes with --restore=PATH";
  if (restoring && !line.restore_from) return "--restore=PATH needs --from=STAMP (--versions-of lists them)";
  if (static_cast<int>(listing) + static_cast<int>(restoring) + static_cast<int>(line.undo) > 1) {
    return "choose one of --undo, --versions-of and --restore";
  }
  if ((listing || restoring) && !line.paths.empty()) return "--versions-of and --restore take no DIR1 DIR2";
  if (line.undo && line.paths.size() != 2) return "--undo needs DIR1 and DIR2";
  return {};
}

class Parser {
 public:
  Parser(const std::vector<std::string>& args, const DirectoryTest& is_directory)
      : args_(args), is_directory_(is_directory) {}

  CommandLine Run() {
    for (next_ = 1; next_ < args_.size() && line_.error.empty();) Take(args_[next_++]);
    if (!line_.error.empty()) return std::move(line_);
    if (const std::string refused = CheckVersionOptions(line_); !refused.empty()) {
      line_.error = refused;
    } else if (line_.paths.size() == 1) {
      line_.error = "give both DIR1 and DIR2, or neither";
    } else if (line_.paths.size() > 2) {
      line_.error = "more than two directories: \"" + line_.paths[2] +
                    "\" is one too many (quote a path that holds blanks)";
    }
    return std::move(line_);
  }

 private:
  void Take(const std::string& arg) {
    if (only_paths_) {
      line_.paths.push_back(arg);
    } else if (arg == "--") {
      only_paths_ = true;
    } else if (arg.starts_with("--")) {
      TakeLong(std::string_view(arg).substr(2));
    } else if (arg == "-") {
      line_.error = "\"-\" is neither an option nor a directory";
    } else if (arg.starts_with("-")) {
      TakeShorts(std::string_view(arg).substr(1));
    } else if (IsSwitch(arg)) {
      line_.switches.push_back(arg);
    } else if (IsHelpSwitch(arg)) {
      line_.help = true;
    } else if (IsSlashWord(arg) && !is_directory_(arg)) {
      // Unknown switches are ignored, never taken for a directory.
      line_.notes.push_back("ignoring \"" + arg + "\": it is not a switch and no such directory exists");
    } else {
      line_.paths.push_back(arg);
    }
  }

  void TakeLong(std::string_view text) {
    const std::size_t eq = text.find('=');
    const std::string_view name = text.substr(0, eq);
    const CliOption* option = FindLongOption(name);
    if (option == nullptr) {
      line_.error = "unrecognized option \"--" + std::string(name) + "\"";
      return;
    }
    if (option->value.empty()) {
      if (eq != std::string_view::npos) {
        line_.error = "option \"--" + std::string(name) + "\" takes no value";
        return;
      }
      Apply(*option, "--" + std::string(name), {});
      return;
    }
    if (eq != std::string_view::npos) {
      Apply(*option, "--" + std::string(name), text.substr(eq + 1));
    } else {
      TakeValueFromNext(*option, "--" + std::string(name));
    }
  }

  void TakeShorts(std::string_view group) {
    for (std::size_t i = 0; i < group.size() && line_.error.empty(); ++i) {
      const CliOption* option = FindShortOption(group[i]);
      const std::string shown = "-" + std::string(1, group[i]);
      if (option == nullptr) {
        line_.error = "unrecognized option \"" + shown + "\"";
        return;
      }
      if (option->value.empty()) {
        Apply(*option, shown, {});
      } else if (i + 1 < group.size()) {
        Apply(*option, shown, group.substr(i + 1));
        return;
      } else {
        TakeValueFromNext(*option, shown);
      }
    }
  }

  void TakeValueFromNext(const CliOption& option, const std::string& shown) {
    if (next_ >= args_.size()) {
      line_.error = "option \"" + shown + "\" needs a value (" + std::string(option.value) + ")";
      return;
    }
    Apply(option, shown, args_[next_++]);
  }

  void Apply(const CliOption& option, const std::string& shown, std::string_view value) {
    const std::string refused = option.take(line_, value);
    if (!refused.empty()) line_.error = shown + ": " + refused;
  }

  const std::vector<std::string>& args_;
  const DirectoryTest& is_directory_;
  std::size_t next_ = 1;
  bool only_paths_ = false;
  CommandLine line_;
};

bool IsRelativePath(std::string_view arg) {
  if (arg.empty() || arg[0] == '/' || arg[0] == '~') return false;
  return !(arg.size() >= 2 && IsAsciiLetter(arg[0]) && arg[1] == ':');
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args, const DirectoryTest& is_directory) {
  return Parser(args, is_directory).Run();
}

std::string AbsoluteIfRelative(std::string_view arg, std::string_view cwd) {
  if (!IsRelativePath(arg)) return std::string(arg);
  std::string joined(cwd);
  if (joined.empty() || joined.back() != '/') joined += '/';
  joined += arg;
  return joined;
}

bool ConvertDirectoryArgument(Platform& fs, std::string_view typed, std::string_view cwd,
                              std::string* windows, std::string* why) {
  // Only the Windows form has to fit: a long host path may shrink through
  // the drive map (a deep home directory is just C:).
  const std::string absolute = AbsoluteIfRelative(typed, cwd);
  std::string converted;
  const Status status = fs.ToWindowsPath(absolute, &converted);
  if (status.code() == Status::Code::kTooLong ||
      (status.ok() && converted.size() > kMaxPath)) {
    *why = "it is longer than 32767 characters as a drive path";
    return false;
  }
  if (!status.ok() || converted.size() < 3) {
    const bool windows_form = typed.size() >= 2 && IsAsciiLetter(typed[0]) && typed[1] == ':';
    *why = windows_form ? "it is not a valid drive path"
                        : "no drive letter maps to it (see VELQO_DRIVES in velqo-cli(1))";
    return false;
  }
  *windows = converted;
  return true;
}

std::string UsageText() {
  return "Usage: velqo-cli [OPTION]... [/SWITCH]... [DIR1 DIR2]\n"
         "Keeps DIR2 in step with DIR1, once, and ends. Without DIR1 and DIR2 the\n"
         "stored pair (or the selected batch) is updated. The options hold for\n"
         "this run only; the stored settings (WINVELQO.INI) stay as they are.\n"
         "\n"
         "  velqo-cli -a ~/docs /mnt/backup/docs     back up a tree: add new and\n"
         "                                           newer files, all subdirectories\n"
         "  velqo-cli -n -a --mirror SRC DST         show what a mirror would change\n"
         "\n"
         "Directories:\n"
         "  -r, --recursive       DIR1 with all its subdirectories\n"
         "      --no-recursive    DIR1 alone\n"
         "      --subdirs-only    the subdirectories of DIR1, not DIR1 itself\n"
         "      --structure       DIR1's path on DIR2's drive (C:\\work, D: -> D:\\work)\n"
         "Files (DIR1 is never changed, except by --both-ways):\n"
         "      --matching        only files that both directories hold; a file that\n"
         "                        is newer in DIR2 is left alone, with a warning\n"
         "      --add             also add files only DIR1 holds to DIR2\n"
         "      --both-ways       two-way: newer files are copied either way, and\n"
         "                        files only one side holds added to the other\n"
         "      --mirror          make DIR2 a replica of DIR1: copy DIR1's version\n"
         "                        even when older, delete files DIR1 lacks (--delete)\n"
         "                        (with -b the replaced files are kept as backups)\n"
         "      --delete-dirs     let --mirror delete whole directories DIR1 lacks (/E)\n"
         "      --sync            two-way sync that remembers the last sync: changes\n"
         "                        and deletions go either way, conflicts are kept\n"
         "  -a, --archive         -r --add with every file below, no question per\n"
         "                        file, new directories made, \".\" directories entered\n"
         "Which files:\n"
         "      --include-hidden        hidden files too (names beginning with \".\")\n"
         "      --include-read-only     read-only files too (their copies are replaced)\n"
         "      --include-system        files marked system too\n"
         "      --include-hidden-dirs   directories marked hidden too\n"
         "      --skip-dot-dirs         leave out directories whose names begin with \".\"\n"
         "      --include-ext=LIST      only these extensions (txt,doc)\n"
         "      --exclude-ext=LIST      all but these extensions\n"
         "      --include-name=LIST     always these file names\n"
         "      --exclude-name=LIST     never these file names\n"
         "      --exclude-older-than=DAYS  leave out files older than DAYS days\n"
         "      --exclude=PATTERN       leave out files and directories that match\n"
         "                              (*, **, ?, [...]; /a anchors at DIR1, a/ is\n"
         "                              a directory); a mirror never deletes them\n"
         "      --include=PATTERN       take part, whatever later patterns say: the\n"
         "                              first pattern that matches wins\n"
         "      --exclude-from=FILE     patterns from FILE, one a line (\"+ \" includes;\n"
         "                              # and ; start comments)\n"
         "      --ignore-options-upd    ignore OPTIONS.UPD files in DIR1 directories\n"
         "  Directories whose names begin with \".\" are entered only with -a.\n"
         "How:\n"
         "  -b, --backup, --no-backup   keep the replaced file as NAME.~XT, or not\n"
         "  -i, --confirm, --no-confirm ask before each file, or not\n"
         "      --create-dirs, --no-create-dirs   make missing DIR2 directories unasked\n"
         "      --overwrite-read-only   replace read-only targets (/O)\n"
         "  -j, --unattended      ask nothing and show no warnings; log always (/J)\n"
         "  -H, --hard-links      files sharing one inode in DIR1 share one in DIR2\n"
         "      --no-xattrs       leave extended attributes out of copies\n"
         "      --no-acls         leave ACLs out of copies\n"
         "      --allow-empty-source  let a mirror run from an empty DIR1 (refused\n"
         "                        under --unattended otherwise: an unmounted disk)\n"
         "      --max-delete=N    stop before changing anything when the update\n"
         "                        would delete more than N files\n"
         "  -n, --preview         list what would change and change nothing (--dry-run)\n"
         "Versions and undo:\n"
         "      --versions, --no-versions  keep each file the update replaces or\n"
         "                        deletes in DIR2/.velqo-versions/DATE_TIME/, or not\n"
         "                        (on by default for --mirror)\n"
         "      --keep-versions=DAYS  prune versions older than DAYS (30) at the start\n"
         "      --undo            take back the last run on DIR1 DIR2 (with -n: show\n"
         "                        how); files changed since are left and named\n"
         "      --versions-of=PATH    list the kept versions of the file PATH\n"
         "      --restore=PATH --from=STAMP  bring back that version of PATH; the\n"
         "                        present file is kept as a version first\n"
         "Log and output:\n"
         "      --log, --no-log   write the update log, or not\n"
         "      --log-dir=DIR     write the log into DIR (by default\n"
         "                        $XDG_STATE_HOME/velqo, one file a day)\n"
         "      --log-file=FILE   write the log into FILE\n"
         "      --brief           log only errors (/B)\n"
         "  -q, --quiet           print nothing but errors and questions\n"
         "  -v, --verbose         also print each change as it is made, one line\n"
         "                        each (--itemize-changes): KIND SIDE PATH\n"
         "      --stats           sum up the run at its end\n"
         "      --no-alerts       no switch alerts (/Q)\n"
         "  -h, --help            print this text\n"
         "  -V, --version         print the program's name and version\n"
         "  --                    what follows is DIR1 and DIR2, whatever it looks like\n"
         "\n"
         "Switches /B /D /E /G /I /J /O /Q work as in the windowed program.\n"
         "Directories: host paths (~/docs, data/src) or drive paths (C:\\work),\n"
         "converted through the drive map (VELQO_DRIVES).\n"
         "\n"
         "Questions read one line from standard input: a button's caption or its\n"
         "short answer. At end of input each question takes the answer that changes\n"
         "the least on disk, and the run exits 2.\n"
         "\n"
         "Exit status: 0 done or nothing to do, 1 usage error or could not start,\n"
         "2 an error was reported (or --max-delete stopped the run), 3 cancelled.\n"
         "See velqo-cli(1).\n";
}

}  // namespace velqo::cli
