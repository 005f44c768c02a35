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

TEST(TKSDLSmoke, RealWindowShowsAndTakesAClick) {
  if (TKInitToolkit(kTKBackendSDL) != kQVNoErr) GTEST_SKIP() << "no display";
  TKWindow* w = TKCreateWindow(kTKWindowPlain, TKMakeRect(40, 40, 240, 120), "Smoke");
  ASSERT_NE(w, nullptr);
  TKSetWindowContentColor(w, TKColor{0, 0.5, 0, 1});
  TKControl* button = TKNewPushButton(w, TKMakeRect(70, 45, 100, 30), "Press", QVFourCC("prss"));
  TKSetDefaultButton(w, button);
  int presses = 0;
  TKInstallWindowHandler(w, [&](TKEvent& e) {
    if (e.kind != kTKEventCommand || e.command != QVFourCC("prss")) return kQVErrNotHandled;
    ++presses;
    return kQVNoErr;
  });
  TKShowWindow(w);
  TKRunFor(0.3);  // let the window map and draw
  ASSERT_TRUE(TKSDLPushClick(w, TKPoint{120, 60}));
  EXPECT_TRUE(TKRunUntil([&] { return presses == 1; }, 5.0));

  TKInvalidateWindow(w);
  TKRunFor(0.1);
  TKImage* shot = TKSDLCaptureWindow(w);
  ASSERT_NE(shot, nullptr);
  EXPECT_EQ(TKImageGetPixel(shot, 5, 5) & 0xFFFFFF, 0x008000u);  // content colour
  uint32_t face = TKImageGetPixel(shot, 80, 50) & 0xFFFFFF;        // the default button's blue face
  EXPECT_GT(face & 0xFF, 0xA0u);
  EXPECT_LT((face >> 16) & 0xFF, 0x60u);
  TKImageDispose(shot);
  TKShutdownToolkit();
}

// The program gains the focus with its first window; the focus moving to
// another of its windows, even a turn of the loop later, is no loss; every
// window of it going away is.
TEST(TKSDLSmoke, TheProgramIsActiveWhileAnyOfItsWindowsHasTheFocus) {
  if (TKInitToolkit(kTKBackendSDL) != kQVNoErr) GTEST_SKIP() << "no display";
  std::vector<TKEventKind> seen;
  TKInstallAppHandler([&](TKEvent& e) {
    if (e.kind == kTKEventAppActivated || e.kind == kTKEventAppDeactivated) seen.push_back(e.kind);
    return kQVErrNotHandled;
  });
  TKWindow* first = TKCreateWindow(kTKWindowPlain, TKMakeRect(40, 40, 200, 100), "First");
  TKWindow* second = TKCreateWindow(kTKWindowPlain, TKMakeRect(300, 40, 200, 100), "Second");
  TKShowWindow(first);
  TKRunFor(0.3);
  SDL_SetWindowInputFocus(static_cast<SDL_Window*>(first->backendData));
  if (!TKRunUntil([&] { return !seen.empty(); }, 2.0)) {
    TKShutdownToolkit();
    GTEST_SKIP() << "the display gives no keyboard focus";
  }
  EXPECT_EQ(seen, std::vector<TKEventKind>{kTKEventAppActivated});
  TKShowWindow(second);
  TKRunFor(0.2);
  SDL_SetWindowInputFocus(static_cast<SDL_Window*>(second->backendData));
  TKRunFor(0.6);
  EXPECT_EQ(seen, std::vector<TKEventKind>{kTKEventAppActivated}) << "the focus stayed with the program";
  // The focused window goes, and a turn later another of ours takes the focus.
  TKHideWindow(second);
  TKRunFor(0.05);
  SDL_SetWindowInputFocus(static_cast<SDL_Window*>(first->backendData));
  TKRunFor(0.6);
  EXPECT_EQ(seen, std::vector<TKEventKind>{kTKEventAppActivated}) << "a loss taken back at once is no loss";
  TKHideWindow(first);
  TKHideWindow(second);
  EXPECT_TRUE(TKRunUntil([&] { return seen.size() == 2; }, 3.0));
  EXPECT_EQ(seen, (std::vector<TKEventKind>{kTKEventAppActivated, kTKEventAppDeactivated}));
  TKShutdownToolkit();
}

}  // namespace
