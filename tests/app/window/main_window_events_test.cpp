// Keys, modifiers and button clicks in the main window: the transport keys
// move the clip of the pane on show, F1-F8 store and recall the saved slots,
// the shortcut tables switch tabs, Caps Lock suspends and resumes, and a
// button's click reaches the command handler with the button.
#include "app/controls/value_slider.h"
#include "app/views/transport_bar.h"
#include "app/window/correction_tabs.h"
#include "app/window/main_window_tabs.h"
#include "main_window_fixture.h"

namespace {

int32_t gSurfaceSlot = 0;
int32_t gSurfaceStore = -1;
uint32_t gHandledCommand = 0;
UIControl* gHandledControl = nullptr;

TEST_F(MainWindowTest, TransportKeysMoveTheClipOfThePaneOnShow) {
  Build();
  struct Step {
    uint32_t key;
    uint32_t modifiers;
    int32_t time;  // the clip's time after the key
  };
  const Step steps[] = {
      {kUIKeyRight, 0, 10},
      {kUIKeyRight, 0, 20},
      {kUIKeyLeft, 0, 10},
      {kUIKeyRight, kUIModShift, 10},    // with a modifier it is no transport key
      {kUIKeyLeft, kUIModOption, 10},
      {4, 0, 90},                        // End
      {kUIKeyRight, 0, 90},              // held at the last frame
      {1, kUIModCommand, 90},
      {1, 0, 0},                         // Home
      {kUIKeyLeft, 0, 0},                // held at the first frame
  };
  for (const Step& s : steps) {
    Key(s.key, s.modifiers);
    EXPECT_EQ(hostTime, s.time) << "key " << s.key << " modifiers " << s.modifiers;
  }
  // Space plays and stops the current view's bar.
  UIControl* bar = gImageTransportBars[kImageViewResult];
  Key(' ');
  EXPECT_TRUE(TransportIsPlaying(bar));
  EXPECT_EQ(UIHooks().playingTransports(), 1);
  Key(' ');
  EXPECT_FALSE(TransportIsPlaying(bar));

  // In pane layout 1 the large view's bar takes the keys, in layout 2 the
  // current image view's again.
  SetMainWindowPaneLayout(1);
  EXPECT_EQ(gPaneLayout, 1);
  EXPECT_TRUE(UIIsControlVisible(gLargeImagePane));
  EXPECT_FALSE(UIIsControlVisible(gCurrentImagePane));
  Key(' ');
  EXPECT_TRUE(TransportIsPlaying(ImagePaneGetLinkedControl(gLargeImagePane)));
  EXPECT_FALSE(TransportIsPlaying(bar));
  UIHooks().pauseTransports();
  EXPECT_EQ(UIHooks().playingTransports(), 0);
  SetMainWindowPaneLayout(2);
  EXPECT_FALSE(UIIsControlVisible(gLargeImagePane));
  EXPECT_TRUE(UIIsControlVisible(gCurrentImagePane));
  Key(' ');
  EXPECT_TRUE(TransportIsPlaying(bar));
  UIHooks().pauseTransports();
}

TEST_F(MainWindowTest, FunctionKeysStoreAndRecallSavedSlots) {
  Build();
  gSurfaceSlot = 0;
  gSurfaceStore = -1;
  SetMainWindowSurfaceHook([](int32_t slot, bool store) {
    gSurfaceSlot = slot;
    gSurfaceStore = store;
  });
  gUISettings.hsl[0].gain = 1.5f;
  FunctionKey(kUIKeyCodeF3, kUIModShift);
  EXPECT_EQ(gSavedSettings.stored[2], 1);
  EXPECT_FLOAT_EQ(gSavedSettings.slot[2].hsl[0].gain, 1.5f);
  EXPECT_EQ(gSurfaceSlot, 3);
  EXPECT_EQ(gSurfaceStore, 1);

  gUISettings.hsl[0].gain = 0.5f;
  FunctionKey(kUIKeyCodeF3);
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].gain, 1.5f);
  EXPECT_EQ(gSurfaceStore, 0);

  // An empty slot beeps and leaves the surface alone.
  const int32_t beeps = UIHeadlessBeepCount();
  gSurfaceSlot = 0;
  FunctionKey(kUIKeyCodeF8);
  EXPECT_EQ(UIHeadlessBeepCount(), beeps + 1);
  EXPECT_EQ(gSurfaceSlot, 0);
  // F9 is no slot key.
  FunctionKey(kUIKeyCodeF9, kUIModShift);
  EXPECT_EQ(UIHeadlessBeepCount(), beeps + 1);
  SetMainWindowSurfaceHook(nullptr);
}

TEST_F(MainWindowTest, ShortcutKeysSwitchTabsAndViews) {
  Build();
  struct Shortcut {
    uint32_t key;
    uint32_t modifiers;
    UIControl** group;
    int32_t item;
  };
  const Shortcut cases[] = {
      {'c', 0, &gCorrectionTabs, kCorrectionTabCurves},       {'l', 0, &gCorrectionTabs, kCorrectionTabLimiting},
      {'n', 0, &gCorrectionTabs, kCorrectionTabLumaRange},    {'V', kUIModShift, &gAnalysisPaneTabs, kAnalysisVectorscope},
      {'S', kUIModShift, &gImagePaneTabs, kImageViewSource},  {'R', kUIModShift, &gImagePaneTabs, kImageViewResult},
  };
  for (const Shortcut& c : cases) {
    Key(c.key, c.modifiers);
    EXPECT_EQ(TabGroupGetCurrent(*c.group), c.item) << char(c.key);
  }
  EXPECT_EQ(gCorrectionTab, kCorrectionTabLumaRange);
  EXPECT_EQ(gAnalysisPaneKind, kAnalysisVectorscope);
  EXPECT_EQ(gImageViewMode, kImageViewResult);
}

