#include "state/sync_state.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>
#include "tests/state/temp_folder_test.h"

namespace velqo::state {
namespace {

class SyncStateTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_TRUE(Database::Open(dir_ + "/state.db", &db_).ok());
  }

  static SyncRow Row(const std::string& path, std::uint64_t size = 1) {
    SyncRow row;
    row.path = path;
    row.kind = 1;
    row.size = size;
    row.mtime_ns = 1700000000123456789;
    row.mode = 0644;
    row.dev = 2049;
    row.ino = 0xFFFFFFFFFFull + size;
    return row;
  }

  std::vector<std::string> Paths(SyncState& state) {
    std::vector<std::string> paths;
    EXPECT_TRUE(state.StartReading().ok());
    SyncRow row;
    for (bool more = true; more;) {
      EXPECT_TRUE(state.Next(&more, &row).ok());
      if (more) paths.push_back(row.path);
    }
    state.StopReading();
    return paths;
  }

  Database db_;
  const PairKey key_ = MakePairKey("/a", "/b");
};

TEST_F(SyncStateTest, RowsComeBackInDepthFirstOrderWithEveryField) {
  SyncState state;
  ASSERT_TRUE(SyncState::Open(&db_, key_, &state).ok());
  bool known = true;
  ASSERT_TRUE(state.Known(&known).ok());
  EXPECT_FALSE(known);
  // "d-x" and "d0" sort around "d/" byte by byte; the walk wants d's
  // contents right after d.
  for (const char* p : {"d0", "d/e", "d-x", "d", "d/e/f", "a"}) ASSERT_TRUE(state.Add(Row(p, 7)).ok());
  ASSERT_TRUE(state.Commit().ok());

  EXPECT_EQ(Paths(state), (std::vector<std::string>{"a", "d", "d/e", "d/e/f", "d-x", "d0"}));
  ASSERT_TRUE(state.StartReading().ok());
  SyncRow row;
  bool more = false;
  ASSERT_TRUE(state.Next(&more, &row).ok());
  ASSERT_TRUE(more);
  const SyncRow want = Row("a", 7);
  EXPECT_EQ(row.kind, want.kind);
  EXPECT_EQ(row.size, want.size);
  EXPECT_EQ(row.mtime_ns, want.mtime_ns);
  EXPECT_EQ(row.mode, want.mode);
  EXPECT_EQ(row.dev, want.dev);
  EXPECT_EQ(row.ino, want.ino);
  state.StopReading();
  ASSERT_TRUE(state.Known(&known).ok());
  EXPECT_TRUE(known);
}

TEST_F(SyncStateTest, TheNewStateReplacesTheOldOnlyOnCommit) {
  {
    SyncState state;
    ASSERT_TRUE(SyncState::Open(&db_, key_, &state).ok());
    ASSERT_TRUE(state.Add(Row("old")).ok());
    ASSERT_TRUE(state.Commit().ok());
  }
  {
    // A run that reads the old state while it writes the new one, in
    // more rows than one batch, and dies before committing.
    SyncState state;
    ASSERT_TRUE(SyncState::Open(&db_, key_, &state).ok());
    ASSERT_TRUE(state.StartReading().ok());
    SyncRow row;
    bool more = false;
    ASSERT_TRUE(state.Next(&more, &row).ok());
    for (int i = 0; i < 5000; ++i) ASSERT_TRUE(state.Add(Row("new" + std::to_string(i))).ok());
  }
  Database reopened;
  ASSERT_TRUE(Database::Open(dir_ + "/state.db", &reopened).ok());
  SyncState state;
  ASSERT_TRUE(SyncState::Open(&reopened, key_, &state).ok());
  EXPECT_EQ(Paths(state), std::vector<std::string>{"old"});

  ASSERT_TRUE(state.StartReading().ok());
  for (int i = 0; i < 5000; ++i) ASSERT_TRUE(state.Add(Row("new" + std::to_string(i))).ok());
  ASSERT_TRUE(state.Drop("old").ok());
  ASSERT_TRUE(state.Commit().ok());
  const std::vector<std::string> paths = Paths(state);
  ASSERT_EQ(paths.size(), 5000u);
  EXPECT_EQ(paths.front(), "new0");
}

