#pragma once

#include <QComboBox>
#include <string_view>

#include "common/platform/platform.h"

namespace velqo::ui {

// The options dialog's skin list: coloured like the skin in use, and when
// it drops down it shows the skin in use selected, wide enough for the
// longest name beside a scroll bar.
class SkinBox : public QComboBox {
  Q_OBJECT

 public:
  explicit SkinBox(QWidget* parent);
  // The skin's own colour, or the button face for "None" or a skin that
  // names no colour.
  void ShowColorOf(Platform& fs, std::string_view skin);
  // The name to select when the list drops down.
  void SetSkinInUse(const QString& name) { in_use_ = name; }

  void showPopup() override;

 private:
  QString in_use_;
};

}  // namespace velqo::ui
