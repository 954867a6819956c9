#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>

#include "config/startup.h"
#include "ui/logic/layout_rules.h"
#include "ui/logic/texts.h"
#include "ui/qt_host.h"
#include "ui/tarquel_dir.h"

namespace velqo::ui {

// The title bar's height before the window manager has framed a window:
// the style's figure, which follows the desktop's font and scale factor.
int TFMain::EstimatedCaptionHeight() {
  return QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
}

TFMain::TFMain(AppState& s, QtHost& host) : s_(s), host_(host) {
  setObjectName("FMain");
  quit_ = [] { QCoreApplication::exit(0); };
  // Resizable and minimisable, without a maximise box.
  setWindowFlag(Qt::WindowMaximizeButtonHint, false);
  // The tool buttons carry no text, only their hints: those show whether
  // or not the window has the focus (the status window, another program,
  // or no window manager to give it at all), as long as ShowHints is on.
  setAttribute(Qt::WA_AlwaysShowToolTips);
  BuildControls();
  BuildMenus();
}

TFMain::~TFMain() = default;

bool TFMain::FormCreate(const std::vector<std::string>& args) {
  SetLargeCaption(EstimatedCaptionHeight() >= kLargeCaptionHeight);
  setWindowTitle(QString::fromUtf8(kProductTitle.data(), static_cast<int>(kProductTitle.size())));
  return StartConfiguration(s_, args);
}

void TFMain::SetLargeCaption(bool large) {
  large_caption_ = large;
  const MinimumSize minimum = MainMinimumSize(large);
  setMinimumSize(minimum.width, minimum.height);
  PlaceFixedControls();
  FormResize();
}

void TFMain::SetOptionsDialog(std::function<int()> show) {
  options_dialog_ = std::move(show);
  if (QAction* item = action("Options1")) item->setEnabled(static_cast<bool>(options_dialog_));
}

QAction* TFMain::action(const QString& object_name) const {
  const auto found = actions_.find(object_name);
  return found == actions_.end() ? nullptr : found->second;
}

void TFMain::SetStatusText(const QString& text) { status_text_->setText(text); }
void TFMain::SetProgressMax(int maximum) { pb1_->setMaximum(maximum > 0 ? maximum : 1); }
void TFMain::SetProgressPosition(int position) { pb1_->setValue(position); }
void TFMain::SetUpdateEnabled(bool enabled) {
  bb_update_->setEnabled(enabled);
  bb_preview_->setEnabled(enabled);
}
void TFMain::SetCancelEnabled(bool enabled) { bb_cancel_->setEnabled(enabled); }

QString TFMain::Dir1Text() const { return edir1_->text(); }
QString TFMain::Dir2Text() const { return edir2_->text(); }
void TFMain::SetDir1Text(const QString& text) { edir1_->setText(text); }
void TFMain::SetDir2Text(const QString& text) { edir2_->setText(text); }

void TFMain::SetBatchList(const std::vector<std::string>& batches, int selected) {
  const QSignalBlocker block(cb_batch_);
  cb_batch_->clear();
  for (const std::string& line : batches) cb_batch_->addItem(QString::fromStdString(line));
  cb_batch_->setCurrentIndex(selected - 1);
}

void TFMain::SetDirPairItems(const std::vector<std::string>& pairs) {
  lb_pairs_->clear();
  for (const std::string& pair : pairs) lb_pairs_->addItem(QString::fromStdString(pair));
}

std::vector<std::string> TFMain::DirPairItems() const {
  std::vector<std::string> pairs;
  for (int i = 0; i < lb_pairs_->count(); ++i) pairs.push_back(lb_pairs_->item(i)->text().toStdString());
  return pairs;
}

}  // namespace velqo::ui
