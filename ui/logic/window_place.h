#pragma once

#include <vector>

namespace velqo::ui {

// A rectangle in screen pixels.
struct ScreenRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int right() const { return left + width; }    // one past the last column
  int bottom() const { return top + height; }   // one past the last row
  bool operator==(const ScreenRect&) const = default;
};

// The window manager's frame around a window's client area.
struct FrameMargins {
  int left = 0;
  int top = 0;  // the title bar and the top border
  int right = 0;
  int bottom = 0;
};

// The client area inside a frame rectangle, and the frame around a client
// area. The window's place is stored as its frame; only the client area
// can be sized directly.
ScreenRect ClientOfFrame(const ScreenRect& frame, const FrameMargins& margins);
ScreenRect FrameOfClient(const ScreenRect& client, const FrameMargins& margins);

// Where a stored frame goes on the screens there are now: unchanged when
// its title bar can be reached with the mouse on one of them (on a screen
// from top to bottom, with a good part of its width on it), else moved onto
// the screen it overlaps most (the first when none) so that the whole title
// bar shows. A screen taken away or made smaller since the window was
// closed never leaves it out of reach.
ScreenRect PlaceOnScreens(const ScreenRect& frame, int caption_height,
                          const std::vector<ScreenRect>& screens);

}  // namespace velqo::ui
