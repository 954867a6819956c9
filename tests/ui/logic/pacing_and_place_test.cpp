#include <gtest/gtest.h>

#include "ui/logic/display_pacer.h"
#include "ui/logic/layout_rules.h"
#include "ui/logic/window_place.h"

namespace velqo::ui {
namespace {

using std::chrono::milliseconds;
using Clock = DisplayPacer::Clock;

TEST(DisplayPacerTest, ShowsAtOnceThenAtMostOncePerIntervalAndNeverDropsTheLastState) {
  DisplayPacer pacer(milliseconds(50));
  const Clock::time_point t0{};
  EXPECT_FALSE(pacer.Due(t0));  // nothing changed yet
  EXPECT_TRUE(pacer.Changed(t0));
  pacer.Shown(t0);
  // Changes within the interval wait; the latest of them is due at its end.
  EXPECT_FALSE(pacer.Changed(t0 + milliseconds(10)));
  EXPECT_FALSE(pacer.Changed(t0 + milliseconds(30)));
  EXPECT_TRUE(pacer.pending());
  EXPECT_EQ(pacer.Wait(t0 + milliseconds(30)), milliseconds(20));
  EXPECT_FALSE(pacer.Due(t0 + milliseconds(49)));
  EXPECT_TRUE(pacer.Due(t0 + milliseconds(50)));
  pacer.Shown(t0 + milliseconds(50));
  EXPECT_FALSE(pacer.pending());
  EXPECT_FALSE(pacer.Due(t0 + milliseconds(500)));
  // After a quiet spell a change shows at once again.
  EXPECT_TRUE(pacer.Changed(t0 + milliseconds(500)));
  // A thousand changes in one second are shown about twenty times.
  DisplayPacer busy(milliseconds(50));
  int shown = 0;
  for (int ms = 0; ms < 1000; ++ms) {
    const Clock::time_point now = t0 + milliseconds(ms);
    if (busy.Changed(now)) {
      busy.Shown(now);
      ++shown;
    }
  }
  EXPECT_EQ(shown, 20);
  EXPECT_TRUE(busy.pending());
}

TEST(WindowPlaceTest, FrameAndClientConvertBothWays) {
  const FrameMargins m{2, 24, 3, 4};
  const ScreenRect frame{100, 50, 600, 400};
  const ScreenRect client = ClientOfFrame(frame, m);
  EXPECT_EQ(client, (ScreenRect{102, 74, 595, 372}));
  EXPECT_EQ(FrameOfClient(client, m), frame);
}

TEST(WindowPlaceTest, AReachableTitleBarStaysAndOneOutOfReachComesBackOnScreen) {
  const std::vector<ScreenRect> one = {{0, 0, 1280, 1024}};
  // The first-run place and any place with the title bar on the screen stay.
  EXPECT_EQ(PlaceOnScreens({10, 10, 600, 240}, 24, one), (ScreenRect{10, 10, 600, 240}));
  EXPECT_EQ(PlaceOnScreens({-400, 900, 600, 240}, 24, one), (ScreenRect{-400, 900, 600, 240}));
  // Above the screen, below it, or too far to the side: the whole title bar comes back.
  EXPECT_EQ(PlaceOnScreens({10, -10, 600, 240}, 24, one), (ScreenRect{10, 0, 600, 240}));
  EXPECT_EQ(PlaceOnScreens({10, 1010, 600, 240}, 24, one), (ScreenRect{10, 1000, 600, 240}));
  EXPECT_EQ(PlaceOnScreens({-550, 10, 600, 240}, 24, one), (ScreenRect{0, 10, 600, 240}));
  EXPECT_EQ(PlaceOnScreens({1230, 10, 600, 240}, 24, one), (ScreenRect{680, 10, 600, 240}));
  // A desktop panel at the top: the available area starts below it.
  EXPECT_EQ(PlaceOnScreens({10, 10, 600, 240}, 24, {{0, 32, 1280, 992}}), (ScreenRect{10, 32, 600, 240}));
}

TEST(WindowPlaceTest, AWindowOnAScreenThatIsGoneMovesToTheScreenItOverlapsMost) {
  const std::vector<ScreenRect> two = {{0, 0, 1280, 1024}, {1280, 0, 1920, 1080}};
  EXPECT_EQ(PlaceOnScreens({1500, 100, 600, 400}, 24, two), (ScreenRect{1500, 100, 600, 400}));
  // The second screen has been unplugged.
  EXPECT_EQ(PlaceOnScreens({1500, 100, 600, 400}, 24, {two[0]}), (ScreenRect{680, 100, 600, 400}));
  // Below both: onto the one it overlaps, else the first.
  EXPECT_EQ(PlaceOnScreens({2000, 1070, 600, 400}, 24, two), (ScreenRect{2000, 1056, 600, 400}));
  EXPECT_EQ(PlaceOnScreens({-5000, 9000, 600, 400}, 24, two), (ScreenRect{0, 1000, 600, 400}));
  EXPECT_EQ(PlaceOnScreens({5, 5, 600, 400}, 24, {}), (ScreenRect{5, 5, 600, 400}));
}

TEST(CaptionFitTest, RoomForTheTextTheIconAndThreeButtons) {
  EXPECT_EQ(CaptionFitWidth(200, 20), 200 + 80 + 2 * kCaptionMargin);
  // An unknown title bar height counts as a common one.
  EXPECT_EQ(CaptionFitWidth(200, 0), CaptionFitWidth(200, 24));
}

}  // namespace
}  // namespace velqo::ui
