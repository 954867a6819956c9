#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velqo {

// One include or exclude pattern, written as rsync users write them.
struct PathRule {
  bool include = false;
  std::string glob;               // the pattern without its anchoring and trailing "/"
  bool anchored = false;          // a leading "/": matched from the top of the tree only
  bool directories_only = false;  // a trailing "/"
  // The pattern holds "/" or "**": matched against the path below the top
  // (its end, unless anchored), not against the name alone.
  bool whole_path = false;
  bool with_contents = false;     // it ended in "/***": the directory and all below it
};

// Reads one pattern; false with a sentence in *why (lower case first) when
// it cannot be one: empty, or nothing but slashes.
bool ParsePathRule(std::string_view text, bool include, PathRule* rule, std::string* why);

enum class PathVerdict { kNoRule, kIncluded, kExcluded };

// An ordered list of patterns: the first whose pattern matches decides, and
// an entry that none matches is left to the other filters.
class PathRules {
 public:
  void Add(PathRule rule) { rules_.push_back(std::move(rule)); }
  bool empty() const { return rules_.empty(); }
  std::size_t size() const { return rules_.size(); }

  // path: the entry below the top of the tree, its names joined by "/" and
  // spelled as on disk ("src/main.c"); never empty.
  PathVerdict Judge(std::string_view path, bool is_directory) const;
  bool Excludes(std::string_view path, bool is_directory) const {
    return Judge(path, is_directory) == PathVerdict::kExcluded;
  }

 private:
  std::vector<PathRule> rules_;
};

// The path of name inside the directory at below_top ("" for the top).
std::string JoinBelowTop(std::string_view below_top, std::string_view name);

// Whether a rule matches the entry at path.
bool RuleMatches(const PathRule& rule, std::string_view path, bool is_directory);

}  // namespace velqo
