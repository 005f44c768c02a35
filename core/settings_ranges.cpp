// The ranges and steps of the fields the effect's sliders mirror: the HSL
// sliders of each range, the RGB gain, gamma and pedestal of each range and
// channel, and the limiter's levels.
#include "core/settings_ranges.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>

namespace {

// A field typed and slid over one span, and one typed over min..max and slid
// over sliderMin..sliderMax.
#define VL_RANGE(member, lo, hi, digits) VL_SPAN(member, lo, hi, lo, hi, digits)
#define VL_SPAN(member, lo, hi, sliderLo, sliderHi, digits) \
  {uint32_t(offsetof(VL_SettingsStruct, member)), lo, hi, sliderLo, sliderHi, digits}
#define VL_HSL_RANGES(r)                                                                                 \
  VL_SPAN(hsl[r].hue, -3600.0f, 3600.0f, -360.0f, 360.0f, 2), VL_RANGE(hsl[r].saturation, 0.0f, 300.0f, 2), \
      VL_RANGE(hsl[r].vibrance, -100.0f, 100.0f, 2), VL_RANGE(hsl[r].brightness, -100.0f, 100.0f, 2),    \
      VL_RANGE(hsl[r].contrast, -100.0f, 100.0f, 2), VL_RANGE(hsl[r].contrastCenter, 0.0f, 1.0f, 3),    \
      VL_SPAN(hsl[r].gain, 0.0f, 20.0f, 0.0f, 3.0f, 3), VL_SPAN(hsl[r].gamma, 0.1f, 10.0f, 0.1f, 5.0f, 3), \
      VL_RANGE(hsl[r].pedestal, -1.0f, 1.0f, 3)
#define VL_GAIN_GAMMA_PED(gainField, gammaField, pedField)                                             \
  VL_SPAN(gainField, 0.0f, 20.0f, 0.0f, 3.0f, 2), VL_SPAN(gammaField, 0.1f, 10.0f, 0.1f, 5.0f, 2),      \
      VL_RANGE(pedField, -1.0f, 1.0f, 2)
#define VL_RGB_RANGES(r)                                                                                 \
  VL_GAIN_GAMMA_PED(rgb[r].gain, rgb[r].gamma, rgb[r].pedestal),                                        \
      VL_GAIN_GAMMA_PED(rgb[r].channel[0].gain, rgb[r].channel[0].gamma, rgb[r].channel[0].ped),        \
      VL_GAIN_GAMMA_PED(rgb[r].channel[1].gain, rgb[r].channel[1].gamma, rgb[r].channel[1].ped),        \
      VL_GAIN_GAMMA_PED(rgb[r].channel[2].gain, rgb[r].channel[2].gamma, rgb[r].channel[2].ped)

}  // namespace

const VLSettingsFieldRange kVLSettingsFieldRanges[kVLSettingsFieldRangeCount] = {
    VL_HSL_RANGES(0), VL_HSL_RANGES(1), VL_HSL_RANGES(2), VL_HSL_RANGES(3),
    VL_RGB_RANGES(0), VL_RGB_RANGES(1), VL_RGB_RANGES(2), VL_RGB_RANGES(3),
    VL_RANGE(limiter.limiter_chroma_max, 70.0f, 130.0f, 2),
    VL_RANGE(limiter.limiter_chroma_min, -40.0f, 0.0f, 2),
    VL_RANGE(limiter.limiter_luma_max, 70.0f, 130.0f, 2),
    VL_RANGE(limiter.limiter_softclip_knee, 60.0f, 100.0f, 2),
    VL_RANGE(limiter.limiter_softclip_white_level, 80.0f, 120.0f, 2),
    VL_RANGE(limiter.limiter_softclip_max_level, 110.0f, 160.0f, 2),
};

const VLSettingsFieldRange* VL_FindSettingsFieldRange(uint32_t offset) {
  for (const VLSettingsFieldRange& r : kVLSettingsFieldRanges)
    if (r.offset == offset) return &r;
  return nullptr;
}

void VL_HoldSettingsToRanges(VL_SettingsStruct* settings) {
  if (settings == nullptr) return;
  // The defaults (which follow the preferences) are made only when a value
  // needs one; without the memory for them such a value becomes 0, then held.
  std::unique_ptr<VL_SettingsStruct> defaults;
  bool defaultsTried = false;
  uint8_t* record = reinterpret_cast<uint8_t*>(settings);
  for (const VLSettingsFieldName& field : kSettingsFieldNames) {
    if (field.type != kVLFieldFloat) continue;
    float v;
    std::memcpy(&v, record + field.offset, 4);
    if (!std::isfinite(v)) {
      if (!defaultsTried) {
        defaultsTried = true;
        defaults.reset(new (std::nothrow) VL_SettingsStruct);
        if (defaults) {
          std::memset(defaults.get(), 0, sizeof *defaults);
          VL_SetDefaultControlValues(defaults.get(), kVLMaskAll);
        }
      }
      v = 0.0f;
      if (defaults) std::memcpy(&v, reinterpret_cast<const uint8_t*>(defaults.get()) + field.offset, 4);
    }
    const VLSettingsFieldRange* range = VL_FindSettingsFieldRange(field.offset);
    // A gamma at or below zero stands for no gamma at all (the builders read
    // it as 1); only a positive one is held to its range.
    if (range && range->min > 0.0f && v <= 0.0f) continue;
    const float lo = range ? range->min : -kVLSettingsFieldMagnitude;
    const float hi = range ? range->max : kVLSettingsFieldMagnitude;
    v = v < lo ? lo : (v > hi ? hi : v);
    std::memcpy(record + field.offset, &v, 4);
  }
}
