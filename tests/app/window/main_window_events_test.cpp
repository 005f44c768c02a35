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
TKControl* gHandledControl = nullptr;

TEST_F(MainWindowTest, TransportKeysMoveTheClipOfThePaneOnShow) {
  Build();
  struct Step {
    uint32_t key;
    uint32_t modifiers;
    int32_t time;  // the clip's time after the key
  };
  const Step steps[] = {
      {kTKKeyRight, 0, 10},
      {kTKKeyRight, 0, 20},
      {kTKKeyLeft, 0, 10},
      {kTKKeyRight, kTKModShift, 10},    // with a modifier it is no transport key
      {kTKKeyLeft, kTKModOption, 10},
      {4, 0, 90},                        // End
      {kTKKeyRight, 0, 90},              // held at the last frame
      {1, kTKModCommand, 90},
      {1, 0, 0},                         // Home
      {kTKKeyLeft, 0, 0},                // held at the first frame
  };
  for (const Step& s : steps) {
    Key(s.key, s.modifiers);
    EXPECT_EQ(hostTime, s.time) << "key " << s.key << " modifiers " << s.modifiers;
  }
  // Space plays and stops the current view's bar.
  TKControl* bar = gImageTransportBars[kImageViewResult];
  Key(' ');
  EXPECT_TRUE(TransportIsPlaying(bar));
  EXPECT_EQ(UIHooks().playingTransports(), 1);
  Key(' ');
  EXPECT_FALSE(TransportIsPlaying(bar));

  // In pane layout 1 the large view's bar takes the keys, in layout 2 the
  // current image view's again.
  SetMainWindowPaneLayout(1);
  EXPECT_EQ(gPaneLayout, 1);
  EXPECT_TRUE(TKIsControlVisible(gLargeImagePane));
  EXPECT_FALSE(TKIsControlVisible(gCurrentImagePane));
  Key(' ');
  EXPECT_TRUE(TransportIsPlaying(ImagePaneGetLinkedControl(gLargeImagePane)));
  EXPECT_FALSE(TransportIsPlaying(bar));
  UIHooks().pauseTransports();
  EXPECT_EQ(UIHooks().playingTransports(), 0);
  SetMainWindowPaneLayout(2);
  EXPECT_FALSE(TKIsControlVisible(gLargeImagePane));
  EXPECT_TRUE(TKIsControlVisible(gCurrentImagePane));
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
  FunctionKey(kTKKeyCodeF3, kTKModShift);
  EXPECT_EQ(gSavedSettings.stored[2], 1);
  EXPECT_FLOAT_EQ(gSavedSettings.slot[2].hsl[0].gain, 1.5f);
  EXPECT_EQ(gSurfaceSlot, 3);
  EXPECT_EQ(gSurfaceStore, 1);

  gUISettings.hsl[0].gain = 0.5f;
  FunctionKey(kTKKeyCodeF3);
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].gain, 1.5f);
  EXPECT_EQ(gSurfaceStore, 0);

  // An empty slot beeps and leaves the surface alone.
  const int32_t beeps = TKHeadlessBeepCount();
  gSurfaceSlot = 0;
  FunctionKey(kTKKeyCodeF8);
  EXPECT_EQ(TKHeadlessBeepCount(), beeps + 1);
  EXPECT_EQ(gSurfaceSlot, 0);
  // F9 is no slot key.
  FunctionKey(kTKKeyCodeF9, kTKModShift);
  EXPECT_EQ(TKHeadlessBeepCount(), beeps + 1);
  SetMainWindowSurfaceHook(nullptr);
}

