#pragma once

#include <string>
#include <string_view>

#include "config/app_state.h"

namespace velqo {

// The direction of a copy.
enum CopyKind : int {
  kCopy1Over2 = 0,   // Dir 1 file replaces the Dir 2 file
  kCopy2Over1 = 1,   // Dir 2 file replaces the Dir 1 file
  kCopyAdd1To2 = 2,  // file only in Dir 1, added to Dir 2
  kCopyAdd2To1 = 3,  // file only in Dir 2, added to Dir 1
};

// Copies source over or beside target, settles the target's attributes,
// reports failures (unless JFDI) and logs the entry. With backup, a file
// replaced (kinds 0 and 1) keeps its present data under its backup name,
// made in the same step as the copy: a copy that is declined, fails or is
// interrupted leaves both the target and an earlier backup as they were.
// A backup that cannot be made ("Cannot Back Up File") leaves the target
// unreplaced. The backup's entry is logged before the copy's.
void CopyOneFile(AppState& s, std::string_view source, std::string_view target, int kind, bool backup = false);

// The backup path of a file (REPORT.TXT -> REPORT.~TX); false when the file
// gets no backup (.BAK, an extension starting with "~").
bool BackupPathFor(std::string_view path, std::string* backup);

}  // namespace velqo
