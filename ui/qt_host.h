#pragma once

#include "common/host/host.h"

namespace velqo::ui {

class TFMain;
class ConfirmDialog;
class TFVelqoStat;

// The Host of the windowed program: boxes through the Prompter, the main
// window's controls, the confirmation dialogs and the status window. The
// windows are attached once they exist; until then only boxes are shown.
class QtHost : public Host {
 public:
  struct Windows {
    TFMain* main = nullptr;
    ConfirmDialog* conf = nullptr;
    ConfirmDialog* revc = nullptr;
    ConfirmDialog* del = nullptr;
    TFVelqoStat* stat = nullptr;
  };
  void Attach(const Windows& windows) { w_ = windows; }

  // What the Cancel buttons do: the run stops at its next check.
  void Cancel() { RequestCancel(); }
  // Passes of the event pump so far.
  long pumps() const { return pumps_; }

  Answer MessageBox(std::string_view text, std::string_view caption, Icon icon,
                    Buttons buttons) override;
  void DebugBox(std::string_view text, std::string_view caption) override;
  void PumpEvents() override;

  void SetStatusText(std::string_view text) override;
  void SetProgressMax(int maximum) override;
  void SetProgressPosition(int position) override;
  void SetUpdateEnabled(bool enabled) override;
  void SetCancelEnabled(bool enabled) override;
  void SetWaitCursor(bool wait) override;

  int ConfirmCopy(std::string_view path1, std::string_view path2, std::string_view data1,
                  std::string_view data2) override;
  int ConfirmOlderCopy(std::string_view path1, std::string_view path2, std::string_view data1,
                       std::string_view data2) override;
  int ConfirmDelete(std::string_view path, std::string_view data) override;

  void StatusShow() override;
  void StatusHide() override;
  void StatusSetMode(std::string_view mode) override;
  void StatusSetFiles(std::string_view top_path, std::string_view top_data,
                      std::string_view bottom_path, std::string_view bottom_data) override;
  void StatusSetSingle(std::string_view path, std::string_view data) override;

  void SetTreeDirectory(int tree, std::string_view path) override;
  void EndApplication() override;

  bool SaveFileDialog(std::string_view title, std::string_view filter, std::string_view start_dir,
                      std::string* chosen) override;
  bool OpenFileDialog(std::string_view title, std::string_view filter, std::string_view start_dir,
                      std::string* chosen) override;
  bool AskIntlSettings(int* time_choice, int* date_choice) override;

  std::string Dir1Text() override;
  std::string Dir2Text() override;
  void SetDir1Text(std::string_view text) override;
  void SetDir2Text(std::string_view text) override;
  void SetBatchList(const std::vector<std::string>& batches, int selected) override;
  void SetDirPairItems(const std::vector<std::string>& pairs) override;
  std::vector<std::string> DirPairItems() override;

 private:
  int Confirm(ConfirmDialog* dialog, std::string_view path1, std::string_view data1,
              std::string_view path2, std::string_view data2);

  Windows w_;
  long pumps_ = 0;
  bool wait_cursor_ = false;
};

}  // namespace velqo::ui
