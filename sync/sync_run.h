#pragma once

#include <functional>
#include <string>

#include "config/app_state.h"
#include "state/sync_state.h"
#include "sync/decision.h"

namespace velqo::sync {

struct SyncOptions {
  bool preview = false;      // decide and report, change nothing
  bool allow_empty = false;  // go on when a top that held files is empty now
  std::string host_name;     // in the names of conflict copies
  bool silent = false;       // a count before the run: failures are counted, not said
};

// What became of a run.
struct SyncReport {
  int copies = 0;
  int deletions = 0;
  int conflicts = 0;
  int failures = 0;          // actions or listings that failed (already reported)
  bool refused_empty = false;
  std::string empty_top;     // the top that was found empty
  bool cancelled = false;
  // The state could not be read or written whole: it must not be committed.
  bool state_failed = false;
};

// Told of every decision other than kNothing, with the path below the tops
// ("/"-joined); for a conflict, saved_as is the name the other version is
// kept under.
struct DecisionEvent {
  Decision decision;
  std::string path;
  std::string saved_as;
};
using DecisionSink = std::function<void(const DecisionEvent&)>;

// Synchronizes the trees top_a and top_b (Windows paths, pinned as the
// run's tops) against state, which is read as the trees are walked and
// given the new state row by row; the caller commits it. The file actions
// log as the other modes do.
void RunSync(AppState& s, state::SyncState& state, const std::string& top_a, const std::string& top_b,
             const SyncOptions& options, const DecisionSink& sink, SyncReport* report);

}  // namespace velqo::sync
