#include "actions/dialogs.h"

namespace velqo {

void ConfirmCopy(AppState& s, std::string_view path1, std::string_view path2,
                 std::string_view data1, std::string_view data2) {
  s.ConfirmResult = s.host.ConfirmCopy(path1, path2, data1, data2);
}

void ConfirmOlderCopy(AppState& s, std::string_view path1, std::string_view path2,
                      std::string_view data1, std::string_view data2) {
  s.ConfirmResult = s.host.ConfirmOlderCopy(path1, path2, data1, data2);
}

void ConfirmDelete(AppState& s, std::string_view path, std::string_view data) {
  s.ConfirmResult = s.host.ConfirmDelete(path, data);
}

// Every status operation ends with one pump, so the window repaints at once
// and its Cancel UpDate can be pressed.

void StatusShow(AppState& s, std::string_view mode) {
  s.host.StatusSetMode(mode);
  s.host.StatusShow();
  s.host.PumpEvents();
}

void StatusHide(AppState& s) {
  s.host.StatusHide();
  s.host.PumpEvents();
}

void ShowCopyPair(AppState& s, int kind) {
  // The source is always on top: the Dir 2 file for copies towards Dir 1.
  if (kind == 1 || kind == 3) {
    s.host.StatusSetFiles(s.File2Path.view(), s.File2Data.view(), s.File1Path.view(),
                          s.File1Data.view());
  } else {
    s.host.StatusSetFiles(s.File1Path.view(), s.File1Data.view(), s.File2Path.view(),
                          s.File2Data.view());
  }
  s.host.PumpEvents();
}

void ShowBackupPair(AppState& s, std::string_view file, std::string_view backup, int side) {
  const std::string_view data = side != 0 ? s.File2Data.view() : s.File1Data.view();
  s.host.StatusSetFiles(file, data, backup, data);
  s.host.PumpEvents();
}

void ShowSingleFile(AppState& s, int side) {
  if (side != 0) {
    s.host.StatusSetSingle(s.File1Path.view(), s.File1Data.view());
  } else {
    s.host.StatusSetSingle(s.File2Path.view(), s.File2Data.view());
  }
  s.host.PumpEvents();
}

}  // namespace velqo
