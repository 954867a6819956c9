#pragma once

#include <QFrame>

class QLabel;

namespace velqo::ui {

// A sunken panel with a file's full path above its date, time and size,
// both centred. index 1 names the labels LFile1Name and LFile1Data, index
// 2 LFile2Name and LFile2Data.
class FilePanel : public QFrame {
 public:
  FilePanel(int index, const QString& object_name, QWidget* parent);
  void SetFile(const QString& path, const QString& details);
  QLabel* name_label() const { return name_; }
  QLabel* data_label() const { return data_; }

 private:
  QLabel* name_;
  QLabel* data_;
};

// A centred text line between or below the panels.
QLabel* CentredText(const QString& text, const QString& object_name, QWidget* parent);

// The width a window needs to show its whole caption at the font in use.
int CaptionWidth(const QWidget* window);
// Makes a window at least that wide, now and whenever it is resized.
void FitCaption(QWidget* window);

// Puts a window of the given size in the middle of the screen it is on,
// widened to show its whole caption.
void CentreOnScreen(QWidget* window, int width, int height);

}  // namespace velqo::ui
