#include "ui/hint_gate.h"

#include <QCoreApplication>
#include <QEvent>

namespace velqo::ui {

HintGate& HintGate::Instance() {
  static HintGate* gate = new HintGate;  // lives as long as the application
  return *gate;
}

void HintGate::SetHintsOn(bool on) {
  on_ = on;
  if (!installed_ && QCoreApplication::instance() != nullptr) {
    QCoreApplication::instance()->installEventFilter(this);
    installed_ = true;
  }
}

bool HintGate::eventFilter(QObject* watched, QEvent* event) {
  if (!on_ && (event->type() == QEvent::ToolTip || event->type() == QEvent::StatusTip)) return true;
  return QObject::eventFilter(watched, event);
}

}  // namespace velqo::ui
