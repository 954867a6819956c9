#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "state/run_journal.h"
#include "state/state_db.h"
#include "tests/state/temp_folder_test.h"

namespace velqo::state {
namespace {

class RunJournalTest : public TempFolderTest {};

JournalChange Change(int kind, std::string path, std::string version, std::int64_t size) {
  JournalChange c;
  c.kind = kind;
  c.path = std::move(path);
  c.version = std::move(version);
  c.size = size;
  c.mtime_sec = 1700000000 + size;
  c.mtime_nsec = 123456789;
  return c;
}

TEST_F(RunJournalTest, ChangesComeBackInOrderAfterReopeningAndTheLastRunIsPerPair) {
  const std::string path = dir_ + "/state.db";
  const JournalChange replaced = Change(JournalChange::kReplaced, "a/b.txt", ".velqo-versions/s/a/b.txt", 5);
  const JournalChange added = Change(JournalChange::kAdded, std::string("caf\xe9", 4), "", 1ll << 40);
  const JournalChange deleted = Change(JournalChange::kDeleted, "z", ".velqo-versions/s/z", 0);
  std::int64_t first = 0;
  std::int64_t other = 0;
  {
    Database db;
    ASSERT_TRUE(Database::Open(path, &db).ok());
    RunJournal journal;
    ASSERT_TRUE(RunJournal::Open(&db, &journal).ok());
    ASSERT_TRUE(journal.BeginRun("pairA", "/top/b", 0, &first).ok());
    for (const JournalChange& c : {replaced, added, deleted}) ASSERT_TRUE(journal.Add(first, c).ok());
    ASSERT_TRUE(journal.BeginRun("pairB", "/top/other", 0, &other).ok());
    ASSERT_TRUE(journal.Add(other, deleted).ok());
    ASSERT_TRUE(journal.Finish(first).ok());
  }
  Database db;
  ASSERT_TRUE(Database::Open(path, &db).ok());
  RunJournal journal;
  ASSERT_TRUE(RunJournal::Open(&db, &journal).ok());  // the tables are there already
  std::vector<JournalChange> changes;
  ASSERT_TRUE(journal.Changes(first, &changes).ok());
  EXPECT_EQ(changes, (std::vector<JournalChange>{replaced, added, deleted}));

  JournalRun last;
  bool found = false;
  ASSERT_TRUE(journal.LastRun("pairA", &last, &found).ok());
  ASSERT_TRUE(found);
  EXPECT_EQ(last.id, first);
  EXPECT_EQ(last.top, "/top/b");
  EXPECT_TRUE(last.complete);
  ASSERT_TRUE(journal.LastRun("pairB", &last, &found).ok());
  ASSERT_TRUE(found);
  EXPECT_EQ(last.id, other);
  EXPECT_FALSE(last.complete);  // never finished: a run that died

  // An undo is a run of the same pair that names the run it takes back.
  std::int64_t undo = 0;
  ASSERT_TRUE(journal.BeginRun("pairA", "/top/b", first, &undo).ok());
  ASSERT_TRUE(journal.LastRun("pairA", &last, &found).ok());
  EXPECT_EQ(last.id, undo);
  EXPECT_EQ(last.undoes, first);
  ASSERT_TRUE(journal.Changes(undo, &changes).ok());
  EXPECT_TRUE(changes.empty());
  ASSERT_TRUE(journal.LastRun("pairC", &last, &found).ok());
  EXPECT_FALSE(found);

  // A run that changed nothing leaves the last run that did as the last.
  ASSERT_TRUE(journal.Add(undo, deleted).ok());
  ASSERT_TRUE(journal.Finish(undo).ok());
  std::int64_t idle = 0;
  ASSERT_TRUE(journal.BeginRun("pairA", "/top/b", 0, &idle).ok());
  ASSERT_TRUE(journal.Finish(idle).ok());
  ASSERT_TRUE(journal.LastRun("pairA", &last, &found).ok());
  EXPECT_EQ(last.id, undo);
  EXPECT_TRUE(last.complete);
}

}  // namespace
}  // namespace velqo::state
