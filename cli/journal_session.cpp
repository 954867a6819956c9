#include "cli/journal_session.h"

#include <sys/stat.h>

namespace velqo::cli {

std::string StateHome(const PlatformConfig& config) {
  if (!config.xdg_state_home.empty()) return config.xdg_state_home;
  return config.home + "/.local/state";
}

Status JournalSession::Open(const PlatformConfig& config, Platform& fs, const std::string& dir1,
                            const std::string& dir2, bool create, bool* busy) {
  *busy = false;
  std::string host1;
  std::string host2;
  Status st = fs.ToHostPath(dir1, &host1);
  if (st.ok()) st = fs.ToHostPath(dir2, &host2);
  if (st.ok()) st = state::RealPath(host1, &real1_);
  if (st.ok()) st = state::RealPath(host2, &real2_);
  if (!st.ok()) return st;
  key_ = state::MakePairKey(real1_, real2_);
  const std::string path = state::DatabasePath(StateHome(config));
  const std::string folder = path.substr(0, path.rfind('/'));
  struct stat existing {};
  if (!create && stat(path.c_str(), &existing) != 0) return Status::FileNotFound("no run is journaled yet");
  st = MakePrivateDirectories(folder);
  if (st.ok()) {
    st = state::PairLock::Acquire(folder, key_, false, &lock_);
    *busy = st.code() == Status::Code::kAccessDenied;
  }
  if (st.ok()) st = state::Database::Open(path, &db_);
  if (st.ok()) st = state::RunJournal::Open(&db_, &journal_);
  return st;
}

state::JournalChange ToJournal(const VersionChange& c) {
  state::JournalChange j;
  j.kind = static_cast<int>(c.kind);
  j.path = c.path;
  j.version = c.version;
  j.size = static_cast<std::int64_t>(c.size);
  j.mtime_sec = c.mtime_sec;
  j.mtime_nsec = c.mtime_nsec;
  return j;
}

VersionChange FromJournal(const state::JournalChange& j) {
  VersionChange c;
  c.kind = static_cast<VersionChange::Kind>(j.kind);
  c.path = j.path;
  c.version = j.version;
  c.size = static_cast<std::uint64_t>(j.size);
  c.mtime_sec = j.mtime_sec;
  c.mtime_nsec = static_cast<std::int32_t>(j.mtime_nsec);
  return c;
}

std::vector<VersionChange> FromJournal(const std::vector<state::JournalChange>& changes) {
  std::vector<VersionChange> out;
  out.reserve(changes.size());
  for (const state::JournalChange& j : changes) out.push_back(FromJournal(j));
  return out;
}

}  // namespace velqo::cli
