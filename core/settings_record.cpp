// Defaults by section mask, hash, comparison and byte swapping of the settings record.
#include "core/settings_record.h"

#include <bit>
#include <cstring>
#include <mutex>

#include "platform/byte_order.h"

namespace {

// Set by whichever thread loads the preferences while others make default
// records: every reader takes one whole copy under the lock.
std::mutex sPreferenceWordsLock;
VLSettingsPreferenceWords sPreferenceWords;

constexpr VL_HSLControls kHSLDefault = {0, 0.0f, 100.0f, 0.0f, 0.0f, 0.0f, 0.5f, 1.0f, 1.0f, 0.0f};

constexpr VL_PrimaryControls kPrimaryDefault = {
    0, 1.0f, 1.0f, 0.0f, {{1.0f, 1.0f, 0.0f}, {1.0f, 1.0f, 0.0f}, {1.0f, 1.0f, 0.0f}}};

constexpr VL_SecondaryControls kSecondaryDefault = {
    0,     0.05f, 0.1f, 0.05f, 0,    1,    0,    0.0f, 100.0f, 0, 0.0f, 0.0f,
    {{0, 0.0f, 0.0f, 0.0f}, {0, 0.0f, 0.0f, 0.0f}, {0, 0.0f, 0.0f, 0.0f}, {0, 0.0f, 0.0f, 0.0f}},
    1.0f,  1.0f,  0.0f};

constexpr VL_LimiterControls kLimiterDefault = {110.0f, -30.0f, 120.0f, 0,    90.0f,
                                                100.0f, 130.0f, 3,      0,    0.0f};

VL_SecondaryGeometryControls GeometryDefault() {
  VL_SecondaryGeometryControls g = {};
  g.head[1] = std::bit_cast<uint32_t>(0.05f);
  g.head[3] = 1;
  g.head[6] = std::bit_cast<uint32_t>(100.0f);
  g.head[10] = std::bit_cast<uint32_t>(1.0f);
  g.head[11] = std::bit_cast<uint32_t>(1.0f);
  return g;
}

// Pairs secondary index 0..5 with its geometry bit.
constexpr int kGeometryBits[6] = {44, 45, 46, 47, 48, 49};

bool Has(VLSettingsSectionMask mask, int bit) { return (mask & VLMaskBit(bit)) != 0; }

void ResetLevels(VL_LevelControls* levels) {
  levels->enable = 0;  // word 0 is kept
  levels->inblackpt = 0.0f;
  levels->ingraypt = 0.5f;
  levels->inwhitept = 1.0f;
  levels->outblackpt = 0.0f;
  levels->outgraypt = 0.5f;
  levels->outwhitept = 1.0f;
}

// A two-point spline from (0, y) to (1, y + rise); the map area is cleared first.
void ResetCurve(VL_CurveControls* curve, float y0, float y1) {
  curve->modeFlags = 0;  // words 0 and 1 are kept
  std::memset(curve->map, 0, sizeof curve->map);
  curve->spline.pointCount = 2;
  curve->spline.x[0] = 0.0f;
  curve->spline.y[0] = y0;
  curve->spline.x[1] = 1.0f;
  curve->spline.y[1] = y1;
}

void ResetHeadWords(VL_SettingsStruct* s, const VLSettingsPreferenceWords& p) {
  s->byteOrderFlag = kVLSettingsByteOrderFlag;
  s->hslEnable = 0;
  s->hslControlsEnable = 0;
  s->rgbEnable = 0;
  s->ycbcrEnable = 0;
  s->cmyEnable = 0;
  s->hueOffsetEnable = 0;
  s->levelsEnable = 0;
  s->curvesEnable = 0;
  s->rgbCurvesEnable = 0;
  s->hslCurvesEnable = 0;
  s->lumaRangesEnable = 0;
  s->secondaryEnable = 0;
  s->secondaryGeometryEnable = 0;
  s->limiter_preview = 0;
  s->linearizationOn = 0;
  s->secondaryKeyerEnable = 1;
  s->limiter_enable = uint32_t(p.limiterDefault);
  s->videoBlackLevel = uint32_t(p.videoBlackLevel);
  s->videoWhiteLevel = uint32_t(p.videoWhiteLevel);
  s->videoMinLevel = uint32_t(p.videoMinLevel);
  s->videoMaxLevel = uint32_t(p.videoMaxLevel);
  s->videoBlackSetup = uint32_t(p.videoBlackSetup);
  s->videoSystem = uint32_t(p.videoSystem);
}

}  // namespace

void VL_SetSettingsPreferenceWords(const VLSettingsPreferenceWords& words) {
  std::lock_guard<std::mutex> lock(sPreferenceWordsLock);
  sPreferenceWords = words;
}

VLSettingsPreferenceWords VL_GetSettingsPreferenceWords() {
  std::lock_guard<std::mutex> lock(sPreferenceWordsLock);
  return sPreferenceWords;
}

