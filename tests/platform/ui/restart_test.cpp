// Shutting the toolkit down forgets everything: the next start behaves like
// the first one in the process.
#include <gtest/gtest.h>

#include "platform/ui/toolkit.h"
#include "platform/ui/ui_headless.h"

namespace {

constexpr const char* kPrivateFlavour = "com.example.private";

TEST(UIToolkitRestart, StartAfterShutdownLeavesNothingOver) {
  // A first run that leaves every kind of state behind.
  UIUseFakeClock(true);
  ASSERT_EQ(UIInitToolkit(kUIBackendHeadless), kQVNoErr);
  UIAdvanceClock(5);
  UIWindow* w = UICreateWindow(kUIWindowPlain, UIMakeRect(10, 10, 200, 100), "Left open");
  UIShowWindow(w);
  UIInsertMenuInBar(UICreateMenu(7, "Left"));
  int leftOver = 0;
  UIInstallTimer(20, 0, [&](UITimer*) { ++leftOver; });
  UIPostCall([&] { ++leftOver; });
  UIInjectKey('a', 0, 30);
  UIQueueDialogAnswer({kUIAlertOther, kQVNoErr, "", {}});
  UIInjectText("typed");
  UISetHeadlessDisplays({UIMakeRect(0, 0, 640, 480), UIMakeRect(640, 0, 640, 480)});
  UIBeep();
  ASSERT_EQ(UIClipboardPut(kPrivateFlavour, "x", 1), kQVNoErr);
  UIRequestQuit();
  UIShutdownToolkit();

  ASSERT_EQ(UIInitToolkit(kUIBackendHeadless), kQVNoErr);
  EXPECT_FALSE(UIClockIsFake());
  EXPECT_FALSE(UIQuitRequested());
  EXPECT_EQ(UIPendingInputCount(), 0u);
  EXPECT_EQ(UIFrontWindow(), nullptr);
  EXPECT_EQ(UIGetMenu(7), nullptr);
  EXPECT_TRUE(UIGetMenuBarMenus().empty());
  EXPECT_FALSE(UIClipboardHas(kPrivateFlavour));
  EXPECT_EQ(UIDisplayCount(), 1);
  EXPECT_EQ(UIHeadlessBeepCount(), 0);

  // No answer waits in the script, so the alert runs as a window (which
  // ends at once: no input can arrive) and nothing is recorded.
  UIAlertRequest alert;
  alert.message = "Asked after the restart";
  UIRunAlert(alert);
  EXPECT_TRUE(UIScriptedDialogRequests().empty());

  // The old timer and posted call are gone: time passes and neither runs.
  UIUseFakeClock(true);
  EXPECT_EQ(UINow(), 0);
  UIRunFor(60);
  EXPECT_EQ(leftOver, 0);
  UIShutdownToolkit();
}

}  // namespace
