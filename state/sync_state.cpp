#include "state/sync_state.h"

namespace velqo::state {

namespace {

constexpr std::string_view kSchema =
    "CREATE TABLE IF NOT EXISTS sync_pairs(id INTEGER PRIMARY KEY, key BLOB NOT NULL UNIQUE);"
    "CREATE TABLE IF NOT EXISTS sync_entries(pair INTEGER NOT NULL, path BLOB NOT NULL,"
    " kind INTEGER NOT NULL, size INTEGER NOT NULL, mtime_ns INTEGER NOT NULL,"
    " mode INTEGER NOT NULL, dev INTEGER NOT NULL, ino INTEGER NOT NULL,"
    " PRIMARY KEY(pair, path)) WITHOUT ROWID;";

// The new state grows in a temporary table, kept on disk by SQLite rather
// than in memory, and written in batches so that a large tree costs few
// transactions.
constexpr std::string_view kNewTable =
    "DROP TABLE IF EXISTS temp.sync_next;"
    "CREATE TEMP TABLE sync_next(path BLOB PRIMARY KEY, kind INTEGER, size INTEGER,"
    " mtime_ns INTEGER, mode INTEGER, dev INTEGER, ino INTEGER) WITHOUT ROWID;";
constexpr int kBatchRows = 4096;

Status FindPair(Database* db, const PairKey& key, std::int64_t* id) {
  Statement insert;
  Status st = db->Prepare("INSERT OR IGNORE INTO sync_pairs(key) VALUES(?1)", &insert);
  if (!st.ok()) return st;
  insert.Bind(1, key.Text());
  if (!(st = insert.Run()).ok()) return st;
  Statement select;
  if (!(st = db->Prepare("SELECT id FROM sync_pairs WHERE key = ?1", &select)).ok()) return st;
  select.Bind(1, key.Text());
  bool row = false;
  if (!(st = select.Step(&row)).ok()) return st;
  if (!row) return Status::IOError("state database: the pair was not recorded");
  *id = select.Int(0);
  return Status::Ok();
}

}  // namespace

std::string StoredPath(std::string_view path) {
  std::string stored(path);
  for (char& c : stored) {
    if (c == '/') c = '\0';
  }
  return stored;
}

std::string PathFromStored(std::string_view stored) {
  std::string path(stored);
  for (char& c : path) {
    if (c == '\0') c = '/';
  }
  return path;
}

Status SyncState::Open(Database* db, const PairKey& key, SyncState* state) {
  Status st = db->Exec(kSchema);
  if (!st.ok()) return st;
  state->db_ = db;
  return FindPair(db, key, &state->pair_);
}

Status SyncState::OpenForReading(Database* db, const PairKey& key, SyncState* state) {
  state->db_ = db;
  state->pair_ = -1;
  state->read_only_ = true;
  Statement select;
  // No table yet: nothing was ever synced with this database.
  if (!db->Prepare("SELECT id FROM sync_pairs WHERE key = ?1", &select).ok()) return Status::Ok();
  select.Bind(1, key.Text());
  bool row = false;
  Status st = select.Step(&row);
  if (st.ok() && row) state->pair_ = select.Int(0);
  return st;
}

Status SyncState::Known(bool* known) {
  if (pair_ < 0) {
    *known = false;
    return Status::Ok();
  }
  Statement any;
  Status st = db_->Prepare("SELECT 1 FROM sync_entries WHERE pair = ?1 LIMIT 1", &any);
  if (!st.ok()) return st;
  any.Bind(1, pair_);
  return any.Step(known);
}

Status SyncState::StartReading() {
  if (pair_ < 0) {
    reader_ = Statement();
    return Status::Ok();
  }
  Status st = db_->Prepare(
      "SELECT path, kind, size, mtime_ns, mode, dev, ino FROM sync_entries WHERE pair = ?1 ORDER BY path",
      &reader_);
  if (st.ok()) reader_.Bind(1, pair_);
  return st;
}

Status SyncState::Next(bool* row, SyncRow* out) {
  if (!reader_.prepared()) {
    *row = false;
    return Status::Ok();
  }
  Status st = reader_.Step(row);
  if (!st.ok() || !*row) return st;
  out->path = PathFromStored(reader_.Bytes(0));
  out->kind = static_cast<int>(reader_.Int(1));
  out->size = static_cast<std::uint64_t>(reader_.Int(2));
  out->mtime_ns = reader_.Int(3);
  out->mode = static_cast<std::uint32_t>(reader_.Int(4));
  out->dev = static_cast<std::uint64_t>(reader_.Int(5));
  out->ino = static_cast<std::uint64_t>(reader_.Int(6));
  return Status::Ok();
}

void SyncState::StopReading() { reader_ = Statement(); }

Status SyncState::StartNew() {
  Status st = db_->Exec(kNewTable);
  if (!st.ok()) return st;
  return db_->Prepare(
      "INSERT OR REPLACE INTO temp.sync_next(path, kind, size, mtime_ns, mode, dev, ino)"
      " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)",
      &writer_);
}

// A dropped row is kept in the changes as a row of kind -1.
constexpr std::int64_t kDroppedKind = -1;

Status SyncState::Add(const SyncRow& row) { return Put(StoredPath(row.path), &row); }

Status SyncState::Drop(const std::string& path) { return Put(StoredPath(path), nullptr); }

Status SyncState::Put(std::string_view stored_path, const SyncRow* row) {
  if (read_only_) return Status::AccessDenied("the state was opened for reading only");
  Status st;
  if (!writer_.prepared()) {
    if (!(st = StartNew()).ok()) return st;
  }
  // A deferred transaction that writes only the temporary table: it takes
  // no lock on the shared state, so other pairs' runs go on meanwhile.
  if (!batch_open_) {
    if (!(st = db_->Exec("BEGIN")).ok()) return st;
    batch_open_ = true;
  }
  writer_.Bind(1, stored_path);
  writer_.Bind(2, row ? static_cast<std::int64_t>(row->kind) : kDroppedKind);
  writer_.Bind(3, row ? static_cast<std::int64_t>(row->size) : 0);
  writer_.Bind(4, row ? row->mtime_ns : 0);
  writer_.Bind(5, row ? static_cast<std::int64_t>(row->mode) : 0);
  writer_.Bind(6, row ? static_cast<std::int64_t>(row->dev) : 0);
  writer_.Bind(7, row ? static_cast<std::int64_t>(row->ino) : 0);
  if (!(st = writer_.Run()).ok()) return st;
  if (++batch_rows_ >= kBatchRows) {
    batch_rows_ = 0;
    batch_open_ = false;
    return db_->Exec("COMMIT");
  }
  return Status::Ok();
}

Status SyncState::Commit() {
  if (read_only_) return Status::AccessDenied("the state was opened for reading only");
  StopReading();
  // Nothing changed: the stored state stands as it is.
  if (!writer_.prepared()) return Status::Ok();
  Status st;
  if (batch_open_) {
    batch_open_ = false;
    batch_rows_ = 0;
    if (!(st = db_->Exec("COMMIT")).ok()) return st;
  }
  Transaction tx(db_);
  if (!(st = tx.Begin()).ok()) return st;
  Statement drop;
  st = db_->Prepare(
      "DELETE FROM sync_entries WHERE pair = ?1 AND path IN (SELECT path FROM temp.sync_next WHERE kind < 0)",
      &drop);
  if (!st.ok()) return st;
  drop.Bind(1, pair_);
  if (!(st = drop.Run()).ok()) return st;
  Statement fill;
  st = db_->Prepare(
      "INSERT OR REPLACE INTO sync_entries(pair, path, kind, size, mtime_ns, mode, dev, ino)"
      " SELECT ?1, path, kind, size, mtime_ns, mode, dev, ino FROM temp.sync_next WHERE kind >= 0",
      &fill);
  if (!st.ok()) return st;
  fill.Bind(1, pair_);
  if (!(st = fill.Run()).ok()) return st;
  if (!(st = tx.Commit()).ok()) return st;
  writer_ = Statement();
  return db_->Exec("DROP TABLE IF EXISTS temp.sync_next");
}

}  // namespace velqo::state
