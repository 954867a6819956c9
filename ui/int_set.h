#pragma once

#include <QDialog>

class QButtonGroup;

namespace velqo::ui {

// TFIntSet, the international settings test dialog of /I: a 12- or 24-hour
// clock and a date order that replace the system's for this run. Created
// afresh for each use; nothing is chosen when it opens.
class TFIntSet : public QDialog {
  Q_OBJECT

 public:
  explicit TFIntSet(QWidget* parent);

  // The chosen item of each group, -1 when none.
  int time_choice() const;
  int date_choice() const;

  // Shows a new dialog modally; true on OK, with the choices.
  static bool Ask(QWidget* parent, int* time_choice, int* date_choice);

 private:
  QButtonGroup* time_;
  QButtonGroup* date_;
};

}  // namespace velqo::ui
