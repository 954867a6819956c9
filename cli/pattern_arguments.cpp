#include "cli/pattern_arguments.h"

#include "cli/arguments.h"
#include "cli/exclude_file.h"

namespace velqo::cli {

namespace {

std::string HostPathOf(std::string_view typed, std::string_view cwd, std::string_view home) {
  if (typed.starts_with("~/")) return std::string(home) + std::string(typed.substr(1));
  // Without a known directory the name is opened as typed, from wherever we are.
  return cwd.empty() ? std::string(typed) : AbsoluteIfRelative(typed, cwd);
}

bool AddFile(const std::string& typed, std::string_view cwd, std::string_view home, PathRules* rules,
             std::string* why) {
  std::string text;
  std::string reason;
  if (!ReadExcludeFile(HostPathOf(typed, cwd, home), &text, &reason) ||
      !ParseExcludeText(text, rules, &reason)) {
    *why = "cannot use the exclude file \"" + typed + "\": " + reason;
    return false;
  }
  return true;
}

}  // namespace

std::string CheckPattern(std::string_view pattern) {
  PathRule rule;
  std::string why;
  return ParsePathRule(pattern, false, &rule, &why) ? std::string() : why;
}

bool BuildPathRules(const std::vector<PatternArgument>& arguments, std::string_view cwd,
                    std::string_view home, PathRules* rules, std::string* why) {
  for (const PatternArgument& argument : arguments) {
    if (argument.kind == PatternArgument::Kind::kExcludeFrom) {
      if (!AddFile(argument.text, cwd, home, rules, why)) return false;
      continue;
    }
    PathRule rule;
    if (!ParsePathRule(argument.text, argument.kind == PatternArgument::Kind::kInclude, &rule, why)) {
      return false;
    }
    rules->Add(std::move(rule));
  }
  return true;
}

}  // namespace velqo::cli
