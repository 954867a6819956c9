#include "ui/velqo_app.h"

#include <QApplication>
#include <QIcon>

#include "ui/confirm_dialogs.h"
#include "ui/logic/texts.h"
#include "ui/main_window.h"
#include "ui/options_dialog.h"
#include "ui/status_window.h"

// Resources of a static library are registered by hand.
static void InitResources() { Q_INIT_RESOURCE(velqo); }

namespace velqo::ui {

VelqoApp::VelqoApp(const PlatformConfig& config, std::vector<std::string> args)
    : fs_(NewPosixPlatform(config)), args_(std::move(args)) {
  state_ = std::make_unique<AppState>(*fs_, host_);
  host_.SetPlatform(fs_.get());
  // A long copy reports its progress; each report is a chance to repaint
  // and to notice Cancel.
  fs_->SetCopyProgress([this](std::uint64_t, std::uint64_t) { host_.PumpEvents(); });
}

VelqoApp::~VelqoApp() {
  fs_->SetCopyProgress({});
  main_.reset();
}

bool VelqoApp::Create() {
  QApplication::setApplicationName(QString::fromUtf8(kAppTitle.data(), static_cast<int>(kAppTitle.size())));
  QApplication::setApplicationDisplayName(QString());
  InitResources();
  QApplication::setWindowIcon(QIcon(":/velqo/velqo.svg"));
  main_ = std::make_unique<TFMain>(*state_, host_);
  creation_order_.push_back(main_->objectName());
  host_.Attach({main_.get()});
  if (!main_->FormCreate(args_)) return false;
  options_ = new TFOptionsDlg(*state_, *main_);
  creation_order_.push_back(options_->objectName());
  main_->SetOptionsDialog([this] { return options_->Execute(); });
  stat_ = new TFVelqoStat([this] { host_.Cancel(); }, main_.get());
  conf_ = new ConfirmDialog(ConfDesign(), main_.get());
  revc_ = new ConfirmDialog(RevCDesign(), main_.get());
  del_ = new ConfirmDialog(DelDesign(), main_.get());
  for (QWidget* w : std::initializer_list<QWidget*>{stat_, conf_, revc_, del_}) {
    creation_order_.push_back(w->objectName());
  }
  host_.Attach({main_.get(), conf_, revc_, del_, stat_});
  return true;
}

void VelqoApp::ShowRunningWindow() {
  if (main_ == nullptr) return;
  if (main_->isMinimized()) {
    main_->showNormal();
  } else {
    main_->show();
    main_->raise();
    main_->activateWindow();
  }
}

}  // namespace velqo::ui
