#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/text/status.h"
#include "state/pair_key.h"
#include "state/state_db.h"

namespace velqo::state {

// One entry of a pair as it was after the last sync. path is relative to
// the tops, its names joined by "/".
struct SyncRow {
  std::string path;
  int kind = 0;
  std::uint64_t size = 0;
  std::int64_t mtime_ns = 0;
  std::uint32_t mode = 0;
  std::uint64_t dev = 0;
  std::uint64_t ino = 0;
};

// The last synced state of one pair. The old state is read row by row in
// the order of a depth-first walk (a directory, then everything below it,
// then its next sibling; siblings in byte order), so a run holds no more of
// it than the row at hand. What changed (rows added or replaced, rows
// dropped) is gathered beside it as the run goes and applied in one
// transaction at the end: a run that dies leaves the old state whole, and
// a run that changed nothing writes nothing.
class SyncState {
 public:
  SyncState() = default;
  SyncState(const SyncState&) = delete;
  SyncState& operator=(const SyncState&) = delete;

  // Opens the state of key in db, making its tables when missing.
  static Status Open(Database* db, const PairKey& key, SyncState* state);
  // Opens it for reading only, writing nothing to db: a pair (or a
  // database) never synced reads as an empty state. Such a state cannot
  // be committed.
  static Status OpenForReading(Database* db, const PairKey& key, SyncState* state);

  // Whether the pair was ever synced (it has rows).
  Status Known(bool* known);

  // Starts reading the old state; Next gives the rows in walk order.
  Status StartReading();
  Status Next(bool* row, SyncRow* out);
  // Ends the reading (also done by Commit).
  void StopReading();

  // Adds or replaces a row of the new state. Rows may come in any order;
  // the last word on a path holds.
  Status Add(const SyncRow& row);
  // Drops the row of path from the new state.
  Status Drop(const std::string& path);
  // The changes are applied to the stored state, all at once.
  Status Commit();

 private:
  Status StartNew();
  Status Put(std::string_view stored_path, const SyncRow* row);
  Database* db_ = nullptr;
  std::int64_t pair_ = 0;
  Statement reader_;
  Statement writer_;
  bool read_only_ = false;
  bool batch_open_ = false;
  int batch_rows_ = 0;
};

// The stored form of a relative path: names separated by a zero byte,
// which sorts below every byte of a name, so byte order is walk order.
std::string StoredPath(std::string_view path);
std::string PathFromStored(std::string_view stored);

}  // namespace velqo::state
