#pragma once

#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "common/posix/posix_platform.h"
#include "config/app_state.h"
#include "ui/qt_host.h"

namespace velqo::ui {

class TFMain;
class ConfirmDialog;
class TFVelqoStat;
class TFOptionsDlg;

// The windowed program after its single-instance check: the platform, the
// host, the program state and the windows, created in their fixed order.
class VelqoApp {
 public:
  VelqoApp(const PlatformConfig& config, std::vector<std::string> args);
  ~VelqoApp();
  VelqoApp(const VelqoApp&) = delete;
  VelqoApp& operator=(const VelqoApp&) = delete;

  // Sets the application title, creates the main window (which reads the
  // configuration) and then the dialogs. False when the configuration
  // could not be read (no Windows directory): exit with code 1.
  bool Create();
  // Brings the window to the front: restored when minimised, else raised.
  void ShowRunningWindow();

  TFMain* main() const { return main_.get(); }
  AppState& state() { return *state_; }
  QtHost& host() { return host_; }
  ConfirmDialog* conf() const { return conf_; }
  ConfirmDialog* revc() const { return revc_; }
  ConfirmDialog* del() const { return del_; }
  TFVelqoStat* stat() const { return stat_; }
  TFOptionsDlg* options() const { return options_; }
  // The object names of the windows in the order they were created.
  const std::vector<QString>& creation_order() const { return creation_order_; }

 private:
  std::unique_ptr<Platform> fs_;
  QtHost host_;
  std::unique_ptr<AppState> state_;
  std::vector<std::string> args_;
  std::unique_ptr<TFMain> main_;
  ConfirmDialog* conf_ = nullptr;
  ConfirmDialog* revc_ = nullptr;
  ConfirmDialog* del_ = nullptr;
  TFVelqoStat* stat_ = nullptr;
  TFOptionsDlg* options_ = nullptr;
  std::vector<QString> creation_order_;
};

}  // namespace velqo::ui
