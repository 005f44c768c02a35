#include "app/controls/settings_sync.h"

#include <cstddef>
#include <cstring>

#include "app/controls/bound_controls.h"
#include "app/controls/special_setters.h"
#include "app/controls/tab_group.h"
#include "app/state/ui_state.h"
#include "core/processing_tables.h"
#include "core/settings_record.h"
#include "platform/ui/toolkit.h"

VFMainTabGroups gVFTabGroups;

namespace {

constexpr uint32_t kHSLRange = offsetof(VL_SettingsStruct, hsl);
constexpr uint32_t kHueOffsets = offsetof(VL_SettingsStruct, hueOffsets);
constexpr uint32_t kLevels = offsetof(VL_SettingsStruct, levels);
constexpr uint32_t kRGBCurves = offsetof(VL_SettingsStruct, rgbCurves);
constexpr uint32_t kHSLCurves = offsetof(VL_SettingsStruct, hslCurves);
constexpr uint32_t kLumaRanges = offsetof(VL_SettingsStruct, lumaRanges);
constexpr uint32_t kSecondaries = offsetof(VL_SettingsStruct, secondary);
constexpr uint32_t kGeometry = offsetof(VL_SettingsStruct, secondaryGeometry);
constexpr uint32_t kLimiterEnable = offsetof(VL_SettingsStruct, limiter_enable);
constexpr uint32_t kLimiter = offsetof(VL_SettingsStruct, limiter);
constexpr uint32_t kInputRecovery = offsetof(VL_SettingsStruct, input.inputControls_highlight_recovery);
constexpr uint32_t kOutputRecovery = offsetof(VL_SettingsStruct, input.outputControls_highlight_recovery);
constexpr uint32_t kPixelAdjust = 33508;
static_assert(kHSLRange == 12 && kHueOffsets == 812 && kLevels == 868 && kRGBCurves == 1036 && kHSLCurves == 17508);
static_assert(kLumaRanges == 29836 && kSecondaries == 29868 && kGeometry == 30616 && kLimiterEnable == 33376);
static_assert(kInputRecovery == 33540 && kOutputRecovery == 33544);

constexpr uint32_t kSecondaryBytes = sizeof(VL_SecondaryControls);
constexpr uint32_t kGeometryBytes = sizeof(VL_SecondaryGeometryControls);
constexpr uint32_t kCurveBytes = sizeof(VL_CurveControls);

// First words of the primary sections and the size of one range record.
struct PrimarySection {
  uint32_t first;
  uint32_t stride;
  uint32_t fields;
};
constexpr PrimarySection kPrimaries[4] = {
    {offsetof(VL_SettingsStruct, hsl), sizeof(VL_HSLControls), 9},
    {offsetof(VL_SettingsStruct, rgb), sizeof(VL_PrimaryControls), 12},
    {offsetof(VL_SettingsStruct, ycbcr), sizeof(VL_PrimaryControls), 12},
    {offsetof(VL_SettingsStruct, cmy), sizeof(VL_PrimaryControls), 12},
};

// The main enable boxes that the whole-record synchronisation sets first:
// (group, item, word).
struct MainBox {
  TKControl* VFMainTabGroups::*group;
  int32_t item;
  uint32_t word;
};
constexpr MainBox kMainBoxes[] = {
    {&VFMainTabGroups::correction, 0, offsetof(VL_SettingsStruct, hslEnable)},
    {&VFMainTabGroups::correction, 1, offsetof(VL_SettingsStruct, rgbEnable)},
    {&VFMainTabGroups::correction, 3, offsetof(VL_SettingsStruct, ycbcrEnable)},
    {&VFMainTabGroups::correction, 2, offsetof(VL_SettingsStruct, cmyEnable)},
    {&VFMainTabGroups::correction, 5, offsetof(VL_SettingsStruct, levelsEnable)},
    {&VFMainTabGroups::correction, 4, offsetof(VL_SettingsStruct, curvesEnable)},
    {&VFMainTabGroups::curvesSubTabs, 0, offsetof(VL_SettingsStruct, rgbCurvesEnable)},
    {&VFMainTabGroups::curvesSubTabs, 1, offsetof(VL_SettingsStruct, hslCurvesEnable)},
    {&VFMainTabGroups::correction, 6, offsetof(VL_SettingsStruct, lumaRangesEnable)},
    {&VFMainTabGroups::correction, 7, offsetof(VL_SettingsStruct, secondaryEnable)},
    {&VFMainTabGroups::keyer, 0, offsetof(VL_SettingsStruct, secondaryKeyerEnable)},
    {&VFMainTabGroups::correction, 8, kLimiterEnable},
    {&VFMainTabGroups::hslSubTabs, 0, offsetof(VL_SettingsStruct, hslControlsEnable)},
};

// Value sliders of a secondary and of its geometry, by offset in the block.
constexpr uint32_t kSecondarySliders[] = {4, 8, 12, 28, 32, 112, 116, 120};
constexpr uint32_t kGeometrySliders[] = {4, 20, 24, 40, 44, 48};
constexpr uint32_t kLimiterSliders[] = {
    offsetof(VL_LimiterControls, limiter_chroma_max),           offsetof(VL_LimiterControls, limiter_chroma_min),
    offsetof(VL_LimiterControls, limiter_luma_max),             offsetof(VL_LimiterControls, limiter_softclip_knee),
    offsetof(VL_LimiterControls, limiter_softclip_white_level), offsetof(VL_LimiterControls, limiter_softclip_max_level),
};
constexpr uint32_t kLimiterChoices[] = {
    offsetof(VL_LimiterControls, limiter_softclip_enable), offsetof(VL_LimiterControls, limiter_clip_method),
    offsetof(VL_LimiterControls, limiter_system), offsetof(VL_LimiterControls, limiter_highlight_recovery),
};
constexpr uint32_t kLimiterPreview = offsetof(VL_SettingsStruct, limiter_preview);

// One synchronisation.
struct Sync {
  const VL_SettingsStruct* settings;
  const VL_SettingsStruct* previous;
  bool apply;

