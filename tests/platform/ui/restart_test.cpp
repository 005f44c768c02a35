// Shutting the toolkit down forgets everything: the next start behaves like
// the first one in the process.
#include <gtest/gtest.h>

#include "platform/ui/toolkit.h"
#include "platform/ui/ui_headless.h"

namespace {

constexpr const char* kPrivateFlavour = "com.example.private";

TEST(TKToolkitRestart, StartAfterShutdownLeavesNothingOver) {
  // A first run that leaves every kind of state behind.
  TKUseFakeClock(true);
  ASSERT_EQ(TKInitToolkit(kTKBackendHeadless), kQVNoErr);
  TKAdvanceClock(5);
  TKWindow* w = TKCreateWindow(kTKWindowPlain, TKMakeRect(10, 10, 200, 100), "Left open");
  TKShowWindow(w);
  TKInsertMenuInBar(TKCreateMenu(7, "Left"));
  int leftOver = 0;
  TKInstallTimer(20, 0, [&](TKTimer*) { ++leftOver; });
  TKPostCall([&] { ++leftOver; });
  TKInjectKey('a', 0, 30);
  TKQueueDialogAnswer({kTKAlertOther, kQVNoErr, "", {}});
  TKInjectText("typed");
  TKSetHeadlessDisplays({TKMakeRect(0, 0, 640, 480), TKMakeRect(640, 0, 640, 480)});
  TKBeep();
  ASSERT_EQ(TKClipboardPut(kPrivateFlavour, "x", 1), kQVNoErr);
  TKRequestQuit();
  TKShutdownToolkit();

  ASSERT_EQ(TKInitToolkit(kTKBackendHeadless), kQVNoErr);
  EXPECT_FALSE(TKClockIsFake());
  EXPECT_FALSE(TKQuitRequested());
  EXPECT_EQ(TKPendingInputCount(), 0u);
  EXPECT_EQ(TKFrontWindow(), nullptr);
  EXPECT_EQ(TKGetMenu(7), nullptr);
  EXPECT_TRUE(TKGetMenuBarMenus().empty());
  EXPECT_FALSE(TKClipboardHas(kPrivateFlavour));
  EXPECT_EQ(TKDisplayCount(), 1);
  EXPECT_EQ(TKHeadlessBeepCount(), 0);

  // No answer waits in the script, so the alert runs as a window (which
  // ends at once: no input can arrive) and nothing is recorded.
  TKAlertRequest alert;
  alert.message = "Asked after the restart";
  TKRunAlert(alert);
  EXPECT_TRUE(TKScriptedDialogRequests().empty());

  // The old timer and posted call are gone: time passes and neither runs.
  TKUseFakeClock(true);
  EXPECT_EQ(TKNow(), 0);
  TKRunFor(60);
  EXPECT_EQ(leftOver, 0);
  TKShutdownToolkit();
}

}  // namespace
