#pragma once

#include <string_view>

#include "config/app_state.h"

namespace velqo {

// The confirmation dialogs: each shows its dialog through the host and
// stores the answer in ConfirmResult.
void ConfirmCopy(AppState& s, std::string_view path1, std::string_view path2,
                 std::string_view data1, std::string_view data2);
void ConfirmOlderCopy(AppState& s, std::string_view path1, std::string_view path2,
                      std::string_view data1, std::string_view data2);
void ConfirmDelete(AppState& s, std::string_view path, std::string_view data);

// The status window. Each operation ends with one pass of the event pump.
void StatusShow(AppState& s, std::string_view mode);
void StatusHide(AppState& s);
// Both files of a copy, the source on top (File2 on top for kinds 1 and 3).
void ShowCopyPair(AppState& s, int kind);
// A file and its backup path; both information labels show File1Data (side
// 0) or File2Data (side 1).
void ShowBackupPair(AppState& s, std::string_view file, std::string_view backup, int side);
// One file: File1Path/File1Data when side is non-zero, else File2Path/File2Data.
void ShowSingleFile(AppState& s, int side);

}  // namespace velqo
