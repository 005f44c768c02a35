#include <gtest/gtest.h>

#include <vector>

#include "platform/fourcc.h"
#include "platform/ui/ui_control.h"
#include "platform/ui/ui_menu.h"
#include "tests/platform/ui/ui_test_fixture.h"

namespace {

class TKMenuTest : public TKHeadlessTest {
 protected:
  void SetUp() override {
    TKHeadlessTest::SetUp();
    window = TKCreateWindow(kTKWindowPlain, TKMakeRect(0, 0, 500, 300), "Main");
    TKSetWindowShowsMenuBar(window, true);
    TKShowWindow(window);
    file = TKCreateMenu(129, "File");
    TKAppendMenuItem(file, "Open\xE2\x80\xA6", QVFourCC("open"), 'o', kTKModCommand);
    TKAppendMenuItem(file, "-", 0);
    TKAppendMenuItem(file, "Save As\xE2\x80\xA6", QVFourCC("svas"), 's', kTKModCommand | kTKModShift);
    TKAppendMenuItem(file, "Save", QVFourCC("save"), 's', kTKModCommand);
    TKInsertMenuInBar(file);
    TKInstallAppHandler([this](TKEvent& e) {
      if (e.kind == kTKEventCommand) {
        commands.push_back(e.command);
        return e.command == kTKCommandQuit ? kQVErrNotHandled : kQVNoErr;
      }
      if (e.kind == kTKEventUpdateCommand && e.command == QVFourCC("save")) {
        TKEnableMenuItem(e.menu, e.menuItem, saveEnabled);
        return kQVNoErr;
      }
      return kQVErrNotHandled;
    });
  }
  TKWindow* window = nullptr;
  TKMenu* file = nullptr;
  std::vector<uint32_t> commands;
  bool saveEnabled = true;
};

TEST_F(TKMenuTest, KeyEquivalentRunsItsCommandAfterTheEnablePass) {
  TKInjectKey('s', kTKModCommand);
  TKInjectKey('S', kTKModCommand | kTKModShift);
  TKInjectKey('o', kTKModCommand);
  TKInjectKey('o');  // no command key: typing, not a menu key
  TKRunPending();
  EXPECT_EQ(commands, (std::vector<uint32_t>{QVFourCC("save"), QVFourCC("svas"), QVFourCC("open")}));
  saveEnabled = false;
  commands.clear();
  TKInjectKey('s', kTKModCommand);
  TKRunPending();
  EXPECT_TRUE(commands.empty());
  EXPECT_FALSE(TKIsMenuItemEnabled(file, 4));
  TKMenu* found = nullptr;
  int32_t item = 0;
  ASSERT_TRUE(TKFindMenuCommand(QVFourCC("svas"), &found, &item));
  EXPECT_EQ(found, file);
  EXPECT_EQ(item, 3);
}

TEST_F(TKMenuTest, UnhandledQuitCommandQuitsAndModalDialogsBlockMenuKeys) {
  TKMenu* app = TKCreateMenu(128, "App");
  TKAppendMenuItem(app, "Quit", kTKCommandQuit, 'q', kTKModCommand);
  TKInsertMenuInBar(app);
  TKInjectKey('q', kTKModCommand);
  TKRunFor(1.0);  // ends early once the quit request lands
  EXPECT_DOUBLE_EQ(TKNow(), 0.0);
  EXPECT_TRUE(TKQuitRequested());
  TKClearQuitRequest();
  EXPECT_EQ(commands, std::vector<uint32_t>{kTKCommandQuit});  // the app handler saw it first

  TKWindow* dialog = TKCreateWindow(kTKWindowModal, TKMakeRect(0, 0, 200, 100), "Dialog");
  TKInstallWindowHandler(dialog, [&](TKEvent& e) {
    if (e.kind == kTKEventKeyDown && e.charCode == kTKKeyEscape) TKEndModal(dialog, 1);
    return kQVErrNotHandled;
  });
  commands.clear();
  TKInjectKey('o', kTKModCommand);
  TKInjectKey(kTKKeyEscape);
  EXPECT_EQ(TKRunModal(dialog), 1);
  EXPECT_TRUE(commands.empty());
}

TEST_F(TKMenuTest, MenuBarClickChoosesAnItem) {
  // The File title starts at x 10; items 20 high from y 4 inside the menu.
  TKInjectMouseDown(window, TKPoint{25, 10});
  TKInjectMouseDrag(window, TKPoint{40, 22 + 4 + 10});
  TKInjectMouseUp(window, TKPoint{40, 22 + 4 + 10});
  TKRunPending();
  EXPECT_EQ(commands, std::vector<uint32_t>{QVFourCC("open")});
}

TEST_F(TKMenuTest, PopupButtonTakesTheChosenItem) {
  TKMenu* choices = TKCreateMenu(200, "");
  for (const char* t : {"NTSC", "PAL", "Rec. 709"}) TKAppendMenuItem(choices, t, 0);
  TKControl* popup = TKNewPopupButton(window, TKMakeRect(20, 60, 150, 24), "", choices, 1);
  EXPECT_EQ(TKGetControlMaximum(popup), 3);
  int hits = 0;
  TKInstallControlHandler(popup, [&](TKEvent& e) {
    if (e.kind == kTKEventControlHit && e.part == kTKPartMenu) ++hits;
    return kQVErrNotHandled;
  });
  // The menu opens with item 1 under the control's top-left corner; keys pick item 3.
  TKInjectClick(window, TKPoint{60, 70});
  TKInjectKey(kTKKeyDown);
  TKInjectKey(kTKKeyDown);
  TKInjectKey(kTKKeyReturn);
  TKRunPending();
  EXPECT_EQ(TKGetControlValue(popup), 3);
  EXPECT_EQ(hits, 1);
  // Escape leaves it as it was.
  TKInjectClick(window, TKPoint{60, 70});
  TKInjectKey(kTKKeyUp);
  TKInjectKey(kTKKeyEscape);
  TKRunPending();
  EXPECT_EQ(TKGetControlValue(popup), 3);
  EXPECT_EQ(hits, 1);
}

// An open menu stays on top of its window on a display without a window
// manager, even when the window is brought forward meanwhile (as a click on
// a separate menu-bar window does), and the keyboard goes back to the window
// when the menu or a dialog closes.
TEST_F(TKMenuTest, MenusStayAboveTheirWindowAndTheKeyboardComesBack) {
  EXPECT_EQ(TKHeadlessKeyboardWindow(), window) << "a shown window takes the keyboard";
  TKWindow* other = TKCreateWindow(kTKWindowBorderless, TKMakeRect(0, 0, 500, 22), "Bar");
  TKShowWindow(other);
  TKSelectWindow(window);
  std::vector<TKWindowKind> frontWhileOpen;
  TKTimer* timer = TKInstallTimer(0.1, 0.1, [&](TKTimer*) {
    TKSelectWindow(other);
    TKSelectWindow(window);
    std::vector<TKWindow*> order = TKHeadlessScreenOrder();
    if (TKNow() < 0.35 && !order.empty()) frontWhileOpen.push_back(TKGetWindowKind(order.front()));
  });
  TKInjectMouseDown(window, TKPoint{25, 10});
  TKInjectMouseUp(window, TKPoint{25, 10}, 0, 0.05);
  TKInjectKey(kTKKeyEscape, 0, 0.35);
  TKRunFor(0.5);
  TKRemoveTimer(timer);
  ASSERT_FALSE(frontWhileOpen.empty());
  for (TKWindowKind kind : frontWhileOpen) EXPECT_EQ(kind, kTKWindowPopup);
  EXPECT_EQ(TKHeadlessScreenOrder().front(), window);
  EXPECT_EQ(TKHeadlessKeyboardWindow(), window) << "the closed menu gives the keyboard back";

  TKWindow* dialog = TKCreateWindow(kTKWindowModal, TKMakeRect(0, 0, 200, 100), "Dialog");
  TKInstallWindowHandler(dialog, [&](TKEvent& e) {
    if (e.kind == kTKEventKeyDown && e.charCode == kTKKeyEscape) TKEndModal(dialog, 1);
    return kQVErrNotHandled;
  });
  TKInjectKey(kTKKeyEscape);
  EXPECT_EQ(TKRunModal(dialog), 1);
  TKDisposeWindow(dialog);
  EXPECT_EQ(TKHeadlessKeyboardWindow(), window) << "the closed dialog gives the keyboard back";
}

TEST_F(TKMenuTest, TrackingLoopTimesOutOnTheFakeClockWhileTimersFire) {
  int ticks = 0;
  TKInstallTimer(0.1, 0.1, [&](TKTimer*) { ++ticks; });
  int timeouts = 0, drags = 0;
  double upAt = -1;
  TKUserPaneProcs procs;
  procs.track = [&](TKControl* c, TKPoint, uint32_t) -> int16_t {
    TKPoint p;
    uint32_t mods;
    for (;;) {
      TKTrackResult r = TKTrackMouse(TKGetControlWindow(c), 0.02, &p, &mods);
      if (r == kTKTrackTimedOut) ++timeouts;
      if (r == kTKTrackMouseDragged) ++drags;
      if (r == kTKTrackMouseUp) break;
    }
    upAt = TKNow();
    return 1;
  };
  TKNewUserPane(window, TKMakeRect(100, 100, 100, 100), procs);
  TKInjectMouseDown(window, TKPoint{150, 150});
  TKInjectMouseDrag(window, TKPoint{160, 150}, 0, 0.5);
  TKInjectMouseUp(window, TKPoint{160, 150}, 0, 1.0);
  TKRunFor(1.05);
  EXPECT_DOUBLE_EQ(upAt, 1.0);
  EXPECT_EQ(drags, 1);
  EXPECT_GE(timeouts, 45);  // every 20 ms for a second
  EXPECT_LE(timeouts, 51);
  EXPECT_EQ(ticks, 10);     // the timer kept firing throughout
}

TEST_F(TKMenuTest, WindowRendersToPNG) {
  TKWindow* w = TKCreateWindow(kTKWindowPlain, TKMakeRect(50, 50, 200, 120), "Render");
  TKSetWindowContentColor(w, TKColor{0, 0, 1, 1});
  TKUserPaneProcs procs;
  procs.draw = [](TKControl* c, TKContext* ctx) {
    TKSetFillColor(ctx, TKColor{1, 0, 0, 1});
    TKFillRect(ctx, TKGetControlBounds(c));
  };
  TKControl* pane = TKNewUserPane(w, TKMakeRect(10, 10, 50, 40), procs);
  TKControl* box = TKNewCheckBox(w, TKMakeRect(100, 80, 90, 20), "On", 1);
  std::string path = TempPath("ui_window.png");
  ASSERT_EQ(TKWriteWindowPNG(w, path.c_str()), kQVNoErr);
  TKImage* png = TKImageReadPNG(path.c_str());
  ASSERT_NE(png, nullptr);
  EXPECT_EQ(TKImageWidth(png), 200);
  EXPECT_EQ(TKImageGetPixel(png, 5, 5), 0xFF0000FFu);    // content colour
  EXPECT_EQ(TKImageGetPixel(png, 30, 30), 0xFFFF0000u);  // the pane's drawing
  // The ticked box is filled with the accent colour (mostly blue-ish, not the content blue).
  uint32_t tick = TKImageGetPixel(png, 103, 84);
  EXPECT_NE(tick, 0xFF0000FFu);
  EXPECT_GT((tick >> 16) & 0xFF, 0x20u);
  TKImageDispose(png);
  // Hidden controls are not drawn.
  TKSetControlVisible(pane, false);
  (void)box;
  TKImage* image = TKRenderWindow(w);
  EXPECT_EQ(TKImageGetPixel(image, 30, 30), 0xFF0000FFu);
}

}  // namespace

