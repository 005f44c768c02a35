// Edits through the window: each control writes exactly its field, ticks
// the enable boxes of the tabs around it, reprocesses the frame to what the
// engine gives, and leaves the undo steps the edit rules give.
#include <cmath>

#include "app/commands/shell_commands.h"
#include "tests/app/controls/correction_window.h"

namespace {

TKPoint ThumbCentre(TKControl* slider) {
  const TKRect b = TKGetControlBounds(slider);
  const double t = double(TKGetControlValue(slider) - TKGetControlMinimum(slider)) /
                   (double(TKGetControlMaximum(slider)) - TKGetControlMinimum(slider));
  return TKPoint{b.left + int32_t(std::lround(t * (TKRectWidth(b) - 16))) + 8, (b.top + b.bottom) / 2};
}

float Saturation() { return gUISettings.hsl[0].saturation; }

}  // namespace

TEST_F(CorrectionWindowTest, DraggingASliderWritesItsFieldTicksItsTabsAndMakesOneUndoStep) {
  const VL_SettingsStruct before = gUISettings;
  const TKPoint start = ThumbCentre(saturation);
  // Steps a moment apart, as a hand makes them (steps queued together count as one).
  const double t0 = TKNow();
  TKInjectMouseDown(window, start);
  for (int dx = 10; dx <= 60; dx += 10) TKInjectMouseDrag(window, TKPoint{start.x + dx, start.y}, 0, t0 + dx / 200.0);
  TKInjectMouseUp(window, TKPoint{start.x + 60, start.y}, 0, t0 + 0.4);
  TKRunFor(0.5);

  const VL_SettingsStruct after = gUISettings;
  EXPECT_GT(Saturation(), before.hsl[0].saturation);
  const std::vector<uint32_t> expected = {VF_OFFSET(hslEnable), VF_OFFSET(hsl[0].enable), VF_OFFSET(hsl[0].saturation)};
  EXPECT_EQ(ChangedWords(before, after), expected) << "the field and the enable words of the two tabs around it";
  EXPECT_EQ(TabGroupGetItemCheck(mainTabs, 0), 1);
  EXPECT_EQ(TabGroupGetItemCheck(hslRanges, 0), 1);
  EXPECT_EQ(reprocessCount, 6) << "one reprocess per step of the drag";
  EXPECT_EQ(CorrectionWindowTest::Pixels(gResultFrame), Expected());
  EXPECT_EQ(TKGetControlValue(saturation), int32_t(Saturation() * 65536.0f));

  // The whole drag is one step; Undo and Redo bring the slider along.
  EXPECT_TRUE(UndoBufferUndo(gUndoBuffer, &gUISettings));
  EXPECT_TRUE(ChangedWords(before, gUISettings).empty());
  EXPECT_EQ(TKGetControlValue(saturation), int32_t(before.hsl[0].saturation * 65536.0f));
  EXPECT_EQ(TabGroupGetItemCheck(mainTabs, 0), 0);
  EXPECT_FALSE(UndoBufferCanUndo(gUndoBuffer));
  EXPECT_EQ(CorrectionWindowTest::Pixels(gResultFrame), Expected());
  EXPECT_TRUE(UndoBufferRedo(gUndoBuffer, &gUISettings));
  EXPECT_TRUE(ChangedWords(after, gUISettings).empty()) << "Redo returns to the end of the drag";
  EXPECT_EQ(TKGetControlValue(saturation), int32_t(after.hsl[0].saturation * 65536.0f));
}

