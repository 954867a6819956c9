#include "ui/skin_engine.h"

#include <QApplication>

#include "ui/logic/skins.h"

namespace velqo::ui {

bool ActivateSkin(Platform& fs, std::string_view name) {
  std::string sheet;
  if (!ReadSkin(fs, name, &sheet).ok()) {
    DeactivateSkin();
    return false;
  }
  const QString text = QString::fromUtf8(sheet.data(), static_cast<int>(sheet.size()));
  if (qApp->styleSheet() != text) qApp->setStyleSheet(text);
  return true;
}

void DeactivateSkin() {
  if (!qApp->styleSheet().isEmpty()) qApp->setStyleSheet(QString());
}

}  // namespace velqo::ui