namespace {

TEST_F(TKMenuTest, SubmenuChoiceComesBackFromThePopup) {
  TKMenu* top = TKCreateMenu(300, "");
  TKAppendMenuItem(top, "Reset", QVFourCC("rset"));
  int32_t layoutItem = TKAppendMenuItem(top, "Layout", 0);
  TKMenu* layout = TKCreateMenu(301, "");
  TKAppendMenuItem(layout, "Side by Side", QVFourCC("side"));
  TKAppendMenuItem(layout, "Stacked", QVFourCC("stak"));
  TKSetMenuItemSubmenu(top, layoutItem, layout);
  TKInjectKey(kTKKeyDown);
  TKInjectKey(kTKKeyDown);
  TKInjectKey(kTKKeyReturn);  // opens the submenu
  TKInjectKey(kTKKeyDown);
  TKInjectKey(kTKKeyDown);
  TKInjectKey(kTKKeyReturn);
  TKMenuChoice choice = TKPopupMenu(top, window, TKPoint{100, 100}, 0);
  EXPECT_EQ(choice.menu, layout);
  EXPECT_EQ(choice.item, 2);
  EXPECT_EQ(choice.command, QVFourCC("stak"));
  // A disposed submenu is unhooked from its parent item.
  TKDisposeMenu(layout);
  EXPECT_EQ(TKGetMenuItemSubmenu(top, layoutItem), nullptr);
}

TEST_F(TKMenuTest, ColourProcedureSetsBackgroundAndText) {
  TKWindow* w = TKCreateWindow(kTKWindowPlain, TKMakeRect(0, 0, 120, 40), "Colours");
  TKControl* label = TKNewStaticText(w, TKMakeRect(0, 0, 120, 40), "Label");
  TKSetControlColorProc(label, [](TKControl*, int32_t message, TKColor* c) {
    if (message == kTKColorBackground) *c = TKColor{0, 1, 0, 1};
    else if (message == kTKColorText) *c = TKColor{1, 0, 0, 1};
    else return kQVErrNotHandled;
    return kQVNoErr;
  });
  TKImage* image = TKRenderWindow(w);
  EXPECT_EQ(TKImageGetPixel(image, 100, 5), 0xFF00FF00u);
  bool redInk = false;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x)
      if (TKImageGetPixel(image, x, y) == 0xFFFF0000u) redInk = true;
  EXPECT_TRUE(redInk);
}

}  // namespace