TEST_F(SyncStateTest, ChangesApplyToTheRowsTheyNameAndLeaveTheOthers) {
  SyncState state;
  ASSERT_TRUE(SyncState::Open(&db_, key_, &state).ok());
  for (const char* p : {"a", "b", "c"}) ASSERT_TRUE(state.Add(Row(p, 1)).ok());
  ASSERT_TRUE(state.Commit().ok());
  // The last word on a path holds: dropped then added again, added then dropped.
  ASSERT_TRUE(state.Drop("a").ok());
  ASSERT_TRUE(state.Add(Row("a", 9)).ok());
  ASSERT_TRUE(state.Add(Row("d", 1)).ok());
  ASSERT_TRUE(state.Drop("d").ok());
  ASSERT_TRUE(state.Drop("b").ok());
  ASSERT_TRUE(state.Commit().ok());
  EXPECT_EQ(Paths(state), (std::vector<std::string>{"a", "c"}));
  ASSERT_TRUE(state.StartReading().ok());
  SyncRow row;
  bool more = false;
  ASSERT_TRUE(state.Next(&more, &row).ok());
  EXPECT_EQ(row.size, 9u);
  state.StopReading();
  // A commit with nothing to apply changes nothing.
  ASSERT_TRUE(state.Commit().ok());
  EXPECT_EQ(Paths(state), (std::vector<std::string>{"a", "c"}));
}

TEST_F(SyncStateTest, PairsKeepTheirOwnStateAndBAIsTheSamePairAsAB) {
  SyncState ab;
  ASSERT_TRUE(SyncState::Open(&db_, key_, &ab).ok());
  ASSERT_TRUE(ab.Add(Row("x")).ok());
  ASSERT_TRUE(ab.Commit().ok());
  SyncState other;
  ASSERT_TRUE(SyncState::Open(&db_, MakePairKey("/a", "/c"), &other).ok());
  ASSERT_TRUE(other.Commit().ok());  // an empty state
  SyncState ba;
  ASSERT_TRUE(SyncState::Open(&db_, MakePairKey("/b", "/a"), &ba).ok());
  EXPECT_EQ(Paths(ba), std::vector<std::string>{"x"});
  EXPECT_TRUE(Paths(other).empty());
}

TEST(StoredPathTest, SeparatorsBecomeZeroBytesAndBack) {
  const std::string stored = StoredPath("a/b c/d");
  EXPECT_EQ(stored, std::string("a\0b c\0d", 7));
  EXPECT_EQ(PathFromStored(stored), "a/b c/d");
}

}  // namespace
}  // namespace velqo::state

namespace velqo::state {
namespace {

TEST_F(SyncStateTest, ReadingOnlyWritesNothingAndReadsAnUnknownPairAsEmpty) {
  SyncState unknown;
  ASSERT_TRUE(SyncState::OpenForReading(&db_, key_, &unknown).ok());
  bool known = true;
  ASSERT_TRUE(unknown.Known(&known).ok());
  EXPECT_FALSE(known);
  EXPECT_TRUE(Paths(unknown).empty());
  EXPECT_FALSE(unknown.Add(Row("x")).ok());
  EXPECT_FALSE(unknown.Commit().ok());
  {
    // Not even the tables were made.
    Statement tables;
    ASSERT_TRUE(db_.Prepare("SELECT count(*) FROM sqlite_master", &tables).ok());
    bool row = false;
    ASSERT_TRUE(tables.Step(&row).ok());
    EXPECT_EQ(tables.Int(0), 0);
  }

  SyncState writer;
  ASSERT_TRUE(SyncState::Open(&db_, key_, &writer).ok());
  ASSERT_TRUE(writer.Add(Row("kept")).ok());
  const Status committed = writer.Commit();
  ASSERT_TRUE(committed.ok()) << committed.ToString();
  SyncState reader;
  ASSERT_TRUE(SyncState::OpenForReading(&db_, key_, &reader).ok());
  EXPECT_EQ(Paths(reader), std::vector<std::string>{"kept"});
}

}  // namespace
}  // namespace velqo::state
