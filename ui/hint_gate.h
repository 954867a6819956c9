#pragma once

#include <QObject>

namespace velqo::ui {

// Hints (tool tips and the menu items' status-bar hints) show only while
// the ShowHints setting is on: this filter on the application swallows
// them otherwise, so every control can keep its hint text.
class HintGate : public QObject {
 public:
  static HintGate& Instance();
  void SetHintsOn(bool on);
  bool hints_on() const { return on_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  HintGate() = default;
  bool on_ = true;
  bool installed_ = false;
};

}  // namespace velqo::ui
