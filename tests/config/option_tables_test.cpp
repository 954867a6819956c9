#include <gtest/gtest.h>

#include <string>

#include "config/option_tables.h"

namespace velqo {
namespace {

std::array<FixedText<51>, kMaxTableEntries> table;

TEST(ParseList, SplitsAtEveryCommaKeepingEmptyItems) {
  EXPECT_EQ(ParseList("", &table), 0);
  EXPECT_EQ(ParseList("txt", &table), 1);
  EXPECT_EQ(table[0].view(), "txt");
  EXPECT_EQ(ParseList("txt,doc", &table), 2);
  EXPECT_EQ(table[1].view(), "doc");
  EXPECT_EQ(ParseList("txt,", &table), 2);
  EXPECT_EQ(table[1].view(), "");
  EXPECT_EQ(ParseList(" a ,B", &table), 2);
  EXPECT_EQ(table[0].view(), " a ");
  EXPECT_EQ(table[1].view(), "B");
}

TEST(ParseList, KeepsTheFirstHundredItems) {
  std::string text;
  for (int i = 1; i <= 150; ++i) {
    if (i > 1) text += ',';
    text += std::to_string(i);
  }
  EXPECT_EQ(ParseList(text, &table), 100);
  EXPECT_EQ(table[99].view(), "100");
}

TEST(ParseList, LeavesOutItemsLongerThanAnEntry) {
  const std::string longer(51, 'x');
  EXPECT_EQ(ParseList("a," + longer + ",b", &table), 2);
  EXPECT_EQ(table[0].view(), "a");
  EXPECT_EQ(table[1].view(), "b");
  EXPECT_EQ(ParseList(longer, &table), 0);
  std::array<FixedText<257>, kMaxTableEntries> names;
  EXPECT_EQ(ParseList(std::string(256, 'n') + "," + std::string(257, 'n'), &names), 1);
}

}  // namespace
}  // namespace velqo