TEST_F(MainWindowTest, ShortcutKeysSwitchTabsAndViews) {
  Build();
  struct Shortcut {
    uint32_t key;
    uint32_t modifiers;
    TKControl** group;
    int32_t item;
  };
  const Shortcut cases[] = {
      {'c', 0, &gCorrectionTabs, kCorrectionTabCurves},       {'l', 0, &gCorrectionTabs, kCorrectionTabLimiting},
      {'n', 0, &gCorrectionTabs, kCorrectionTabLumaRange},    {'V', kTKModShift, &gAnalysisPaneTabs, kAnalysisVectorscope},
      {'S', kTKModShift, &gImagePaneTabs, kImageViewSource},  {'R', kTKModShift, &gImagePaneTabs, kImageViewResult},
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
                            {kTKModShift, 1},
                            {kTKModOption, 2},
                            {kTKModShift | kTKModControl, 5},
                            {kTKModShift | kTKModOption | kTKModControl, 7},
                            {kTKModCommand | kTKModCapsLock, 0}};
  for (const Cursor& c : cursors) {
    TKInjectModifiers(c.modifiers);
    TKRunPending();
    EXPECT_EQ(gImagePaneCursor, c.cursor) << c.modifiers;
  }
  TKInjectModifiers(kTKModCapsLock);
  TKRunPending();
  UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  EXPECT_TRUE(gUpdatesSuspended);
  TKInjectModifiers(0);
  TKRunPending();
  EXPECT_FALSE(gUpdatesSuspended);
}

TEST_F(MainWindowTest, ButtonClicksReachTheCommandHandlerWithTheButton) {
  Build();
  gHandledCommand = 0;
  gHandledControl = nullptr;
  SetMainWindowCommandHandler([](uint32_t command, TKControl* control) -> QVStatus {
    gHandledCommand = command;
    gHandledControl = control;
    return kQVNoErr;
  });
  TabGroupSelect(gCorrectionTabs, kCorrectionTabLimiting);
  TKRunPending();
  TKControl* pane = TabGroupGetPane(gCorrectionTabs, kCorrectionTabLimiting);
  TKControl* reset = nullptr;
  for (int32_t i = 0; i < TKCountChildren(pane); ++i)
    if (TKGetControlTitle(TKGetChild(pane, i)) == "Reset") reset = TKGetChild(pane, i);
  ASSERT_NE(reset, nullptr);
  const TKRect r = TKGetControlBounds(reset);
  TKInjectClick(UIMainWindow(), TKPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  TKRunPending();
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
  TKRunPending();
  TKControl* knee = VFControlAtOffset(offsetof(VL_SettingsStruct, limiter.limiter_softclip_knee));
  ASSERT_NE(knee, nullptr);
  TKControl* readout = VFGetValueSlider(knee)->readout;
  TKControl* field = VFGetValueSlider(knee)->editField;
  const TKRect content = TKGetControlBounds(TabGroupGetPane(gCorrectionTabs, kCorrectionTabLimiting));
  const TKRect window = TKGetWindowContentRect(UIMainWindow());
  struct Place {
    TKPoint where;
    const char* typed;
    float value;
  };
  const Place places[] = {
      {TKPoint{3, window.bottom - 3}, "80", 80.0f},                       // the window's background
      {TKPoint{(content.left + content.right) / 2, content.bottom - 40}, "70", 70.0f},  // a blank part of the tab
  };
  for (const Place& p : places) {
    const TKRect r = TKGetControlBounds(readout);
    TKInjectClick(UIMainWindow(), TKPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    TKRunPending();
    ASSERT_TRUE(gEditFieldOpen);
    TKSetEditText(field, "");
    TKInjectText(p.typed);
    TKRunPending();
    TKInjectClick(UIMainWindow(), p.where);
    TKRunPending();
    EXPECT_FALSE(gEditFieldOpen) << p.typed;
    EXPECT_FLOAT_EQ(gUISettings.limiter.limiter_softclip_knee, p.value);
    EXPECT_EQ(TKGetKeyboardFocus(UIMainWindow()), nullptr);
  }
}

}  // namespace

namespace {

// The playback buttons of a view's transport bar: to start, back, stop,
// play, forward, to end, 18 px apart in the middle of the bar.
TEST_F(MainWindowTest, TransportBarButtonsMoveAndPlayTheClip) {
  Build();
  TKControl* bar = gImageTransportBars[kImageViewResult];
  const TKRect b = TKGetControlBounds(bar);
  auto press = [&](int32_t button) {
    TKInjectClick(UIMainWindow(), TKPoint{(b.left + b.right) / 2 - 54 + 18 * button + 4, (b.top + b.bottom) / 2});
    TKRunPending();
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
