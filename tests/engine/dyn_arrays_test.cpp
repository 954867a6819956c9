#include "engine/dyn_arrays.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "tests/support/sandbox.h"

namespace velqo {
namespace {

using DynArraysTest = testing::SandboxTest;

TEST_F(DynArraysTest, EveryReservedIndexIsAcceptedAndTheFirstBeyondRefused) {
  // Far more than any fixed limit a directory's list once had.
  TDynLongIntArray times(*state, 100000);
  ASSERT_TRUE(times.Valid());
  EXPECT_EQ(times.SizeInBytes(), 100000 * 4);
  times.Item(0) = 1;
  times.Item(20002) = 7;
  times.Item(99999) = 9;
  EXPECT_EQ(times.Item(0), 1);
  EXPECT_EQ(times.Item(20002), 7);
  EXPECT_EQ(times.Item(99999), 9);
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(state->flags.PairStopped, 0);

  EXPECT_EQ(times.Item(100000), 0);
  ASSERT_EQ(host.MessageTexts(), (std::vector<std::string>{"Cannot Retreive Data - DLIA"}));
  EXPECT_EQ(host.boxes[0].caption, "");
  EXPECT_EQ(host.boxes[0].icon, Icon::kNone);
  EXPECT_EQ(state->flags.PairStopped, 1);
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
  TDynWordArray huge_states(*state, std::numeric_limits<std::int64_t>::max());
  TDynSizeArray huge_sizes(*state, std::int64_t{1} << 40);
  TDynLongIntArray negative(*state, -1);
  EXPECT_FALSE(huge_states.Valid());
  EXPECT_FALSE(huge_sizes.Valid());
  EXPECT_FALSE(negative.Valid());
  EXPECT_EQ(huge_states.Count(), 0);
  EXPECT_EQ(host.MessageTexts(),
            (std::vector<std::string>{"Insufficient Memory Available For This Update - DWA",
                                      "Insufficient Memory Available For This Update - DSA",
                                      "Insufficient Memory Available For This Update - DLIA"}));
  EXPECT_EQ(state->flags.PairStopped, 1);
  EXPECT_EQ(huge_states.Item(0), 0);
}

}  // namespace
}  // namespace velqo
