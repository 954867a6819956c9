#include "ui/logic/display_pacer.h"

namespace velqo::ui {

bool DisplayPacer::Changed(Clock::time_point now) {
  pending_ = true;
  return Due(now);
}

bool DisplayPacer::Due(Clock::time_point now) const {
  return pending_ && (!shown_once_ || now - last_shown_ >= interval_);
}

DisplayPacer::Clock::duration DisplayPacer::Wait(Clock::time_point now) const {
  if (Due(now) || !pending_) return Clock::duration::zero();
  return interval_ - (now - last_shown_);
}

void DisplayPacer::Shown(Clock::time_point now) {
  pending_ = false;
  shown_once_ = true;
  last_shown_ = now;
}

}  // namespace velqo::ui
