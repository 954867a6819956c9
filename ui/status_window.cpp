#include "ui/status_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/file_panel.h"
#include "ui/logic/texts.h"

namespace velqo::ui {

TFVelqoStat::TFVelqoStat(std::function<void()> on_cancel, QWidget* parent)
    : QDialog(parent), on_cancel_(std::move(on_cancel)) {
  setObjectName("TFVelqoStat");
  setWindowTitle("Velqo Status");
  setModal(false);
  // It reports; it never takes the keyboard or the menus from the main
  // window, however often a run shows it.
  setAttribute(Qt::WA_ShowWithoutActivating);
  auto* layout = new QVBoxLayout(this);
  top_ = new FilePanel(1, "Panel3", this);
  mode_ = CentredText("Is Being Copied To:", "LMode", this);
  bottom_ = new FilePanel(2, "Panel4", this);
  layout->addWidget(top_);
  layout->addWidget(mode_);
  layout->addWidget(bottom_);
  auto* cancel = new QPushButton("Cancel UpDate", this);
  cancel->setObjectName("BBCancelVelqo");
  cancel->setAutoDefault(false);
  connect(cancel, &QPushButton::clicked, this, &TFVelqoStat::CancelUpdate);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(cancel);
  row->addStretch();
  layout->addLayout(row);
}

void TFVelqoStat::ShowWindow(bool large_caption, const QFont& font) {
  const WindowSize size = kStatSize[large_caption ? 1 : 0];
  setFont(font);
  if (isVisible()) return;
  CentreOnScreen(this, size.width, size.height);
  show();
}

void TFVelqoStat::SetMode(const QString& mode) { mode_->setText(mode); }

void TFVelqoStat::SetFiles(const QString& top_path, const QString& top_data,
                           const QString& bottom_path, const QString& bottom_data) {
  top_->SetFile(top_path, top_data);
  bottom_->SetFile(bottom_path, bottom_data);
  bottom_->show();
}

void TFVelqoStat::SetSingle(const QString& path, const QString& details) {
  top_->SetFile(path, details);
  bottom_->hide();
}

void TFVelqoStat::CancelUpdate() {
  if (on_cancel_) on_cancel_();
  hide();
}

// Closing the window from its frame hides it; only its button cancels.
void TFVelqoStat::closeEvent(QCloseEvent* event) {
  event->accept();
  hide();
}

void TFVelqoStat::reject() { hide(); }

}  // namespace velqo::ui
