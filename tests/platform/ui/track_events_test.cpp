// The mouse loop that follows the mouse between presses: every mouse event
// comes back by kind in order, presses are taken from the queue, other input
// waits for after the loop, and the end of scripted input ends the loop.
#include <vector>

#include "platform/ui/ui_event.h"
#include "tests/platform/ui/ui_test_fixture.h"

namespace {

using UITrackEventsTest = UIHeadlessTest;

TEST_F(UITrackEventsTest, ReportsEachMouseEventInOrderAndKeepsKeysForLater) {
  UIWindow* window = UICreateWindow(kUIWindowPlain, UIMakeRect(100, 100, 300, 200), "Track");
  UIWindow* other = UICreateWindow(kUIWindowPlain, UIMakeRect(500, 100, 300, 200), "Other");
  UIShowWindow(window);
  UIShowWindow(other);
  int keys = 0;
  UIInstallAppHandler([&](UIEvent& e) {
    if (e.kind == kUIEventKeyDown) ++keys;
    return kQVErrNotHandled;
  });
  const double t = UINow();
  UIInjectMouseMove(other, UIPoint{10, 20}, t + 0.05);
  UIInjectKey('x', 0, t + 0.06);
  UIInjectMouseDown(other, UIPoint{11, 21}, 0, t + 0.3);
  UIInjectMouseDrag(other, UIPoint{12, 22}, 0, t + 0.35);
  UIInjectMouseUp(other, UIPoint{12, 22}, 0, t + 0.4);

  std::vector<UIMouseTrackEvent> seen;
  std::vector<UIPoint> where;
  for (;;) {
    UIPoint p;
    uint32_t modifiers = 0;
    const UIMouseTrackEvent e = UITrackMouseEvents(window, 0.1, &p, &modifiers);
    seen.push_back(e);
    where.push_back(p);
    if (e == kUIMouseTrackDown) {
      EXPECT_EQ(UIGetMouseButtons() & 1, 1u) << "the button is down after a press";
    }
    if (e == kUIMouseTrackEnded) break;
  }
  const std::vector<UIMouseTrackEvent> expected = {
      kUIMouseTrackMoved,    kUIMouseTrackTimedOut, kUIMouseTrackTimedOut, kUIMouseTrackDown,
      kUIMouseTrackDragged, kUIMouseTrackUp,       kUIMouseTrackEnded};
  EXPECT_EQ(seen, expected);
  // Points come in the tracking window's coordinates.
  EXPECT_EQ(where[0].x, 410);
  EXPECT_EQ(where[0].y, 20);
  EXPECT_EQ(where[4].x, 412);
  EXPECT_EQ(UIGetMouseButtons() & 1, 0u);
  // The key was left for the loop.
  EXPECT_EQ(keys, 0);
  UIRunPending();
  EXPECT_EQ(keys, 1);
}

}  // namespace
