#include "ui/skin_box.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QStyle>

#include "ui/logic/skins.h"

namespace velqo::ui {

SkinBox::SkinBox(QWidget* parent) : QComboBox(parent) {}

void SkinBox::ShowColorOf(Platform& fs, std::string_view skin) {
  in_use_ = QString::fromUtf8(skin.data(), static_cast<int>(skin.size()));
  std::string sheet;
  std::optional<Rgb> color;
  if (ReadSkin(fs, skin, &sheet).ok()) color = SkinColor(sheet);
  if (!color) {
    setStyleSheet("QComboBox#CBSkins { background-color: palette(button); }");
    return;
  }
  setStyleSheet(QString("QComboBox#CBSkins { background-color: rgb(%1, %2, %3); }")
                    .arg(color->red)
                    .arg(color->green)
                    .arg(color->blue));
}

void SkinBox::showPopup() {
  const int in_use = findText(in_use_);
  if (in_use >= 0) setCurrentIndex(in_use);
  int widest = 0;
  for (int i = 0; i < count(); ++i) widest = std::max(widest, fontMetrics().horizontalAdvance(itemText(i)));
  // The scroll bar and its thumb, as the list may need one.
  const int bar = 2 * style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  view()->setMinimumWidth(widest + bar);
  QComboBox::showPopup();
}

}  // namespace velqo::ui