  uint32_t Word(uint32_t offset) const {
    uint32_t w;
    std::memcpy(&w, reinterpret_cast<const uint8_t*>(settings) + offset, 4);
    return w;
  }
  uint32_t PreviousWord(uint32_t offset) const {
    uint32_t w;
    std::memcpy(&w, reinterpret_cast<const uint8_t*>(previous) + offset, 4);
    return w;
  }
  float Float(uint32_t offset) const {
    float f;
    std::memcpy(&f, reinterpret_cast<const uint8_t*>(settings) + offset, 4);
    return f;
  }
  uint8_t* Working(uint32_t offset) const { return reinterpret_cast<uint8_t*>(&gUISettings) + offset; }

  // With values taken from a record other than the working one, the bytes
  // that composite controls and boxes show are brought into the working
  // record too, so that every control points into it.
  void Adopt(uint32_t offset, uint32_t bytes) const {
    if (apply && settings != &gUISettings)
      std::memmove(Working(offset), reinterpret_cast<const uint8_t*>(settings) + offset, bytes);
  }

  void Box(TKControl* group, int32_t item, uint32_t offset) const {
    Adopt(offset, 4);
    TabGroupShowItemCheck(group, item, Word(offset));
  }

  void Slider(uint32_t offset) const {
    TKControl* control = VFControlAtOffset(offset);
    VFValueSlider* record = VFGetValueSlider(control);
    if (!record || record->slider != control) return;
    if (previous) {
      const bool differ = (record->flags & kVFFloatField)
                              ? VFFloatsDiffer(Float(offset), [&] {
                                  float f;
                                  std::memcpy(&f, reinterpret_cast<const uint8_t*>(previous) + offset, 4);
                                  return f;
                                }())
                              : Word(offset) != PreviousWord(offset);
      if (!differ) return;
    }
    if (apply) {
      // Taken into the working record first, so that setting the slider
      // finds nothing changed and leaves the enable boxes around it as the
      // record has them.
      Adopt(offset, 4);
      VFSetFloatValue(control, VFFieldValueAsFloat(record, Word(offset)), false);
    } else {
      VFRefreshFromSettings(control);
    }
  }

  // A check box, popup or slider set straight to its word.
  void Choice(uint32_t offset) const {
    TKControl* control = VFControlAtOffset(offset);
    if (!control) return;
    if (VFGetValueSlider(control)) {
      Slider(offset);
      return;
    }
    Adopt(offset, 4);
    const uint32_t w = Word(offset);
    TKSetControlValue(control, TKGetControlKind(control) == kTKControlCheckBox ? (w != 0 ? 1 : 0) : int32_t(w));
  }

  void Wheel(uint32_t slot, uint32_t angle, uint32_t strength) const {
    Adopt(angle, 4);
    Adopt(strength, 4);
    TKControl* wheel = VFControlAtOffset(slot);
    if (!wheel) return;
    HueWheelSetAngle(wheel, Float(angle), false);
    HueWheelSetStrength(wheel, Float(strength), true);
  }

  void Levels(uint32_t block) const {
    Adopt(block + 8, 24);
    TKControl* levels = VFControlAtOffset(block);
    if (!levels) return;
    LevelsSetInBlack(levels, Float(block + 8), false);
    LevelsSetInGray(levels, Float(block + 12), false);
    LevelsSetInWhite(levels, Float(block + 16), false);
    LevelsSetOutBlack(levels, Float(block + 20), false);
    LevelsSetOutGray(levels, Float(block + 24), false);
    LevelsSetOutWhite(levels, Float(block + 28), true);
  }

  void Curve(uint32_t set) const {
    Adopt(set + 8, kCurveBytes - 8);
    TKControl* editor = VFControlAtOffset(set);
    if (!editor) return;
    auto* curve = reinterpret_cast<VL_CurveControls*>(Working(set));
    CurveEditorSetCurve(editor, &curve->spline.pointCount, curve->spline.x, curve->spline.y, curve->map,
                        &curve->modeFlags, true);
  }
};

}  // namespace

