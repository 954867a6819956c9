#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "common/posix/helper_thread.h"

namespace velqo {
namespace {

// Every item exactly once, for jobs too small to share and large ones, one
// after another on the same thread object; and nothing lost when the
// caller finishes before the helper has woken.
TEST(HelperThreadTest, CallsEveryItemExactlyOncePerJob) {
  HelperThread helper;
  for (const std::size_t count : {0u, 1u, 23u, 24u, 25u, 100u, 5000u}) {
    for (int round = 0; round < 50; ++round) {
      std::vector<std::atomic<int>> calls(count);
      helper.ForEach(count, [&](std::size_t i) { calls[i].fetch_add(1, std::memory_order_relaxed); });
      for (std::size_t i = 0; i < count; ++i) ASSERT_EQ(calls[i].load(), 1) << count << " item " << i;
    }
  }
}

TEST(HelperThreadTest, ResultsWrittenByEitherThreadAreSeenWhenForEachReturns) {
  HelperThread helper;
  std::vector<int> value(1000, 0);
  std::atomic<long> sink{0};
  for (int round = 0; round < 20; ++round) {
    helper.ForEach(value.size(), [&](std::size_t i) {
      // Slow enough for the helper to take its share.
      for (int spin = 0; spin < 500; ++spin) sink.fetch_add(spin, std::memory_order_relaxed);
      value[i] = static_cast<int>(i) * 3 + round;
    });
    for (std::size_t i = 0; i < value.size(); ++i) ASSERT_EQ(value[i], static_cast<int>(i) * 3 + round);
  }
  // Destroyed right after a job, and one that never had any.
  HelperThread unused;
}

}  // namespace
}  // namespace velqo