TEST_F(CorrectionWindowTest, DraggingAnotherSliderStartsTheNextUndoStep) {
  for (TKControl* slider : {saturation, saturation, gain}) {
    const TKPoint p = ThumbCentre(slider);
    TKInjectMouseDown(window, p);
    TKInjectMouseDrag(window, TKPoint{p.x + 15, p.y});
    TKInjectMouseUp(window, TKPoint{p.x + 15, p.y});
    TKRunPending();
  }
  int steps = 0;
  while (UndoBufferUndo(gUndoBuffer, &gUISettings)) ++steps;
  EXPECT_EQ(steps, 2) << "two drags of one slider make one step, the other slider the next";
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].gain, gUIDefaultSettings.hsl[0].gain);
  EXPECT_FLOAT_EQ(Saturation(), gUIDefaultSettings.hsl[0].saturation);
}

TEST_F(CorrectionWindowTest, ClicksInTheTrackSetTheValueUnderTheMouse) {
  // Hue runs from -180 to 180; the track is the slider inset by 6 px.
  const TKRect b = TKGetControlBounds(hue);
  const int32_t left = b.left + 6, right = b.right - 6, y = (b.top + b.bottom) / 2;
  struct Case {
    int32_t x;
    uint32_t modifiers;
    float hue;
  } cases[] = {
      {left, 0, -180.0f},
      {left + (right - left) / 2, 0, 0.0f},
      {right - 1, 0, 180.0f * (right - left - 2) / (right - left) + 0.0f},  // about 178
      {b.left + 1, 0, -180.0f},                                            // beyond the inset edge: clamped
      {right - 1, kTKModOption, gUIDefaultSettings.hsl[0].hue},             // Option: the default
  };
  for (const Case& c : cases) {
    // Park the thumb away from the click so the click lands in the track.
    gUISettings.hsl[0].hue = c.x < (left + right) / 2 ? 170.0f : -170.0f;
    VFRefreshFromSettings(hue);
    const uint32_t undoable = gUndoBuffer->undoable;
    TKInjectClick(window, TKPoint{c.x, y}, c.modifiers);
    TKRunPending();
    EXPECT_NEAR(gUISettings.hsl[0].hue, c.hue, 1.5f) << "x " << c.x;
    EXPECT_EQ(gUndoBuffer->undoable, undoable) << "a track click takes no undo snapshot";
  }
}

TEST_F(CorrectionWindowTest, TypedValuesAreParsedWholeAndClampedToTheTypedRange) {
  struct Case {
    const char* text;
    float gain;
  } cases[] = {
      {"1.25", 1.25f}, {"12", 4.0f},     {"-3", 0.0f},   {"1e30", 4.0f}, {"-1e400", 0.0f},
      {"1e400", 4.0f}, {"abc", 0.0f},    {"nan", 0.0f},  {" 2.5x", 2.5f}, {"0,5", 0.0f},
  };
  for (const Case& c : cases) {
    gUISettings.hsl[0].gain = 3.0f;
    VFRefreshFromSettings(gain);
    Click(Parts(gain)->readout);
    ASSERT_TRUE(gEditFieldOpen);
    ASSERT_EQ(gActiveEditSlider, Parts(gain)->readout);
    const uint32_t undoable = gUndoBuffer->undoable;
    const int before = reprocessCount;
    TKSetEditText(Parts(gain)->editField, "");
    Type(c.text);
    Key(kTKKeyReturn);
    EXPECT_FALSE(gEditFieldOpen);
    EXPECT_FLOAT_EQ(gUISettings.hsl[0].gain, c.gain) << c.text;
    EXPECT_EQ(gUndoBuffer->undoable, undoable + 1) << "Return makes one undo step";
    EXPECT_EQ(reprocessCount, before + (c.gain != 3.0f ? 1 : 0));
    EXPECT_TRUE(TKIsControlVisible(Parts(gain)->readout));
  }
  // Escape leaves the field and the undo ring alone.
  const VL_SettingsStruct before = gUISettings;
  const uint32_t undoable = gUndoBuffer->undoable;
  Click(Parts(gain)->readout);
  Type("0.5");
  Key(kTKKeyEscape);
  EXPECT_FALSE(gEditFieldOpen);
  EXPECT_TRUE(ChangedWords(before, gUISettings).empty());
  EXPECT_EQ(gUndoBuffer->undoable, undoable);
}

