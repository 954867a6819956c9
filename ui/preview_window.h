#pragma once

#include <QDialog>

#include "engine/preview_run.h"

class QLabel;
class QListWidget;

namespace velqo::ui {

// TFPreview: what the next update would do, change by change, with the
// totals overall and per drive and the questions the preview answered.
// Modeless, so the plan can stay beside the main window; each preview
// refills it.
class TFPreview : public QDialog {
  Q_OBJECT

 public:
  explicit TFPreview(QWidget* parent);
  void ShowReport(const PreviewReport& report);

 private:
  QLabel* summary_ = nullptr;
  QListWidget* plan_ = nullptr;
  QLabel* notes_title_ = nullptr;
  QListWidget* notes_ = nullptr;
};

}  // namespace velqo::ui
