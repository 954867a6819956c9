#include "ui/logic/window_place.h"

#include <algorithm>

namespace velqo::ui {

namespace {

// What a title bar needs on a screen to be caught and dragged.
constexpr int kGrip = 100;

long Overlap(const ScreenRect& a, const ScreenRect& b) {
  const long w = std::min(a.right(), b.right()) - std::max(a.left, b.left);
  const long h = std::min(a.bottom(), b.bottom()) - std::max(a.top, b.top);
  return w > 0 && h > 0 ? w * h : 0;
}

bool TitleBarReachable(const ScreenRect& frame, int caption, const ScreenRect& screen) {
  const int grip = std::min(kGrip, frame.width);
  const int visible = std::min(frame.right(), screen.right()) - std::max(frame.left, screen.left);
  return frame.top >= screen.top && frame.top + caption <= screen.bottom() && visible >= grip;
}

}  // namespace

ScreenRect ClientOfFrame(const ScreenRect& frame, const FrameMargins& m) {
  return {frame.left + m.left, frame.top + m.top, frame.width - m.left - m.right,
          frame.height - m.top - m.bottom};
}

ScreenRect FrameOfClient(const ScreenRect& client, const FrameMargins& m) {
  return {client.left - m.left, client.top - m.top, client.width + m.left + m.right,
          client.height + m.top + m.bottom};
}

ScreenRect PlaceOnScreens(const ScreenRect& frame, int caption_height,
                          const std::vector<ScreenRect>& screens) {
  if (screens.empty()) return frame;
  const int caption = std::max(caption_height, 1);
  for (const ScreenRect& screen : screens) {
    if (TitleBarReachable(frame, caption, screen)) return frame;
  }
  const ScreenRect* best = &screens.front();
  for (const ScreenRect& screen : screens) {
    if (Overlap(frame, screen) > Overlap(frame, *best)) best = &screen;
  }
  ScreenRect placed = frame;
  // The whole title bar on the screen where it fits, its left end first.
  placed.left = std::max(best->left, std::min(frame.left, best->right() - frame.width));
  placed.top = std::max(best->top, std::min(frame.top, best->bottom() - caption));
  return placed;
}

}  // namespace velqo::ui
