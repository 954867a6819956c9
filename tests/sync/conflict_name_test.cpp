#include "sync/conflict_name.h"

#include <gtest/gtest.h>

namespace velqo::sync {
namespace {

const LocalTime kWhen{2026, 12, 10, 23, 4, 5, 0};

TEST(ConflictNameTest, TheMarkGoesBeforeTheLastExtension) {
  EXPECT_EQ(ConflictName("report.txt", "laptop", kWhen), "report.conflict-laptop-20261210-230405.txt");
  EXPECT_EQ(ConflictName("a.tar.gz", "pc", kWhen), "a.tar.conflict-pc-20261210-230405.gz");
}

TEST(ConflictNameTest, NamesWithoutAnExtensionAndDotfilesGetItAtTheEnd) {
  EXPECT_EQ(ConflictName("Makefile", "pc", kWhen), "Makefile.conflict-pc-20261210-230405");
  EXPECT_EQ(ConflictName(".profile", "pc", kWhen), ".profile.conflict-pc-20261210-230405");
  EXPECT_EQ(ConflictName("trailing.", "pc", kWhen), "trailing..conflict-pc-20261210-230405");
}

TEST(ConflictNameTest, LaterAttemptsAreNumberedAndSeparatorsNeverReachTheName) {
  EXPECT_EQ(ConflictName("r.txt", "pc", kWhen, 3), "r.conflict-pc-20261210-230405-3.txt");
  EXPECT_EQ(ConflictName("r.txt", "a/b\\c", kWhen), "r.conflict-a_b_c-20261210-230405.txt");
}

}  // namespace
}  // namespace velqo::sync
