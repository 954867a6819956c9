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
// reports failures (unless JFDI) and logs the entry.
void CopyOneFile(AppState& s, std::string_view source, std::string_view target, int kind);

// Renames a file about to be replaced to its backup name; side 0 is a Dir 1
// file, 1 a Dir 2 file.
void BackupFile(AppState& s, std::string_view path, int side);

// The backup path of a file (REPORT.TXT -> REPORT.~TX); false when the file
// gets no backup (.BAK, an extension starting with "~").
bool BackupPathFor(std::string_view path, std::string* backup);

}  // namespace velqo
