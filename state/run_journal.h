#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/text/status.h"
#include "state/state_db.h"

namespace velqo::state {

// One change of a run, as the journal keeps it. Paths are relative to the
// top of the tree the run changed, "/"-joined bytes.
struct JournalChange {
  enum Kind : int { kReplaced = 1, kDeleted = 2, kAdded = 3, kDirectoryAdded = 4 };
  int kind = kReplaced;
  std::string path;
  std::string version;  // where the old file was kept; empty for kAdded
  // The file the run left at path (kReplaced, kAdded).
  std::int64_t size = 0;
  std::int64_t mtime_sec = 0;
  std::int64_t mtime_nsec = 0;

  bool operator==(const JournalChange&) const = default;
};

// One run on a pair.
struct JournalRun {
  std::int64_t id = 0;
  std::string pair;  // PairKey::Text()
  std::string top;   // real path of the tree whose changes are journaled
  std::int64_t undoes = 0;  // the run an undo takes back; 0 for an update
  bool complete = false;    // false: the run died or is still going
};

// The journal of the runs that keep versions: each change is committed as
// it is made, so a run that is killed can still be undone as far as it got.
class RunJournal {
 public:
  // Makes the journal's tables in db when they are missing.
  static Status Open(Database* db, RunJournal* journal);

  Status BeginRun(const std::string& pair, const std::string& top, std::int64_t undoes, std::int64_t* id);
  Status Add(std::int64_t run, const JournalChange& change);
  // Marks a run complete; one without changes is removed instead.
  Status Finish(std::int64_t run);

  // The newest run of pair; *found false when it has none.
  Status LastRun(const std::string& pair, JournalRun* run, bool* found);
  Status FindRun(std::int64_t id, JournalRun* run, bool* found);
  // The changes of a run in the order they were made.
  Status Changes(std::int64_t run, std::vector<JournalChange>* changes);

 private:
  Status ReadRun(Statement& stmt, JournalRun* run, bool* found);
  Database* db_ = nullptr;
};

}  // namespace velqo::state
