#include <gtest/gtest.h>

#include "engine/change_detection.h"

namespace velqo {
namespace {

EntryMetadata Copied() {
  EntryMetadata m;
  m.mode = 0100644;
  m.uid = 1000;
  m.gid = 100;
  m.ctime_sec = 1700000000;
  m.ctime_nsec = 500;
  return m;
}

TEST(MetadataChangeTest, AFaithfulCopyMadeAfterItsSourceNeedsNoQuestion) {
  const EntryMetadata source = Copied();
  EntryMetadata target = Copied();
  EXPECT_FALSE(MetadataMayDiffer(source, target));
  target.ctime_sec += 5;
  EXPECT_FALSE(MetadataMayDiffer(source, target));
  // The target's own read-only attribute is not the source's to give.
  target.mode = 0100444;
  EXPECT_FALSE(MetadataMayDiffer(source, target));
}

TEST(MetadataChangeTest, EveryCarriedDifferenceIsSeen) {
  const EntryMetadata source = Copied();
  EntryMetadata target = Copied();
  target.mode = 0100640;
  EXPECT_TRUE(MetadataMayDiffer(source, target));
  target = Copied();
  target.mode = 0104644;  // setuid
  EXPECT_TRUE(MetadataMayDiffer(source, target));
  target = Copied();
  target.uid = 0;
  EXPECT_TRUE(MetadataMayDiffer(source, target));
  target = Copied();
  target.gid = 0;
  EXPECT_TRUE(MetadataMayDiffer(source, target));
}

TEST(MetadataChangeTest, ASourceChangedAfterItsCopyIsLookedAt) {
  // An attribute or ACL set on the source moves only its inode's change time.
  EntryMetadata source = Copied();
  const EntryMetadata target = Copied();
  source.ctime_nsec += 1;
  EXPECT_TRUE(MetadataMayDiffer(source, target));
  source = Copied();
  source.ctime_sec += 1;
  source.ctime_nsec = 0;
  EXPECT_TRUE(MetadataMayDiffer(source, target));
}

TEST(MetadataChangeTest, MetadataAListingDidNotGiveIsAskedFor) {
  EntryMetadata unknown;
  EXPECT_TRUE(MetadataMayDiffer(unknown, Copied()));
  EXPECT_TRUE(MetadataMayDiffer(Copied(), unknown));
}

}  // namespace
}  // namespace velqo
