// Eyedroppers, sample rows and the colour-match group picking colours from
// image panes, and the readout texts of the swatches.
#include <cstring>

#include "app/controls/color_readout.h"
#include "tests/app/controls/color_pick_fixture.h"

namespace {

constexpr uint32_t kSampleEnable = VF_OFFSET(secondary[0].sample[0].inUse);
constexpr uint32_t kSampleRGB = VF_OFFSET(secondary[0].sample[0].red);
constexpr uint32_t kSampler = VF_OFFSET(sampler);
constexpr uint32_t kOtherRow = VF_OFFSET(secondary[0].sample[1].red);

class SampleRowTest : public ColorPickTest {
 protected:
  TKControl* box = nullptr;
  TKControl* eyedropper = nullptr;
  TKControl* swatch = nullptr;

  void SetUp() override {
    ColorPickTest::SetUp();
    TabGroupBindItemCheck(mainTabs, 7, &gUISettings.secondaryEnable);
    gUISettings.secondaryEnable = 0;
    TabGroupShowItemCheck(mainTabs, 7, 0);
    TKControl* pane = TabGroupGetPane(mainTabs, 7);
    TKRect frame = FirstRow(pane);
    box = VFCreateSampleRow(window, &frame, "Sample 1", pane, &gUISettings, kSampleRGB, kSampleEnable, 40,
                            gSettingsControls);
    ASSERT_TRUE(box);
    eyedropper = TKFindControlByID(window, TKControlID{kVFSigEyedropper, 40});
    swatch = TKFindControlByID(window, TKControlID{kVFSigSampleSwatch, 40});
    ASSERT_TRUE(eyedropper && swatch);
    TabGroupSelect(mainTabs, 7);
    TKRunPending();
  }
};

TEST_F(SampleRowTest, APickInAPaneStoresTheColourTicksTheRowAndItsTabAndIsOneUndoStep) {
  const VL_SettingsStruct before = gUISettings;
  const int reprocessed = reprocessCount;
  PickAlong(eyedropper, {Over(0, 5, 2)});
  float expected[3];
  Pixel(5, 2, expected);
  for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(Triple(kSampleRGB)[i], expected[i]) << i;
  EXPECT_EQ(gUISettings.secondary[0].sample[0].inUse, 1u);
  EXPECT_EQ(TKGetControlValue(box), 1);
  EXPECT_EQ(gUISettings.secondaryEnable, 1u) << "the enclosing tab is switched on";
  EXPECT_EQ(TKGetControlValue(eyedropper), 0) << "the button pops out";
  EXPECT_EQ(reprocessCount, reprocessed + 1);
  int r, g, b;
  DrawnColour(swatch, &r, &g, &b);
  EXPECT_NEAR(r, 85, 1);
  EXPECT_NEAR(g, 128, 1);
  EXPECT_NEAR(b, 170, 1);
  // One undo step brings back the record as it was.
  ASSERT_TRUE(UndoBufferUndo(gUndoBuffer, &gUISettings));
  EXPECT_TRUE(ChangedWords(before, gUISettings).empty());
}

TEST_F(SampleRowTest, ADragFollowsTheMouseAndLettingGoOutsideEveryPanePutsThePriorColourBack) {
  const float prior[3] = {0.1f, 0.2f, 0.3f};
  std::memcpy(Triple(kSampleRGB), prior, sizeof prior);
  // Let go over another pixel: that colour is the pick.
  PickAlong(eyedropper, {Over(0, 1, 0), Over(0, 12, 3)});
  float expected[3];
  Pixel(12, 3, expected);
  EXPECT_FLOAT_EQ(Triple(kSampleRGB)[0], expected[0]);
  EXPECT_FLOAT_EQ(Triple(kSampleRGB)[1], expected[1]);

  // A drag that ends outside the panes: the live colour goes back to the
  // prior one and the row is left alone.
  std::memcpy(Triple(kSampleRGB), prior, sizeof prior);
  gUISettings.secondary[0].sample[0].inUse = 0;
  TKSetControlValue(box, 0);
  PickAlong(eyedropper, {Over(0, 3, 1), Over(0, 9, 1), TKPoint{390, 190}});
  for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(Triple(kSampleRGB)[i], prior[i]) << i;
  EXPECT_EQ(gUISettings.secondary[0].sample[0].inUse, 0u);
  EXPECT_EQ(TKGetControlValue(box), 0);
  EXPECT_EQ(TKGetControlValue(eyedropper), 0);
}

TEST_F(SampleRowTest, AClickWithNoPressAfterItChangesNothing) {
  const VL_SettingsStruct before = gUISettings;
  Click(eyedropper);
  EXPECT_TRUE(ChangedWords(before, gUISettings).empty());
  EXPECT_EQ(TKGetControlValue(eyedropper), 0);
}

TEST_F(SampleRowTest, AnEyedropperBoundPastTheRecordsEndWritesNothing) {
  // The last word of the record is no place for three floats.
  TKControl* pane = TabGroupGetPane(mainTabs, 7);
  TKRect frame = TKRectOffset(FirstRow(pane), 0, 60);
  TKControl* stray = VFCreateEyedropperButton(window, &frame, pane, &gUISettings, kVLSettingsByteCount - 4, 41,
                                              gSettingsControls, 128, 500, true, false, nullptr, nullptr);
  ASSERT_TRUE(stray);
  const VL_SettingsStruct before = gUISettings;
  PickAlong(stray, {Over(0, 5, 2)});
  EXPECT_TRUE(ChangedWords(before, gUISettings).empty());
  EXPECT_EQ(TKGetControlValue(stray), 0);
}

TEST_F(SampleRowTest, InLayoutThreeTheLastPaneUnderTheMouseGivesTheColour) {
  gPaneLayout = 3;
  // From the layout's own pane over to the second reference pane.
  PickAlong(eyedropper, {Over(1, 2, 0), Over(3, 14, 1)});
  float expected[3];
  Pixel(14, 1, expected);
  for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(Triple(kSampleRGB)[i], expected[i]) << i;
  // Layout 1's pane is not one of layout 3's.
  const float prior[3] = {Triple(kSampleRGB)[0], Triple(kSampleRGB)[1], Triple(kSampleRGB)[2]};
  PickAlong(eyedropper, {Over(0, 0, 0)});
  for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(Triple(kSampleRGB)[i], prior[i]) << i;
}

TEST_F(SampleRowTest, TheSynchroniserShowsARecordsSampleInTheRow) {
  VL_SettingsStruct next = gUISettings;
  next.secondary[0].sample[0].inUse = 1;
  next.secondary[0].sample[0].red = 1.0f;
  next.secondary[0].sample[0].green = 0.0f;
  next.secondary[0].sample[0].blue = 0.0f;
  const VL_SettingsStruct previous = gUISettings;
  gUISettings = next;
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, &previous, 0);
  EXPECT_EQ(TKGetControlValue(box), 1);
  int r, g, b;
  DrawnColour(swatch, &r, &g, &b);
  EXPECT_EQ(r, 255);
  EXPECT_EQ(g, 0);
  EXPECT_EQ(b, 0);
}

