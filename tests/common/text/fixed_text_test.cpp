#include "common/text/fixed_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace velqo {
namespace {

TEST(FixedTextTest, AssignRefusesTextThatDoesNotFitAndKeepsTheOld) {
  FixedText<4> text;
  ASSERT_TRUE(text.Assign("abc"));
  EXPECT_FALSE(text.Assign("abcd"));
  EXPECT_FALSE(text.Assign(std::string_view("a\0b", 3)));
  EXPECT_EQ(text, "abc");
  EXPECT_STREQ(text.c_str(), "abc");
  ASSERT_TRUE(text.Assign(std::string_view()));
  EXPECT_TRUE(text.empty());
  EXPECT_STREQ(text.c_str(), "");
}

// A run's paths take as much as a long Windows path; the paths the
// settings files store keep their 256 characters.
TEST(FixedTextTest, PathTextsHoldExactlyTheirLongestPaths) {
  PathText path;
  const std::string longest = "C:\\" + std::string(32764, 'd');
  ASSERT_TRUE(path.Assign(longest));
  EXPECT_FALSE(path.Assign(longest + "x"));
  EXPECT_EQ(path.str(), longest);
  EXPECT_FALSE(path.Append("x"));
  EXPECT_EQ(path.size(), 32767u);

  StoredPathText stored;
  const std::string stored_longest = "C:\\" + std::string(253, 'd');
  ASSERT_TRUE(stored.Assign(stored_longest));
  EXPECT_FALSE(stored.Assign(stored_longest + "x"));
  EXPECT_EQ(stored.str(), stored_longest);
  EXPECT_EQ(stored.size(), 256u);
}

TEST(FixedTextTest, AssignCutKeepsWhatFitsUpToAZero) {
  FixedText<4> text;
  text.AssignCut("abcdef");
  EXPECT_EQ(text, "abc");
  text.AssignCut(std::string_view("x\0yz", 4));
  EXPECT_EQ(text, "x");
  EXPECT_EQ(text.size(), 1u);
  text.AssignCut(std::string_view());
  EXPECT_STREQ(text.c_str(), "");
}

TEST(FixedTextTest, AppendFillsToTheLastCharacterThenRefuses) {
  FixedText<6> text;
  ASSERT_TRUE(text.Append("ab"));
  ASSERT_TRUE(text.Append("cde"));
  EXPECT_FALSE(text.Append("f"));
  EXPECT_FALSE(text.Append(std::string_view("\0", 1)));
  EXPECT_TRUE(text.Append(std::string_view()));
  EXPECT_EQ(text, "abcde");
  EXPECT_EQ(std::strlen(text.c_str()), text.size());
}

TEST(FixedTextTest, CharacterAccessStaysInsideTheText) {
  FixedText<8> text;
  ASSERT_TRUE(text.Assign("C:\\a"));
  text.SetChar(0, 'D');
  text.SetChar(1, '\0');
  text.SetChar(4, 'x');
  EXPECT_EQ(text, "D:\\a");
  EXPECT_EQ(text[3], 'a');
  EXPECT_EQ(text[4], '\0');
  EXPECT_EQ(text[100], '\0');
  FixedText<8> copy = text;
  text.Clear();
  EXPECT_TRUE(text.empty());
  EXPECT_EQ(copy, "D:\\a");
}

}  // namespace
}  // namespace velqo
