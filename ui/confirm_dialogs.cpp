#include "ui/confirm_dialogs.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/host/host.h"
#include "ui/file_panel.h"

namespace velqo::ui {

ConfirmDialog::Design ConfDesign() {
  return {"TFVelqoConf",
          "Velqo Confirmation",
          "Will Be Copied To:",
          "",
          true,
          kConfSize,
          {{"OK", "BBOK", mrOk},
           {"OK To &All", "BBOkToAll", mrOkToAll},
           {"&Next File", "BBNextFile", mrNextFile},
           {"Next &Directory", "BBNextDir", mrNextDirectory},
           {"Delete Pair", "BBDeletePair", mrDeletePair},
           {"&Cancel UpDate", "BBCancelUpdate", mrCancelUpdate}}};
}

ConfirmDialog::Design RevCDesign() {
  return {"TFVelqoRevC",
          "Velqo CleanUp Confirmation",
          "Is Older Than File:",
          "But Will Be Used To Replace It - ARE YOU SURE?",
          true,
          kRevCSize,
          {{"OK", "BBOK", mrOk},
           {"OK To All", "BBOkToAll", mrOkToAll},
           {"Next File", "BBNextFile", mrNextFile},
           {"Next Directory", "BBNextDir", mrNextDirectory},
           {"Cancel CleanUp", "BBCancelUpdate", mrCancelUpdate}}};
}

ConfirmDialog::Design DelDesign() {
  return {"TFVelqoDel",
          "Velqo Delete Confirmation",
          "Will Be DELETED - Are You Sure??",
          "",
          false,
          kDelSize,
          {{"OK", "BBOK", mrOk},
           {"OK To All", "BBOkToAll", mrOkToAllDelete},
           {"Next File", "BBNextFile", mrNextFile},
           {"Next Directory", "BBNextDir", mrNextDirectory},
           {"Cancel CleanUp", "BBCancelUpdate", mrCancelUpdate}}};
}

ConfirmDialog::ConfirmDialog(const Design& design, QWidget* parent)
    : QDialog(parent), design_(design) {
  setObjectName(design.class_name);
  setWindowTitle(design.caption);
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  top_ = new FilePanel(1, "Panel3", this);
  layout->addWidget(top_);
  layout->addWidget(CentredText(design.middle_text, "LMiddle", this));
  if (design.two_files) {
    bottom_ = new FilePanel(2, "Panel4", this);
    layout->addWidget(bottom_);
  }
  if (design.bottom_text[0] != '\0') layout->addWidget(CentredText(design.bottom_text, "LBottom", this));
  auto* row = new QHBoxLayout;
  for (const ConfirmButton& b : design.buttons) {
    auto* button = new QPushButton(QString::fromUtf8(b.caption), this);
    button->setObjectName(b.object_name);
    button->setAutoDefault(false);
    const int result = b.result;
    connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
    row->addWidget(button);
    if (result == mrOk) button->setDefault(true);
  }
  layout->addLayout(row);
}

int ConfirmDialog::Ask(const QString& path1, const QString& data1, const QString& path2,
                       const QString& data2, bool large_caption, const QFont& font) {
  size_ = design_.sizes[large_caption ? 1 : 0];
  setFont(font);
  top_->SetFile(path1, data1);
  if (bottom_ != nullptr) bottom_->SetFile(path2, data2);
  QApplication::processEvents();
  return exec();
}

// A window that was shown before comes back at its old size unless it is
// sized as it shows.
void ConfirmDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CentreOnScreen(this, size_.width, size_.height);
}

void ConfirmDialog::reject() { done(mrCancel); }

}  // namespace velqo::ui
