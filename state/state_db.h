#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/text/status.h"

struct sqlite3;
struct sqlite3_stmt;

namespace velqo::state {

// One prepared statement. Bind, then Step until it reports no more rows;
// Reset to run it again with new values.
class Statement {
 public:
  Statement() = default;
  Statement(Statement&& other) noexcept;
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement();

  // Parameters are numbered from 1, as SQLite numbers them.
  void Bind(int index, std::int64_t value);
  void Bind(int index, std::string_view bytes);  // bound as a blob: names are bytes
  void BindNull(int index);

  // Runs one step: *row is true while a row is ready to read.
  Status Step(bool* row);
  // Runs a statement that returns no rows.
  Status Run();
  void Reset();
  bool prepared() const { return stmt_ != nullptr; }

  std::int64_t Int(int column) const;
  std::string Bytes(int column) const;
  bool IsNull(int column) const;

 private:
  friend class Database;
  Statement(sqlite3_stmt* stmt, sqlite3* db) : stmt_(stmt), db_(db) {}
  sqlite3_stmt* stmt_ = nullptr;
  sqlite3* db_ = nullptr;
};

// The state database: opened in WAL mode, so a crash leaves the last
// committed state, and with a busy timeout, so a second program waits for a
// short write of the first instead of failing at once.
class Database {
 public:
  Database() = default;
  Database(Database&& other) noexcept;
  Database& operator=(Database&& other) noexcept;
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;
  ~Database();

  // Opens (creating it when missing) the database at path. The folder must
  // exist; the file is made private to the user.
  static Status Open(const std::string& path, Database* db);
  // An in-memory database, for tests and previews that must not write.
  static Status OpenInMemory(Database* db);

  bool is_open() const { return db_ != nullptr; }
  const std::string& path() const { return path_; }

  // Runs one or more statements that return nothing.
  Status Exec(std::string_view sql);
  Status Prepare(std::string_view sql, Statement* stmt);
  std::int64_t LastInsertId() const;

 private:
  Status Configure();
  sqlite3* db_ = nullptr;
  std::string path_;
};

// A transaction that rolls back unless committed. Begin takes the write lock
// at once (BEGIN IMMEDIATE), so two writers never interleave their changes.
class Transaction {
 public:
  explicit Transaction(Database* db) : db_(db) {}
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  ~Transaction();
  Status Begin();
  Status Commit();

 private:
  Database* db_;
  bool open_ = false;
};

// The database every run uses: <state home>/velqo/state.db, where the state
// home is $XDG_STATE_HOME or ~/.local/state.
std::string DatabasePath(std::string_view state_home);

}  // namespace velqo::state