TEST_F(CorrectionWindowTest, CommandsApplyTheTypedValueFirstButUndoDropsIt) {
  UIInstallShellCommands();
  Click(Parts(gain)->readout);
  TKSetEditText(Parts(gain)->editField, "");
  Type("2.5");
  // No one answers this command; what matters is that the open field is taken first.
  QVIgnoreStatus(TKSendCommand(QVFourCC("zzzz")));
  TKRunPending();
  EXPECT_FALSE(gEditFieldOpen);
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].gain, 2.5f);

  Click(Parts(gain)->readout);
  TKSetEditText(Parts(gain)->editField, "");
  Type("3.5");
  // What the undo does is checked below.
  QVIgnoreStatus(TKSendCommand(kUICommandUndo));
  TKRunPending();
  EXPECT_FALSE(gEditFieldOpen);
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].gain, gUIDefaultSettings.hsl[0].gain) << "the typed 3.5 is dropped, 2.5 undone";
  EXPECT_EQ(TKGetControlValue(gain), int32_t(gUIDefaultSettings.hsl[0].gain * 65536.0f));
}

TEST_F(CorrectionWindowTest, OptionClicksRestoreTheDefaultAsOneUndoStep) {
  gUISettings.hsl[0].gain = 2.5f;
  gUISettings.hsl[0].hue = 90.0f;
  VFRefreshFromSettings(gain);
  VFRefreshFromSettings(hue);
  Click(Parts(gain)->readout, kTKModOption);
  EXPECT_FALSE(gEditFieldOpen) << "Option-click restores instead of editing";
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].gain, gUIDefaultSettings.hsl[0].gain);
  TKInjectClick(window, ThumbCentre(hue), kTKModOption);
  TKRunPending();
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].hue, gUIDefaultSettings.hsl[0].hue);
  EXPECT_EQ(CorrectionWindowTest::Pixels(gResultFrame), Expected());
  EXPECT_TRUE(UndoBufferUndo(gUndoBuffer, &gUISettings));
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].hue, 90.0f);
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].gain, gUIDefaultSettings.hsl[0].gain);
  EXPECT_TRUE(UndoBufferUndo(gUndoBuffer, &gUISettings));
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].gain, 2.5f);
}

TEST_F(CorrectionWindowTest, TabWalksTheChainAsARingPastHiddenReadouts) {
  Click(Parts(hue)->readout);
  ASSERT_EQ(gActiveEditSlider, Parts(hue)->readout);
  Key(kTKKeyTab);
  EXPECT_EQ(gActiveEditSlider, Parts(saturation)->readout);
  Key(kTKKeyTab);
  EXPECT_EQ(gActiveEditSlider, Parts(gain)->readout);
  Key(kTKKeyTab);
  EXPECT_EQ(gActiveEditSlider, Parts(hue)->readout) << "the chain is a ring";
  Key(kTKKeyTab, kTKModShift);
  EXPECT_EQ(gActiveEditSlider, Parts(gain)->readout);
  EXPECT_EQ(TKGetKeyboardFocus(window), Parts(gain)->editField);
  // A hidden readout is passed over.
  VFShowControlGroup(saturation, false);
  Key(kTKKeyTab);
  Key(kTKKeyTab);
  EXPECT_EQ(gActiveEditSlider, Parts(gain)->readout) << "hue, then past saturation to gain";
  // Typing then Tab applies the typed value before moving on.
  TKSetEditText(Parts(gain)->editField, "");
  Type("2");
  Key(kTKKeyTab);
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].gain, 2.0f);
  EXPECT_EQ(gActiveEditSlider, Parts(hue)->readout);
}

