#include "settings/older_settings.h"

#include <cstring>
#include <memory>
#include <new>

#include "platform/byte_order.h"

namespace {

constexpr uint32_t kV1Words = kVLSettingsV1Size / 4;
constexpr uint32_t kV2Words = kVLSettingsV2Size / 4;
constexpr uint32_t kV3Words = kVLSettingsV3Size / 4;

// Word index of a byte offset.
constexpr uint32_t W(uint32_t byteOffset) { return byteOffset / 4; }

float fx(uint32_t word) { return float(int32_t(word)) * (1.0f / 65536.0f); }

// Stores a float or a word at a byte offset of any record.
void putFloat(void* record, size_t offset, float f) { std::memcpy(static_cast<uint8_t*>(record) + offset, &f, 4); }

// V1 and V2 curve: word 0, word 1, point count, x[16], y[16] (35 words).
// V3 curve: word 0, word 1, mode, point count, x[16], y[16], then the map's remainder.
constexpr uint32_t kOldCurveBytes = 140;
constexpr uint32_t kCurveBytes = 4108;

// Points of a curve as the table builder can use them: 2 to 16.
bool validPointCount(uint32_t n) { return n >= 2 && n <= uint32_t(kVLCurveMaxPoints); }

}  // namespace

int32_t VLOlderSettingsVersionForSize(uint32_t size) {
  if (size == kVLSettingsV1Size) return 1;
  if (size == kVLSettingsV2Size) return 2;
  if (size == kVLSettingsV3Size) return 3;
  return 0;
}

uint32_t TransferHSLSettingsV1toV5(const uint32_t* s, VL_HSLControls* d) {
  d->enable = s[0];
  d->hue = fx(s[1]);
  d->saturation = fx(s[2]);
  d->vibrance = 0;
  d->brightness = fx(s[3]);
  d->contrast = fx(s[4]);
  d->contrastCenter = fx(s[5]);
  d->gain = fx(s[6]);
  d->gamma = fx(s[7]);
  d->pedestal = fx(s[8]);
  return d->enable;
}

namespace {

// RGB, YCbCr and CMY ranges share one shape: an enable and twelve values.
uint32_t transferPrimary(const uint32_t* s, VL_PrimaryControls* d) {
  d->enable = s[0];
  for (size_t i = 0; i < 12; ++i) putFloat(d, 4 + 4 * i, fx(s[1 + i]));
  return d->enable;
}

}  // namespace

uint32_t TransferRGBSettingsV1toV5(const uint32_t* s, VL_RGBControls* d) { return transferPrimary(s, d); }
uint32_t TransferYCbCrSettingsV1toV5(const uint32_t* s, VL_YCbCrControls* d) { return transferPrimary(s, d); }
uint32_t TransferCMYSettingsV1toV5(const uint32_t* s, VL_CMYControls* d) { return transferPrimary(s, d); }

uint32_t TransferHSLOffsetSettingsV1toV5(const uint32_t* s, VL_HSLOffsetControls* d) {
  d->word0 = s[0];
  for (int w = 0; w < 4; ++w) {
    d->wheel[w].huewheel = s[1 + 3 * w];
    d->wheel[w].tintangle = fx(s[2 + 3 * w]);
    d->wheel[w].strength = fx(s[3 + 3 * w]);
  }
  return d->word0;
}

uint32_t TransferLevelsSettingsV1toV5(const uint32_t* s, VL_LevelControls* d) {
  d->word0 = s[0];
  d->enable = s[1];
  d->inblackpt = fx(s[2]);
  d->ingraypt = fx(s[3]);
  d->inwhitept = fx(s[4]);
  d->outblackpt = fx(s[5]);
  d->outgraypt = fx(s[6]);
  d->outwhitept = fx(s[7]);
  return d->enable;
}

uint32_t TransferLimiterSettingsV1toV5(const uint32_t* s, VL_LimiterControls* d) {
  d->limiter_chroma_max = fx(s[0]);
  d->limiter_chroma_min = fx(s[1]);
  d->limiter_luma_max = fx(s[2]);
  d->limiter_softclip_enable = s[3];
  d->limiter_softclip_knee = fx(s[4]);
  d->limiter_softclip_white_level = fx(s[5]);
  d->limiter_softclip_max_level = fx(s[6]);
  d->limiter_clip_method = s[7];
  d->limiter_system = s[8];
  d->limiter_highlight_recovery = 0;
  return d->limiter_softclip_enable;
}

