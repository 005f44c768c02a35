// Conversion of the three older whole-record layouts.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/byte_order.h"
#include "settings/older_settings.h"

namespace {

constexpr uint32_t kOne = 65536;  // 1.0 in 16.16

std::vector<uint32_t> olderRecord(int version) {
  const uint32_t sizes[] = {0, kVLSettingsV1Size, kVLSettingsV2Size, kVLSettingsV3Size};
  std::vector<uint32_t> r(sizes[version] / 4, 0);
  r[0] = kVLSettingsByteOrderFlag;
  return r;
}

VL_SettingsStruct convert(int version, const std::vector<uint32_t>& record, uint8_t fill = 0) {
  VL_SettingsStruct s;
  std::memset(&s, fill, sizeof s);
  EXPECT_TRUE(ConvertSettingsToCurrent(version, record.data(), &s));
  return s;
}

TEST(OlderSettings, VersionBySize) {
  EXPECT_EQ(VLOlderSettingsVersionForSize(2420), 1);
  EXPECT_EQ(VLOlderSettingsVersionForSize(2532), 2);
  EXPECT_EQ(VLOlderSettingsVersionForSize(18404), 3);
  EXPECT_EQ(VLOlderSettingsVersionForSize(33556), 0);
  VL_SettingsStruct s;
  EXPECT_FALSE(ConvertSettingsToCurrent(4, nullptr, &s));
}

TEST(OlderSettings, FixedPointValuesBecomeFloats) {
  for (int version : {1, 2, 3}) {
    std::vector<uint32_t> r = olderRecord(version);
    r[3 + 2] = 6553600;                   // HSL master saturation 100
    r[160 / 4 + 4] = uint32_t(-32768);      // RGB master, red gain -0.5
    r[796 / 4 + 2] = 45 * kOne;            // master wheel tint angle
    r[796 / 4 + 1] = 7;                    // master wheel word, copied
    r[852 / 4 + 32 / 4 + 1] = 1;           // red levels enable
    r[852 / 4 + 32 / 4 + 4] = kOne / 4;    // red levels in white point
    VL_SettingsStruct s = convert(version, r);
    EXPECT_EQ(s.hsl[0].saturation, 100.0f) << version;
    EXPECT_EQ(s.hsl[0].vibrance, 0.0f);
    EXPECT_EQ(s.rgb[0].channel[0].gain, -0.5f) << version;
    EXPECT_EQ(s.hueOffsets.wheel[0].tintangle, 45.0f);
    EXPECT_EQ(s.hueOffsets.wheel[0].huewheel, 7u);
    EXPECT_EQ(s.levels[1].enable, 1u);
    EXPECT_EQ(s.levels[1].inwhitept, 0.25f);
  }
}

TEST(OlderSettings, VersionOneSecondaryGetsNeutralGainGammaPed) {
  std::vector<uint32_t> r = olderRecord(1);
  uint32_t* sec = r.data() + 1644 / 4 + 108 / 4 * 2;  // secondary C
  sec[0] = 1;
  sec[1] = kOne / 10;  // luma tolerance
  sec[4] = 5;          // preview on
  r[1012 / 4] = 1;     // secondary enable
  VL_SettingsStruct s = convert(1, r);
  EXPECT_EQ(s.secondaryEnable, 1u);
  EXPECT_EQ(s.secondaryKeyerEnable, 1u);
  EXPECT_EQ(s.secondary[2].enable, 1u);
  EXPECT_NEAR(s.secondary[2].lumatol, 0.1f, 1e-4);
  EXPECT_EQ(s.secondary[2].preview, 1u);
  EXPECT_EQ(s.secondary[2].previewMode, 1u);
  EXPECT_EQ(s.secondary[2].gain, 1.0f);
  EXPECT_EQ(s.secondary[2].gamma, 1.0f);
  EXPECT_EQ(s.secondary[2].ped, 0.0f);
}

TEST(OlderSettings, LimiterAndTrailingWordsFindTheirPlaces) {
  // The same values at each version's places land on the same current fields.
  struct Places {
    int version;
    uint32_t limiterEnable, limiter, sampler, video;
  } places[] = {{1, 2300, 2304, 2340, 2396}, {2, 2372, 2380, 2416, 2472}, {3, 18244, 18252, 18288, 18344}};
  for (const Places& p : places) {
    std::vector<uint32_t> r = olderRecord(p.version);
    r[p.limiterEnable / 4] = 1;
    r[p.limiter / 4 + 0] = 100 * kOne;
    r[p.limiter / 4 + 7] = 2;  // clip method
    r[p.limiter / 4 + 8] = 3;  // system
    r[p.sampler / 4] = 0x5A5A;
    r[p.video / 4 + 5] = 9;    // the last video word
    VL_SettingsStruct s = convert(p.version, r);
    EXPECT_EQ(s.limiter_enable, 1u) << p.version;
    EXPECT_EQ(s.limiter.limiter_chroma_max, 100.0f) << p.version;
    EXPECT_EQ(s.limiter.limiter_clip_method, 2u) << p.version;
    EXPECT_EQ(s.limiter.limiter_system, 3u) << p.version;
    EXPECT_EQ(s.sampler.word[0], 0x5A5Au) << p.version;
    EXPECT_EQ(s.videoSystem, 9u) << p.version;
  }
}

TEST(OlderSettings, VersionThreeColourCurvesKeepTheirDefaults) {
  std::vector<uint32_t> r = olderRecord(3);
  r[1016 / 4] = 1;  // curves enable
  for (int k = 0; k < 4; ++k) {
    uint32_t* curve = r.data() + (1020 + 4108 * k) / 4;
    curve[3] = 3;  // three points
    float mid = 0.25f;
    std::memcpy(&curve[4 + 1], &mid, 4);
    std::memcpy(&curve[20 + 1], &mid, 4);
  }
  VL_SettingsStruct s = convert(3, r);
  EXPECT_EQ(s.curvesEnable, 1u);
  EXPECT_EQ(s.rgbCurves[0].spline.pointCount, 3u);
  EXPECT_EQ(s.rgbCurves[0].spline.x[1], 0.25f);
  for (int k = 1; k < 4; ++k) {
    EXPECT_EQ(s.rgbCurves[k].spline.pointCount, 2u) << k;
    EXPECT_EQ(s.rgbCurves[k].spline.x[1], 1.0f) << k;
  }
  EXPECT_EQ(s.rgbCurvesEnable, 0u);
  EXPECT_EQ(s.hslCurvesEnable, 0u);
}

// A stored point count the curve code cannot hold is not carried over.
TEST(OlderSettings, AnImpossiblePointCountLeavesTheDefaultCurve) {
  std::vector<uint32_t> r = olderRecord(3);
  r[(1020 + 12) / 4] = 5000;
  VL_SettingsStruct s = convert(3, r);
  EXPECT_EQ(s.rgbCurves[0].spline.pointCount, 2u);
}

// One distinct value in every section at each version's own places lands on
// the same field of the current record.
TEST(OlderSettings, EverySectionLandsInItsCurrentPlace) {
  struct Places {
    int version;
    uint32_t curvePoints, lumaEnable, lumaRanges, secondaries, secondaryStride;
    bool curveHasMode;
  } places[] = {{1, 1580, 1616, 1620, 1644, 108, false},
                {2, 1580, 1616, 1620, 1644, 120, false},
                {3, 17452, 17488, 17492, 17516, 120, true}};
  auto fieldAt = [](const void* record, size_t offset) {
    uint32_t w;
    std::memcpy(&w, static_cast<const uint8_t*>(record) + offset, 4);
    return w;
  };
  for (const Places& p : places) {
    SCOPED_TRACE(p.version);
    std::vector<uint32_t> r = olderRecord(p.version);
    for (uint32_t enable : {4u, 8u, 156u, 368u, 580u, 792u, 848u, 1012u, 1016u}) r[enable / 4] = 1;
    r[(12 + 36 * 1) / 4] = 1;                 // HSL highlights enable
    r[(12 + 36 * 3) / 4 + 8] = kOne / 2;      // HSL shadows pedestal 0.5
    r[(372 + 52 * 2) / 4] = 1;                // YCbCr midtones enable
    r[(372 + 52 * 2) / 4 + 6] = 2 * kOne;     // its sixth value 2.0
    r[(584 + 52 * 3) / 4 + 12] = uint32_t(-int32_t(kOne));  // CMY shadows last value -1.0
    uint32_t* master = r.data() + 1020 / 4;
    const uint32_t count = p.curveHasMode ? 3 : 2;  // index of the point count
    master[1] = 0x77;
    master[count] = 4;
    const float half = 0.5f;
    std::memcpy(&master[count + 1 + 2], &half, 4);   // x[2]
    std::memcpy(&master[count + 17 + 3], &half, 4);  // y[3]
    for (uint32_t i = 0; i < 9; ++i) r[p.curvePoints / 4 + i] = 0x100 + i;
    r[p.lumaEnable / 4] = 1;
    for (uint32_t i = 0; i < 6; ++i) r[p.lumaRanges / 4 + i] = 0x200 + i;
    uint32_t* secondaryE = r.data() + (p.secondaries + p.secondaryStride * 4) / 4;
    secondaryE[0] = 1;
    secondaryE[6] = 30 * kOne;  // hue
    secondaryE[8] = 3;          // hue wheel
    secondaryE[26] = 0xABCD;    // the last key-colour word
    if (p.version > 1) secondaryE[27] = 2 * kOne;  // gain

    VL_SettingsStruct s = convert(p.version, r);
    EXPECT_EQ(s.hslEnable + s.hslControlsEnable + s.rgbEnable + s.ycbcrEnable + s.cmyEnable, 5u);
    EXPECT_EQ(s.hueOffsetEnable + s.levelsEnable + s.secondaryEnable + s.curvesEnable, 4u);
    EXPECT_EQ(s.hsl[1].enable, 1u);
    EXPECT_EQ(s.hsl[3].pedestal, 0.5f);
    EXPECT_EQ(s.ycbcr[2].enable, 1u);
    float f;
    uint32_t w = fieldAt(&s.ycbcr[2], 4 + 4 * 5);
    std::memcpy(&f, &w, 4);
    EXPECT_EQ(f, 2.0f);
    w = fieldAt(&s.cmy[3], 4 + 4 * 11);
    std::memcpy(&f, &w, 4);
    EXPECT_EQ(f, -1.0f);
    EXPECT_EQ(s.rgbCurves[0].word1, 0x77u);
    EXPECT_EQ(s.rgbCurves[0].modeFlags, 0u);
    EXPECT_EQ(s.rgbCurves[0].spline.pointCount, 4u);
    EXPECT_EQ(s.rgbCurves[0].spline.x[2], 0.5f);
    EXPECT_EQ(s.rgbCurves[0].spline.y[3], 0.5f);
    for (uint32_t i = 0; i < 9; ++i) EXPECT_EQ(fieldAt(s.curvePoints, 4 * i), 0x100 + i);
    EXPECT_EQ(s.lumaRangesEnable, 1u);
    for (uint32_t i = 0; i < 6; ++i) EXPECT_EQ(fieldAt(&s.lumaRanges, 4 * i), 0x200 + i);
    EXPECT_EQ(s.secondary[4].enable, 1u);
    EXPECT_EQ(s.secondary[4].hue, 30.0f);
    EXPECT_EQ(s.secondary[4].hueoffset_huewheel, 3u);
    EXPECT_EQ(fieldAt(s.secondary[4].sample, 60), 0xABCDu);
    EXPECT_EQ(s.secondary[4].gain, p.version > 1 ? 2.0f : 1.0f);
    EXPECT_EQ(s.secondary[3].enable, 0u);
    EXPECT_EQ(s.secondaryKeyerEnable, 1u);
  }
}

TEST(OlderSettings, ByteReversedRecordsConvertLikeNativeOnesAndIgnoreOldContents) {
  for (int version : {1, 2, 3}) {
    std::vector<uint32_t> r = olderRecord(version);
    for (size_t i = 1; i < r.size(); ++i) r[i] = uint32_t(i * 2654435761u) & 0x000FFFFF;
    std::vector<uint32_t> reversed = r;
    for (uint32_t& w : reversed) w = QVByteSwap32(w);
    VL_SettingsStruct a = convert(version, r, 0x00);
    VL_SettingsStruct b = convert(version, reversed, 0xAB);
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0) << version;
  }
}

}  // namespace
