#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "config/app_state.h"
#include "state/pair_key.h"
#include "state/run_journal.h"
#include "state/state_db.h"

namespace velqo::cli {

// The run journal of one pair, opened for a run: the state database, and
// the pair's lock held for as long as the session lives, so that no other
// run changes the pair while this one journals or undoes it.
class JournalSession {
 public:
  // dir1 and dir2 in Windows form; both must exist. *busy tells that
  // another run holds the pair. With create false a journal that does
  // not exist yet is not made (kFileNotFound).
  Status Open(const PlatformConfig& config, Platform& fs, const std::string& dir1, const std::string& dir2,
              bool create, bool* busy);

  state::RunJournal& journal() { return journal_; }
  const state::PairKey& key() const { return key_; }
  const std::string& real1() const { return real1_; }
  const std::string& real2() const { return real2_; }

 private:
  state::Database db_;
  state::RunJournal journal_;
  state::PairLock lock_;
  state::PairKey key_;
  std::string real1_;
  std::string real2_;
};

// The journal's form of a change and back.
state::JournalChange ToJournal(const VersionChange& c);
VersionChange FromJournal(const state::JournalChange& c);
std::vector<VersionChange> FromJournal(const std::vector<state::JournalChange>& changes);

// $XDG_STATE_HOME, else ~/.local/state.
std::string StateHome(const PlatformConfig& config);

}  // namespace velqo::cli
