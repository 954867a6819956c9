#pragma once

#include <QString>
#include <memory>

#include "common/host/host.h"
#include "common/platform/platform.h"
#include "ui/logic/display_pacer.h"

class QTimer;

namespace velqo::ui {

class TFMain;
class ConfirmDialog;
class TFVelqoStat;

// The Host of the windowed program: boxes through the Prompter, the main
// window's controls, the confirmation dialogs and the status window. The
// windows are attached once they exist; until then only boxes are shown.
class QtHost : public Host {
 public:
  QtHost();
  ~QtHost() override;

  struct Windows {
    TFMain* main = nullptr;
    ConfirmDialog* conf = nullptr;
    ConfirmDialog* revc = nullptr;
    ConfirmDialog* del = nullptr;
    TFVelqoStat* stat = nullptr;
  };
  void Attach(const Windows& windows) { w_ = windows; }
  // The platform that turns the program's paths into host paths for the
  // file dialogs.
  void SetPlatform(Platform* fs) { fs_ = fs; }

  // What the Cancel buttons do: the run stops at its next check.
  void Cancel() { RequestCancel(); }
  // Passes of the event pump so far.
  long pumps() const { return pumps_; }
  // Shows at once what the run has set and not shown yet, and hides a
  // status window whose hiding was put off (the end of a run).
  void FlushDisplay();
  // States drawn so far: the status texts, progress and status window
  // files, each time the run's latest state was put on screen.
  long displays() const { return displays_; }

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

  // What the run has set and the window does not show yet.
  struct Pending {
    bool status = false;
    QString status_text;
    bool progress_max = false;
    int maximum = 0;
    bool progress = false;
    int position = 0;
    bool mode = false;
    QString mode_text;
    bool files = false;
    bool single = false;
    QString top_path, top_data, bottom_path, bottom_data;
  };
  void Changed();
  void ShowPending();
  void HideStatusNow();
  QTimer* Timer(std::unique_ptr<QTimer>& timer, void (QtHost::*fire)());
  void PutOffHide();

  QString HostFolder(std::string_view windows_dir) const;

  Windows w_;
  Platform* fs_ = nullptr;
  long pumps_ = 0;
  long displays_ = 0;
  bool wait_cursor_ = false;
  DisplayPacer pacer_;
  Pending pending_;
  std::unique_ptr<QTimer> display_timer_;
  std::unique_ptr<QTimer> hide_timer_;
  bool hide_pending_ = false;
};

}  // namespace velqo::ui
