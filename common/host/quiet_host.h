#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/host/host.h"

namespace velqo {

// A host that shows nothing: every box gets its first button (OK or Yes),
// every confirmation OK, every file dialog is cancelled, and the main
// window's texts are kept as set. Hosts without windows (the console
// program, the benchmark driver) override only what they really show.
class QuietHost : public Host {
 public:
  Answer MessageBox(std::string_view, std::string_view, Icon, Buttons buttons) override {
    return buttons == Buttons::kYesNo || buttons == Buttons::kYesNoCancel ? Answer::kYes
                                                                          : Answer::kOk;
  }
  void DebugBox(std::string_view, std::string_view) override {}
  void PumpEvents() override {}

  void SetStatusText(std::string_view) override {}
  void SetProgressMax(int) override {}
  void SetProgressPosition(int) override {}
  void SetUpdateEnabled(bool) override {}
  void SetCancelEnabled(bool) override {}
  void SetWaitCursor(bool) override {}

  int ConfirmCopy(std::string_view, std::string_view, std::string_view, std::string_view) override {
    return mrOk;
  }
  int ConfirmOlderCopy(std::string_view, std::string_view, std::string_view,
                       std::string_view) override {
    return mrOk;
  }
  int ConfirmDelete(std::string_view, std::string_view) override { return mrOk; }

  void StatusShow() override {}
  void StatusHide() override {}
  void StatusSetMode(std::string_view) override {}
  void StatusSetFiles(std::string_view, std::string_view, std::string_view,
                      std::string_view) override {}
  void StatusSetSingle(std::string_view, std::string_view) override {}

  void SetTreeDirectory(int, std::string_view) override {}
  void EndApplication() override {}

  bool SaveFileDialog(std::string_view, std::string_view, std::string_view,
                      std::string*) override {
    return false;
  }
  bool OpenFileDialog(std::string_view, std::string_view, std::string_view,
                      std::string*) override {
    return false;
  }
  bool AskIntlSettings(int*, int*) override { return false; }

  std::string Dir1Text() override { return dir1_; }
  std::string Dir2Text() override { return dir2_; }
  void SetDir1Text(std::string_view text) override { dir1_ = text; }
  void SetDir2Text(std::string_view text) override { dir2_ = text; }
  void SetBatchList(const std::vector<std::string>&, int) override {}
  void SetDirPairItems(const std::vector<std::string>& pairs) override { pairs_ = pairs; }
  std::vector<std::string> DirPairItems() override { return pairs_; }

 private:
  std::string dir1_;
  std::string dir2_;
  std::vector<std::string> pairs_;
};

}  // namespace velqo
