#include "engine/dyn_arrays.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "tests/support/sandbox.h"

namespace velqo {
namespace {

using DynArraysTest = testing::SandboxTest;

TEST_F(DynArraysTest, OneElementFileArrayRefusesItsSecondIndex) {
  TDynFileArray files(*state, 1);
  ASSERT_TRUE(files.Valid());
  std::strcpy(files.Item(0), "readme.txt");
  EXPECT_STREQ(files.Item(0), "readme.txt");
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(state->flags.PairStopped, 0);

  char* refused = files.Item(1);
  EXPECT_STREQ(refused, "Invalid File");
  EXPECT_EQ(state->flags.PairStopped, 1);
  ASSERT_EQ(host.MessageTexts(), (std::vector<std::string>{"Cannot Retreive Data - DFA"}));
  EXPECT_EQ(host.boxes[0].caption, "");
  EXPECT_EQ(host.boxes[0].icon, Icon::kNone);
  EXPECT_EQ(host.boxes[0].buttons, Buttons::kOk);

  // A caller that scribbled on the refusal text still reads it whole next time,
  // and the real element is untouched.
  std::strcpy(refused, "changed");
  EXPECT_STREQ(files.Item(-1), "Invalid File");
  EXPECT_STREQ(files.Item(0), "readme.txt");
}

TEST_F(DynArraysTest, DirectoryArrayAcceptsEveryIndexUpToItsLargest) {
  TDynDirectoryArray dirs(*state, 10001);
  ASSERT_TRUE(dirs.Valid());
  EXPECT_EQ(dirs.SizeInBytes(), 10001 * 257);
  for (int i = 0; i <= 10000; ++i) {
    ASSERT_TRUE(dirs.Store(i, "C:\\work\\" + std::to_string(i)));
  }
  EXPECT_STREQ(dirs.Item(0), "C:\\work\\0");
  EXPECT_STREQ(dirs.Item(10000), "C:\\work\\10000");
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(dirs.Item(10001)[0], '\0');
  EXPECT_TRUE(host.Shown("Cannot Retreive Data - DDA"));
  EXPECT_EQ(state->flags.PairStopped, 1);
}

TEST_F(DynArraysTest, IndexAboveTheLargestIsRefusedEvenWhenReserved) {
  TDynLongIntArray times(*state, 30000);
  ASSERT_TRUE(times.Valid());
  times.Item(20001) = 7;
  EXPECT_EQ(times.Item(20001), 7);
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(times.Item(20002), 0);
  EXPECT_TRUE(host.Shown("Cannot Retreive Data - DLIA"));
}

TEST_F(DynArraysTest, NumberArraysRefuseNegativeIndexesWithTheirOwnMessage) {
  TDynWordArray states(*state, 3);
  TDynSizeArray sizes(*state, 3);
  sizes.Item(2) = std::int64_t{5} << 40;
  EXPECT_EQ(sizes.Item(2), std::int64_t{5} << 40);
  states.Item(-1) = 3;  // lands in scratch, not in the array
  EXPECT_EQ(states.Item(-1), 0);
  EXPECT_EQ(sizes.Item(-5), 0);
  EXPECT_EQ(host.MessageTexts(),
            (std::vector<std::string>{"Cannot Retreive Data - DWA", "Cannot Retreive Data - DWA",
                                      "Cannot Retreive Data - DSA"}));
  EXPECT_EQ(state->flags.PairStopped, 1);
}

TEST_F(DynArraysTest, ImpossibleSizesFailCreationWithoutEndingTheProgram) {
  TDynFileArray huge_files(*state, std::numeric_limits<std::int64_t>::max());
  TDynSizeArray huge_sizes(*state, std::int64_t{1} << 40);
  TDynDirectoryArray negative(*state, -1);
  EXPECT_FALSE(huge_files.Valid());
  EXPECT_FALSE(huge_sizes.Valid());
  EXPECT_FALSE(negative.Valid());
  EXPECT_EQ(huge_files.Count(), 0);
  EXPECT_EQ(host.MessageTexts(),
            (std::vector<std::string>{"Insufficient Memory Available For This Update - DFA",
                                      "Insufficient Memory Available For This Update - DSA",
                                      "Insufficient Memory Available For This Update - DDA"}));
  EXPECT_EQ(state->flags.PairStopped, 1);
  EXPECT_STREQ(huge_files.Item(0), "Invalid File");
}

TEST_F(DynArraysTest, StoreRefusesTextThatDoesNotFitAnElement) {
  TDynFileArray files(*state, 2);
  ASSERT_TRUE(files.Store(0, std::string(256, 'a')));
  EXPECT_FALSE(files.Store(0, std::string(257, 'b')));
  EXPECT_FALSE(files.Store(0, std::string("a\0b", 3)));
  EXPECT_EQ(std::string(files.Item(0)), std::string(256, 'a'));
  EXPECT_TRUE(host.boxes.empty());
}

}  // namespace
}  // namespace velqo