void VL_SetDefaultControlValues(VL_SettingsStruct* s, VLSettingsSectionMask mask) {
  if (s == nullptr) return;
  const VLSettingsPreferenceWords words = VL_GetSettingsPreferenceWords();
  if (mask == kVLMaskAll) ResetHeadWords(s, words);

  for (int r = 0; r < 4; ++r) {
    if (Has(mask, kVLMaskBitHSL + r)) s->hsl[r] = kHSLDefault;
    if (Has(mask, kVLMaskBitRGB + r)) s->rgb[r] = kPrimaryDefault;
    if (Has(mask, kVLMaskBitYCbCr + r)) s->ycbcr[r] = kPrimaryDefault;
    if (Has(mask, kVLMaskBitCMY + r)) s->cmy[r] = kPrimaryDefault;
  }

  if (Has(mask, kVLMaskBitHueOffsets)) {
    s->hueOffsetEnable = 0;
    s->hueOffsets.word0 = 0;
    for (VL_HueWheelControls& wheel : s->hueOffsets.wheel) {
      wheel.tintangle = 0.0f;  // the huewheel word is kept
      wheel.strength = 0.0f;
    }
  }

  for (int c = 0; c < 5; ++c) {
    if (Has(mask, kVLMaskBitLevels + c)) ResetLevels(&s->levels[c]);
  }
  if (Has(mask, kVLMaskBitLevels)) {
    s->input.inputControls_highlight_recovery = 0.0f;
    s->input.outputControls_highlight_recovery = 0.0f;
  }

  for (int n = 0; n < 6; ++n) {
    if (Has(mask, kVLMaskBitSecondary + n)) s->secondary[n] = kSecondaryDefault;
  }

  if (Has(mask, kVLMaskBitLimiter)) {
    s->limiter_enable = uint32_t(words.limiterDefault);
    s->limiter_preview = 0;
    s->limiter = kLimiterDefault;
    s->limiter.limiter_system = uint32_t(words.videoSystem);
  }

  if (Has(mask, kVLMaskBitLumaRanges)) {
    s->lumaRangesEnable = 0;  // words 0 and 1 are kept
    s->lumaRanges.lumarange_shadowx = 0.3f;
    s->lumaRanges.lumarange_shadowy = 0.3831f;
    s->lumaRanges.lumarange_highlightx = 0.7f;
    s->lumaRanges.lumarange_highlighty = 0.3831f;
  }

  for (int c = 0; c < 4; ++c) {
    if (Has(mask, kVLMaskBitRGBCurves + c)) ResetCurve(&s->rgbCurves[c], 0.0f, 1.0f);
  }
  if ((mask & kVLMaskAllRGBCurves) == kVLMaskAllRGBCurves) s->rgbCurvesEnable = 0;
  for (int c = 0; c < 3; ++c) {
    if (Has(mask, kVLMaskBitHSLCurves + c)) ResetCurve(&s->hslCurves[c], 0.5f, 0.5f);
  }
  if ((mask & kVLMaskAllHSLCurves) == kVLMaskAllHSLCurves) s->hslCurvesEnable = 0;

  if (Has(mask, kVLMaskBitLinVideoGamma)) {
    s->linearizeVideoGamma = 0;
    s->linearizationGamma = 2.2f;
  }
  if (Has(mask, kVLMaskBitLinLog)) {
    s->linearizeLog = 0;
    s->logBlackPoint = 95;
    s->logWhitePoint = 685;
    s->logOption = 1;
  }

  bool anyGeometry = false;
  for (int bit : kGeometryBits) anyGeometry = anyGeometry || Has(mask, bit);
  if (anyGeometry) {
    const VL_SecondaryGeometryControls geometry = GeometryDefault();
    for (int n = 0; n < 6; ++n) {
      if (Has(mask, kGeometryBits[n])) s->secondaryGeometry[n] = geometry;
    }
  }
}

uint32_t VL_GetSettingsHash(const VL_SettingsStruct* settings) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(settings);
  uint32_t h = 5381;
  for (int i = 0; i < kVLSettingsByteCount; ++i) h = h * 33u + bytes[i];
  return h;
}

bool VL_CompareSettingsWithHashForSame(const VL_SettingsStruct* settings, uint32_t hash) {
  return VL_GetSettingsHash(settings) == hash;
}

bool VL_SettingsAreSame(const VL_SettingsStruct* a, const VL_SettingsStruct* b) {
  return std::memcmp(a, b, sizeof(VL_SettingsStruct)) == 0;
}

bool VL_SettingsNeedByteSwap(const VL_SettingsStruct* settings) {
  return settings->byteOrderFlag == kVLSettingsByteOrderFlagSwapped;
}

void VL_ByteSwapSettings(VL_SettingsStruct* settings) {
  auto* bytes = reinterpret_cast<uint8_t*>(settings);
  for (int i = 0; i < kVLSettingsWordCount; ++i) {
    uint32_t word;
    std::memcpy(&word, bytes + 4 * i, 4);
    word = QVByteSwap32(word);
    std::memcpy(bytes + 4 * i, &word, 4);
  }
}
