#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;

namespace velqo::ui {

class FilePanel;

// TFVelqoStat: the modeless window that shows the file being copied,
// backed up or deleted while the engine works without asking. Its Cancel
// UpDate stops the run at the next file and closes the window.
class TFVelqoStat : public QDialog {
  Q_OBJECT

 public:
  TFVelqoStat(std::function<void()> on_cancel, QWidget* parent);

  void ShowWindow(bool large_caption, const QFont& font);
  void SetMode(const QString& mode);
  void SetFiles(const QString& top_path, const QString& top_data, const QString& bottom_path,
                const QString& bottom_data);
  void SetSingle(const QString& path, const QString& details);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void CancelUpdate();

  std::function<void()> on_cancel_;
  QLabel* mode_;
  FilePanel* top_;
  FilePanel* bottom_;
};

}  // namespace velqo::ui
