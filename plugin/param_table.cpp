#include "plugin/param_table.h"

#include <array>
#include <cstddef>
#include <cstdio>

#include "core/settings_ranges.h"
#include "core/settings_record.h"

namespace {

constexpr uint32_t kSup = kHIParamFlagSupervise;
constexpr uint32_t kCollapsed = kHIParamFlagStartCollapsed;
constexpr uint32_t kFixed = kHIParamFlagCannotTimeVary;

// A slider's name and default; its range and step are its field's in the
// record's range table.
struct SliderShape {
  const char* name;
  double dephault;
};

// Byte offset of a named field of the settings record.
#define VL_AT(member) int32_t(offsetof(VL_SettingsStruct, member))

// The HSL sliders of one range in index order, with their fields in
// VL_HSLControls and the identifier rules id = base + 10 r (vibrance 119 + r).
const SliderShape kHSLSliders[9] = {
    {"Hue", 0},  {"Saturation", 100}, {"Vibrance", 0}, {"Brightness", 0}, {"Contrast", 0},
    {"Contrast Center", 0.5}, {"RGB Gain", 1}, {"Gamma", 1}, {"Pedestal", 0},
};
const size_t kHSLFields[9] = {
    offsetof(VL_HSLControls, hue),      offsetof(VL_HSLControls, saturation),
    offsetof(VL_HSLControls, vibrance), offsetof(VL_HSLControls, brightness),
    offsetof(VL_HSLControls, contrast), offsetof(VL_HSLControls, contrastCenter),
    offsetof(VL_HSLControls, gain),     offsetof(VL_HSLControls, gamma),
    offsetof(VL_HSLControls, pedestal),
};
const int32_t kHSLIdBase[9] = {5, 6, -1, 7, 8, 9, 10, 11, 12};

// The RGB sliders of one channel: listed gamma, pedestal, gain; stored gain,
// gamma, pedestal. The "Master" channel is the range's own three values, red,
// green and blue its channel records.
const SliderShape kRGBSliders[3] = {{"Gamma", 1}, {"Pedestal", 0}, {"Gain", 1}};
const size_t kRGBOwnFields[3] = {offsetof(VL_RGBControls, gamma), offsetof(VL_RGBControls, pedestal),
                                  offsetof(VL_RGBControls, gain)};
const size_t kRGBChannelFields[3] = {offsetof(VL_ChannelControls, gamma), offsetof(VL_ChannelControls, ped),
                                    offsetof(VL_ChannelControls, gain)};
const char* const kChannelNames[4] = {"Master", "Red", "Green", "Blue"};
const char* const kRangeNames[4] = {"Master", "Highlights", "Midtones", "Shadows"};

char rgbNames[4][3][32];

// Offset of slider k of HSL range r.
int32_t hslField(int32_t r, int32_t k) {
  return VL_AT(hsl) + int32_t(sizeof(VL_HSLControls) * size_t(r) + kHSLFields[k]);
}

// Offset of slider k of channel c (0 the range's own) of RGB range r.
int32_t rgbField(int32_t r, int32_t c, int32_t k) {
  size_t inRange = c == 0 ? kRGBOwnFields[k]
                          : offsetof(VL_RGBControls, channel) + sizeof(VL_ChannelControls) * size_t(c - 1) +
                                kRGBChannelFields[k];
  return VL_AT(rgb) + int32_t(sizeof(VL_RGBControls) * size_t(r) + inRange);
}

struct Builder {
  std::array<VLParamInfo, kVLParamCount> table{};
  int32_t next = 0;

