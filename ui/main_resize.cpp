#include <QKeyEvent>
#include <QMenu>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "ui/logic/layout_rules.h"
#include "ui/main_window.h"
#include "ui/tarquel_dir.h"

namespace velqo::ui {

void TFMain::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  FormResize();
}

// The labels are sized to their text: a new font (the stored one, or one
// chosen in the options dialog) sizes them anew.
void TFMain::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::FontChange) return;
  PlaceFixedControls();
  if (ld2_ != nullptr) ld2_->resize(ld2_->sizeHint());
  FormResize();
}

bool TFMain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
    if (auto* menu = qobject_cast<QMenu*>(watched)) {
      menu->close();
      ShowHelp(menu->property("helpContext").toInt());
      return true;
    }
  }
  if (event->type() == QEvent::Resize &&
      (watched == dir_panel_ || watched == batch_panel_ || watched == bottom_bar_)) {
    FormResize();
  }
  return QMainWindow::eventFilter(watched, event);
}

void TFMain::FormResize() {
  if (bb_update_ == nullptr) return;
  const MinimumSize minimum = MainMinimumSize(large_caption_);
  if (minimumWidth() != minimum.width || minimumHeight() != minimum.height) {
    setMinimumSize(minimum.width, minimum.height);
  }
  if (!batch_panel_->isHidden()) {
    const BatchLayout l = ComputeBatchLayout(large_caption_, batch_panel_->width(), batch_panel_->height());
    PlaceUpdateRow(l.update_width);
    cb_batch_->resize(l.batch_combo_width, cb_batch_->height());
    lb_pairs_->resize(l.pairs_width, l.pairs_height);
    return;
  }
  const DirectoryLayout l = ComputeDirectoryLayout(large_caption_, dir_panel_->width(), dir_panel_->height());
  edir1_->resize(l.edit_width, edir1_->height());
  edir2_->resize(l.edit_width, edir2_->height());
  PlaceUpdateRow(l.update_width);
  ld2_->move(l.column2_left, ld2_->y());
  do1_->resize(l.tree_width, l.tree_height);
  if (!do2_->isHidden()) do2_->setGeometry(l.column2_left, do2_->y(), l.tree_width, l.tree_height);
  dc1_->setGeometry(dc1_->x(), l.drive_top, l.tree_width, dc1_->height());
  dc2_->setGeometry(l.column2_left, l.drive_top, l.tree_width, dc2_->height());
}

}  // namespace velqo::ui
