#include "cli/exclude_file.h"

#include <gtest/gtest.h>

#include <string>

namespace velqo::cli {
namespace {

std::string Refusal(std::string_view text) {
  PathRules rules;
  std::string why;
  EXPECT_FALSE(ParseExcludeText(text, &rules, &why)) << text;
  return why;
}

TEST(ExcludeFileTest, PrefixesCommentsAndLineEnds) {
  PathRules rules;
  std::string why;
  ASSERT_TRUE(ParseExcludeText("#c\n;c\n\n\r\n+ a.o\n- *.o\n-x\n b\n", &rules, &why)) << why;
  ASSERT_EQ(rules.size(), 4u);
  EXPECT_EQ(rules.Judge("a.o", false), PathVerdict::kIncluded);
  EXPECT_EQ(rules.Judge("z.o", false), PathVerdict::kExcluded);
  // Without a blank after it a sign is part of the name, and so is a blank
  // that starts a line.
  EXPECT_EQ(rules.Judge("-x", false), PathVerdict::kExcluded);
  EXPECT_EQ(rules.Judge(" b", false), PathVerdict::kExcluded);
  EXPECT_EQ(rules.Judge("b", false), PathVerdict::kNoRule);
  // A last line without its line feed counts.
  ASSERT_TRUE(ParseExcludeText("tail", &rules, &why));
  EXPECT_EQ(rules.Judge("tail", false), PathVerdict::kExcluded);
}

TEST(ExcludeFileTest, RefusalsNameTheLine) {
  EXPECT_EQ(Refusal("a\n!\n"), "line 2 clears the list (\"!\"), which is not supported");
  EXPECT_EQ(Refusal("+ \n"), "line 1 cannot be a pattern: the pattern is empty");
  EXPECT_EQ(Refusal("a\n\nb\n" + std::string(kMaxPatternBytes + 1, 'x')),
            "line 4 is longer than 4096 bytes");
}

}  // namespace
}  // namespace velqo::cli
