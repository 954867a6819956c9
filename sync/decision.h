#pragma once

#include "sync/entry.h"

namespace velqo::sync {

// What a sync does with one path.
enum class Decision {
  kNothing,       // both sides agree (or neither holds it)
  kCopyAToB,      // A changed or made it; B did not touch it
  kCopyBToA,
  kDeleteInA,     // B deleted it; A still holds it as it was last synced
  kDeleteInB,
  kConflict,      // both sides changed it differently
  kBringBackToA,  // A deleted it while B changed it: the change wins
  kBringBackToB,
};

// Decides one path from what it was at the last sync (kind kNone when the
// state does not know it) and what each side holds now. Nothing that the
// state does not know as it is now is ever deleted: a deletion needs the
// other side to hold exactly what was synced last.
Decision Decide(const Entry& last, const Entry& a, const Entry& b);

enum class Side { kA, kB };

// Of a conflict, the side whose entry keeps the name on both sides: a
// directory over a file or link (its contents are merged, never set
// aside), else the newer; on equal times A.
Side ConflictKeeper(const Entry& a, const Entry& b);

// Whether the decision removes something from a side.
inline bool IsDeletion(Decision d) { return d == Decision::kDeleteInA || d == Decision::kDeleteInB; }

const char* DecisionName(Decision d);

}  // namespace velqo::sync
