// Match colour: the fields, curve points and tabs each correction tab
// changes for a source and a target colour, and the panel that picks both
// colours from the picture and runs the match on the working record.
#include <cmath>
#include <cstring>

#include "app/controls/curve_editor.h"
#include "app/controls/match_color_math.h"
#include "app/controls/tab_group.h"
#include "app/window/correction_tabs.h"
#include "tests/app/controls/color_pick_fixture.h"

namespace {

constexpr uint32_t kSource = 33452;
constexpr uint32_t kTarget = 33464;
constexpr uint32_t kSampler = VF_OFFSET(sampler);

// A field's value in a match; NaN when the match leaves it alone.
float FieldOf(const VFColorMatch& m, uint32_t offset) {
  for (int32_t i = 0; i < m.fieldCount; ++i)
    if (m.fields[i].offset == offset) return m.fields[i].value;
  return std::nanf("");
}

TEST(MatchColorMathTest, EachTabWritesItsFieldsForTheModesComponents) {
  const float s[3] = {0.5f, 0.25f, 0.25f}, t[3] = {0.25f, 0.5f, 0.25f};
  const float s2[3] = {0.6f, 0.4f, 0.2f}, t2[3] = {0.3f, 0.6f, 0.3f};
  const float nan = std::nanf("");
  struct Case {
    const char* what;
    int32_t tab, mode;
    const float *source, *target;
    uint32_t offset;
    float value;  // NaN: not written
  };
  const Case cases[] = {
      // HSL: hue turn from target to source, saturation ratio in percent, luma ratio.
      {"hsl hue", 0, 1, s, t, VF_OFFSET(hsl[0].hue), 137.174336f},
      {"hsl saturation", 0, 1, s2, t2, VF_OFFSET(hsl[0].saturation), 75.0f},
      {"hsl gain", 0, 1, s, t, VF_OFFSET(hsl[0].gain), 1.221709f},
      {"hsl hue only: no gain", 0, 2, s, t, VF_OFFSET(hsl[0].gain), nan},
      {"hsl saturation only: no hue", 0, 3, s, t, VF_OFFSET(hsl[0].hue), nan},
      {"hsl luma only", 0, 4, s, t, VF_OFFSET(hsl[0].gain), 1.221709f},
      {"hsl saturation and luma: no hue", 0, 7, s, t, VF_OFFSET(hsl[0].hue), nan},
      {"hsl hue and luma: no saturation", 0, 6, s, t, VF_OFFSET(hsl[0].saturation), nan},
      // RGB: channel ratios, or the luma ratio alone in mode 2.
      {"rgb red", 1, 1, s, t, VF_OFFSET(rgb[0].channel[0].gain), 0.5f},
      {"rgb green", 1, 1, s, t, VF_OFFSET(rgb[0].channel[1].gain), 2.0f},
      {"rgb blue", 1, 1, s, t, VF_OFFSET(rgb[0].channel[2].gain), 1.0f},
      {"rgb all: no master gain", 1, 1, s, t, VF_OFFSET(rgb[0].gain), nan},
      {"rgb luma", 1, 2, s, t, VF_OFFSET(rgb[0].gain), 1.221709f},
      {"rgb luma: no channel", 1, 2, s, t, VF_OFFSET(rgb[0].channel[0].gain), nan},
      {"rgb red only", 1, 3, s, t, VF_OFFSET(rgb[0].channel[0].gain), 0.5f},
      {"rgb red only: no green", 1, 3, s, t, VF_OFFSET(rgb[0].channel[1].gain), nan},
      {"rgb green and blue: no red", 1, 8, s, t, VF_OFFSET(rgb[0].channel[0].gain), nan},
      {"rgb green and blue", 1, 8, s, t, VF_OFFSET(rgb[0].channel[2].gain), 1.0f},
      {"rgb red and blue", 1, 7, s2, t2, VF_OFFSET(rgb[0].channel[2].gain), 1.5f},
      // CMY: r = 0.5, g = b = 1.5, k = sqrt(1 / 1.125).
      {"cmy cyan", 2, 1, s2, t2, VF_OFFSET(cmy[0].channel[0].gain), 2.1213203f},
      {"cmy magenta", 2, 1, s2, t2, VF_OFFSET(cmy[0].channel[1].gain), 0.70710678f},
      {"cmy yellow", 2, 5, s2, t2, VF_OFFSET(cmy[0].channel[2].gain), 0.70710678f},
      {"cmy yellow only: no cyan", 2, 5, s2, t2, VF_OFFSET(cmy[0].channel[0].gain), nan},
      {"cmy luma", 2, 2, s2, t2, VF_OFFSET(cmy[0].gain), 1.0894737f},
      // YCbCr: luma, Cb and Cr ratios.
      {"ycbcr y", 3, 1, s, t, VF_OFFSET(ycbcr[0].channel[0].gain), 1.221709f},
      {"ycbcr cb", 3, 1, s, t, VF_OFFSET(ycbcr[0].channel[1].gain), 1.9632088f},
      {"ycbcr cr", 3, 1, s, t, VF_OFFSET(ycbcr[0].channel[2].gain), -0.837376f},
      {"ycbcr luma", 3, 2, s2, t2, VF_OFFSET(ycbcr[0].gain), 1.0894737f},
      {"ycbcr cb and cr: no y", 3, 8, s2, t2, VF_OFFSET(ycbcr[0].channel[0].gain), nan},
      // Secondary: hue and saturation into all six.
      {"secondary a hue", 7, 1, s, t, VF_OFFSET(secondary[0].hue), 137.174336f},
      {"secondary f hue", 7, 2, s, t, VF_OFFSET(secondary[5].hue), 137.174336f},
      {"secondary f saturation", 7, 1, s2, t2, VF_OFFSET(secondary[5].saturation), 75.0f},
      {"secondary hue only: no saturation", 7, 2, s2, t2, VF_OFFSET(secondary[2].saturation), nan},
      // Levels, Luma Range and Limiting change nothing.
      {"levels", 5, 1, s, t, VF_OFFSET(hsl[0].gain), nan},
      {"limiting", 8, 1, s, t, VF_OFFSET(rgb[0].channel[0].gain), nan},
  };
  for (const Case& c : cases) {
    const VFColorMatch m = VFComputeColorMatch(c.tab, 0, c.mode, c.source, c.target);
    const float got = FieldOf(m, c.offset);
    if (std::isnan(c.value))
      EXPECT_TRUE(std::isnan(got)) << c.what << ": wrote " << got;
    else
      EXPECT_NEAR(got, c.value, 1e-4f) << c.what;
  }
  // Only the fields of the tab are written.
  struct Count {
    int32_t tab, mode, fields, enables;
  };
  const Count counts[] = {{0, 1, 3, 1}, {1, 1, 3, 1}, {1, 2, 1, 1}, {2, 6, 2, 1}, {3, 1, 3, 1},
                          {7, 1, 12, 6}, {7, 4, 0, 6}, {5, 1, 0, 0}, {6, 1, 0, 0}, {8, 1, 0, 0}};
  for (const Count& c : counts) {
    const VFColorMatch m = VFComputeColorMatch(c.tab, 0, c.mode, s2, t2);
    EXPECT_EQ(m.fieldCount, c.fields) << "tab " << c.tab << " mode " << c.mode;
    EXPECT_EQ(m.enableCount, c.enables) << "tab " << c.tab << " mode " << c.mode;
  }
}

TEST(MatchColorMathTest, TheHueTurnsTheShortWayRound) {
  // The angles are 171.2 and -156.8 degrees: 328 degrees apart the long way.
  const float s[3] = {0.1f, 0.9f, 0.8f}, t[3] = {0.2f, 0.9f, 0.3f};
  const VFColorMatch m = VFComputeColorMatch(0, 0, 2, s, t);
  EXPECT_NEAR(FieldOf(m, VF_OFFSET(hsl[0].hue)), 328.0193f - 360.0f, 1e-3f);
  EXPECT_NEAR(FieldOf(VFComputeColorMatch(0, 0, 2, t, s), VF_OFFSET(hsl[0].hue)), 360.0f - 328.0193f, 1e-3f);
}

TEST(MatchColorMathTest, TheHueOffsetsSubTabMatchesNothing) {
  const float s[3] = {0.5f, 0.25f, 0.25f}, t[3] = {0.25f, 0.5f, 0.25f};
  EXPECT_TRUE(VFComputeColorMatch(0, 1, 1, s, t).Empty());
}

TEST(MatchColorMathTest, UndefinedRatiosAreLeftOut) {
  const float black[3] = {0, 0, 0}, grey[3] = {0.5f, 0.5f, 0.5f}, noRed[3] = {0, 0.5f, 0.5f};
  const float t[3] = {0.25f, 0.5f, 0.75f};
  // Black has no luma and no saturation; grey no saturation.
  VFColorMatch m = VFComputeColorMatch(0, 0, 1, black, t);
  EXPECT_TRUE(std::isnan(FieldOf(m, VF_OFFSET(hsl[0].gain))));
  EXPECT_TRUE(std::isnan(FieldOf(m, VF_OFFSET(hsl[0].saturation))));
  EXPECT_FALSE(std::isnan(FieldOf(m, VF_OFFSET(hsl[0].hue))));
  EXPECT_EQ(m.enableCount, 1) << "the tab is still switched on";
  m = VFComputeColorMatch(7, 0, 1, grey, t);
  EXPECT_EQ(m.fieldCount, 6) << "hue only";
  // No red: the red ratio is undefined, and with it every CMY product.
  m = VFComputeColorMatch(1, 0, 1, noRed, t);
  EXPECT_TRUE(std::isnan(FieldOf(m, VF_OFFSET(rgb[0].channel[0].gain))));
  EXPECT_FLOAT_EQ(FieldOf(m, VF_OFFSET(rgb[0].channel[1].gain)), 1.0f);
  EXPECT_EQ(VFComputeColorMatch(2, 0, 1, noRed, t).fieldCount, 0);
  // A grey source has Cb and Cr of 0.
  m = VFComputeColorMatch(3, 0, 1, grey, t);
  EXPECT_EQ(m.fieldCount, 1);
}

TEST(MatchColorMathTest, CurvesGetAPointPerChannelOrTheMasterForLuma) {
  const float s[3] = {0.2f, 0.4f, 0.6f}, t[3] = {0.3f, 0.4f, 0.5f};
  const uint32_t master = VF_OFFSET(rgbCurves[0]), red = VF_OFFSET(rgbCurves[1]), blue = VF_OFFSET(rgbCurves[3]);
  VFColorMatch m = VFComputeColorMatch(4, 0, 1, s, t);
  ASSERT_EQ(m.pointCount, 3);
  EXPECT_EQ(m.points[0].curveOffset, red);
  EXPECT_FLOAT_EQ(m.points[0].x, 0.2f);
  EXPECT_FLOAT_EQ(m.points[0].y, 0.3f);
  EXPECT_EQ(m.points[2].curveOffset, blue);
  EXPECT_FLOAT_EQ(m.points[2].x, 0.6f);
  EXPECT_FLOAT_EQ(m.points[2].y, 0.5f);
  ASSERT_EQ(m.enableCount, 1);
  EXPECT_EQ(m.enableFrom[0], red);
  m = VFComputeColorMatch(4, 0, 2, s, t);
  ASSERT_EQ(m.pointCount, 1);
  EXPECT_EQ(m.points[0].curveOffset, master);
  EXPECT_NEAR(m.points[0].x, 0.299 * 0.2 + 0.587 * 0.4 + 0.114 * 0.6, 1e-6);
  EXPECT_NEAR(m.points[0].y, 0.299 * 0.3 + 0.587 * 0.4 + 0.114 * 0.5, 1e-6);
  EXPECT_EQ(VFComputeColorMatch(4, 0, 5, s, t).pointCount, 1) << "blue alone";
}

// The colour-match group feeding the panel's source, the panel, and the
// HSL, RGB and Curves controls a match refreshes.
class MatchColorPanelTest : public ColorPickTest {
 protected:
  TKControl* target = nullptr;
  TKControl* groupResult = nullptr;
  TKControl* button = nullptr;
  TKControl* panelEyedropper = nullptr;
  TKControl* groupEyedropper = nullptr;
  TKControl* popup = nullptr;
  TKControl* redGain = nullptr;
  TKControl* editors[4] = {};
  static constexpr int32_t kGroupID = 60, kPanelID = 61;

