// The Curves tab's three eyedroppers picking from an image pane: the black,
// grey and white points land on the red, green and blue curves as the
// sampled colour says, each pick one undo step, and a map curve disables
// the eyedroppers.
#include "app/controls/curve_editor.h"
#include "app/controls/curve_point_edits.h"
#include "app/window/correction_tabs.h"
#include "tests/app/controls/color_pick_fixture.h"

namespace {

class CurveEyedropperTest : public ColorPickTest {
 protected:
  void SetUp() override {
    ColorPickTest::SetUp();
    if (HasFatalFailure()) return;
    const TKRect bounds = TKRectInset(TKGetControlBounds(TabGroupGetPane(mainTabs, 4)), 4, 4);
    BuildCurvesTab(window, mainTabs, bounds);
    TabGroupSelect(mainTabs, 4);
    SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, 0);
    TKRunPending();
    reprocessCount = 0;
  }
};

TEST_F(CurveEyedropperTest, EachEyedropperSetsItsPointsOnTheChannelCurves) {
  const VFCurvesTabControls& t = gCurvesTabControls;
  ASSERT_TRUE(t.blackEyedropper && t.grayEyedropper && t.whiteEyedropper);
  EXPECT_EQ(TKFindControlByID(window, TKControlID{kVFCreatorControls, int32_t(kVFIDGrayEyedropper)}), t.grayEyedropper);
  for (TKControl* c : {t.blackEyedropper, t.grayEyedropper, t.whiteEyedropper}) EXPECT_FALSE(TKGetHelpTag(c).empty());
  struct Case {
    const char* story;
    TKControl* eyedropper;
    int x, y;  // the frame pixel picked
  } cases[] = {
      {"black", t.blackEyedropper, 3, 0},
      {"white", t.whiteEyedropper, 12, 3},
      {"grey", t.grayEyedropper, 9, 1},
  };
  for (const Case& k : cases) {
    VL_SetDefaultControlValues(&gUISettings, kVLMaskAll);
    gUISettings.curvesEnable = gUISettings.rgbCurvesEnable = 0;
    SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, 0);
    const VL_SettingsStruct before = gUISettings;
    PickAlong(k.eyedropper, {Over(0, k.x, k.y)});
    float rgb[3];
    Pixel(k.x, k.y, rgb);
    const float grey = CurveGreyTarget(rgb[0], rgb[1], rgb[2]);
    for (int c = 1; c <= 3; ++c) {
      const VL_CurveSpline& s = gUISettings.rgbCurves[c].spline;
      const float v = rgb[c - 1];
      if (k.eyedropper == t.blackEyedropper) {
        EXPECT_FLOAT_EQ(s.x[0], v) << k.story << " channel " << c;
        EXPECT_FLOAT_EQ(s.y[0], 0.0f) << k.story << " channel " << c;
      } else if (k.eyedropper == t.whiteEyedropper) {
        EXPECT_FLOAT_EQ(s.x[s.pointCount - 1], v) << k.story << " channel " << c;
        EXPECT_FLOAT_EQ(s.y[s.pointCount - 1], 1.0f) << k.story << " channel " << c;
      } else if (v == grey) {
        EXPECT_EQ(s.pointCount, 2u) << "the channel that is the target gets no point";
      } else {
        ASSERT_EQ(s.pointCount, 3u) << k.story << " channel " << c;
        EXPECT_FLOAT_EQ(s.x[1], v) << k.story << " channel " << c;
        EXPECT_FLOAT_EQ(s.y[1], grey) << k.story << " channel " << c;
      }
    }
    EXPECT_EQ(gUISettings.curvesEnable, 1u) << k.story;
    EXPECT_EQ(gUISettings.rgbCurvesEnable, 1u) << k.story;
    EXPECT_EQ(TKGetControlValue(k.eyedropper), 0) << "the button pops out";
    EXPECT_EQ(Pixels(gResultFrame), Expected()) << k.story;
    ASSERT_TRUE(UndoBufferUndo(gUndoBuffer, &gUISettings));
    EXPECT_TRUE(ChangedWords(before, gUISettings).empty()) << k.story << ": one undo step";
  }
}

TEST_F(CurveEyedropperTest, AMapCurveDisablesTheEyedroppers) {
  VL_CurveControls& red = gUISettings.rgbCurves[kVLCurveRed];
  red.modeFlags = kVLCurveModeMap;
  for (int j = 0; j < kVLCurveMapCount; ++j) red.map[j] = float(j) / 1023.0f;
  SyncControlsWithSettings(&gUISettings, 0, 0x1E, nullptr, 0);
  TKRenderWindow(window);
  const VFCurvesTabControls& t = gCurvesTabControls;
  for (TKControl* c : {t.blackEyedropper, t.grayEyedropper, t.whiteEyedropper, t.saveButton})
    EXPECT_FALSE(TKIsControlEnabled(c));
  const VL_SettingsStruct before = gUISettings;
  PickAlong(t.blackEyedropper, {Over(0, 3, 0)});
  EXPECT_TRUE(ChangedWords(before, gUISettings).empty()) << "a disabled eyedropper picks nothing";
}

}  // namespace
