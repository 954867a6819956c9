#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/host/run_flags.h"

namespace velqo {

enum class Icon { kNone, kWarning, kError, kInformation, kQuestion, kStop };
enum class Buttons { kOk, kOkCancel, kYesNo, kYesNoCancel };
// Message box answers carry the platform's values.
enum class Answer { kOk = 1, kCancel = 2, kYes = 6, kNo = 7 };

// Results of the confirmation dialogs.
enum ConfirmCode : int {
  mrOk = 1,
  mrCancel = 2,  // the dialog was closed from its frame
  mrCancelUpdate = 151,
  mrNextFile = 152,
  mrOkToAll = 153,
  mrDeletePair = 154,
  mrOkToAllDelete = 155,
  mrNextDirectory = 156,
};

// The one way the engine and the configuration code reach the user. The
// windowed program implements it with real windows, the console program with
// terminal prompts, and tests with a script that records every box.
class Host {
 public:
  Host() = default;
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;
  virtual ~Host() = default;

  // A modal message box; returns the button pressed.
  virtual Answer MessageBox(std::string_view text, std::string_view caption, Icon icon,
                            Buttons buttons) = 0;
  // A Yes/No question whose default button is No, for questions where
  // pressing Enter must not do the dangerous thing.
  virtual Answer AskDefaultNo(std::string_view text, std::string_view caption) {
    return MessageBox(text, caption, Icon::kQuestion, Buttons::kYesNo);
  }
  // The debug box: an information box with OK. Callers check debug mode
  // first (MBDebug), so a host shows every debug box it is given.
  virtual void DebugBox(std::string_view text, std::string_view caption) = 0;
  // A failure that an unattended run (JFDI) reports without a box, such as
  // a log that cannot be written. The console program prints it on standard
  // error; a window has nowhere to put it but its outcome.
  virtual void UnattendedNotice(std::string_view /*text*/) {}
  // A warning that fails nothing and asks nothing, such as a file a
  // one-way run leaves alone. The console program prints it on standard
  // error; a window keeps it to the log.
  virtual void Warning(std::string_view /*text*/) {}

  // One pass of the event pump. A Cancel pressed meanwhile calls RequestCancel.
  virtual void PumpEvents() = 0;

  // Main window: status bar, progress bar, buttons, cursor.
  virtual void SetStatusText(std::string_view text) = 0;
  virtual void SetProgressMax(int maximum) = 0;
  virtual void SetProgressPosition(int position) = 0;
  virtual void SetUpdateEnabled(bool enabled) = 0;
  virtual void SetCancelEnabled(bool enabled) = 0;
  // Shows (true) or restores (false) the wait cursor.
  virtual void SetWaitCursor(bool wait) = 0;

  // The three modal confirmation dialogs; each returns a ConfirmCode.
  virtual int ConfirmCopy(std::string_view path1, std::string_view path2, std::string_view data1,
                          std::string_view data2) = 0;
  virtual int ConfirmOlderCopy(std::string_view path1, std::string_view path2,
                               std::string_view data1, std::string_view data2) = 0;
  virtual int ConfirmDelete(std::string_view path, std::string_view data) = 0;

  // The modeless status window. Its Cancel calls RequestCancel.
  virtual void StatusShow() = 0;
  virtual void StatusHide() = 0;
  virtual void StatusSetMode(std::string_view mode) = 0;
  // Both panels: the top file (a copy's source) and the bottom file.
  virtual void StatusSetFiles(std::string_view top_path, std::string_view top_data,
                              std::string_view bottom_path, std::string_view bottom_data) = 0;
  // The top panel only; the bottom panel is hidden.
  virtual void StatusSetSingle(std::string_view path, std::string_view data) = 0;

  // Repositions directory tree 1 or 2 (DO1, DO2) at a directory and rebuilds it.
  virtual void SetTreeDirectory(int tree, std::string_view path) = 0;
  // Ends the application after the current handler returns.
  virtual void EndApplication() = 0;

  // File dialogs; false when cancelled. filter is "Description|*.ext".
  virtual bool SaveFileDialog(std::string_view title, std::string_view filter,
                              std::string_view start_dir, std::string* chosen) = 0;
  virtual bool OpenFileDialog(std::string_view title, std::string_view filter,
                              std::string_view start_dir, std::string* chosen) = 0;

  // The international settings test dialog: true on OK with the choices
  // (-1 where nothing was chosen).
  virtual bool AskIntlSettings(int* time_choice, int* date_choice) = 0;

  // The main window's texts.
  virtual std::string Dir1Text() = 0;  // EDir1
  virtual std::string Dir2Text() = 0;  // EDir2
  virtual void SetDir1Text(std::string_view text) = 0;
  virtual void SetDir2Text(std::string_view text) = 0;
  // The batch list (CBBatchFile) with its selected line (1-based, 0 none)
  // and the pair list (LBDirPairs) of the selected batch.
  virtual void SetBatchList(const std::vector<std::string>& batches, int selected) = 0;
  virtual void SetDirPairItems(const std::vector<std::string>& pairs) = 0;
  virtual std::vector<std::string> DirPairItems() = 0;

  // Connects the host's Cancel buttons to the run-wide flags.
  void BindFlags(RunFlags* flags) { flags_ = flags; }

 protected:
  // What the Cancel button and the status window's Cancel UpDate do.
  void RequestCancel() {
    if (flags_ != nullptr) {
      flags_->CancelRequested = 1;
      flags_->PairStopped = 1;
    }
  }

 private:
  RunFlags* flags_ = nullptr;
};

}  // namespace velqo