class ColorMatchGroupTest : public ColorPickTest {
 protected:
  TKControl* result = nullptr;
  TKControl* eyedropper = nullptr;
  TKControl* sample = nullptr;
  TKControl* popup = nullptr;

  void SetUp() override {
    ColorPickTest::SetUp();
    TKControl* pane = TabGroupGetPane(mainTabs, 6);
    TKRect frame = FirstRow(pane);
    const TKRect start = frame;
    ASSERT_EQ(VFCreateColorMatchGroup(window, &frame, pane, &gUISettings, kSampler, 50, &result), kQVNoErr);
    EXPECT_EQ(frame.top, start.top + 113);
    eyedropper = TKFindControlByID(window, TKControlID{kVFSigEyedropper, 50});
    sample = TKFindControlByID(window, TKControlID{kVFSigSampleSwatch, 50});
    popup = TKFindControlByID(window, TKControlID{kVFSigReadoutPopup, 50});
    ASSERT_TRUE(result && eyedropper && sample && popup);
    EXPECT_EQ(TKGetControlID(result).signature, kVFSigResultSwatch);
    TabGroupSelect(mainTabs, 6);
    TKRunPending();
  }
};

TEST_F(ColorMatchGroupTest, ThePickShowsBesideTheColourAfterTheCorrection) {
  gUISettings.hslEnable = 1;
  gUISettings.hslControlsEnable = 1;
  gUISettings.hsl[0].enable = 1;
  gUISettings.hsl[0].gain = 0.5f;
  PickAlong(eyedropper, {Over(0, 15, 0)});
  float picked[3];
  Pixel(15, 0, picked);
  for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(Triple(kSampler)[i], picked[i]);
  float processed[3] = {picked[0], picked[1], picked[2]};
  ProcessColorSample(&processed[0], &processed[1], &processed[2], nullptr, &gUISettings);
  int r, g, b;
  DrawnColour(sample, &r, &g, &b, -20);
  EXPECT_NEAR(r, int(picked[0] * 255), 1);
  EXPECT_NEAR(g, int(picked[1] * 255), 1);
  DrawnColour(result, &r, &g, &b, 20);
  EXPECT_NEAR(r, int(processed[0] * 255), 1);
  EXPECT_NEAR(g, int(processed[1] * 255), 1);
  EXPECT_NEAR(b, int(processed[2] * 255), 1);
  EXPECT_LT(processed[0], picked[0] - 0.1f) << "the correction darkens";
}