void SyncControlsWithSettings(const VL_SettingsStruct* settings, uint32_t groupMask, uint32_t itemMask,
                              const VL_SettingsStruct* previous, uint8_t flags) {
  if (!settings) return;
  const Sync s{settings, previous, (flags & kVFSyncApply) != 0};
  VFMainTabGroups& tabs = gVFTabGroups;

  if (groupMask == kVFSyncAll && itemMask == kVFSyncAll)
    for (const MainBox& box : kMainBoxes) s.Box(tabs.*box.group, box.item, box.word);

  for (int bit = 0; bit < 16; ++bit) {
    if (!(groupMask & (1u << bit))) continue;
    const PrimarySection& section = kPrimaries[bit / 4];
    const uint32_t block = section.first + uint32_t(bit % 4) * section.stride;
    s.Box(tabs.ranges[bit / 4], bit % 4, block);
    for (uint32_t f = 1; f <= section.fields; ++f) s.Slider(block + 4 * f);
  }

  if (groupMask & 0x10000) {
    s.Box(tabs.hslSubTabs, 1, offsetof(VL_SettingsStruct, hueOffsetEnable));
    for (int w = 0; w < 4; ++w) {
      const uint32_t slot = kHueOffsets + 4 + 12 * uint32_t(w);
      s.Wheel(slot, slot + 4, slot + 8);
    }
  }

  for (int channel = 0; channel < 4; ++channel) {
    if (!(groupMask & (0x20000u << channel))) continue;
    const uint32_t block = kLevels + 32 * uint32_t(channel);
    s.Box(tabs.levelsChannels, channel, block + 4);
    s.Levels(block);
    if (channel == 0) {
      s.Slider(kInputRecovery);
      s.Slider(kOutputRecovery);
    }
  }

  for (int curve = 0; curve < 7; ++curve) {
    if (!(itemMask & (0x2u << curve))) continue;
    s.Curve(curve < 4 ? kRGBCurves + kCurveBytes * uint32_t(curve) : kHSLCurves + kCurveBytes * uint32_t(curve - 4));
  }

  if (groupMask & 0x40000000) {
    s.Adopt(kLumaRanges + 8, 16);
    if (TKControl* graph = VFControlAtOffset(kLumaRanges)) {
      auto* points = reinterpret_cast<float*>(s.Working(kLumaRanges + 8));
      LumaRangeBindPoints(graph, points, points + 2, true);
    }
  }

  for (int n = 0; n < 6; ++n) {
    if (!(groupMask & (0x400000u << n))) continue;
    const uint32_t block = kSecondaries + kSecondaryBytes * uint32_t(n);
    s.Box(tabs.secondaries, n, block);
    for (uint32_t at : kSecondarySliders) s.Slider(block + at);
    s.Wheel(block + 36, block + 40, block + 44);
    for (int k = 0; k < 4; ++k) {
      const uint32_t sample = block + 48 + 16 * uint32_t(k);
      s.Choice(sample);
      s.Adopt(sample + 4, 12);
      if (TKControl* box = VFControlAtOffset(sample)) {
        const float rgb[3] = {s.Float(sample + 4), s.Float(sample + 8), s.Float(sample + 12)};
        VFWriteRGBToSettings(box, rgb, true);
      }
    }
    s.Choice(block + 16);
    s.Choice(block + 20);  // the preview style, so the popup never shows another style than the record's
    s.Choice(block + 24);
  }

  for (int n = 0; n < 6; ++n) {
    if (!(itemMask & (0x1000u << n))) continue;
    const uint32_t block = kGeometry + kGeometryBytes * uint32_t(n);
    s.Box(tabs.geometry, n, block);
    for (uint32_t at : kGeometrySliders) s.Slider(block + at);
    s.Wheel(block + 28, block + 32, block + 36);
    s.Choice(block + 8);
    s.Choice(block + 16);
  }

  if (groupMask & 0x10000000) {
    s.Box(tabs.correction, 8, kLimiterEnable);
    for (uint32_t at : kLimiterSliders) s.Slider(kLimiter + at);
    for (uint32_t at : kLimiterChoices) s.Choice(kLimiter + at);
    s.Choice(kLimiterPreview);
  }

  if (itemMask & 0x100) {
    s.Box(tabs.pixelAdjust, 0, kPixelAdjust);
    s.Slider(33524);
  }
  if (itemMask & 0x200) {
    s.Box(tabs.pixelAdjust, 1, kPixelAdjust + 4);
    for (uint32_t at : {33528u, 33532u, 33536u}) s.Slider(at);
  }
  if (itemMask & 0x400) s.Box(tabs.pixelAdjust, 2, kPixelAdjust + 8);
  if (itemMask & 0x800) s.Box(tabs.pixelAdjust, 3, kPixelAdjust + 12);

  // Tables that cannot be built keep the last ones; the next change tries again.
  QVIgnoreStatus(VL_UpdateProcessingTables(settings));
}