  void SetUp() override {
    ColorPickTest::SetUp();
    gCorrectionTab = 0;
    gHSLSubTabIndex = 0;
    TKControl* pane = TabGroupGetPane(mainTabs, 6);
    TKRect frame = FirstRow(pane);
    ASSERT_EQ(VFCreateColorMatchGroup(window, &frame, pane, &gUISettings, kSampler, kGroupID, &groupResult), kQVNoErr);
    frame.left += 150;
    frame.top -= 113;
    frame.bottom -= 113;
    const TKRect start = frame;
    ASSERT_EQ(CreateMatchColorPanel(window, &frame, pane, &gUISettings, kSource, kTarget, kPanelID, &target),
              kQVNoErr);
    EXPECT_EQ(frame.top, start.top + 113);
    VFSetEyedropperSecondTarget(groupResult, kPanelID);
    ASSERT_TRUE(target);
    EXPECT_EQ(TKGetControlID(target).signature, kVFSigTargetSwatch);
    button = TKFindControlByID(window, TKControlID{QVFourCC("VFmc"), kPanelID});
    popup = TKFindControlByID(window, TKControlID{QVFourCC("VFmf"), kPanelID});
    panelEyedropper = TKFindControlByID(window, TKControlID{kVFSigEyedropper, kPanelID});
    groupEyedropper = TKFindControlByID(window, TKControlID{kVFSigEyedropper, kGroupID});
    ASSERT_TRUE(button && popup && panelEyedropper && groupEyedropper);
    EXPECT_EQ(TKGetControlTitle(button), "Match Color");

    TKControl* rgbPane = TabGroupGetPane(mainTabs, 1);
    TKRect row = FirstRow(rgbPane);
    row = TKRectOffset(row, 0, 40);
    VFBeginTabChain();
    redGain = Slider(&row, "Red Gain", 0, 4, rgbPane, VF_OFFSET(rgb[0].channel[0].gain), 70);
    VFCloseTabChain();
    TabGroupBindItemCheck(mainTabs, 4, &gUISettings.curvesEnable);
    TKControl* curvesPane = TabGroupGetPane(mainTabs, 4);
    const TKRect b = TKGetControlBounds(curvesPane);
    for (int i = 0; i < 4; ++i)
      editors[i] = CreateCurveEditor(window, TKMakeRect(b.left + 10 + 100 * i, b.top + 30, 90, 90), "Curve",
                                     curvesPane, &gUISettings, i,
                                     VF_OFFSET(rgbCurves) + uint32_t(sizeof(VL_CurveControls)) * uint32_t(i), 71 + i,
                                     gSettingsControls);
    TabGroupSelect(mainTabs, 6);
    TKRunPending();
  }

