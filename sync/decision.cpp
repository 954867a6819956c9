#include "sync/decision.h"

namespace velqo::sync {

namespace {

constexpr std::uint32_t kPermissionBits = 07777;

// A file or link put where the other side still holds the directory last
// synced: the directory's contents may hold changes of their own, so it is
// a conflict (the directory keeps the name), never a removal of the tree.
bool ReplacesDirectory(const Entry& changed, const Entry& unchanged) {
  return changed.exists() && !changed.is_directory() && unchanged.is_directory();
}

Decision BothChanged(const Entry& a, const Entry& b) {
  if (!a.exists() && !b.exists()) return Decision::kNothing;
  if (!a.exists()) return Decision::kBringBackToA;
  if (!b.exists()) return Decision::kBringBackToB;
  // The same change made on both sides (two directories made alike count).
  if (SameEntry(a, b)) return Decision::kNothing;
  return Decision::kConflict;
}

// No state for the path: the union of both sides, nothing deleted.
Decision FirstMeeting(const Entry& a, const Entry& b) {
  if (!a.exists() && !b.exists()) return Decision::kNothing;
  if (!b.exists()) return Decision::kCopyAToB;
  if (!a.exists()) return Decision::kCopyBToA;
  return SameEntry(a, b) ? Decision::kNothing : Decision::kConflict;
}

}  // namespace

bool SameEntry(const Entry& x, const Entry& y) {
  if (x.kind != y.kind) return false;
  if (x.kind == EntryKind::kNone || x.kind == EntryKind::kDirectory) return true;
  if (x.size != y.size || x.mtime_ns != y.mtime_ns) return false;
  // A link's own permission bits mean nothing and are not kept everywhere.
  return x.kind == EntryKind::kLink || (x.mode & kPermissionBits) == (y.mode & kPermissionBits);
}

Decision Decide(const Entry& last, const Entry& a, const Entry& b) {
  if (!last.exists()) return FirstMeeting(a, b);
  const bool a_changed = !SameEntry(last, a);
  const bool b_changed = !SameEntry(last, b);
  if (!a_changed && !b_changed) return Decision::kNothing;
  if (a_changed && b_changed) return BothChanged(a, b);
  if (a_changed) {
    if (ReplacesDirectory(a, b)) return Decision::kConflict;
    return a.exists() ? Decision::kCopyAToB : Decision::kDeleteInB;
  }
  if (ReplacesDirectory(b, a)) return Decision::kConflict;
  return b.exists() ? Decision::kCopyBToA : Decision::kDeleteInA;
}

Side ConflictKeeper(const Entry& a, const Entry& b) {
  if (a.is_directory() != b.is_directory()) return a.is_directory() ? Side::kA : Side::kB;
  return b.mtime_ns > a.mtime_ns ? Side::kB : Side::kA;
}

const char* DecisionName(Decision d) {
  switch (d) {
    case Decision::kNothing: return "nothing";
    case Decision::kCopyAToB: return "copy A->B";
    case Decision::kCopyBToA: return "copy B->A";
    case Decision::kDeleteInA: return "delete in A";
    case Decision::kDeleteInB: return "delete in B";
    case Decision::kConflict: return "conflict";
    case Decision::kBringBackToA: return "bring back to A";
    case Decision::kBringBackToB: return "bring back to B";
  }
  return "?";
}

}  // namespace velqo::sync