uint32_t TransferSecondaryKeyerSettingsV1toV5(const uint32_t* s, VL_SecondaryControls* d) {
  d->enable = s[0];
  d->lumatol = fx(s[1]);
  d->chromatol = fx(s[2]);
  d->softness = fx(s[3]);
  d->preview = s[4] != 0 ? 1 : 0;
  d->previewMode = 1;
  d->invert = s[5];
  d->hue = fx(s[6]);
  d->saturation = fx(s[7]);
  d->hueoffset_huewheel = s[8];
  d->hueoffset_tintangle = fx(s[9]);
  d->hueoffset_strength = fx(s[10]);
  std::memcpy(d->sample, s + 11, sizeof d->sample);
  d->gain = 1.0f;
  d->gamma = 1.0f;
  d->ped = 0;
  return d->enable != 0 ? 1 : 0;
}

uint32_t TransferSecondaryKeyerSettingsV2toV5(const uint32_t* s, VL_SecondaryControls* d) {
  uint32_t enabled = TransferSecondaryKeyerSettingsV1toV5(s, d);
  d->gain = fx(s[27]);
  d->gamma = fx(s[28]);
  d->ped = fx(s[29]);
  return enabled;
}

void TransferSecondaryGeomSettings(const uint32_t* s, VL_SecondaryGeometryControls* d) {
  // Head words 13 to 18 are reserved: the record keeps its own.
  for (int w = 0; w <= 12; ++w) d->head[w] = s[w];
  std::memcpy(d->shape, s + 19, sizeof d->shape);
}

void SetDefaultControlValues(uint32_t* v3, VLSettingsSectionMask) {
  // No value of the reset reaches a converted record: every word the last
  // step reads is written from the version-2 record. A defined state is enough.
  std::memset(v3, 0, kVLSettingsV3Size);
  v3[0] = kVLSettingsByteOrderFlag;
}

void ConvertSettingsV1toV2(const uint32_t* v1, uint32_t* v2) {
  std::memset(v2, 0, kVLSettingsV2Size);
  std::memcpy(v2, v1, 1644);
  for (uint32_t n = 0; n < 6; ++n) {
    uint32_t* to = v2 + W(1644 + 120 * n);
    std::memcpy(to, v1 + W(1644 + 108 * n), 108);
    to[27] = 65536;  // gain 1.0
    to[28] = 65536;  // gamma 1.0
    to[29] = 0;      // ped 0
  }
  std::memcpy(v2 + W(2364), v1 + W(2292), 12);    // two words and the limiter enable
  std::memcpy(v2 + W(2380), v1 + W(2304), 116);   // limiter, sampler, seven words, video words
}

void ConvertSettingsV2toV3(const uint32_t* v2, uint32_t* v3) {
  SetDefaultControlValues(v3, kVLMaskAll);
  std::memcpy(v3, v2, 1020);
  for (uint32_t k = 0; k < 4; ++k) {
    const uint32_t* from = v2 + W(1020 + kOldCurveBytes * k);
    uint32_t* to = v3 + W(1020 + kCurveBytes * k);
    to[0] = from[0];
    to[1] = from[1];
    to[2] = 0;  // spline mode
    std::memcpy(to + 3, from + 2, 33 * 4);  // point count, x[16], y[16]
  }
  std::memcpy(v3 + W(17452), v2 + W(1580), 2376 - 1580);
  std::memcpy(v3 + W(18252), v2 + W(2380), 2496 - 2380);
}

