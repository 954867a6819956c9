#include "common/text/path_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "common/text/glob.h"

namespace velqo {
namespace {

TEST(GlobTest, StarsQuestionMarksAndSlashes) {
  EXPECT_TRUE(MatchesGlob("*.txt", "notes.txt"));
  EXPECT_TRUE(MatchesGlob("*.txt", ".txt"));
  EXPECT_FALSE(MatchesGlob("*.txt", "doc/notes.txt"));
  EXPECT_TRUE(MatchesGlob("**.txt", "doc/old/notes.txt"));
  EXPECT_TRUE(MatchesGlob("doc/**", "doc/a/b"));
  EXPECT_FALSE(MatchesGlob("doc/**", "doc"));
  EXPECT_TRUE(MatchesGlob("a/***/z", "a/b/c/z"));
  EXPECT_TRUE(MatchesGlob("?.c", "x.c"));
  EXPECT_FALSE(MatchesGlob("a?b", "a/b"));
  EXPECT_FALSE(MatchesGlob("*.TXT", "notes.txt"));
  EXPECT_TRUE(MatchesGlob("", ""));
  EXPECT_FALSE(MatchesGlob("", "a"));
  EXPECT_TRUE(MatchesGlob("*", ""));
}

TEST(GlobTest, SetsAndEscapes) {
  EXPECT_TRUE(MatchesGlob("file[0-9].log", "file7.log"));
  EXPECT_FALSE(MatchesGlob("file[0-9].log", "filex.log"));
  EXPECT_TRUE(MatchesGlob("[!a]*", "b"));
  EXPECT_TRUE(MatchesGlob("[^a]*", "b"));
  EXPECT_FALSE(MatchesGlob("[!a]*", "abc"));
  EXPECT_TRUE(MatchesGlob("[]x]", "]"));
  EXPECT_TRUE(MatchesGlob("[[:digit:][:upper:]]", "Q"));
  EXPECT_FALSE(MatchesGlob("[[:digit:]]", "q"));
  EXPECT_FALSE(MatchesGlob("a[!x]b", "a/b"));  // a set never matches "/"
  EXPECT_FALSE(MatchesGlob("a[/]b", "a/b"));
  EXPECT_TRUE(MatchesGlob("[ab", "[ab"));  // unclosed: a plain "["
  EXPECT_TRUE(MatchesGlob("\\*", "*"));
  EXPECT_FALSE(MatchesGlob("\\*", "x"));
  EXPECT_TRUE(MatchesGlob("[\\]]", "]"));
  EXPECT_TRUE(MatchesGlob("a\\", "a\\"));  // a trailing backslash is itself
}

TEST(GlobTest, NamesAreBytesInEveryLocale) {
  const std::string latin1 = "caf\xe9.txt";
  const std::string utf8 = "caf\xc3\xa9.txt";
  EXPECT_TRUE(MatchesGlob("caf?.txt", latin1));
  EXPECT_FALSE(MatchesGlob("caf?.txt", utf8));  // "?" is one byte, as rsync counts
  EXPECT_TRUE(MatchesGlob("caf??.txt", utf8));
  EXPECT_TRUE(MatchesGlob("*\xff*", std::string("a\xff") + "b"));
  EXPECT_TRUE(MatchesGlob("[\x80-\xff]x", "\x90x"));
}

TEST(GlobTest, ManyStarsDoNotBacktrackWithoutEnd) {
  const std::string text(4000, 'a');
  EXPECT_FALSE(MatchesGlob("**a**a**a**a**a**a**a**a**a**b", text));
  EXPECT_FALSE(MatchesGlob("*a*a*a*a*a*a*a*a*a*a*a*a*b", text));
  EXPECT_TRUE(MatchesGlob("*a*a*a*a*a*a*a*a*a*a*a*a*", text));
}

PathRules Rules(std::initializer_list<std::pair<bool, const char*>> list) {
  PathRules rules;
  for (const auto& [include, text] : list) {
    PathRule rule;
    std::string why;
    EXPECT_TRUE(ParsePathRule(text, include, &rule, &why)) << text << ": " << why;
    rules.Add(rule);
  }
  return rules;
}

constexpr bool kIn = true;
constexpr bool kOut = false;

TEST(PathRulesTest, APatternWithoutSlashMatchesTheNameAtAnyDepth) {
  const PathRules rules = Rules({{kOut, "*.o"}, {kOut, "core"}});
  EXPECT_TRUE(rules.Excludes("main.o", false));
  EXPECT_TRUE(rules.Excludes("src/lib/main.o", false));
  EXPECT_TRUE(rules.Excludes("a/core", true));
  EXPECT_FALSE(rules.Excludes("core.c", false));
  EXPECT_FALSE(rules.Excludes("main.o.txt", false));
  EXPECT_EQ(rules.Judge("readme", false), PathVerdict::kNoRule);
}

TEST(PathRulesTest, ALeadingSlashAnchorsAtTheTop) {
  const PathRules rules = Rules({{kOut, "/build"}, {kOut, "/doc/*.tmp"}});
  EXPECT_TRUE(rules.Excludes("build", true));
  EXPECT_FALSE(rules.Excludes("src/build", true));
  EXPECT_TRUE(rules.Excludes("doc/a.tmp", false));
  EXPECT_FALSE(rules.Excludes("old/doc/a.tmp", false));
  EXPECT_FALSE(rules.Excludes("doc/sub/a.tmp", false));
}

TEST(PathRulesTest, AnUnanchoredPathMatchesTheEndAtANameBoundary) {
  const PathRules rules = Rules({{kOut, "doc/*.txt"}});
  EXPECT_TRUE(rules.Excludes("doc/a.txt", false));
  EXPECT_TRUE(rules.Excludes("old/doc/a.txt", false));
  EXPECT_FALSE(rules.Excludes("mydoc/a.txt", false));
  EXPECT_FALSE(rules.Excludes("doc/sub/a.txt", false));
}

TEST(PathRulesTest, DoubleStarsCrossDirectories) {
  const PathRules rules = Rules({{kOut, "/foo/**/bar"}, {kOut, "cache/**"}});
  EXPECT_TRUE(rules.Excludes("foo/x/bar", false));
  EXPECT_TRUE(rules.Excludes("foo/x/y/bar", false));
  EXPECT_FALSE(rules.Excludes("foo/bar", false));  // "**/" needs a directory between
  EXPECT_TRUE(rules.Excludes("cache/a/b.dat", false));
  EXPECT_TRUE(rules.Excludes("home/cache/a", true));
  EXPECT_FALSE(rules.Excludes("cache", true));
}

TEST(PathRulesTest, ATrailingSlashMatchesDirectoriesOnly) {
  const PathRules rules = Rules({{kOut, "tmp/"}, {kOut, "/a/b/"}});
  EXPECT_TRUE(rules.Excludes("tmp", true));
  EXPECT_TRUE(rules.Excludes("x/tmp", true));
  EXPECT_FALSE(rules.Excludes("tmp", false));
  EXPECT_FALSE(rules.Excludes("x/tmp", false));
  EXPECT_TRUE(rules.Excludes("a/b", true));
  EXPECT_FALSE(rules.Excludes("a/b", false));
}

TEST(PathRulesTest, TheFirstMatchingRuleWins) {
  const PathRules keep_logs = Rules({{kIn, "keep.log"}, {kOut, "*.log"}});
  EXPECT_EQ(keep_logs.Judge("keep.log", false), PathVerdict::kIncluded);
  EXPECT_EQ(keep_logs.Judge("x/other.log", false), PathVerdict::kExcluded);
  const PathRules too_late = Rules({{kOut, "*.log"}, {kIn, "keep.log"}});
  EXPECT_EQ(too_late.Judge("keep.log", false), PathVerdict::kExcluded);
  // The rsync idiom: every directory, the text files, nothing else.
  const PathRules only_text = Rules({{kIn, "*/"}, {kIn, "*.txt"}, {kOut, "*"}});
  EXPECT_EQ(only_text.Judge("a/b", true), PathVerdict::kIncluded);
  EXPECT_EQ(only_text.Judge("a/b/c.txt", false), PathVerdict::kIncluded);
  EXPECT_EQ(only_text.Judge("a/b/c.jpg", false), PathVerdict::kExcluded);
}

TEST(PathRulesTest, ADirectoryWithThreeStarsTakesItselfAndAllBelow) {
  const PathRules rules = Rules({{kIn, "/keep/***"}, {kOut, "*"}});
  EXPECT_EQ(rules.Judge("keep", true), PathVerdict::kIncluded);
  EXPECT_EQ(rules.Judge("keep/a/b.txt", false), PathVerdict::kIncluded);
  EXPECT_EQ(rules.Judge("keep", false), PathVerdict::kExcluded);  // a file named keep
  EXPECT_EQ(rules.Judge("other", true), PathVerdict::kExcluded);
}

TEST(PathRulesTest, ParsingRefusesEmptyPatterns) {
  PathRule rule;
  std::string why;
  for (const char* text : {"", "/", "//", "///"}) {
    EXPECT_FALSE(ParsePathRule(text, false, &rule, &why)) << text;
    EXPECT_EQ(why, "the pattern is empty");
  }
  ASSERT_TRUE(ParsePathRule("/src/", true, &rule, &why));
  EXPECT_EQ(rule.glob, "src");
  EXPECT_TRUE(rule.anchored);
  EXPECT_TRUE(rule.directories_only);
  EXPECT_TRUE(rule.include);
}

}  // namespace
}  // namespace velqo
