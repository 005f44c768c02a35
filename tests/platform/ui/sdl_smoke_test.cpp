// Runs the SDL2 backend on a real (usually virtual) display: a window shows,
// a synthetic click through SDL presses its button, and the on-screen
// pixels are checked. Skips when no display can be opened.
#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

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

// The program gains the focus with its first window; the focus moving to
// another of its windows, even a turn of the loop later, is no loss; every
// window of it going away is.
TEST(UISDLSmoke, TheProgramIsActiveWhileAnyOfItsWindowsHasTheFocus) {
  if (UIInitToolkit(kUIBackendSDL) != kQVNoErr) GTEST_SKIP() << "no display";
  std::vector<UIEventKind> seen;
  UIInstallAppHandler([&](UIEvent& e) {
    if (e.kind == kUIEventAppActivated || e.kind == kUIEventAppDeactivated) seen.push_back(e.kind);
    return kQVErrNotHandled;
  });
  UIWindow* first = UICreateWindow(kUIWindowPlain, UIMakeRect(40, 40, 200, 100), "First");
  UIWindow* second = UICreateWindow(kUIWindowPlain, UIMakeRect(300, 40, 200, 100), "Second");
  UIShowWindow(first);
  UIRunFor(0.3);
  SDL_SetWindowInputFocus(static_cast<SDL_Window*>(first->backendData));
  if (!UIRunUntil([&] { return !seen.empty(); }, 2.0)) {
    UIShutdownToolkit();
    GTEST_SKIP() << "the display gives no keyboard focus";
  }
  EXPECT_EQ(seen, std::vector<UIEventKind>{kUIEventAppActivated});
  UIShowWindow(second);
  UIRunFor(0.2);
  SDL_SetWindowInputFocus(static_cast<SDL_Window*>(second->backendData));
  UIRunFor(0.6);
  EXPECT_EQ(seen, std::vector<UIEventKind>{kUIEventAppActivated}) << "the focus stayed with the program";
  // The focused window goes, and a turn later another of ours takes the focus.
  UIHideWindow(second);
  UIRunFor(0.05);
  SDL_SetWindowInputFocus(static_cast<SDL_Window*>(first->backendData));
  UIRunFor(0.6);
  EXPECT_EQ(seen, std::vector<UIEventKind>{kUIEventAppActivated}) << "a loss taken back at once is no loss";
  UIHideWindow(first);
  UIHideWindow(second);
  EXPECT_TRUE(UIRunUntil([&] { return seen.size() == 2; }, 3.0));
  EXPECT_EQ(seen, (std::vector<UIEventKind>{kUIEventAppActivated, kUIEventAppDeactivated}));
  UIShutdownToolkit();
}

}  // namespace
