#pragma once

#include <QDialog>

namespace velqo::ui {

// TFAbout: the product, its maker's notice and one button that closes it.
// Created afresh for each use.
class TFAbout : public QDialog {
  Q_OBJECT

 public:
  explicit TFAbout(QWidget* parent);
  static void Show(QWidget* parent);
  // Escape closes the box as its one button does.
  void reject() override { accept(); }
};

}  // namespace velqo::ui
