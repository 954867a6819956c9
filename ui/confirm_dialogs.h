#pragma once

#include <QDialog>
#include <QFont>

#include "ui/logic/texts.h"

class QLabel;
class QPushButton;

namespace velqo::ui {

class FilePanel;

// One button of a confirmation dialog: caption, object name, result.
struct ConfirmButton {
  const char* caption;
  const char* object_name;
  int result;
};

// The modal confirmation dialogs: a file panel (or two) with a text
// between and after them and a row of buttons, each ending the dialog with
// its own result. Closing from the frame (or Escape) gives 2, which the
// engine treats as "leave this file".
class ConfirmDialog : public QDialog {
  Q_OBJECT

 public:
  struct Design {
    const char* class_name;
    const char* caption;
    const char* middle_text;  // between the panels, or after a single one
    const char* bottom_text;  // after the panels; may be empty
    bool two_files;
    const WindowSize* sizes;  // normal, large
    std::vector<ConfirmButton> buttons;
  };

  ConfirmDialog(const Design& design, QWidget* parent);

  // Fills the panels, takes the size and font, and runs the dialog.
  int Ask(const QString& path1, const QString& data1, const QString& path2, const QString& data2,
          bool large_caption, const QFont& font);

  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  Design design_;
  WindowSize size_ = {0, 0};
  FilePanel* top_;
  FilePanel* bottom_ = nullptr;
};

// The three designs: a copy, CleanUp's copy of an older file, a deletion.
ConfirmDialog::Design ConfDesign();
ConfirmDialog::Design RevCDesign();
ConfirmDialog::Design DelDesign();

}  // namespace velqo::ui
