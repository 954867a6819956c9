#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "common/host/host.h"

namespace velqo::testing {

// One thing the host was asked to show.
struct ShownBox {
  enum class Kind { kMessage, kDebug, kConfirmCopy, kConfirmOlderCopy, kConfirmDelete, kIntl };
  Kind kind = Kind::kMessage;
  std::string caption;
  std::string text;   // for confirmations: path1 "|" path2
  Icon icon = Icon::kNone;
  Buttons buttons = Buttons::kOk;
  int answer = 0;     // what the script answered
};

// A host for tests: answers from a queue and records every box it was shown
// (caption, text, icon, buttons) and every status and progress call, so a
// test can assert exact texts. With the queue empty a message box gets its
// first button (OK or Yes) and a confirmation gets mrOk; both are recorded
// as unscripted so a test can insist that nothing was asked unexpectedly.
class ScriptedHost : public Host {
 public:
  // Queues the answer of the next message box or confirmation dialog.
  void Answer(velqo::Answer answer) { answers_.push_back(static_cast<int>(answer)); }
  void AnswerConfirm(int code) { answers_.push_back(code); }
  // Presses Cancel (CancelRequested and PairStopped) at the n-th event pump from now.
  void CancelAtPump(int n) { cancel_at_pump_ = pumps_ + n; }

  velqo::Answer MessageBox(std::string_view text, std::string_view caption, Icon icon,
                           Buttons buttons) override;
  void DebugBox(std::string_view text, std::string_view caption) override;
  void UnattendedNotice(std::string_view text) override { notices.emplace_back(text); }
  void Warning(std::string_view text) override { warnings.emplace_back(text); }
  void PumpEvents() override;

  void SetStatusText(std::string_view text) override { status_texts.emplace_back(text); }
  void SetProgressMax(int maximum) override { progress_max = maximum; }
  void SetProgressPosition(int position) override { progress_positions.push_back(position); }
  void SetUpdateEnabled(bool enabled) override { update_enabled = enabled; }
  void SetCancelEnabled(bool enabled) override { cancel_enabled = enabled; }
  void SetWaitCursor(bool wait) override { wait_cursor = wait; }

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
  void EndApplication() override { end_requested = true; }

  bool SaveFileDialog(std::string_view title, std::string_view filter, std::string_view start_dir,
                      std::string* chosen) override;
  bool OpenFileDialog(std::string_view title, std::string_view filter, std::string_view start_dir,
                      std::string* chosen) override;
  bool AskIntlSettings(int* time_choice, int* date_choice) override;

  std::string Dir1Text() override { return dir1; }
  std::string Dir2Text() override { return dir2; }
  void SetDir1Text(std::string_view text) override { dir1 = text; }
  void SetDir2Text(std::string_view text) override { dir2 = text; }
  void SetBatchList(const std::vector<std::string>& batches, int selected) override {
    batch_list = batches;
    batch_selected = selected;
  }
  void SetDirPairItems(const std::vector<std::string>& pairs) override { dir_pairs = pairs; }
  std::vector<std::string> DirPairItems() override { return dir_pairs; }

  // Boxes of kind kMessage only, and their captions / texts.
  std::vector<ShownBox> Messages() const;
  std::vector<std::string> MessageTexts() const;
  std::vector<std::string> Captions() const;
  bool Shown(std::string_view text) const;          // any box with exactly this text
  bool ShownContaining(std::string_view part) const;

  // Everything recorded.
  std::vector<ShownBox> boxes;
  std::vector<std::string> notices;          // unattended notices, without a box
  std::vector<std::string> warnings;         // warnings that fail nothing
  std::vector<std::string> status_texts;     // status bar
  std::vector<std::string> status_window;    // "show", "hide", "mode:...", "files:top|bottom", "single:path"
  std::vector<std::string> tree_moves;       // "1:path"
  std::vector<int> progress_positions;
  int progress_max = 0;
  bool update_enabled = true;
  bool cancel_enabled = false;
  bool wait_cursor = false;
  bool end_requested = false;
  int unscripted = 0;
  int pumps() const { return pumps_; }

  // Inputs for the main window's texts and the dialogs.
  std::string dir1;
  std::string dir2;
  std::vector<std::string> dir_pairs;
  std::vector<std::string> batch_list;
  int batch_selected = 0;
  std::deque<std::string> save_dialog_answers;  // empty string: cancel
  std::deque<std::string> open_dialog_answers;
  bool intl_ok = false;
  int intl_time = -1;
  int intl_date = -1;

 private:
  int NextAnswer(int fallback);
  int Confirm(ShownBox::Kind kind, std::string_view path1, std::string_view path2);

  std::deque<int> answers_;
  int pumps_ = 0;
  int cancel_at_pump_ = -1;
};

}  // namespace velqo::testing
