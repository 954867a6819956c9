#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "config/batches.h"
#include "config/ini_writers.h"
#include "config/typed_path.h"
#include "engine/preview_run.h"
#include "engine/update_run.h"
#include "ui/main_window.h"
#include "ui/preview_window.h"
#include "ui/prompter.h"
#include "ui/qt_host.h"
#include "ui/tarquel_dir.h"

namespace velqo::ui {

namespace {

constexpr int kShowOptionsAgain = 15;

char DriveOf(const QComboBox* selector) {
  const QVariant letter = selector->currentData();
  return letter.isValid() ? static_cast<char>(letter.toChar().toLatin1()) : 0;
}

// A host path typed in an edit field is taken in its Windows form, so the
// options dialog finds Dir 1's OPTIONS.UPD. Longer texts are refused by the
// run itself; the stored path then stays.
void TakeIntoPath(Platform& fs, const QString& text, PathText* path) {
  const std::string typed = text.toStdString();
  (void)path->Assign(TypedPathToWindows(fs, typed).value_or(typed));
}

}  // namespace

void TFMain::BeginRun() {
  running_ = true;
  SetRunningMenus(true);
  if (!bb_cancel_->isHidden()) bb_cancel_->setEnabled(true);
  bb_update_->setEnabled(false);
  bb_preview_->setEnabled(false);
  Pump();
}

void TFMain::EndRun() {
  running_ = false;
  host_.FlushDisplay();
  SetRunningMenus(false);
}

void TFMain::BBUpdateClick() {
  if (running_) return;
  // A plan still shown would speak of files this run is about to change.
  if (preview_ != nullptr) preview_->hide();
  BeginRun();
  // The run repositions the trees itself when it went through.
  RunUpdate(s_);
  EndRun();
  if (end_requested_) {
    hide();
    quit_();
    return;
  }
  if (close_pending_) close();
}

// The preview's run shows no box and leaves the trees, the status bar and
// the buttons to the window, so the window puts them back itself.
void TFMain::BBPreviewClick() {
  if (running_) return;
  BeginRun();
  const PreviewReport report = PreviewUpdate(s_);
  EndRun();
  bb_update_->setEnabled(true);
  bb_preview_->setEnabled(true);
  bb_cancel_->setEnabled(false);
  if (close_pending_) {
    close();
    return;
  }
  if (preview_ == nullptr) preview_ = new TFPreview(this);
  preview_->ShowReport(report);
}

void TFMain::BBMCancelClick() { host_.Cancel(); }

// Closing while a run goes on stops the run first; the window closes
// when the run has returned, so nothing is torn down under it.
void TFMain::closeEvent(QCloseEvent* event) {
  if (running_) {
    close_pending_ = true;
    BBMCancelClick();
    event->ignore();
    return;
  }
  if (!end_requested_) FormClose();
  event->accept();
}

void TFMain::FormClose() {
  const QRect screen = this->screen() != nullptr ? this->screen()->geometry() : QRect(0, 0, 0, 0);
  const ScreenRect frame = LiveFrame();
  WindowGeometry live;
  live.left = frame.left;
  live.top = frame.top;
  live.width = frame.width;
  live.height = frame.height;
  WriteOnClose(s_, live, screen.width(), screen.height());
}

void TFMain::DO1DblClick() {
  edir1_->setText(do1_->CurrentDirectory());
  if (s_.opt.ActiveOptions.UseDir1 == 1) {
    edir2_->setText(QString::fromStdString(StructurePath(DriveOf(dc2_), edir1_->text().toStdString())));
  }
}

void TFMain::DO2DblClick() { edir2_->setText(do2_->CurrentDirectory()); }

void TFMain::DC1Change() { SwitchTreeDrive(do1_, DriveOf(dc1_)); }

void TFMain::DC2Change() {
  if (s_.opt.ActiveOptions.UseDir1 == 1) {
    edir2_->setText(QString::fromStdString(StructurePath(DriveOf(dc2_), edir1_->text().toStdString())));
    return;
  }
  SwitchTreeDrive(do2_, DriveOf(dc2_));
}

void TFMain::SwitchTreeDrive(TTarquelDir* tree, char letter) {
  const Status st = tree->SetDriveLetter(letter);
  if (st.ok()) return;
  // A disk unplugged since the list was made.
  Prompter::Message(this,
                    QString("Drive %1: Cannot Be Read - %2").arg(QChar(letter)).arg(QString::fromStdString(st.ToString())),
                    "Error", Icon::kWarning, Buttons::kOk);
}

void TFMain::CBBatchFileChange(int index) { SelectBatch(s_, index + 1); }

void TFMain::SetTreeDirectory(int tree, const QString& path) {
  TTarquelDir* target = tree == 1 ? do1_ : do2_;
  (void)target->ChangeDirectory(path);
  target->Rebuild();
}

void TFMain::ReloadTrees(const OptionSet& options) {
  const TreeSwitches switches = SwitchesOf(options);
  do1_->SetSwitches(switches);
  do2_->SetSwitches(switches);
  SetTreeDirectory(1, QString::fromStdString(s_.Path1.str()));
  Pump();
  if (options.UseDir1 == 1) return;
  SetTreeDirectory(2, QString::fromStdString(s_.Path2.str()));
  Pump();
}

void TFMain::Options1Click() {
  if (!options_dialog_ || running_) return;
  TakeIntoPath(s_.fs, edir1_->text(), &s_.Path1);
  TakeIntoPath(s_.fs, edir2_->text(), &s_.Path2);
  if (options_dialog_() == kShowOptionsAgain) options_dialog_();
  if (s_.opt.ActiveOptions.UseBatchFile == 0) ReloadTrees(s_.opt.ActiveOptions);
}

}  // namespace velqo::ui
