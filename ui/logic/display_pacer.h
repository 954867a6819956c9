#pragma once

#include <chrono>

namespace velqo::ui {

// Paces what a long run shows in the window (the status texts, the
// progress bar, the status window's files): a change is shown at once when
// the last showing is at least one interval old, else it waits for the
// next pump or timer that finds it due. Only the latest state is kept, so a
// run of thousands of small files draws about twenty states a second
// instead of every file, and the window spends its time on the user.
class DisplayPacer {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration kInterval = std::chrono::milliseconds(50);

  explicit DisplayPacer(Clock::duration interval = kInterval) : interval_(interval) {}

  // Something changed at `now`; true when it should be shown now.
  bool Changed(Clock::time_point now);
  // True when a change waits and its time has come.
  bool Due(Clock::time_point now) const;
  bool pending() const { return pending_; }
  // How long a waiting change has still to wait (zero when due).
  Clock::duration Wait(Clock::time_point now) const;
  // Everything has been shown at `now`.
  void Shown(Clock::time_point now);

 private:
  Clock::duration interval_;
  Clock::time_point last_shown_{};
  bool shown_once_ = false;
  bool pending_ = false;
};

}  // namespace velqo::ui
