#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/logic/drives.h"
#include "ui/logic/layout_rules.h"
#include "ui/logic/texts.h"
#include "ui/main_window.h"
#include "ui/tarquel_dir.h"

namespace velqo::ui {

namespace {

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

QToolButton* ToolButton(const char* name, QStyle::StandardPixmap icon, const char* hint, QWidget* parent) {
  auto* button = Named(new QToolButton(parent), name);
  button->setIcon(parent->style()->standardIcon(icon));
  button->setToolTip(hint);
  button->setAutoRaise(true);
  return button;
}

// Places of the controls the layout rules do not size, for the normal and
// the large set of constants.
struct FixedPlaces {
  int label_left, edit_left, edit1_top, edit2_top, edit_height;
  int column_title_top, tree_left, tree_top, drive_height;
  int batch_label_left, batch_combo_left, pairs_title_top, pairs_top;
  int update_left, update_top, update_height, bottom_height;
};
constexpr FixedPlaces kPlaces[2] = {
    {8, 64, 6, 34, 22, 62, 12, 80, 22, 12, 93, 38, 56, 12, 6, 28, 40},
    {10, 78, 8, 42, 26, 76, 14, 96, 26, 15, 111, 46, 70, 15, 7, 32, 46},
};

}  // namespace

void TFMain::BuildControls() {
  auto* central = new QWidget(this);
  central->setObjectName("PMain");
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(BuildTopBar());
  layout->addWidget(BuildDirectoryPanel(), 1);
  layout->addWidget(BuildBatchPanel(), 1);
  layout->addWidget(BuildBottomBar());
  setCentralWidget(central);
  statusBar()->setObjectName("StatusBar1");
  statusBar()->setSizeGripEnabled(true);
  status_text_ = Named(new QLabel(statusBar()), "StatusText");
  status_text_->setTextFormat(Qt::PlainText);
  statusBar()->addWidget(status_text_, 1);
  batch_panel_->hide();
  PlaceFixedControls();
}

QWidget* TFMain::BuildTopBar() {
  top_bar_ = Named(new QWidget(this), "PTop");
  top_bar_->setProperty("helpContext", kHelpTopBar);
  auto* row = new QHBoxLayout(top_bar_);
  row->setContentsMargins(6, 4, 6, 4);
  sb_ini_edit_ = ToolButton("SBIniEdit", QStyle::SP_FileDialogDetailedView, "Edit WinVelqo.INI", top_bar_);
  sb_view_log_ = ToolButton("SBViewLog", QStyle::SP_FileDialogContentsView, "View Log File", top_bar_);
  sb_clear_log_ = ToolButton("SBClearLog", QStyle::SP_DialogDiscardButton, "Clear Current Log File", top_bar_);
  connect(sb_ini_edit_, &QToolButton::clicked, this, &TFMain::SpeedButton6Click);
  connect(sb_view_log_, &QToolButton::clicked, this, &TFMain::SBViewLogClick);
  connect(sb_clear_log_, &QToolButton::clicked, this, &TFMain::SBClearLogClick);
  for (QToolButton* tool : {sb_ini_edit_, sb_view_log_, sb_clear_log_}) row->addWidget(tool);
  pb1_ = Named(new QProgressBar(top_bar_), "PB1");
  pb1_->setRange(0, 1);
  pb1_->setValue(0);
  pb1_->setTextVisible(false);
  row->addWidget(pb1_, 1);
  bb_cancel_ = Named(new QPushButton("Cancel", top_bar_), "BBMCancel");
  bb_cancel_->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
  bb_cancel_->setEnabled(false);
  connect(bb_cancel_, &QPushButton::clicked, this, &TFMain::BBMCancelClick);
  row->addWidget(bb_cancel_);
  return top_bar_;
}

QWidget* TFMain::BuildDirectoryPanel() {
  dir_panel_ = Named(new QWidget(this), "PDirs");
  dir_panel_->installEventFilter(this);
  ldir1_ = Named(new QLabel("Dir 1:", dir_panel_), "LDir1");
  ldir2_ = Named(new QLabel("Dir 2:", dir_panel_), "LDir2");
  edir1_ = Named(new QLineEdit(dir_panel_), "EDir1");
  edir2_ = Named(new QLineEdit(dir_panel_), "EDir2");
  ld1_ = Named(new QLabel("Directories", dir_panel_), "LD1");
  ld2_ = Named(new QLabel("Directories", dir_panel_), "LD2");
  do1_ = Named(new TTarquelDir(s_.fs, dir_panel_), "DO1");
  do2_ = Named(new TTarquelDir(s_.fs, dir_panel_), "DO2");
  dc1_ = Named(new QComboBox(dir_panel_), "DC1");
  dc2_ = Named(new QComboBox(dir_panel_), "DC2");
  connect(do1_, &TTarquelDir::directoryDoubleClicked, this, &TFMain::DO1DblClick);
  connect(do2_, &TTarquelDir::directoryDoubleClicked, this, &TFMain::DO2DblClick);
  connect(dc1_, &QComboBox::activated, this, [this](int) { DC1Change(); });
  connect(dc2_, &QComboBox::activated, this, [this](int) { DC2Change(); });
  FillDriveSelectors();
  return dir_panel_;
}

QWidget* TFMain::BuildBatchPanel() {
  batch_panel_ = Named(new QWidget(this), "PBatch");
  batch_panel_->installEventFilter(this);
  lbatch_ = Named(new QLabel("Batch File:", batch_panel_), "LBatchFile");
  lpairs_ = Named(new QLabel("Directory Pairs: ", batch_panel_), "LDirPairs");
  cb_batch_ = Named(new QComboBox(batch_panel_), "CBBatchFile");
  lb_pairs_ = Named(new QListWidget(batch_panel_), "LBDirPairs");
  connect(cb_batch_, &QComboBox::activated, this, &TFMain::CBBatchFileChange);
  return batch_panel_;
}

QWidget* TFMain::BuildBottomBar() {
  bottom_bar_ = Named(new QWidget(this), "PBottom");
  bottom_bar_->installEventFilter(this);
  bb_update_ = Named(new QPushButton("Update", bottom_bar_), "BBUpdate");
  bb_update_->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
  bb_update_->setDefault(true);
  connect(bb_update_, &QPushButton::clicked, this, &TFMain::BBUpdateClick);
  bb_preview_ = Named(new QPushButton("Preview", bottom_bar_), "BBPreview");
  bb_preview_->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
  bb_preview_->setToolTip("List what Update would do, without changing anything");
  connect(bb_preview_, &QPushButton::clicked, this, &TFMain::BBPreviewClick);
  setFocusProxy(bb_update_);
  return bottom_bar_;
}

void TFMain::PlaceFixedControls() {
  if (edir1_ == nullptr) return;
  const FixedPlaces& p = kPlaces[large_caption_ ? 1 : 0];
  auto label_at = [&](QLabel* label, int left, int top) {
    label->move(left, top);
    label->resize(label->sizeHint());
  };
  const int label_offset = (p.edit_height - ldir1_->sizeHint().height()) / 2;
  label_at(ldir1_, p.label_left, p.edit1_top + label_offset);
  label_at(ldir2_, p.label_left, p.edit2_top + label_offset);
  edir1_->setGeometry(p.edit_left, p.edit1_top, edir1_->width(), p.edit_height);
  edir2_->setGeometry(p.edit_left, p.edit2_top, edir2_->width(), p.edit_height);
  label_at(ld1_, p.tree_left, p.column_title_top);
  ld2_->move(ld2_->x(), p.column_title_top);
  ld2_->resize(ld2_->sizeHint());
  do1_->move(p.tree_left, p.tree_top);
  do2_->move(do2_->x(), p.tree_top);
  dc1_->setGeometry(p.tree_left, dc1_->y(), dc1_->width(), p.drive_height);
  dc2_->setGeometry(dc2_->x(), dc2_->y(), dc2_->width(), p.drive_height);
  label_at(lbatch_, p.batch_label_left, p.edit1_top + label_offset);
  cb_batch_->setGeometry(p.batch_combo_left, p.edit1_top, cb_batch_->width(), p.edit_height);
  label_at(lpairs_, p.batch_label_left, p.pairs_title_top);
  lb_pairs_->move(p.batch_label_left, p.pairs_top);
  bottom_bar_->setFixedHeight(p.bottom_height);
  bb_update_->setGeometry(p.update_left, p.update_top, bb_update_->width(), p.update_height);
  bb_preview_->setGeometry(bb_preview_->x(), p.update_top, bb_preview_->width(), p.update_height);
}

void TFMain::PlaceUpdateRow(int width) {
  const UpdateRow row = SplitUpdateRow(large_caption_, bb_update_->x(), width);
  bb_update_->resize(row.update_width, bb_update_->height());
  bb_preview_->setGeometry(row.preview_left, bb_update_->y(), row.preview_width, bb_update_->height());
}

void TFMain::FillDriveSelectors() {
  for (QComboBox* selector : {dc1_, dc2_}) {
    const QSignalBlocker block(selector);
    selector->clear();
    for (const DriveEntry& drive : MappedDrives(s_.fs)) {
      QString text = QString(QChar(drive.letter)) + ":";
      if (!drive.host_dir.empty()) text += "  " + QString::fromStdString(drive.host_dir);
      selector->addItem(text, QChar(drive.letter));
    }
  }
}

// Shows a drive in a selector without raising its change event.
void TFMain::SelectDrive(QComboBox* selector, char letter) {
  const QSignalBlocker block(selector);
  const int index = selector->findData(QChar(static_cast<char>(letter | 0x20)));
  if (index < 0 && letter != 0) {
    // A drive that has appeared since the list was made.
    FillDriveSelectors();
    selector->setCurrentIndex(selector->findData(QChar(static_cast<char>(letter | 0x20))));
    return;
  }
  selector->setCurrentIndex(index);
}

}  // namespace velqo::ui