void ConvertSettingsV3toV5(const uint32_t* v3, VL_SettingsStruct* d) {
  std::memset(d, 0, sizeof *d);
  VL_SetDefaultControlValues(d, kVLMaskAll);
  d->hslEnable = v3[W(4)];
  d->hslControlsEnable = v3[W(8)];
  for (int r = 0; r < 4; ++r) TransferHSLSettingsV1toV5(v3 + W(12 + 36 * r), &d->hsl[r]);
  d->rgbEnable = v3[W(156)];
  for (int r = 0; r < 4; ++r) TransferRGBSettingsV1toV5(v3 + W(160 + 52 * r), &d->rgb[r]);
  d->ycbcrEnable = v3[W(368)];
  for (int r = 0; r < 4; ++r) TransferYCbCrSettingsV1toV5(v3 + W(372 + 52 * r), &d->ycbcr[r]);
  d->cmyEnable = v3[W(580)];
  for (int r = 0; r < 4; ++r) TransferCMYSettingsV1toV5(v3 + W(584 + 52 * r), &d->cmy[r]);

  d->hueOffsetEnable = v3[W(792)];
  TransferHSLOffsetSettingsV1toV5(v3 + W(796), &d->hueOffsets);
  d->levelsEnable = v3[W(848)];
  for (int c = 0; c < 5; ++c) TransferLevelsSettingsV1toV5(v3 + W(852 + 32 * c), &d->levels[c]);

  d->secondaryEnable = v3[W(1012)];
  for (int n = 0; n < 6; ++n) {
    d->secondaryKeyerEnable |= TransferSecondaryKeyerSettingsV2toV5(v3 + W(17516 + 120 * n), &d->secondary[n]);
  }

  d->curvesEnable = v3[W(1016)];
  const uint32_t* master = v3 + W(1020);
  // A point count outside 2..16 cannot be drawn or built; such a curve keeps its default.
  if (validPointCount(master[3])) {
    VL_CurveControls& m = d->rgbCurves[kVLCurveMaster];
    m.word1 = master[1];
    m.modeFlags = master[2];
    m.spline.pointCount = master[3];
    std::memcpy(m.spline.x, master + 4, sizeof m.spline.x);
    std::memcpy(m.spline.y, master + 20, sizeof m.spline.y);
  }
  d->rgbCurvesEnable = 0;
  d->hslCurvesEnable = 0;

  std::memcpy(d->curvePoints, v3 + W(17452), sizeof d->curvePoints);
  d->lumaRangesEnable = v3[W(17488)];
  std::memcpy(&d->lumaRanges, v3 + W(17492), sizeof d->lumaRanges);

  d->limiter_enable = v3[W(18244)];
  TransferLimiterSettingsV1toV5(v3 + W(18252), &d->limiter);
  // Sampler, seven words and six video words: 33424 to 33503 of the current record.
  static_assert(offsetof(VL_SettingsStruct, linearizationOn) - offsetof(VL_SettingsStruct, sampler) == 80);
  std::memcpy(&d->sampler, v3 + W(18288), 80);
}

bool ConvertSettingsToCurrent(int32_t version, const void* source, VL_SettingsStruct* current) {
  static const uint32_t kSizes[4] = {0, kVLSettingsV1Size, kVLSettingsV2Size, kVLSettingsV3Size};
  if (version < 1 || version > 3 || !source || !current) return false;
  // Every buffer starts zeroed, so nothing of earlier memory reaches the result.
  std::unique_ptr<uint32_t[]> src(new (std::nothrow) uint32_t[kV3Words]());
  std::unique_ptr<uint32_t[]> v2(new (std::nothrow) uint32_t[kV2Words]());
  std::unique_ptr<uint32_t[]> v3(new (std::nothrow) uint32_t[kV3Words]());
  std::unique_ptr<VL_SettingsStruct> out(new (std::nothrow) VL_SettingsStruct());
  if (!src || !v2 || !v3 || !out) return false;
  const uint32_t words = kSizes[version] / 4;
  std::memcpy(src.get(), source, kSizes[version]);
  if (src[0] == kVLSettingsByteOrderFlagSwapped) {
    for (uint32_t i = 0; i < words; ++i) src[i] = QVByteSwap32(src[i]);
  }
  const uint32_t* v3Record = src.get();
  if (version == 1) {
    ConvertSettingsV1toV2(src.get(), v2.get());
    ConvertSettingsV2toV3(v2.get(), v3.get());
    v3Record = v3.get();
  } else if (version == 2) {
    ConvertSettingsV2toV3(src.get(), v3.get());
    v3Record = v3.get();
  }
  ConvertSettingsV3toV5(v3Record, out.get());
  std::memcpy(current, out.get(), sizeof *current);
  return true;
}

static_assert(kV1Words * 4 == kVLSettingsV1Size && kV2Words * 4 == kVLSettingsV2Size);
