// The mouse loop that follows the mouse between presses: every mouse event
// comes back by kind in order, presses are taken from the queue, other input
// waits for after the loop, and the end of scripted input ends the loop.
#include <vector>

#include "platform/ui/ui_event.h"
#include "tests/platform/ui/ui_test_fixture.h"

namespace {

using TKTrackEventsTest = TKHeadlessTest;

TEST_F(TKTrackEventsTest, ReportsEachMouseEventInOrderAndKeepsKeysForLater) {
  TKWindow* window = TKCreateWindow(kTKWindowPlain, TKMakeRect(100, 100, 300, 200), "Track");
  TKWindow* other = TKCreateWindow(kTKWindowPlain, TKMakeRect(500, 100, 300, 200), "Other");
  TKShowWindow(window);
  TKShowWindow(other);
  int keys = 0;
  TKInstallAppHandler([&](TKEvent& e) {
    if (e.kind == kTKEventKeyDown) ++keys;
    return kQVErrNotHandled;
  });
  const double t = TKNow();
  TKInjectMouseMove(other, TKPoint{10, 20}, t + 0.05);
  TKInjectKey('x', 0, t + 0.06);
  TKInjectMouseDown(other, TKPoint{11, 21}, 0, t + 0.3);
  TKInjectMouseDrag(other, TKPoint{12, 22}, 0, t + 0.35);
  TKInjectMouseUp(other, TKPoint{12, 22}, 0, t + 0.4);

  std::vector<TKMouseTrackEvent> seen;
  std::vector<TKPoint> where;
  for (;;) {
    TKPoint p;
    uint32_t modifiers = 0;
    const TKMouseTrackEvent e = TKTrackMouseEvents(window, 0.1, &p, &modifiers);
    seen.push_back(e);
    where.push_back(p);
    if (e == kTKMouseTrackDown) {
      EXPECT_EQ(TKGetMouseButtons() & 1, 1u) << "the button is down after a press";
    }
    if (e == kTKMouseTrackEnded) break;
  }
  const std::vector<TKMouseTrackEvent> expected = {
      kTKMouseTrackMoved,    kTKMouseTrackTimedOut, kTKMouseTrackTimedOut, kTKMouseTrackDown,
      kTKMouseTrackDragged, kTKMouseTrackUp,       kTKMouseTrackEnded};
  EXPECT_EQ(seen, expected);
  // Points come in the tracking window's coordinates.
  EXPECT_EQ(where[0].x, 410);
  EXPECT_EQ(where[0].y, 20);
  EXPECT_EQ(where[4].x, 412);
  EXPECT_EQ(TKGetMouseButtons() & 1, 0u);
  // The key was left for the loop.
  EXPECT_EQ(keys, 0);
  TKRunPending();
  EXPECT_EQ(keys, 1);
}

}  // namespace