TEST_F(CorrectionWindowTest, CheckBoxAndPopupWriteTheirWordsAndReprocessWithoutUndoSteps) {
  // The popup's menu tracks the keys queued behind the click.
  auto ChooseFromPopup = [&](std::initializer_list<uint32_t> keys) {
    TKInjectClick(window, Centre(clipMethod));
    for (uint32_t k : keys) TKInjectKey(k);
    TKRunPending();
  };
  TabGroupSelect(mainTabs, 8);
  TKRunPending();
  const uint32_t undoable = gUndoBuffer->undoable;
  VL_SettingsStruct before = gUISettings;
  Click(softClip);
  std::vector<uint32_t> expected = {VF_OFFSET(limiter_enable), VF_OFFSET(limiter.limiter_softclip_enable)};
  EXPECT_EQ(ChangedWords(before, gUISettings), expected);
  EXPECT_EQ(gUISettings.limiter.limiter_softclip_enable, 1u);
  EXPECT_EQ(TabGroupGetItemCheck(mainTabs, 8), 1);
  EXPECT_EQ(reprocessCount, 1);

  gUISettings.limiter.limiter_clip_method = 1;
  TKSetControlValue(clipMethod, 1);
  before = gUISettings;
  // The menu opens on the current item; Down twice picks item 3.
  ChooseFromPopup({kTKKeyDown, kTKKeyDown, kTKKeyReturn});
  expected = {VF_OFFSET(limiter.limiter_clip_method)};
  EXPECT_EQ(ChangedWords(before, gUISettings), expected);
  EXPECT_EQ(gUISettings.limiter.limiter_clip_method, 3u);
  EXPECT_EQ(reprocessCount, 2);
  EXPECT_EQ(CorrectionWindowTest::Pixels(gResultFrame), Expected());
  EXPECT_EQ(gUndoBuffer->undoable, undoable);

  // A change procedure that refuses every change keeps the word and shows it.
  VFSetPopupChangeProc(clipMethod, [](TKControl*, int32_t old, int32_t, bool) { return old; });
  ChooseFromPopup({kTKKeyUp, kTKKeyReturn});
  EXPECT_EQ(gUISettings.limiter.limiter_clip_method, 3u);
  EXPECT_EQ(TKGetControlValue(clipMethod), 3);
  EXPECT_EQ(reprocessCount, 3) << "a popup with the reprocess flag reprocesses on every choice";
}

TEST_F(CorrectionWindowTest, UndoTouchesOnlyTheControlsWhoseFieldsDiffer) {
  const TKPoint p = ThumbCentre(gain);
  TKInjectMouseDown(window, p);
  TKInjectMouseDrag(window, TKPoint{p.x + 30, p.y});
  TKInjectMouseUp(window, TKPoint{p.x + 30, p.y});
  TKRunPending();
  // Mark two controls whose fields the undo does not change.
  TKSetControlValue(hue, 12345);
  TKSetControlValue(rgbGain, 54321);
  ASSERT_TRUE(UndoBufferUndo(gUndoBuffer, &gUISettings));
  EXPECT_EQ(TKGetControlValue(hue), 12345) << "untouched";
  EXPECT_EQ(TKGetControlValue(rgbGain), 54321) << "untouched";
  EXPECT_EQ(TKGetControlValue(gain), int32_t(gUIDefaultSettings.hsl[0].gain * 65536.0f));
}

TEST_F(CorrectionWindowTest, WheelStepsMoveAThousandTwoHundredthOfTheRangeWithoutUndo) {
  const int32_t start = TKGetControlValue(hue);
  TKInjectWheel(window, Centre(Parts(hue)->readout), 3);
  TKRunPending();
  // 360 degrees x 65,536 / 1,200 per notch, three notches.
  EXPECT_NEAR(TKGetControlValue(hue) - start, 3 * 360.0 * 65536.0 / 1200.0, 2.0);
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].hue, TKGetControlValue(hue) / 65536.0f);
  EXPECT_FALSE(UndoBufferCanUndo(gUndoBuffer));
}
