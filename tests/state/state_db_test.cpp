#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "state/pair_key.h"
#include "state/state_db.h"
#include "tests/state/temp_folder_test.h"

namespace velqo::state {
namespace {

class StateDbTest : public TempFolderTest {};

TEST_F(StateDbTest, CommittedRowsSurviveReopeningAndUncommittedOnesDoNot) {
  std::string path = dir_ + "/state.db";
  {
    Database db;
    ASSERT_TRUE(Database::Open(path, &db).ok());
    ASSERT_TRUE(db.Exec("CREATE TABLE t (name BLOB, size INTEGER)").ok());
    Transaction kept(&db);
    ASSERT_TRUE(kept.Begin().ok());
    Statement insert;
    ASSERT_TRUE(db.Prepare("INSERT INTO t VALUES (?, ?)", &insert).ok());
    // Names are bytes: a NUL-free but non-UTF-8 name and an empty one round-trip.
    insert.Bind(1, std::string_view("caf\xe9\\x", 6));
    insert.Bind(2, std::int64_t{1} << 40);
    ASSERT_TRUE(insert.Run().ok());
    insert.Bind(1, std::string_view());
    insert.Bind(2, std::int64_t{0});
    ASSERT_TRUE(insert.Run().ok());
    ASSERT_TRUE(kept.Commit().ok());

    Transaction dropped(&db);
    ASSERT_TRUE(dropped.Begin().ok());
    insert.Bind(1, std::string_view("lost"));
    insert.Bind(2, std::int64_t{1});
    ASSERT_TRUE(insert.Run().ok());
    // Goes out of scope uncommitted: rolled back.
  }
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 077, 0u) << "the state names the user's files";

  Database db;
  ASSERT_TRUE(Database::Open(path, &db).ok());
  Statement query;
  ASSERT_TRUE(db.Prepare("SELECT name, size FROM t ORDER BY size DESC", &query).ok());
  bool row = false;
  ASSERT_TRUE(query.Step(&row).ok());
  ASSERT_TRUE(row);
  EXPECT_EQ(query.Bytes(0), std::string("caf\xe9\\x", 6));
  EXPECT_EQ(query.Int(1), std::int64_t{1} << 40);
  ASSERT_TRUE(query.Step(&row).ok());
  ASSERT_TRUE(row);
  EXPECT_FALSE(query.IsNull(0));
  EXPECT_EQ(query.Bytes(0), "");
  ASSERT_TRUE(query.Step(&row).ok());
  EXPECT_FALSE(row);
}

TEST_F(StateDbTest, OpeningThroughALinkOrAMissingFolderIsRefused) {
  Database db;
  EXPECT_FALSE(Database::Open(dir_ + "/missing/state.db", &db).ok());
  ASSERT_EQ(symlink("/tmp/elsewhere.db", (dir_ + "/link.db").c_str()), 0);
  EXPECT_FALSE(Database::Open(dir_ + "/link.db", &db).ok());
  EXPECT_FALSE(db.is_open());
}

TEST(PairKeyTest, EitherOrderIsOnePairAndTheOrderIsRemembered) {
  PairKey ab = MakePairKey("/home/a", "/mnt/b");
  PairKey ba = MakePairKey("/mnt/b", "/home/a");
  EXPECT_EQ(ab.Text(), ba.Text());
  EXPECT_FALSE(ab.swapped);
  EXPECT_TRUE(ba.swapped);
  // The separator keeps "/a" + "b/c" apart from "/ab" + "/c".
  EXPECT_NE(MakePairKey("/a", "/a/b/c").Text(), MakePairKey("/a/b", "/c").Text());
  EXPECT_EQ(DatabasePath("/s/"), "/s/velqo/state.db");
}

TEST_F(StateDbTest, RealPathsMakeSpellingsOfOneTopOnePair) {
  ASSERT_EQ(mkdir((dir_ + "/a").c_str(), 0700), 0);
  ASSERT_EQ(symlink((dir_ + "/a").c_str(), (dir_ + "/alias").c_str()), 0);
  std::string one, two;
  ASSERT_TRUE(RealPath(dir_ + "/a/../a/", &one).ok());
  ASSERT_TRUE(RealPath(dir_ + "/alias", &two).ok());
  EXPECT_EQ(one, two);
  EXPECT_FALSE(RealPath(dir_ + "/none", &one).ok());
}

TEST_F(StateDbTest, ASecondLockOnOnePairIsRefusedUntilTheFirstIsReleased) {
  PairKey key = MakePairKey("/x", "/y");
  PairLock first;
  ASSERT_TRUE(PairLock::Acquire(dir_, key, false, &first).ok());
  PairLock second;
  Status busy = PairLock::Acquire(dir_, key, false, &second);
  EXPECT_EQ(busy.code(), Status::Code::kAccessDenied);
  EXPECT_FALSE(second.held());
  PairLock other_pair;
  EXPECT_TRUE(PairLock::Acquire(dir_, MakePairKey("/x", "/z"), false, &other_pair).ok());
  first = PairLock();
  EXPECT_TRUE(PairLock::Acquire(dir_, key, false, &second).ok());
}

}  // namespace
}  // namespace velqo::state
