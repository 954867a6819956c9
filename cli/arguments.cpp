#include "cli/arguments.h"

#include <cctype>

#include "common/platform_ops.h"

namespace velqo::cli {

namespace {

constexpr std::string_view kSwitchLetters = "ABDEGIJOQ";
constexpr std::size_t kMaxPath = 256;

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsRelativePath(std::string_view arg) {
  return arg == "." || arg == ".." || arg.starts_with("./") || arg.starts_with("../");
}

}  // namespace

bool IsSwitchShaped(std::string_view arg) {
  return arg.size() == 2 && arg[0] == '/' && IsAsciiLetter(arg[1]);
}

bool IsSwitch(std::string_view arg) {
  return IsSwitchShaped(arg) && kSwitchLetters.find(AsciiUpper(arg[1])) != std::string_view::npos;
}

bool LooksLikePath(std::string_view arg) {
  if (arg.empty() || IsSwitchShaped(arg)) return false;
  if (arg[0] == '/' || arg[0] == '~') return true;
  if (arg.size() >= 2 && IsAsciiLetter(arg[0]) && arg[1] == ':') return true;
  return IsRelativePath(arg);
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help") {
      line.help = true;
    } else if (arg == "--version") {
      line.version = true;
    } else if (IsSwitch(arg)) {
      // Read by the configuration start-up.
    } else if (LooksLikePath(arg) && line.paths.size() < 2) {
      line.paths.push_back(arg);
    } else {
      line.ignored.push_back(arg);
    }
  }
  return line;
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
    *why = "it is longer than 256 characters as a drive path";
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
  return "Usage: velqo-cli [switches] [DIR1 DIR2]\n"
         "\n"
         "Runs one update of DIR2 from DIR1 with the stored options and ends.\n"
         "Without DIR1 and DIR2 the stored Dir 1 and Dir 2 are used, or the\n"
         "selected batch when the batch method is on.\n"
         "\n"
         "Directories: Windows form (C:\\work) or host paths (/home/ann/docs,\n"
         "~/docs, ./docs), converted through the drive map (VELQO_DRIVES).\n"
         "\n"
         "Switches (either case):\n"
         "  /A  autostart (always on in velqo-cli)\n"
         "  /B  brief log: only errors are recorded\n"
         "  /D  debug mode: print the debug messages\n"
         "  /E  CleanUp may delete entire directories\n"
         "  /G  keep the stored Dir 1 and Dir 2 unchanged\n"
         "  /I  ask for test international settings\n"
         "  /J  suppress update warnings and confirmations; log always on\n"
         "  /O  overwrite read-only targets, copying the source's attributes\n"
         "  /Q  quiet: no switch alerts\n"
         "  --help     print this text\n"
         "  --version  print the product title\n"
         "\n"
         "Questions read one line from standard input: the answer's name or\n"
         "first letter. At end of input each question takes its safest answer.\n"
         "\n"
         "Exit status: 0 done or nothing to do, 1 could not start,\n"
         "2 an error was reported, 3 cancelled. See velqo-cli(1).\n";
}

}  // namespace velqo::cli
