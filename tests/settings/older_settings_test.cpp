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