TEST_F(MainWindowTest, ModifierKeysPickTheCursorAndCapsLockSuspends) {
  Build();
  struct Cursor {
    uint32_t modifiers;
    int32_t cursor;
  };
  const Cursor cursors[] = {{0, 0},
                            {kUIModShift, 1},
                            {kUIModOption, 2},
                            {kUIModShift | kUIModControl, 5},
                            {kUIModShift | kUIModOption | kUIModControl, 7},
                            {kUIModCommand | kUIModCapsLock, 0}};
  for (const Cursor& c : cursors) {
    UIInjectModifiers(c.modifiers);
    UIRunPending();
    EXPECT_EQ(gImagePaneCursor, c.cursor) << c.modifiers;
  }
  UIInjectModifiers(kUIModCapsLock);
  UIRunPending();
  UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  EXPECT_TRUE(gUpdatesSuspended);
  UIInjectModifiers(0);
  UIRunPending();
  EXPECT_FALSE(gUpdatesSuspended);
}

TEST_F(MainWindowTest, ButtonClicksReachTheCommandHandlerWithTheButton) {
  Build();
  gHandledCommand = 0;
  gHandledControl = nullptr;
  SetMainWindowCommandHandler([](uint32_t command, UIControl* control) -> QVStatus {
    gHandledCommand = command;
    gHandledControl = control;
    return kQVNoErr;
  });
  TabGroupSelect(gCorrectionTabs, kCorrectionTabLimiting);
  UIRunPending();
  UIControl* pane = TabGroupGetPane(gCorrectionTabs, kCorrectionTabLimiting);
  UIControl* reset = nullptr;
  for (int32_t i = 0; i < UICountChildren(pane); ++i)
    if (UIGetControlTitle(UIGetChild(pane, i)) == "Reset") reset = UIGetChild(pane, i);
  ASSERT_NE(reset, nullptr);
  const UIRect r = UIGetControlBounds(reset);
  UIInjectClick(UIMainWindow(), UIPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  UIRunPending();
  EXPECT_EQ(gHandledCommand, kVFCommandReset);
  EXPECT_EQ(gHandledControl, reset);
  VLSettingsSectionMask mask = 0;
  ASSERT_TRUE(VFGetButtonSectionMask(gHandledControl, &mask));
  EXPECT_EQ(mask, VLSettingsSectionMask(1) << 28);
  SetMainWindowCommandHandler(nullptr);
}

}  // namespace

namespace {

// A click on the window's background, or on the blank part of a tab,
// applies what is being typed and leaves the keyboard focus.
TEST_F(MainWindowTest, ClickOffTheControlsAppliesTheTypedValue) {
  Build();
  TabGroupSelect(gCorrectionTabs, kCorrectionTabLimiting);
  UIRunPending();
  UIControl* knee = VFControlAtOffset(offsetof(VL_SettingsStruct, limiter.limiter_softclip_knee));
  ASSERT_NE(knee, nullptr);
  UIControl* readout = VFGetValueSlider(knee)->readout;
  UIControl* field = VFGetValueSlider(knee)->editField;
  const UIRect content = UIGetControlBounds(TabGroupGetPane(gCorrectionTabs, kCorrectionTabLimiting));
  const UIRect window = UIGetWindowContentRect(UIMainWindow());
  struct Place {
    UIPoint where;
    const char* typed;
    float value;
  };
  const Place places[] = {
      {UIPoint{3, window.bottom - 3}, "80", 80.0f},                       // the window's background
      {UIPoint{(content.left + content.right) / 2, content.bottom - 40}, "70", 70.0f},  // a blank part of the tab
  };
  for (const Place& p : places) {
    const UIRect r = UIGetControlBounds(readout);
    UIInjectClick(UIMainWindow(), UIPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    UIRunPending();
    ASSERT_TRUE(gEditFieldOpen);
    UISetEditText(field, "");
    UIInjectText(p.typed);
    UIRunPending();
    UIInjectClick(UIMainWindow(), p.where);
    UIRunPending();
    EXPECT_FALSE(gEditFieldOpen) << p.typed;
    EXPECT_FLOAT_EQ(gUISettings.limiter.limiter_softclip_knee, p.value);
    EXPECT_EQ(UIGetKeyboardFocus(UIMainWindow()), nullptr);
  }
}

}  // namespace

namespace {

// The playback buttons of a view's transport bar: to start, back, stop,
// play, forward, to end, 18 px apart in the middle of the bar.
TEST_F(MainWindowTest, TransportBarButtonsMoveAndPlayTheClip) {
  Build();
  UIControl* bar = gImageTransportBars[kImageViewResult];
  const UIRect b = UIGetControlBounds(bar);
  auto press = [&](int32_t button) {
    UIInjectClick(UIMainWindow(), UIPoint{(b.left + b.right) / 2 - 54 + 18 * button + 4, (b.top + b.bottom) / 2});
    UIRunPending();
  };
  press(5);
  EXPECT_EQ(hostTime, 90);
  press(1);
  EXPECT_EQ(hostTime, 80);
  press(0);
  EXPECT_EQ(hostTime, 0);
  press(4);
  EXPECT_EQ(hostTime, 10);
  press(3);
  EXPECT_TRUE(TransportIsPlaying(bar));
  press(2);
  EXPECT_FALSE(TransportIsPlaying(bar));
  press(2);
  EXPECT_FALSE(TransportIsPlaying(bar));
}

}  // namespace
