#include "sync/decision.h"

#include <gtest/gtest.h>

namespace velqo::sync {
namespace {

Entry None() { return {}; }

Entry File(std::uint64_t size, std::int64_t mtime, std::uint32_t mode = 0644) {
  Entry e;
  e.kind = EntryKind::kFile;
  e.size = size;
  e.mtime_ns = mtime;
  e.mode = mode;
  return e;
}

Entry Dir(std::int64_t mtime = 1) {
  Entry e;
  e.kind = EntryKind::kDirectory;
  e.mtime_ns = mtime;
  e.mode = 0755;
  return e;
}

Entry Link(std::uint64_t size, std::int64_t mtime) {
  Entry e = File(size, mtime, 0777);
  e.kind = EntryKind::kLink;
  return e;
}

const Entry kSynced = File(10, 1000);
const Entry kEditedA = File(12, 2000);
const Entry kEditedB = File(14, 3000);

TEST(SameEntryTest, FilesDifferBySizeTimeOrPermissionsButNotByInode) {
  Entry other = kSynced;
  other.dev = 7;
  other.ino = 99;
  EXPECT_TRUE(SameEntry(kSynced, other));
  EXPECT_FALSE(SameEntry(kSynced, File(11, 1000)));
  EXPECT_FALSE(SameEntry(kSynced, File(10, 1001)));
  EXPECT_FALSE(SameEntry(kSynced, File(10, 1000, 0755)));
  // The type bits of a mode are not permissions.
  EXPECT_TRUE(SameEntry(File(10, 1000, 0100644), File(10, 1000, 0644)));
}

TEST(SameEntryTest, DirectoriesAreSameWhateverTheirTimeAndLinksWhateverTheirMode) {
  EXPECT_TRUE(SameEntry(Dir(5), Dir(9)));
  EXPECT_TRUE(SameEntry(Link(4, 50), Link(4, 50)));
  Entry other_mode = Link(4, 50);
  other_mode.mode = 0700;
  EXPECT_TRUE(SameEntry(Link(4, 50), other_mode));
  EXPECT_FALSE(SameEntry(Link(4, 50), File(4, 50, 0777)));
  EXPECT_FALSE(SameEntry(Dir(), None()));
}

TEST(DecideTest, FirstSyncMakesTheUnionAndNeverDeletes) {
  EXPECT_EQ(Decide(None(), kSynced, None()), Decision::kCopyAToB);
  EXPECT_EQ(Decide(None(), None(), kSynced), Decision::kCopyBToA);
  EXPECT_EQ(Decide(None(), Dir(), None()), Decision::kCopyAToB);
  EXPECT_EQ(Decide(None(), None(), Dir()), Decision::kCopyBToA);
  EXPECT_EQ(Decide(None(), kSynced, kSynced), Decision::kNothing);
  EXPECT_EQ(Decide(None(), Dir(3), Dir(4)), Decision::kNothing);
  EXPECT_EQ(Decide(None(), None(), None()), Decision::kNothing);
}

TEST(DecideTest, FirstSyncOfDifferingFilesOrTypesIsAConflict) {
  EXPECT_EQ(Decide(None(), kEditedA, kEditedB), Decision::kConflict);
  EXPECT_EQ(Decide(None(), kSynced, Dir()), Decision::kConflict);
  EXPECT_EQ(Decide(None(), Link(3, 1), kSynced), Decision::kConflict);
}

TEST(DecideTest, NoChangeOnEitherSideNeedsNothing) {
  EXPECT_EQ(Decide(kSynced, kSynced, kSynced), Decision::kNothing);
  EXPECT_EQ(Decide(Dir(1), Dir(2), Dir(3)), Decision::kNothing);
}

TEST(DecideTest, AChangeOnOneSideIsCarried) {
  EXPECT_EQ(Decide(kSynced, kEditedA, kSynced), Decision::kCopyAToB);
  EXPECT_EQ(Decide(kSynced, kSynced, kEditedB), Decision::kCopyBToA);
  EXPECT_EQ(Decide(kSynced, File(10, 1000, 0600), kSynced), Decision::kCopyAToB);
  EXPECT_EQ(Decide(Link(3, 5), Link(4, 6), Link(3, 5)), Decision::kCopyAToB);
}

TEST(DecideTest, ATypeChangeOfAFileOnOneSideIsCarried) {
  EXPECT_EQ(Decide(kSynced, Dir(), kSynced), Decision::kCopyAToB);
  EXPECT_EQ(Decide(kSynced, kSynced, Link(2, 2)), Decision::kCopyBToA);
}

TEST(DecideTest, AFileReplacingAnUnchangedDirectoryIsAConflict) {
  // The directory's contents may have changed; they are never removed for it.
  EXPECT_EQ(Decide(Dir(), kSynced, Dir()), Decision::kConflict);
  EXPECT_EQ(Decide(Dir(), Dir(), Link(1, 1)), Decision::kConflict);
}

TEST(DecideTest, ADeletionOnOneSideWithNoChangeOnTheOtherIsCarried) {
  EXPECT_EQ(Decide(kSynced, None(), kSynced), Decision::kDeleteInB);
  EXPECT_EQ(Decide(kSynced, kSynced, None()), Decision::kDeleteInA);
  EXPECT_EQ(Decide(Dir(), None(), Dir(7)), Decision::kDeleteInB);
  EXPECT_EQ(Decide(Dir(), Dir(7), None()), Decision::kDeleteInA);
}

TEST(DecideTest, ADeletionAgainstAChangeBringsTheChangeBack) {
  EXPECT_EQ(Decide(kSynced, None(), kEditedB), Decision::kBringBackToA);
  EXPECT_EQ(Decide(kSynced, kEditedA, None()), Decision::kBringBackToB);
  // A directory put where a deleted file was is a change too.
  EXPECT_EQ(Decide(kSynced, None(), Dir()), Decision::kBringBackToA);
}

TEST(DecideTest, ChangesOnBothSidesConflictUnlessTheyAreTheSame) {
  EXPECT_EQ(Decide(kSynced, kEditedA, kEditedB), Decision::kConflict);
  EXPECT_EQ(Decide(kSynced, kEditedA, kEditedA), Decision::kNothing);
  EXPECT_EQ(Decide(kSynced, None(), None()), Decision::kNothing);
  EXPECT_EQ(Decide(kSynced, Dir(), Dir()), Decision::kNothing);
  EXPECT_EQ(Decide(kSynced, Dir(), kEditedB), Decision::kConflict);
  EXPECT_EQ(Decide(Dir(), None(), None()), Decision::kNothing);
}

TEST(DecideTest, AFileTheStateDoesNotKnowAsItIsNowIsNeverDeleted) {
  // A restored state that remembers another version of the file.
  const Entry remembered = File(1, 1);
  EXPECT_EQ(Decide(remembered, None(), kSynced), Decision::kBringBackToA);
  EXPECT_EQ(Decide(remembered, kSynced, None()), Decision::kBringBackToB);
  for (Entry a : {None(), kSynced, kEditedA, Dir()}) {
    for (Entry b : {None(), kSynced, kEditedB, Dir()}) {
      const Decision d = Decide(None(), a, b);
      EXPECT_FALSE(IsDeletion(d)) << DecisionName(d);
    }
  }
}

TEST(ConflictKeeperTest, TheDirectoryElseTheNewerKeepsTheName) {
  EXPECT_EQ(ConflictKeeper(kEditedA, kEditedB), Side::kB);
  EXPECT_EQ(ConflictKeeper(kEditedB, kEditedA), Side::kA);
  EXPECT_EQ(ConflictKeeper(File(1, 5), File(2, 5)), Side::kA);
  EXPECT_EQ(ConflictKeeper(File(1, 9), Dir(1)), Side::kB);
  EXPECT_EQ(ConflictKeeper(Dir(1), Link(1, 9)), Side::kA);
}

}  // namespace
}  // namespace velqo::sync
