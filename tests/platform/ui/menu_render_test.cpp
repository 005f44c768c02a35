#include <gtest/gtest.h>

#include <vector>

#include "platform/fourcc.h"
#include "platform/ui/ui_control.h"
#include "platform/ui/ui_menu.h"
#include "tests/platform/ui/ui_test_fixture.h"

namespace {

class UIMenuTest : public UIHeadlessTest {
 protected:
  void SetUp() override {
    UIHeadlessTest::SetUp();
    window = UICreateWindow(kUIWindowPlain, UIMakeRect(0, 0, 500, 300), "Main");
    UISetWindowShowsMenuBar(window, true);
    UIShowWindow(window);
    file = UICreateMenu(129, "File");
    UIAppendMenuItem(file, "Open\xE2\x80\xA6", QVFourCC("open"), 'o', kUIModCommand);
    UIAppendMenuItem(file, "-", 0);
    UIAppendMenuItem(file, "Save As\xE2\x80\xA6", QVFourCC("svas"), 's', kUIModCommand | kUIModShift);
    UIAppendMenuItem(file, "Save", QVFourCC("save"), 's', kUIModCommand);
    UIInsertMenuInBar(file);
    UIInstallAppHandler([this](UIEvent& e) {
      if (e.kind == kUIEventCommand) {
        commands.push_back(e.command);
        return e.command == kUICommandQuit ? kQVErrNotHandled : kQVNoErr;
      }
      if (e.kind == kUIEventUpdateCommand && e.command == QVFourCC("save")) {
        UIEnableMenuItem(e.menu, e.menuItem, saveEnabled);
        return kQVNoErr;
      }
      return kQVErrNotHandled;
    });
  }
  UIWindow* window = nullptr;
  UIMenu* file = nullptr;
  std::vector<uint32_t> commands;
  bool saveEnabled = true;
};

TEST_F(UIMenuTest, KeyEquivalentRunsItsCommandAfterTheEnablePass) {
  UIInjectKey('s', kUIModCommand);
  UIInjectKey('S', kUIModCommand | kUIModShift);
  UIInjectKey('o', kUIModCommand);
  UIInjectKey('o');  // no command key: typing, not a menu key
  UIRunPending();
  EXPECT_EQ(commands, (std::vector<uint32_t>{QVFourCC("save"), QVFourCC("svas"), QVFourCC("open")}));
  saveEnabled = false;
  commands.clear();
  UIInjectKey('s', kUIModCommand);
  UIRunPending();
  EXPECT_TRUE(commands.empty());
  EXPECT_FALSE(UIIsMenuItemEnabled(file, 4));
  UIMenu* found = nullptr;
  int32_t item = 0;
  ASSERT_TRUE(UIFindMenuCommand(QVFourCC("svas"), &found, &item));
  EXPECT_EQ(found, file);
  EXPECT_EQ(item, 3);
}

TEST_F(UIMenuTest, UnhandledQuitCommandQuitsAndModalDialogsBlockMenuKeys) {
  UIMenu* app = UICreateMenu(128, "App");
  UIAppendMenuItem(app, "Quit", kUICommandQuit, 'q', kUIModCommand);
  UIInsertMenuInBar(app);
  UIInjectKey('q', kUIModCommand);
  UIRunFor(1.0);  // ends early once the quit request lands
  EXPECT_DOUBLE_EQ(UINow(), 0.0);
  EXPECT_TRUE(UIQuitRequested());
  UIClearQuitRequest();
  EXPECT_EQ(commands, std::vector<uint32_t>{kUICommandQuit});  // the app handler saw it first

  UIWindow* dialog = UICreateWindow(kUIWindowModal, UIMakeRect(0, 0, 200, 100), "Dialog");
  UIInstallWindowHandler(dialog, [&](UIEvent& e) {
    if (e.kind == kUIEventKeyDown && e.charCode == kUIKeyEscape) UIEndModal(dialog, 1);
    return kQVErrNotHandled;
  });
  commands.clear();
  UIInjectKey('o', kUIModCommand);
  UIInjectKey(kUIKeyEscape);
  EXPECT_EQ(UIRunModal(dialog), 1);
  EXPECT_TRUE(commands.empty());
}

TEST_F(UIMenuTest, MenuBarClickChoosesAnItem) {
  // The File title starts at x 10; items 20 high from y 4 inside the menu.
  UIInjectMouseDown(window, UIPoint{25, 10});
  UIInjectMouseDrag(window, UIPoint{40, 22 + 4 + 10});
  UIInjectMouseUp(window, UIPoint{40, 22 + 4 + 10});
  UIRunPending();
  EXPECT_EQ(commands, std::vector<uint32_t>{QVFourCC("open")});
}

TEST_F(UIMenuTest, PopupButtonTakesTheChosenItem) {
  UIMenu* choices = UICreateMenu(200, "");
  for (const char* t : {"NTSC", "PAL", "Rec. 709"}) UIAppendMenuItem(choices, t, 0);
  UIControl* popup = UINewPopupButton(window, UIMakeRect(20, 60, 150, 24), "", choices, 1);
  EXPECT_EQ(UIGetControlMaximum(popup), 3);
  int hits = 0;
  UIInstallControlHandler(popup, [&](UIEvent& e) {
    if (e.kind == kUIEventControlHit && e.part == kUIPartMenu) ++hits;
    return kQVErrNotHandled;
  });
  // The menu opens with item 1 under the control's top-left corner; keys pick item 3.
  UIInjectClick(window, UIPoint{60, 70});
  UIInjectKey(kUIKeyDown);
  UIInjectKey(kUIKeyDown);
  UIInjectKey(kUIKeyReturn);
  UIRunPending();
  EXPECT_EQ(UIGetControlValue(popup), 3);
  EXPECT_EQ(hits, 1);
  // Escape leaves it as it was.
  UIInjectClick(window, UIPoint{60, 70});
  UIInjectKey(kUIKeyUp);
  UIInjectKey(kUIKeyEscape);
  UIRunPending();
  EXPECT_EQ(UIGetControlValue(popup), 3);
  EXPECT_EQ(hits, 1);
}

// An open menu stays on top of its window on a display without a window
// manager, even when the window is brought forward meanwhile (as a click on
// a separate menu-bar window does), and the keyboard goes back to the window
// when the menu or a dialog closes.
TEST_F(UIMenuTest, MenusStayAboveTheirWindowAndTheKeyboardComesBack) {
  EXPECT_EQ(UIHeadlessKeyboardWindow(), window) << "a shown window takes the keyboard";
  UIWindow* other = UICreateWindow(kUIWindowBorderless, UIMakeRect(0, 0, 500, 22), "Bar");
  UIShowWindow(other);
  UISelectWindow(window);
  std::vector<UIWindowKind> frontWhileOpen;
  UITimer* timer = UIInstallTimer(0.1, 0.1, [&](UITimer*) {
    UISelectWindow(other);
    UISelectWindow(window);
    std::vector<UIWindow*> order = UIHeadlessScreenOrder();
    if (UINow() < 0.35 && !order.empty()) frontWhileOpen.push_back(UIGetWindowKind(order.front()));
  });
  UIInjectMouseDown(window, UIPoint{25, 10});
  UIInjectMouseUp(window, UIPoint{25, 10}, 0, 0.05);
  UIInjectKey(kUIKeyEscape, 0, 0.35);
  UIRunFor(0.5);
  UIRemoveTimer(timer);
  ASSERT_FALSE(frontWhileOpen.empty());
  for (UIWindowKind kind : frontWhileOpen) EXPECT_EQ(kind, kUIWindowPopup);
  EXPECT_EQ(UIHeadlessScreenOrder().front(), window);
  EXPECT_EQ(UIHeadlessKeyboardWindow(), window) << "the closed menu gives the keyboard back";

  UIWindow* dialog = UICreateWindow(kUIWindowModal, UIMakeRect(0, 0, 200, 100), "Dialog");
  UIInstallWindowHandler(dialog, [&](UIEvent& e) {
    if (e.kind == kUIEventKeyDown && e.charCode == kUIKeyEscape) UIEndModal(dialog, 1);
    return kQVErrNotHandled;
  });
  UIInjectKey(kUIKeyEscape);
  EXPECT_EQ(UIRunModal(dialog), 1);
  UIDisposeWindow(dialog);
  EXPECT_EQ(UIHeadlessKeyboardWindow(), window) << "the closed dialog gives the keyboard back";
}

TEST_F(UIMenuTest, TrackingLoopTimesOutOnTheFakeClockWhileTimersFire) {
  int ticks = 0;
  UIInstallTimer(0.1, 0.1, [&](UITimer*) { ++ticks; });
  int timeouts = 0, drags = 0;
  double upAt = -1;
  UIUserPaneProcs procs;
  procs.track = [&](UIControl* c, UIPoint, uint32_t) -> int16_t {
    UIPoint p;
    uint32_t mods;
    for (;;) {
      UITrackResult r = UITrackMouse(UIGetControlWindow(c), 0.02, &p, &mods);
      if (r == kUITrackTimedOut) ++timeouts;
      if (r == kUITrackMouseDragged) ++drags;
      if (r == kUITrackMouseUp) break;
    }
    upAt = UINow();
    return 1;
  };
  UINewUserPane(window, UIMakeRect(100, 100, 100, 100), procs);
  UIInjectMouseDown(window, UIPoint{150, 150});
  UIInjectMouseDrag(window, UIPoint{160, 150}, 0, 0.5);
  UIInjectMouseUp(window, UIPoint{160, 150}, 0, 1.0);
  UIRunFor(1.05);
  EXPECT_DOUBLE_EQ(upAt, 1.0);
  EXPECT_EQ(drags, 1);
  EXPECT_GE(timeouts, 45);  // every 20 ms for a second
  EXPECT_LE(timeouts, 51);
  EXPECT_EQ(ticks, 10);     // the timer kept firing throughout
}

TEST_F(UIMenuTest, WindowRendersToPNG) {
  UIWindow* w = UICreateWindow(kUIWindowPlain, UIMakeRect(50, 50, 200, 120), "Render");
  UISetWindowContentColor(w, UIColor{0, 0, 1, 1});
  UIUserPaneProcs procs;
  procs.draw = [](UIControl* c, UIContext* ctx) {
    UISetFillColor(ctx, UIColor{1, 0, 0, 1});
    UIFillRect(ctx, UIGetControlBounds(c));
  };
  UIControl* pane = UINewUserPane(w, UIMakeRect(10, 10, 50, 40), procs);
  UIControl* box = UINewCheckBox(w, UIMakeRect(100, 80, 90, 20), "On", 1);
  std::string path = TempPath("ui_window.png");
  ASSERT_EQ(UIWriteWindowPNG(w, path.c_str()), kQVNoErr);
  UIImage* png = UIImageReadPNG(path.c_str());
  ASSERT_NE(png, nullptr);
  EXPECT_EQ(UIImageWidth(png), 200);
  EXPECT_EQ(UIImageGetPixel(png, 5, 5), 0xFF0000FFu);    // content colour
  EXPECT_EQ(UIImageGetPixel(png, 30, 30), 0xFFFF0000u);  // the pane's drawing
  // The ticked box is filled with the accent colour (mostly blue-ish, not the content blue).
  uint32_t tick = UIImageGetPixel(png, 103, 84);
  EXPECT_NE(tick, 0xFF0000FFu);
  EXPECT_GT((tick >> 16) & 0xFF, 0x20u);
  UIImageDispose(png);
  // Hidden controls are not drawn.
  UISetControlVisible(pane, false);
  (void)box;
  UIImage* image = UIRenderWindow(w);
  EXPECT_EQ(UIImageGetPixel(image, 30, 30), 0xFF0000FFu);
}

}  // namespace

