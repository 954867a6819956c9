#include "common/text/path_rules.h"

#include "common/text/glob.h"

namespace velqo {

namespace {

constexpr std::string_view kWithContents = "/***";

std::string_view LastName(std::string_view path) {
  const std::size_t cut = path.rfind('/');
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

// An unanchored path pattern matches the end of the path at a name
// boundary: "doc/*.txt" matches "doc/a.txt" and "old/doc/a.txt".
bool MatchesSomeEnd(std::string_view glob, std::string_view path) {
  for (std::size_t start = 0;;) {
    if (MatchesGlob(glob, path.substr(start))) return true;
    const std::size_t slash = path.find('/', start);
    if (slash == std::string_view::npos) return false;
    start = slash + 1;
  }
}

bool GlobMatches(const PathRule& rule, std::string_view glob, std::string_view path) {
  if (!rule.whole_path) return MatchesGlob(glob, LastName(path));
  return rule.anchored ? MatchesGlob(glob, path) : MatchesSomeEnd(glob, path);
}

}  // namespace

bool ParsePathRule(std::string_view text, bool include, PathRule* rule, std::string* why) {
  PathRule r;
  r.include = include;
  if (text.ends_with(kWithContents) && text.size() > kWithContents.size()) {
    // "dir/***": the directory itself and everything below it.
    r.with_contents = true;
  } else if (text.ends_with('/')) {
    r.directories_only = true;
    while (text.ends_with('/')) text.remove_suffix(1);
  }
  if (text.starts_with('/')) {
    r.anchored = true;
    while (text.starts_with('/')) text.remove_prefix(1);
  }
  if (text.empty()) {
    *why = "the pattern is empty";
    return false;
  }
  r.glob = std::string(text);
  r.whole_path = r.anchored || r.glob.find('/') != std::string::npos ||
                 r.glob.find("**") != std::string::npos;
  *rule = std::move(r);
  return true;
}

std::string JoinBelowTop(std::string_view below_top, std::string_view name) {
  std::string path(below_top);
  if (!path.empty()) path += '/';
  path += name;
  return path;
}

bool RuleMatches(const PathRule& rule, std::string_view path, bool is_directory) {
  if (rule.directories_only && !is_directory) return false;
  if (GlobMatches(rule, rule.glob, path)) return true;
  // "dir/***" also matches the directory itself, as "dir/" would.
  if (!rule.with_contents || !is_directory) return false;
  const std::string_view dir(rule.glob.data(), rule.glob.size() - kWithContents.size());
  return GlobMatches(rule, dir, path);
}

PathVerdict PathRules::Judge(std::string_view path, bool is_directory) const {
  for (const PathRule& rule : rules_) {
    if (RuleMatches(rule, path, is_directory)) {
      return rule.include ? PathVerdict::kIncluded : PathVerdict::kExcluded;
    }
  }
  return PathVerdict::kNoRule;
}

}  // namespace velqo
