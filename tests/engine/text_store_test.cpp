#include "engine/text_store.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace velqo {
namespace {

TEST(TextStoreTest, StoredTextsStayValidWhileManyMoreAreAdded) {
  TextStore store;
  std::vector<std::string_view> views;
  std::vector<std::string> expected;
  // Enough to fill several blocks, with texts that straddle their ends,
  // and one text larger than a block.
  for (int i = 0; i < 20000; ++i) {
    expected.push_back("name-" + std::to_string(i) + std::string(static_cast<std::size_t>(i % 37), 'x'));
    if (i == 7000) expected.back() = std::string(200000, 'L');
    views.push_back(store.Add(expected.back()));
  }
  for (std::size_t i = 0; i < views.size(); ++i) ASSERT_EQ(views[i], expected[i]) << i;
  EXPECT_TRUE(store.Add("").empty());
}

}  // namespace
}  // namespace velqo