TEST_F(ColorMatchGroupTest, OptionClickTakesTheColourPickersChoiceAndASecondTargetGetsItToo) {
  // The match-colour source: a swatch of another ID number.
  TKControl* other = TabGroupGetPane(mainTabs, 6);
  TKRect frame = FirstRow(other);
  frame = TKRectOffset(frame, 150, 0);
  const TKRect swatchFrame = TKMakeRect(frame.left, frame.top, 40, 20);
  VFSampleRow* row = VFNewSampleRow(window);
  ASSERT_TRUE(VFCreateSwatchPane(window, swatchFrame, other, false, false, false, false, false, kOtherRow, 51, row));
  VFSetEyedropperSecondTarget(result, 51);

  TKDialogAnswer answer;
  answer.color = TKColorRGB(1.0, 0.5, 0.0);
  TKQueueDialogAnswer(answer);
  Click(eyedropper, kTKModOption);
  const float expected[3] = {1.0f, 32767 / 65535.0f, 0.0f};
  for (int i = 0; i < 3; ++i) {
    EXPECT_FLOAT_EQ(Triple(kSampler)[i], expected[i]) << i;
    EXPECT_FLOAT_EQ(Triple(kOtherRow)[i], expected[i]) << i;
  }
  ASSERT_EQ(TKScriptedDialogRequests().size(), 1u);
  EXPECT_EQ(TKScriptedDialogRequests()[0].prompt, "Choose a color to match");

  // A cancelled picker keeps the colour.
  TKDialogAnswer cancel;
  cancel.status = kQVErrCancelled;
  TKQueueDialogAnswer(cancel);
  Click(eyedropper, kTKModOption);
  EXPECT_FLOAT_EQ(Triple(kSampler)[1], expected[1]);
  TKClearDialogScript();
}

TEST_F(ColorMatchGroupTest, TheReadoutPopupChoosesTheModeOfTheSwatches) {
  EXPECT_EQ(VFGetReadoutMode(sample), 1);
  EXPECT_EQ(TKCountMenuItems(TKGetControlMenu(popup)), 7);
  TKSetControlValue(popup, 4);
  EXPECT_EQ(VFGetReadoutMode(result), 4);
  EXPECT_EQ(VFGetReadoutMode(hue), 1) << "a control of no record";
}

TEST(ColorReadoutTest, EachModeFormatsAsItsMenuSays) {
  struct Case {
    float value;
    int32_t mode, component;
    const char* text;
  };
  const Case cases[] = {
      {0.5f, 1, 0, "127"},       {1.25f, 1, 0, "255"},    {-0.5f, 1, 0, "0"},       {0.5f, 2, 0, "511"},
      {0.5f, 3, 0, "16384"},     {1.25f, 4, 0, "1.2500"}, {-0.125f, 4, 0, "-0.1250"}, {0.456f, 5, 0, "46 %"},
      {2.0f, 5, 0, "100 %"},     {359.6f, 6, 0, "360 \xA1"}, {42.4f, 6, 1, "42 %"},  {0.5f, 7, 0, "7f"},
      {1.0f, 7, 0, "ff"},        {0.5f, 0, 0, "127"},      {0.5f, 9, 0, "127"},
  };
  for (const Case& c : cases) {
    char text[200];
    VFFormatValueLabel(c.value, c.mode, c.component, text, sizeof text);
    EXPECT_STREQ(text, c.text) << c.value << " mode " << c.mode;
  }
  char text[200];
  VFFormatValueLabel(std::nanf(""), 1, 0, text, sizeof text);
  EXPECT_STREQ(text, "0") << "a NaN reads as 0, not as an undefined conversion";
}

TEST(ColorReadoutTest, HueSaturationAndLightness) {
  struct Case {
    float rgb[3];
    double h, s, l;
  };
  const Case cases[] = {
      {{1, 0, 0}, 0, 1, 0.5},           {{0, 1, 0}, 1.0 / 3, 1, 0.5}, {{0, 0, 1}, 2.0 / 3, 1, 0.5},
      {{1, 0, 1}, 5.0 / 6, 1, 0.5},     {{0.5f, 0.5f, 0.5f}, 0, 0, 0.5}, {{0.75f, 0.25f, 0.25f}, 0, 0.5, 0.5},
      {{2, -1, 0}, 0, 1, 0.5},
  };
  for (const Case& c : cases) {
    double h, s, l;
    VFColorToHSL(c.rgb, &h, &s, &l);
    EXPECT_NEAR(h, c.h, 1e-6) << c.rgb[0] << " " << c.rgb[1] << " " << c.rgb[2];
    EXPECT_NEAR(s, c.s, 1e-6);
    EXPECT_NEAR(l, c.l, 1e-6);
  }
}

}  // namespace
