#pragma once

#include <QDialog>

#include "config/app_state.h"

class QComboBox;
class QPushButton;

namespace velqo::ui {

class TTarquelDir;

// TFGetDir, the Select Directory dialog: a drive selector and a directory
// tree. Created afresh for each use; opens on the log directory when that
// exists, else on the root of the working directory's drive.
class TFGetDir : public QDialog {
  Q_OBJECT

 public:
  TFGetDir(AppState& s, QWidget* parent);

  // The directory chosen with OK.
  QString result_text() const { return result_; }
  TTarquelDir* tree() const { return tree_; }

  // Shows a new dialog modally; true with the directory on OK.
  static bool Pick(AppState& s, QWidget* parent, QString* chosen);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void DCGetDirChange();
  void ShowTreeDrive();
  void BBOKClick();

  AppState& s_;
  QComboBox* drives_;
  TTarquelDir* tree_;
  QString result_;
};

}  // namespace velqo::ui
