// Whole-record changes bring the controls along through the synchroniser.
#include <limits>

#include "tests/app/controls/correction_window.h"

TEST_F(CorrectionWindowTest, EnableBoxesShowAnyNonZeroWordWithoutRewritingIt) {
  VL_SettingsStruct next = gUISettings;
  next.hslEnable = 0x10000;  // low 16 bits zero
  next.rgbEnable = 2;
  next.hsl[1].enable = 0xFFFFFFFFu;
  std::memcpy(&gUISettings, &next, sizeof next);
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, 0);
  EXPECT_EQ(TabGroupGetItemCheck(mainTabs, 0), 1);
  EXPECT_EQ(TabGroupGetItemCheck(mainTabs, 1), 1);
  EXPECT_EQ(TabGroupGetItemCheck(hslRanges, 1), 1);
  EXPECT_TRUE(ChangedWords(next, gUISettings).empty()) << "the words are left as they were";
}

TEST_F(CorrectionWindowTest, MasksSelectSectionsAndApplyWritesThroughTheBindings) {
  VL_SettingsStruct other = gUISettings;
  other.hsl[0].gain = 3.0f;
  other.hsl[0].enable = 1;
  other.rgb[0].gain = 2.0f;
  other.limiter.limiter_clip_method = 2;
  // The hue offsets alone leave the range sliders as they are.
  SyncControlsWithSettings(&other, 0x10000, 0, nullptr, kVFSyncApply);
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].gain, gUIDefaultSettings.hsl[0].gain);
  EXPECT_EQ(TKGetControlValue(gain), int32_t(gUIDefaultSettings.hsl[0].gain * 65536.0f));
  // The HSL master range, applied from another record, ends in the working one.
  SyncControlsWithSettings(&other, 0x1, 0, nullptr, kVFSyncApply);
  EXPECT_FLOAT_EQ(gUISettings.hsl[0].gain, 3.0f);
  EXPECT_EQ(TKGetControlValue(gain), 3 * 65536);
  EXPECT_EQ(TabGroupGetItemCheck(hslRanges, 0), 1);
  EXPECT_FLOAT_EQ(gUISettings.rgb[0].gain, gUIDefaultSettings.rgb[0].gain) << "RGB was not selected";
  // The limiter's choices follow their words.
  SyncControlsWithSettings(&other, 0x10000000, 0, nullptr, kVFSyncApply);
  EXPECT_EQ(TKGetControlValue(clipMethod), 2);
  EXPECT_EQ(gUISettings.limiter.limiter_clip_method, 2u);
  // Without apply each slider re-reads its own field, whatever the record says.
  TKSetControlValue(rgbGain, 7);
  SyncControlsWithSettings(&other, 0x10, 0, nullptr, 0);
  EXPECT_EQ(TKGetControlValue(rgbGain), int32_t(gUIDefaultSettings.rgb[0].gain * 65536.0f));
  EXPECT_EQ(reprocessCount, 0) << "the synchroniser does not reprocess";
}

TEST_F(CorrectionWindowTest, APreviousRecordLimitsTheSlidersTouchedAndNaNCountsAsADifference) {
  VL_SettingsStruct previous = gUISettings;
  gUISettings.hsl[0].hue = 45.0f;
  previous.hsl[0].saturation = std::numeric_limits<float>::quiet_NaN();
  TKSetControlValue(gain, 77);
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, &previous, 0);
  EXPECT_EQ(TKGetControlValue(hue), 45 * 65536);
  EXPECT_EQ(TKGetControlValue(saturation), int32_t(gUISettings.hsl[0].saturation * 65536.0f))
      << "a field that was NaN is brought up to date";
  EXPECT_EQ(TKGetControlValue(gain), 77) << "an equal field is not touched";
}

TEST_F(CorrectionWindowTest, SavedSlotRecallBringsTheControlsAlong) {
  gUISettings.hsl[0].gain = 1.75f;
  ASSERT_TRUE(SavedSettingsSlot(3, true));
  gUISettings.hsl[0].gain = 1.0f;
  VFRefreshFromSettings(gain);
  ASSERT_TRUE(SavedSettingsSlot(3, false));
  EXPECT_EQ(TKGetControlValue(gain), int32_t(1.75f * 65536.0f));
  EXPECT_EQ(CorrectionWindowTest::Pixels(gResultFrame), Expected());
}

TEST_F(CorrectionWindowTest, CheckBoxesAndPopupsHoldOnlyWordsOfTheWorkingRecord) {
  // A box asked to bind into another record is left unbound: its clicks
  // write nowhere, and the table keeps the working record's control.
  VL_SettingsStruct other = gUISettings;
  TKRect frame = TKMakeRect(300, 360, 160, 18);
  TKControl* box = VFCreateCheckBox(window, &frame, "Elsewhere", nullptr, &other,
                                    VF_OFFSET(limiter.limiter_softclip_enable), 60, gSettingsControls, true);
  EXPECT_EQ(VFControlAtOffset(VF_OFFSET(limiter.limiter_softclip_enable)), softClip);
  const VL_SettingsStruct before = gUISettings;
  const VL_SettingsStruct otherBefore = other;
  Click(box);
  EXPECT_EQ(TKGetControlValue(box), 1) << "it still toggles on screen";
  EXPECT_TRUE(ChangedWords(before, gUISettings).empty());
  EXPECT_TRUE(ChangedWords(otherBefore, other).empty());
  EXPECT_EQ(reprocessCount, 0);
}
