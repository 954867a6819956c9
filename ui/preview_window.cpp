#include "ui/preview_window.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/logic/preview_texts.h"

namespace velqo::ui {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TFPreview::TFPreview(QWidget* parent) : QDialog(parent) {
  setObjectName("TFPreview");
  setWindowTitle("Preview Update");
  setModal(false);
  resize(640, 360);
  auto* layout = new QVBoxLayout(this);
  auto* title = new QLabel("What Update would do, in this order:", this);
  title->setObjectName("LPreviewTitle");
  layout->addWidget(title);
  summary_ = new QLabel(this);
  summary_->setObjectName("LPreviewSummary");
  summary_->setTextFormat(Qt::PlainText);
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  plan_ = new QListWidget(this);
  plan_->setObjectName("LBPreview");
  plan_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  notes_title_ = new QLabel("Questions and messages of the run:", this);
  notes_title_->setObjectName("LPreviewNotes");
  notes_ = new QListWidget(this);
  notes_->setObjectName("LBPreviewNotes");
  notes_->setMaximumHeight(90);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  QPushButton* close = buttons->button(QDialogButtonBox::Close);
  close->setObjectName("BBPreviewClose");
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(plan_, 1);
  layout->addWidget(summary_);
  layout->addWidget(notes_title_);
  layout->addWidget(notes_);
  layout->addWidget(buttons);
}

void TFPreview::ShowReport(const PreviewReport& report) {
  const PreviewTexts texts = PreviewTextsOf(report);
  plan_->clear();
  for (const std::string& line : texts.plan) plan_->addItem(Q(line));
  summary_->setText(Q(texts.summary));
  notes_->clear();
  for (const std::string& line : texts.notes) notes_->addItem(Q(line));
  notes_title_->setVisible(!texts.notes.empty());
  notes_->setVisible(!texts.notes.empty());
  show();
  raise();
  activateWindow();
}

}  // namespace velqo::ui
