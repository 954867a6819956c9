#include "common/text/tostring.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace velqo {
namespace {

// Each kind of append meets a builder that is almost full and keeps only
// what fits, leaving the text zero-terminated at the capacity.
TEST(TOstringTest, EveryAppendKindStopsAtTheCapacity) {
  TOstring text(6);
  text.Append("abcd");
  text.AppendCounted("efgh");
  EXPECT_EQ(text.View(), "abcdef");

  TOstring number(3);
  number.AppendInt(-12345, 0);
  EXPECT_EQ(number.View(), "-12");

  TOstring real(4);
  real.AppendReal(3.14159, 0, 3);
  EXPECT_EQ(real.View(), "3.14");

  TOstring hex(3);
  hex.AppendHexWord(0xABCD);
  EXPECT_EQ(hex.View(), "ABC");
  hex.AppendHexByte(0x12);
  EXPECT_EQ(hex.View(), "ABC");

  TOstring copy(2);
  copy.AppendBuilder(text);
  EXPECT_EQ(copy.View(), "ab");
  EXPECT_EQ(std::strlen(copy.Text()), copy.Length());
}

TEST(TOstringTest, IntegersAreRightAlignedAndNeverCutToTheWidth) {
  TOstring text(100);
  text.AppendInt(42, 6);
  text.Append("|");
  text.AppendInt(-42, 6);
  text.Append("|");
  text.AppendInt2(1234567, 3);
  text.Append("|");
  text.AppendInt(0, -4);
  text.Append("|");
  text.AppendInt(std::numeric_limits<std::int64_t>::min(), 0);
  text.Append("|");
  text.AppendInt(std::int64_t{5000000000}, 12);
  EXPECT_EQ(text.View(), "    42|   -42|1234567|0|-9223372036854775808|  5000000000");
}

TEST(TOstringTest, RealsHonourWidthAndDecimals) {
  TOstring text(100);
  text.AppendReal(3.14159, 8, 2);
  text.Append("|");
  text.AppendReal(-0.5, 0, 1);
  text.Append("|");
  text.AppendReal(1234.5678, 2, 0);
  text.Append("|");
  text.AppendReal(7.0, 5, -3);
  EXPECT_EQ(text.View(), "    3.14|-0.5|1235|    7");
}

TEST(TOstringTest, HexDigitsAreUpperCaseHighByteFirst) {
  TOstring text(20);
  text.AppendHexByte(0x0A);
  text.AppendHexByte(0xFF);
  text.Append(" ");
  text.AppendHexWord(0x1A2B);
  text.Append(" ");
  text.AppendHexWord(0x00FF);
  EXPECT_EQ(text.View(), "0AFF 1A2B 00FF");
}

TEST(TOstringTest, LineEndGoesThroughTheCountedAppend) {
  TOstring room(10);
  room.Append("abc");
  room.AppendCrLf();
  EXPECT_EQ(room.View(), "abc\r\n");

  TOstring one_left(4);
  one_left.Append("abc");
  one_left.AppendCrLf();
  EXPECT_EQ(one_left.View(), "abc\r");
}

TEST(TOstringTest, CountedTextsHoldAtMost255Characters) {
  TOstring text(1000);
  text.AppendCounted(std::string(300, 'x'));
  EXPECT_EQ(text.Length(), 255u);
  text.Clear();
  text.AppendCounted(std::string_view("ab\0cd", 5));
  EXPECT_EQ(text.View(), "ab");
}

TEST(TOstringTest, CapacityIsClampedAndTextStaysZeroTerminated) {
  TOstring big(70000);
  EXPECT_EQ(big.Capacity(), 65535u);
  big.Append(std::string(70000, 'y'));
  EXPECT_EQ(big.Length(), 65535u);
  EXPECT_EQ(std::strlen(big.Text()), 65535u);

  TOstring none(0);
  none.Append("abc");
  none.AppendCrLf();
  EXPECT_STREQ(none.Text(), "");
}

TEST(TOstringTest, OddInputsAreHandledSafely) {
  TOstring text(20);
  text.Append(std::string_view());
  text.AppendCounted(std::string_view());
  text.Append(static_cast<const char*>(nullptr));
  EXPECT_EQ(text.Length(), 0u);

  text.Append(std::string_view("ab\0cd", 5));
  EXPECT_EQ(text.View(), "ab");
  text.AppendBuilder(text);
  EXPECT_EQ(text.View(), "abab");
  text.Clear();
  EXPECT_EQ(text.Length(), 0u);
  EXPECT_STREQ(text.Text(), "");
}

}  // namespace
}  // namespace velqo