  void SetColours(const float source[3], const float targetColour[3]) {
    std::memcpy(Triple(kSource), source, 3 * sizeof(float));
    std::memcpy(Triple(kTarget), targetColour, 3 * sizeof(float));
  }
  void Match(int32_t tab, int32_t mode) {
    gCorrectionTab = tab;
    SetMatchColorMode(tab);
    TKSetControlValue(popup, mode);
    Click(button);
  }
};

TEST_F(MatchColorPanelTest, BothColoursArePickedFromThePictureAndMatchedOnTheHSLTab) {
  // The group's pick is the source too; the panel's eyedropper picks the target.
  PickAlong(groupEyedropper, {Over(0, 12, 0)});
  PickAlong(panelEyedropper, {Over(0, 4, 3)});
  float source[3], wanted[3];
  Pixel(12, 0, source);
  Pixel(4, 3, wanted);
  for (int i = 0; i < 3; ++i) {
    EXPECT_FLOAT_EQ(Triple(kSampler)[i], source[i]);
    EXPECT_FLOAT_EQ(Triple(kSource)[i], source[i]);
    EXPECT_FLOAT_EQ(Triple(kTarget)[i], wanted[i]);
  }
  int r, g, b;
  DrawnColour(target, &r, &g, &b, 20);
  EXPECT_NEAR(r, int(wanted[0] * 255), 1);
  EXPECT_NEAR(b, int(wanted[2] * 255), 1);

  // The HSL controls sub-tab's box, which this window does not have.
  gUISettings.hslControlsEnable = 1;
  UIReprocess(true);
  const std::vector<float> before = Pixels(gResultFrame);
  const VFColorMatch expected = VFComputeColorMatch(0, 0, 1, source, wanted);
  const int reprocessed = reprocessCount;
  Match(0, 1);
  EXPECT_NEAR(gUISettings.hsl[0].hue, FieldOf(expected, VF_OFFSET(hsl[0].hue)), 1e-5f);
  EXPECT_NEAR(gUISettings.hsl[0].saturation, FieldOf(expected, VF_OFFSET(hsl[0].saturation)), 1e-4f);
  EXPECT_NEAR(gUISettings.hsl[0].gain, FieldOf(expected, VF_OFFSET(hsl[0].gain)), 1e-6f);
  EXPECT_EQ(gUISettings.hslEnable, 1u);
  EXPECT_EQ(gUISettings.hsl[0].enable, 1u);
  // The sliders show the new values.
  EXPECT_NEAR(TKGetControlValue(hue), gUISettings.hsl[0].hue * 65536.0, 1.0);
  EXPECT_NEAR(TKGetControlValue(gain), gUISettings.hsl[0].gain * 65536.0, 1.0);
  EXPECT_EQ(reprocessCount, reprocessed + 1);
  const std::vector<float> after = Pixels(gResultFrame);
  EXPECT_EQ(after, Expected());
  EXPECT_NE(after, before);
}

TEST_F(MatchColorPanelTest, TheRGBTabSetsChannelGainsAsOneUndoStep) {
  const float source[3] = {0.5f, 0.25f, 0.25f}, wanted[3] = {0.25f, 0.5f, 0.25f};
  SetColours(source, wanted);
  gUISettings.rgbEnable = 0;
  // The master range's box, which this window does not have.
  gUISettings.rgb[0].enable = 1;
  const VL_SettingsStruct before = gUISettings;
  UIReprocess(true);
  const std::vector<float> unmatched = Pixels(gResultFrame);
  Match(1, 1);
  EXPECT_FLOAT_EQ(gUISettings.rgb[0].channel[0].gain, 0.5f);
  EXPECT_FLOAT_EQ(gUISettings.rgb[0].channel[1].gain, 2.0f);
  EXPECT_FLOAT_EQ(gUISettings.rgb[0].channel[2].gain, 1.0f);
  EXPECT_FLOAT_EQ(gUISettings.rgb[0].gain, before.rgb[0].gain) << "mode 1 leaves the luma gain";
  EXPECT_EQ(gUISettings.rgbEnable, 1u) << "switched on from the red gain";
  EXPECT_EQ(TKGetControlValue(redGain), 32768);
  EXPECT_EQ(Pixels(gResultFrame), Expected());
  EXPECT_NE(Pixels(gResultFrame), unmatched);
  // Mode 2 sets the master gain, shown by its slider.
  Match(1, 2);
  EXPECT_NEAR(gUISettings.rgb[0].gain, 1.221709f, 1e-5f);
  EXPECT_NEAR(TKGetControlValue(rgbGain), gUISettings.rgb[0].gain * 65536.0, 1.0);
  // Two undo steps back to where it began.
  ASSERT_TRUE(UndoBufferUndo(gUndoBuffer, &gUISettings));
  ASSERT_TRUE(UndoBufferUndo(gUndoBuffer, &gUISettings));
  EXPECT_TRUE(ChangedWords(before, gUISettings).empty());
}

TEST_F(MatchColorPanelTest, EqualColoursOnlyReprocess) {
  const float same[3] = {0.3f, 0.4f, 0.5f};
  SetColours(same, same);
  const VL_SettingsStruct before = gUISettings;
  const bool couldUndo = UndoBufferCanUndo(gUndoBuffer);
  const int reprocessed = reprocessCount;
  Match(1, 1);
  EXPECT_TRUE(ChangedWords(before, gUISettings).empty());
  EXPECT_EQ(UndoBufferCanUndo(gUndoBuffer), couldUndo);
  EXPECT_EQ(reprocessCount, reprocessed + 1);
}

TEST_F(MatchColorPanelTest, TheCurvesTabSetsPointsButNotOnTheIdentityLine) {
  const float source[3] = {0.2f, 0.4f, 0.6f}, wanted[3] = {0.3f, 0.4f, 0.5f};
  SetColours(source, wanted);
  const uint32_t counts[4] = {gUISettings.rgbCurves[0].spline.pointCount, gUISettings.rgbCurves[1].spline.pointCount,
                              gUISettings.rgbCurves[2].spline.pointCount, gUISettings.rgbCurves[3].spline.pointCount};
  Match(4, 1);
  EXPECT_EQ(gUISettings.rgbCurves[0].spline.pointCount, counts[0]) << "no master point in mode 1";
  EXPECT_EQ(gUISettings.rgbCurves[1].spline.pointCount, counts[1] + 1);
  EXPECT_EQ(gUISettings.rgbCurves[2].spline.pointCount, counts[2]) << "green 0.4 to 0.4 lies on the identity";
  EXPECT_EQ(gUISettings.rgbCurves[3].spline.pointCount, counts[3] + 1);
  const VL_CurveSpline& red = gUISettings.rgbCurves[1].spline;
  bool found = false;
  for (uint32_t i = 0; i < red.pointCount; ++i) found = found || (red.x[i] == 0.2f && red.y[i] == 0.3f);
  EXPECT_TRUE(found);
  EXPECT_EQ(gUISettings.curvesEnable, 1u);
  EXPECT_EQ(Pixels(gResultFrame), Expected());

  // A full curve takes no further point.
  VL_CurveSpline& blue = gUISettings.rgbCurves[3].spline;
  blue.pointCount = 16;
  for (int i = 0; i < 16; ++i) blue.x[i] = blue.y[i] = float(i) / 15.0f;
  const float again[3] = {0.25f, 0.4f, 0.7f}, to[3] = {0.35f, 0.4f, 0.6f};
  SetColours(again, to);
  Match(4, 5);
  EXPECT_EQ(blue.pointCount, 16u);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(blue.x[i], blue.y[i]) << i;
}

TEST_F(MatchColorPanelTest, ThePopupFollowsTheTab) {
  struct Case {
    int32_t tab, hslSubTab;
    bool active;
    int32_t menuID;
  };
  const Case cases[] = {{1, 0, true, 162}, {0, 0, true, 160}, {0, 1, false, 0},  {2, 0, true, 163},
                        {5, 0, false, 0},  {3, 0, true, 164}, {6, 0, false, 0},  {4, 0, true, 165},
                        {8, 0, false, 0},  {7, 0, true, 167}, {42, 0, false, 0}, {-1, 0, false, 0}};
  for (const Case& c : cases) {
    gHSLSubTabIndex = c.hslSubTab;
    SetMatchColorMode(c.tab);
    EXPECT_EQ(TKIsControlActive(button), c.active) << c.tab;
    EXPECT_EQ(TKIsControlActive(panelEyedropper), c.active) << c.tab;
    EXPECT_EQ(TKIsControlActive(target), c.active) << c.tab;
    if (c.active) {
      EXPECT_EQ(TKGetMenuID(TKGetControlMenu(popup)), c.menuID) << c.tab;
    }
  }
  SetMatchColorMode(1);
  EXPECT_EQ(TKCountMenuItems(TKGetControlMenu(popup)), 8);
  TKSetControlValue(popup, 8);
  SetMatchColorMode(7);
  EXPECT_EQ(TKGetControlValue(popup), 1) << "a new menu starts at its first item";
  EXPECT_EQ(TKCountMenuItems(TKGetControlMenu(popup)), 3);
}

TEST_F(MatchColorPanelTest, TheSecondaryTabWritesAllSix) {
  const float source[3] = {0.6f, 0.4f, 0.2f}, wanted[3] = {0.3f, 0.6f, 0.3f};
  SetColours(source, wanted);
  Match(7, 1);
  for (int n = 0; n < 6; ++n) {
    EXPECT_NEAR(gUISettings.secondary[n].hue, 111.396927f, 1e-4f) << n;
    EXPECT_NEAR(gUISettings.secondary[n].saturation, 75.0f, 1e-4f) << n;
  }
  EXPECT_EQ(Pixels(gResultFrame), Expected());
}

}  // namespace