  VLParamInfo& add(int32_t id, HIParamType kind, const char* name, uint32_t flags) {
    VLParamInfo& s = table[size_t(next++)];
    s = VLParamInfo{};
    s.id = id;
    s.kind = kind;
    s.name = name;
    s.flags = flags;
    s.settingsOffset = -1;
    return s;
  }
  void slider(int32_t id, const SliderShape& shape, uint32_t flags, int32_t offset) {
    VLParamInfo& s = add(id, kHIParamFloatSlider, shape.name, flags);
    // Every slider's field has its row in the range table (a test holds them
    // to each other).
    const VLSettingsFieldRange& range = *VL_FindSettingsFieldRange(uint32_t(offset));
    s.validMin = range.min;
    s.validMax = range.max;
    s.sliderMin = range.sliderMin;
    s.sliderMax = range.sliderMax;
    s.dephault = shape.dephault;
    s.precision = range.precision;
    s.settingsOffset = offset;
  }
  void toggle(int32_t id, const char* name, double dephault, uint32_t flags, int32_t offset) {
    VLParamInfo& s = add(id, kHIParamCheckbox, name, flags);
    s.dephault = dephault;
    s.settingsOffset = offset;
  }
  void popup(int32_t id, const char* name, const char* choices, double dephault, int32_t offset) {
    VLParamInfo& s = add(id, kHIParamPopup, name, kSup | kFixed);
    s.choices = choices;
    s.choiceCount = 3;
    s.dephault = dephault;
    s.settingsOffset = offset;
  }
  void arb(int32_t id, const char* name, uint32_t flags, int16_t w, int16_t h, uint32_t uiFlags) {
    VLParamInfo& s = add(id, kHIParamArbitraryData, name, flags);
    s.arbId = id;
    s.uiWidth = w;
    s.uiHeight = h;
    s.uiFlags = uiFlags;
  }
};

std::array<VLParamInfo, kVLParamCount> build() {
  Builder b;
  b.add(0, kHIParamLayer, "", 0);
  b.arb(kVLParamIdSettings, "Parameters", kSup, 279, 51,
        kHIParamUIFlagControl | kHIParamUIFlagDoNotEraseControl);
  b.add(2, kHIParamGroupStart, "Simplified Interface", kCollapsed);
  {
    VLParamInfo& s = b.add(kVLParamIdLevelsAuto, kHIParamNoData, "Levels - Auto Correct", kSup | kFixed);
    s.uiWidth = 362;
    s.uiHeight = 24;
    s.uiFlags = kHIParamUIFlagControl;
  }
  b.arb(kVLParamIdHueOffset, "Hue Offset", 0, 362, 362, kHIParamUIFlagControl);
  b.arb(kVLParamIdCurves, "Curves", 0, 362, 374, kHIParamUIFlagControl);

  b.add(3, kHIParamGroupStart, "HSL", kSup);
  for (int32_t r = 0; r < 4; ++r) {
    b.add(4 + 10 * r, kHIParamGroupStart, kRangeNames[r], kSup | kCollapsed);
    for (int32_t k = 0; k < 9; ++k) {
      int32_t id = k == 2 ? 119 + r : kHSLIdBase[k] + 10 * r;
      b.slider(id, kHSLSliders[k], kSup | kCollapsed, hslField(r, k));
    }
    b.add(13 + 10 * r, kHIParamGroupEnd, "", 0);
  }
  b.add(44, kHIParamGroupEnd, "", 0);

  b.add(46, kHIParamGroupStart, "RGB", 0);
  for (int32_t r = 0; r < 4; ++r) {
    b.add(47 + 14 * r, kHIParamGroupStart, kRangeNames[r], r == 0 ? kCollapsed : kSup | kCollapsed);
    for (int32_t c = 0; c < 4; ++c) {
      for (int32_t k = 0; k < 3; ++k) {
        SliderShape shape = kRGBSliders[k];
        char* name = rgbNames[c][k];
        std::snprintf(name, 32, "%s %s", kChannelNames[c], kRGBSliders[k].name);
        shape.name = name;
        b.slider(48 + 14 * r + 3 * c + k, shape, kSup | kCollapsed, rgbField(r, c, k));
      }
    }
    b.add(60 + 14 * r, kHIParamGroupEnd, "", 0);
  }
  b.add(103, kHIParamGroupEnd, "", 0);

  b.add(105, kHIParamGroupStart, "Limiter", 0);
  b.toggle(106, "Enable Limiter", 0, kSup | kFixed, VL_AT(limiter_enable));
  b.slider(107, {"Chroma Max Limit", 110}, kSup, VL_AT(limiter.limiter_chroma_max));
  b.slider(108, {"Chroma Min Limit", -30}, kSup, VL_AT(limiter.limiter_chroma_min));
  b.slider(109, {"Luma Hard Clip Level", 120}, kSup, VL_AT(limiter.limiter_luma_max));
  b.toggle(110, "Enable Soft Clip", 0, kSup | kFixed, VL_AT(limiter.limiter_softclip_enable));
  b.slider(111, {"Soft Clip Knee Level", 90}, kSup | kFixed, VL_AT(limiter.limiter_softclip_knee));
  b.slider(112, {"Soft Clip White Level", 100}, kSup | kFixed, VL_AT(limiter.limiter_softclip_white_level));
  b.slider(113, {"Soft Clip Max Level", 130}, kSup | kFixed, VL_AT(limiter.limiter_softclip_max_level));
  b.popup(114, "Limit Method", "Reduce Chroma|Reduce Luma|Smart Limit", 3, VL_AT(limiter.limiter_clip_method));
  b.popup(115, "Video System", "NTSC|PAL|ATSC", 1, VL_AT(limiter.limiter_system));
  b.toggle(116, "Show Limiter Preview", 0, kSup | kFixed, VL_AT(limiter_preview));
  b.add(117, kHIParamGroupEnd, "", 0);
  b.add(123, kHIParamGroupEnd, "", 0);
  return b.table;
}

}  // namespace

const VLParamInfo* VLParamTable() {
  static const std::array<VLParamInfo, kVLParamCount> table = build();
  return table.data();
}

int32_t VLParamIndexOfId(int32_t id) {
  const VLParamInfo* t = VLParamTable();
  for (int32_t i = 0; i < kVLParamCount; ++i) {
    if (t[i].id == id) return i;
  }
  return -1;
}
