#include "state/state_db.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <utility>

namespace velqo::state {
namespace {

Status SqlError(sqlite3* db, std::string_view what) {
  std::string msg(what);
  msg += ": ";
  msg += db ? sqlite3_errmsg(db) : "out of memory";
  return Status::IOError(std::move(msg));
}

}  // namespace

Statement::Statement(Statement&& other) noexcept
    : stmt_(std::exchange(other.stmt_, nullptr)), db_(other.db_) {}

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    sqlite3_finalize(stmt_);
    stmt_ = std::exchange(other.stmt_, nullptr);
    db_ = other.db_;
  }
  return *this;
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

void Statement::Bind(int index, std::int64_t value) { sqlite3_bind_int64(stmt_, index, value); }

void Statement::Bind(int index, std::string_view bytes) {
  // An empty blob would bind as NULL with a null pointer; "" keeps it a value.
  sqlite3_bind_blob(stmt_, index, bytes.empty() ? "" : bytes.data(), static_cast<int>(bytes.size()),
                    SQLITE_TRANSIENT);
}

void Statement::BindNull(int index) { sqlite3_bind_null(stmt_, index); }

Status Statement::Step(bool* row) {
  int rc = sqlite3_step(stmt_);
  *row = rc == SQLITE_ROW;
  if (rc == SQLITE_ROW || rc == SQLITE_DONE) return Status::Ok();
  return SqlError(db_, "state database");
}

Status Statement::Run() {
  bool row = false;
  Status s = Step(&row);
  Reset();
  return s;
}

void Statement::Reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

std::int64_t Statement::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

std::string Statement::Bytes(int column) const {
  const void* data = sqlite3_column_blob(stmt_, column);
  int size = sqlite3_column_bytes(stmt_, column);
  return data ? std::string(static_cast<const char*>(data), static_cast<std::size_t>(size)) : std::string();
}

bool Statement::IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

Database::Database(Database&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)), path_(std::move(other.path_)) {}

Database& Database::operator=(Database&& other) noexcept {
  if (this != &other) {
    sqlite3_close(db_);
    db_ = std::exchange(other.db_, nullptr);
    path_ = std::move(other.path_);
  }
  return *this;
}

Database::~Database() { sqlite3_close(db_); }

Status Database::Open(const std::string& path, Database* db) {
  sqlite3* handle = nullptr;
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_FULLMUTEX;
  // The state names every file of the user's trees: nobody else may read it.
  mode_t old_mask = umask(077);
  int rc = sqlite3_open_v2(path.c_str(), &handle, flags, nullptr);
  umask(old_mask);
  Database opened;
  opened.db_ = handle;
  opened.path_ = path;
  if (rc != SQLITE_OK) return SqlError(handle, "cannot open the state database " + path);
  Status s = opened.Configure();
  if (!s.ok()) return s;
  *db = std::move(opened);
  return Status::Ok();
}

Status Database::OpenInMemory(Database* db) {
  sqlite3* handle = nullptr;
  int rc = sqlite3_open_v2(":memory:", &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  Database opened;
  opened.db_ = handle;
  opened.path_ = ":memory:";
  if (rc != SQLITE_OK) return SqlError(handle, "cannot open an in-memory database");
  *db = std::move(opened);
  return Status::Ok();
}

Status Database::Configure() {
  sqlite3_busy_timeout(db_, 10000);
  // WAL keeps the last committed state readable and whole across a crash;
  // synchronous=FULL makes a commit durable before the run reports success.
  return Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON;");
}

Status Database::Exec(std::string_view sql) {
  std::string text(sql);
  char* error = nullptr;
  int rc = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &error);
  if (rc == SQLITE_OK) return Status::Ok();
  std::string msg = "state database: ";
  msg += error ? error : sqlite3_errmsg(db_);
  sqlite3_free(error);
  return Status::IOError(std::move(msg));
}

Status Database::Prepare(std::string_view sql, Statement* stmt) {
  sqlite3_stmt* handle = nullptr;
  int rc = sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &handle, nullptr);
  if (rc != SQLITE_OK) return SqlError(db_, "state database statement");
  *stmt = Statement(handle, db_);
  return Status::Ok();
}

std::int64_t Database::LastInsertId() const { return sqlite3_last_insert_rowid(db_); }

Transaction::~Transaction() {
  if (open_) db_->Exec("ROLLBACK");
}

Status Transaction::Begin() {
  Status s = db_->Exec("BEGIN IMMEDIATE");
  open_ = s.ok();
  return s;
}

Status Transaction::Commit() {
  Status s = db_->Exec("COMMIT");
  if (s.ok()) open_ = false;
  return s;
}

std::string DatabasePath(std::string_view state_home) {
  std::string path(state_home);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  path += "/velqo/state.db";
  return path;
}

}  // namespace velqo::state
