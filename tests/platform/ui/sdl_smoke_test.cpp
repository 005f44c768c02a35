// Runs the SDL2 backend on a real (usually virtual) display: a window shows,
// a synthetic click through SDL presses its button, and the on-screen
// pixels are checked. Skips when no display can be opened.
#include <gtest/gtest.h>

#include "platform/fourcc.h"
#include "platform/ui/ui_control.h"
#include "platform/ui/ui_internal.h"
#include "platform/ui/ui_loop.h"
#include "platform/ui/ui_window.h"

namespace {

TEST(UISDLSmoke, RealWindowShowsAndTakesAClick) {
  if (UIInitToolkit(kUIBackendSDL) != kQVNoErr) GTEST_SKIP() << "no display";
  UIWindow* w = UICreateWindow(kUIWindowPlain, UIMakeRect(40, 40, 240, 120), "Smoke");
  ASSERT_NE(w, nullptr);
  UISetWindowContentColor(w, UIColor{0, 0.5, 0, 1});
  UIControl* button = UINewPushButton(w, UIMakeRect(70, 45, 100, 30), "Press", QVFourCC("prss"));
  UISetDefaultButton(w, button);
  int presses = 0;
  UIInstallWindowHandler(w, [&](UIEvent& e) {
    if (e.kind != kUIEventCommand || e.command != QVFourCC("prss")) return kQVErrNotHandled;
    ++presses;
    return kQVNoErr;
  });
  UIShowWindow(w);
  UIRunFor(0.3);  // let the window map and draw
  ASSERT_TRUE(UISDLPushClick(w, UIPoint{120, 60}));
  EXPECT_TRUE(UIRunUntil([&] { return presses == 1; }, 5.0));

  UIInvalidateWindow(w);
  UIRunFor(0.1);
  UIImage* shot = UISDLCaptureWindow(w);
  ASSERT_NE(shot, nullptr);
  EXPECT_EQ(UIImageGetPixel(shot, 5, 5) & 0xFFFFFF, 0x008000u);  // content colour
  uint32_t face = UIImageGetPixel(shot, 80, 50) & 0xFFFFFF;        // the default button's blue face
  EXPECT_GT(face & 0xFF, 0xA0u);
  EXPECT_LT((face >> 16) & 0xFF, 0x60u);
  UIImageDispose(shot);
  UIShutdownToolkit();
}

}  // namespace
