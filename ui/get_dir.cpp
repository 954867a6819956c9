#include "ui/get_dir.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

#include "common/platform/platform_ops.h"
#include "ui/file_panel.h"
#include "ui/logic/drives.h"
#include "ui/tarquel_dir.h"

namespace velqo::ui {

TFGetDir::TFGetDir(AppState& s, QWidget* parent) : QDialog(parent), s_(s) {
  setObjectName("TFGetDir");
  setWindowTitle("Select Directory");
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  drives_ = new QComboBox(this);
  drives_->setObjectName("DCGetDir");
  for (const DriveEntry& drive : MappedDrives(s.fs)) {
    QString text = QString(QChar(drive.letter)) + ":";
    if (!drive.host_dir.empty()) text += "  " + QString::fromStdString(drive.host_dir);
    drives_->addItem(text, QChar(drive.letter));
  }
  tree_ = new TTarquelDir(s.fs, this);
  tree_->setObjectName("DOGetDir");
  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("BBOK");
  ok->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setObjectName("BBCancel");
  cancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
  connect(ok, &QPushButton::clicked, this, &TFGetDir::BBOKClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(drives_, &QComboBox::activated, this, [this](int) { DCGetDirChange(); });
  // The tree changes drive on its own too (the log directory on another
  // drive): the selector always names the drive the tree shows.
  connect(tree_, &TTarquelDir::changed, this, &TFGetDir::ShowTreeDrive);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tree_, 1);
  layout->addWidget(drives_);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel);
  layout->addLayout(row);
  // The selector starts on the working directory's drive and reports it.
  const std::string cwd = s.fs.CurrentDirectory();
  const int index = cwd.empty() ? -1 : drives_->findData(QChar(AsciiLower(cwd[0])));
  drives_->setCurrentIndex(index < 0 ? 0 : index);
  DCGetDirChange();
  CentreOnScreen(this, 320, 360);
}

void TFGetDir::DCGetDirChange() {
  const QVariant letter = drives_->currentData();
  if (letter.isValid()) (void)tree_->SetDriveLetter(static_cast<char>(letter.toChar().toLatin1()));
}

void TFGetDir::ShowTreeDrive() {
  const int index = drives_->findData(QChar(AsciiLower(tree_->DriveLetter())));
  if (index < 0 || index == drives_->currentIndex()) return;
  const QSignalBlocker block(drives_);
  drives_->setCurrentIndex(index);
}

void TFGetDir::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  const std::string_view log_dir = s_.opt.DefaultOptions.LogFilePath.view();
  if (!DirectoryExists(s_.fs, log_dir)) return;
  (void)tree_->ChangeDirectory(QString::fromStdString(std::string(log_dir)));
  tree_->Rebuild();
  s_.host.PumpEvents();
}

void TFGetDir::BBOKClick() {
  result_ = tree_->CurrentDirectory();
  accept();
}

bool TFGetDir::Pick(AppState& s, QWidget* parent, QString* chosen) {
  TFGetDir dialog(s, parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  *chosen = dialog.result_text();
  return true;
}

}  // namespace velqo::ui
