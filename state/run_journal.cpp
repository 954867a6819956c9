#include "state/run_journal.h"

#include <ctime>

namespace velqo::state {

namespace {

constexpr std::string_view kSchema =
    "CREATE TABLE IF NOT EXISTS journal_runs ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " pair BLOB NOT NULL,"
    " top BLOB NOT NULL,"
    " undoes INTEGER NOT NULL DEFAULT 0,"
    " started INTEGER NOT NULL,"
    " complete INTEGER NOT NULL DEFAULT 0);"
    "CREATE INDEX IF NOT EXISTS journal_runs_pair ON journal_runs (pair, id);"
    "CREATE TABLE IF NOT EXISTS journal_changes ("
    " run INTEGER NOT NULL REFERENCES journal_runs (id) ON DELETE CASCADE,"
    " seq INTEGER NOT NULL,"
    " kind INTEGER NOT NULL,"
    " path BLOB NOT NULL,"
    " version BLOB NOT NULL,"
    " size INTEGER NOT NULL,"
    " mtime_sec INTEGER NOT NULL,"
    " mtime_nsec INTEGER NOT NULL,"
    " PRIMARY KEY (run, seq));";

}  // namespace

Status RunJournal::Open(Database* db, RunJournal* journal) {
  Status st = db->Exec(kSchema);
  if (!st.ok()) return st;
  journal->db_ = db;
  return Status::Ok();
}

Status RunJournal::BeginRun(const std::string& pair, const std::string& top, std::int64_t undoes,
                            std::int64_t* id) {
  Statement insert;
  Status st = db_->Prepare("INSERT INTO journal_runs (pair, top, undoes, started) VALUES (?, ?, ?, ?)", &insert);
  if (!st.ok()) return st;
  insert.Bind(1, pair);
  insert.Bind(2, top);
  insert.Bind(3, undoes);
  insert.Bind(4, static_cast<std::int64_t>(std::time(nullptr)));
  st = insert.Run();
  if (st.ok()) *id = db_->LastInsertId();
  return st;
}

Status RunJournal::Add(std::int64_t run, const JournalChange& change) {
  Statement insert;
  Status st = db_->Prepare(
      "INSERT INTO journal_changes (run, seq, kind, path, version, size, mtime_sec, mtime_nsec) "
      "VALUES (?1, (SELECT COALESCE(MAX(seq), 0) + 1 FROM journal_changes WHERE run = ?1), ?2, ?3, ?4, ?5, ?6, ?7)",
      &insert);
  if (!st.ok()) return st;
  insert.Bind(1, run);
  insert.Bind(2, static_cast<std::int64_t>(change.kind));
  insert.Bind(3, change.path);
  insert.Bind(4, change.version);
  insert.Bind(5, change.size);
  insert.Bind(6, change.mtime_sec);
  insert.Bind(7, change.mtime_nsec);
  return insert.Run();
}

Status RunJournal::Finish(std::int64_t run) {
  // A run that changed nothing is forgotten: the next undo takes back the
  // last run that did change something.
  Statement forget;
  Status st = db_->Prepare(
      "DELETE FROM journal_runs WHERE id = ?1 AND NOT EXISTS (SELECT 1 FROM journal_changes WHERE run = ?1)",
      &forget);
  if (!st.ok()) return st;
  forget.Bind(1, run);
  st = forget.Run();
  if (!st.ok()) return st;
  Statement update;
  st = db_->Prepare("UPDATE journal_runs SET complete = 1 WHERE id = ?", &update);
  if (!st.ok()) return st;
  update.Bind(1, run);
  return update.Run();
}

Status RunJournal::ReadRun(Statement& stmt, JournalRun* run, bool* found) {
  bool row = false;
  Status st = stmt.Step(&row);
  *found = st.ok() && row;
  if (!*found) return st;
  run->id = stmt.Int(0);
  run->pair = stmt.Bytes(1);
  run->top = stmt.Bytes(2);
  run->undoes = stmt.Int(3);
  run->complete = stmt.Int(4) != 0;
  return Status::Ok();
}

Status RunJournal::LastRun(const std::string& pair, JournalRun* run, bool* found) {
  Statement select;
  Status st = db_->Prepare(
      "SELECT id, pair, top, undoes, complete FROM journal_runs WHERE pair = ? ORDER BY id DESC LIMIT 1", &select);
  if (!st.ok()) return st;
  select.Bind(1, pair);
  return ReadRun(select, run, found);
}

Status RunJournal::FindRun(std::int64_t id, JournalRun* run, bool* found) {
  Statement select;
  Status st = db_->Prepare("SELECT id, pair, top, undoes, complete FROM journal_runs WHERE id = ?", &select);
  if (!st.ok()) return st;
  select.Bind(1, id);
  return ReadRun(select, run, found);
}

Status RunJournal::Changes(std::int64_t run, std::vector<JournalChange>* changes) {
  Statement select;
  Status st = db_->Prepare(
      "SELECT kind, path, version, size, mtime_sec, mtime_nsec FROM journal_changes WHERE run = ? ORDER BY seq",
      &select);
  if (!st.ok()) return st;
  select.Bind(1, run);
  changes->clear();
  for (;;) {
    bool row = false;
    st = select.Step(&row);
    if (!st.ok() || !row) return st;
    JournalChange c;
    c.kind = static_cast<int>(select.Int(0));
    c.path = select.Bytes(1);
    c.version = select.Bytes(2);
    c.size = select.Int(3);
    c.mtime_sec = select.Int(4);
    c.mtime_nsec = select.Int(5);
    changes->push_back(std::move(c));
  }
}

}  // namespace velqo::state