namespace {

TEST_F(UIMenuTest, SubmenuChoiceComesBackFromThePopup) {
  UIMenu* top = UICreateMenu(300, "");
  UIAppendMenuItem(top, "Reset", QVFourCC("rset"));
  int32_t layoutItem = UIAppendMenuItem(top, "Layout", 0);
  UIMenu* layout = UICreateMenu(301, "");
  UIAppendMenuItem(layout, "Side by Side", QVFourCC("side"));
  UIAppendMenuItem(layout, "Stacked", QVFourCC("stak"));
  UISetMenuItemSubmenu(top, layoutItem, layout);
  UIInjectKey(kUIKeyDown);
  UIInjectKey(kUIKeyDown);
  UIInjectKey(kUIKeyReturn);  // opens the submenu
  UIInjectKey(kUIKeyDown);
  UIInjectKey(kUIKeyDown);
  UIInjectKey(kUIKeyReturn);
  UIMenuChoice choice = UIPopupMenu(top, window, UIPoint{100, 100}, 0);
  EXPECT_EQ(choice.menu, layout);
  EXPECT_EQ(choice.item, 2);
  EXPECT_EQ(choice.command, QVFourCC("stak"));
  // A disposed submenu is unhooked from its parent item.
  UIDisposeMenu(layout);
  EXPECT_EQ(UIGetMenuItemSubmenu(top, layoutItem), nullptr);
}

TEST_F(UIMenuTest, ColourProcedureSetsBackgroundAndText) {
  UIWindow* w = UICreateWindow(kUIWindowPlain, UIMakeRect(0, 0, 120, 40), "Colours");
  UIControl* label = UINewStaticText(w, UIMakeRect(0, 0, 120, 40), "Label");
  UISetControlColorProc(label, [](UIControl*, int32_t message, UIColor* c) {
    if (message == kUIColorBackground) *c = UIColor{0, 1, 0, 1};
    else if (message == kUIColorText) *c = UIColor{1, 0, 0, 1};
    else return kQVErrNotHandled;
    return kQVNoErr;
  });
  UIImage* image = UIRenderWindow(w);
  EXPECT_EQ(UIImageGetPixel(image, 100, 5), 0xFF00FF00u);
  bool redInk = false;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x)
      if (UIImageGetPixel(image, x, y) == 0xFFFF0000u) redInk = true;
  EXPECT_TRUE(redInk);
}

}  // namespace
