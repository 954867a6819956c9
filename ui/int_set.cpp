#include "ui/int_set.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

#include "ui/file_panel.h"

namespace velqo::ui {

namespace {

QButtonGroup* RadioGroup(QDialog* dialog, QHBoxLayout* row, const char* name, const QString& caption,
                         const QStringList& items) {
  auto* box = new QGroupBox(caption, dialog);
  box->setObjectName(name);
  auto* layout = new QVBoxLayout(box);
  auto* group = new QButtonGroup(box);
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], box);
    button->setObjectName(QString(name) + QString::number(i));
    group->addButton(button, i);
    layout->addWidget(button);
  }
  row->addWidget(box);
  return group;
}

}  // namespace

TFIntSet::TFIntSet(QWidget* parent) : QDialog(parent) {
  setObjectName("TFIntSet");
  setWindowTitle("Test Settings For International");
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  time_ = RadioGroup(this, row, "RiTime", "iTime", {"12 hr time", "24 hr time"});
  date_ = RadioGroup(this, row, "RiDate", "iDate", {"mmddyy", "ddmmyy", "yymmdd"});
  layout->addLayout(row);
  auto* ok = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), "OK", this);
  ok->setObjectName("BitBtn1");
  ok->setDefault(true);
  auto* cancel = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "Cancel", this);
  cancel->setObjectName("BitBtn2");
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  CentreOnScreen(this, 300, 170);
}

int TFIntSet::time_choice() const { return time_->checkedId(); }
int TFIntSet::date_choice() const { return date_->checkedId(); }

bool TFIntSet::Ask(QWidget* parent, int* time_choice, int* date_choice) {
  TFIntSet dialog(parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  *time_choice = dialog.time_choice();
  *date_choice = dialog.date_choice();
  return true;
}

}  // namespace velqo::ui
