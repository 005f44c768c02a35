#include "app/window/primary_tabs.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>

#include "app/controls/bound_controls.h"
#include "app/controls/composite_controls.h"
#include "app/controls/settings_sync.h"
#include "app/controls/tab_group.h"
#include "app/controls/value_slider.h"
#include "app/state/view_state.h"
#include "app/window/correction_tabs.h"
#include "platform/ui/toolkit.h"

TKControl* gHSLRangeTabs = nullptr;
TKControl* gRGBRangeTabs = nullptr;
TKControl* gCMYRangeTabs = nullptr;
TKControl* gYCbCrRangeTabs = nullptr;
TKControl* gHSLSubTabs = nullptr;
int32_t gHSLSubTabIndex = 0;

namespace {

constexpr VFTabEntry kRangeEntries[4] = {
    {"Master", 1, 1}, {"Highlights", 1, 0}, {"Midtones", 1, 0}, {"Shadows", 1, 0}};
constexpr VFTabEntry kHSLSubEntries[2] = {{"Controls", 1, 1}, {"Hue Offsets", 1, 0}};

// The first slider: 104 px in from the group's left edge, 10 px down.
constexpr int32_t kSliderLeft = 104;
constexpr int32_t kSliderTop = 10;
constexpr int32_t kSliderHeight = 20;
// A nested group stands 98 px right of and 4 px below its enclosing group.
constexpr int32_t kNestedLeft = 98;
constexpr int32_t kNestedTop = 4;
// Room kept between the second column and the group's right edge.
constexpr int32_t kColumnRightMargin = 12;
// Hue-offset wheels: 94 + 10 px from the group's left edge, 20 px below its
// top, 10 px apart.
constexpr int32_t kWheelLeft = kVFTabColumnWidth + 10;
constexpr int32_t kWheelTop = 20;
constexpr int32_t kWheelGap = 10;

// Every HSL range's sliders span the master range's fields in the range table.
VFSliderRow HSLRow(const char* label, size_t field) {
  return VFTableSliderRow(label, uint32_t(field), uint32_t(offsetof(VL_SettingsStruct, hsl) + field));
}
const VFSliderRow kHSLColumns[2][6] = {
    {HSLRow("Hue", offsetof(VL_HSLControls, hue)),
     VFSaturationSliderRow("Saturation", offsetof(VL_HSLControls, saturation),
                           offsetof(VL_SettingsStruct, hsl[0].saturation)),
     HSLRow("Vibrance", offsetof(VL_HSLControls, vibrance)), HSLRow("Brightness", offsetof(VL_HSLControls, brightness)),
     HSLRow("Contrast", offsetof(VL_HSLControls, contrast)),
     HSLRow("Contrast Center", offsetof(VL_HSLControls, contrastCenter))},
    {HSLRow("RGB Gain", offsetof(VL_HSLControls, gain)), HSLRow("Gamma", offsetof(VL_HSLControls, gamma)),
     HSLRow("Pedestal", offsetof(VL_HSLControls, pedestal)), {}, {}, {}},
};
constexpr int kHSLColumnCount[2] = {6, 3};

// A triple in slider order, spanning the RGB master range's own fields in
// the range table (the CMY and YCbCr triples share the layout).
VFSliderRow TripleRow(const char* label, size_t field) {
  return VFTableSliderRow(label, uint32_t(field), uint32_t(offsetof(VL_SettingsStruct, rgb) + 4 + field));
}
const VFSliderRow kTriple[3] = {
    TripleRow("Gamma", offsetof(VL_ChannelControls, gamma)),
    TripleRow("Pedestal", offsetof(VL_ChannelControls, ped)),
    TripleRow("Gain", offsetof(VL_ChannelControls, gain)),
};
static_assert(offsetof(VL_PrimaryControls, gain) == 4 && offsetof(VL_PrimaryControls, channel) == 16);
static_assert(sizeof(VL_ChannelControls) == 12 && sizeof(VL_PrimaryControls) == 52 && sizeof(VL_HSLControls) == 40);

// The RGB, CMY and YCbCr tabs.
struct PrimaryModel {
  int32_t tab;              // in the correction tab group
  uint32_t tabEnable;       // the tab's enable word
  uint32_t firstRange;      // the master range's enable word
  int maskBit;              // the master range's section bit; the others follow
  int syncIndex;            // in gVFTabGroups.ranges
  const char* channels[3];
  TKControl** group;
};
const PrimaryModel kRGBModel = {kCorrectionTabRGB, offsetof(VL_SettingsStruct, rgbEnable), offsetof(VL_SettingsStruct, rgb),
                                kVLMaskBitRGB, 1, {"Red", "Green", "Blue"}, &gRGBRangeTabs};
const PrimaryModel kYCbCrModel = {kCorrectionTabYCbCr, offsetof(VL_SettingsStruct, ycbcrEnable),
                                  offsetof(VL_SettingsStruct, ycbcr), kVLMaskBitYCbCr, 2, {"Y", "Cb", "Cr"},
                                  &gYCbCrRangeTabs};
const PrimaryModel kCMYModel = {kCorrectionTabCMY, offsetof(VL_SettingsStruct, cmyEnable), offsetof(VL_SettingsStruct, cmy),
                                kVLMaskBitCMY, 3, {"Cyan", "Magenta", "Yellow"}, &gCMYRangeTabs};

// The hue-offset wheels in the order they stand, by their record index.
struct WheelRow {
  const char* label;
  int index;
};
constexpr WheelRow kWheels[4] = {
    {"Master", kVLWheelMaster}, {"Shadows", kVLWheelShadow}, {"Midtones", kVLWheelMidtone}, {"Highlights", kVLWheelHighlight}};

uint32_t* Word(uint32_t offset) { return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(&gUISettings) + offset); }

VLSettingsSectionMask MaskBit(int bit) { return VLSettingsSectionMask(1) << bit; }

TKRect Nested(const TKRect& r) { return TKRect{r.top + kNestedTop, r.left + kNestedLeft, r.bottom, r.right}; }

TKRect FirstSlider(const TKRect& group, int32_t column) {
  return TKRect{group.top + kSliderTop, group.left + kSliderLeft, group.top + kSliderTop + kSliderHeight,
                group.left + kSliderLeft + column};
}

// The four range tabs in parent, their boxes on the ranges' enable words.
TKControl* MakeRangeGroup(TKWindow* window, TKControl* parent, const TKRect& bounds, uint32_t firstRange,
                          uint32_t stride, int syncIndex) {
  TKControl* group = nullptr;
  if (CreateTabGroup(window, bounds, 4, kRangeEntries, true, &group) != kQVNoErr || !group) return nullptr;
  // Embedding a control made in the parent's window cannot fail.
  if (parent) QVIgnoreStatus(TKEmbedControl(group, parent));
  TabGroupSetEnableProc(group, CorrectionTabEnableProc);
  for (int32_t i = 0; i < 4; ++i) TabGroupBindItemCheck(group, i, Word(firstRange + uint32_t(i) * stride));
  gVFTabGroups.ranges[syncIndex] = group;
  return group;
}

void BuildPrimaryTab(TKWindow* window, TKControl* tabs, const TKRect& bounds, const PrimaryModel& m) {
  TabGroupBindItemCheck(tabs, m.tab, Word(m.tabEnable));
  TKControl* group = MakeRangeGroup(window, TabGroupGetPane(tabs, m.tab), bounds, m.firstRange,
                                    sizeof(VL_PrimaryControls), m.syncIndex);
  *m.group = group;
  if (!group) return;
  const int32_t column = PrimaryColumnWidth(TKRectWidth(bounds));
  const TKRect top = FirstSlider(bounds, column);
  for (int32_t i = 0; i < 4; ++i) {
    TKControl* pane = TabGroupGetPane(group, i);
    const uint32_t range = m.firstRange + uint32_t(i) * sizeof(VL_PrimaryControls);
    char label[64];
    VFBeginTabChain();
    TKRect frame = top;
    for (const VFSliderRow& s : kTriple) {
      std::snprintf(label, sizeof label, "Master %s", s.label);
      VFCreateCorrectionSlider(window, &frame, label, s, pane, range + offsetof(VL_PrimaryControls, gain) + s.at);
    }
    frame = TKRectOffset(top, column + kPrimaryColumnGap, 0);
    for (int k = 0; k < 3; ++k)
      for (const VFSliderRow& s : kTriple) {
        std::snprintf(label, sizeof label, "%s %s", m.channels[k], s.label);
        VFCreateCorrectionSlider(window, &frame, label, s, pane,
               range + offsetof(VL_PrimaryControls, channel) + uint32_t(k) * sizeof(VL_ChannelControls) + s.at);
      }
    VFCloseTabChain();
    VFCreateResetButton(window, pane, TKGetControlBounds(pane), MaskBit(m.maskBit + i));
  }
}

}  // namespace

namespace {

// The widest two columns that fit right of a first slider kSliderLeft px into
// a group this wide, with the gap between them and a margin on the right.
int32_t FittingColumn(int32_t groupWidth, int32_t firstLeft) {
  return std::max(0, (groupWidth - firstLeft - kPrimaryColumnGap - kColumnRightMargin) / 2);
}

}  // namespace

int32_t PrimaryColumnWidth(int32_t groupWidth) {
  return std::min(std::clamp((groupWidth - 60) / 2, 220, 330), FittingColumn(groupWidth, kSliderLeft));
}

int32_t HSLColumnWidth(int32_t subTabGroupWidth) {
  return std::min(std::clamp(subTabGroupWidth - 40, 220, 330),
                  FittingColumn(subTabGroupWidth, kNestedLeft + kSliderLeft));
}

int32_t HueOffsetWheelSide(int32_t width, int32_t height) {
  return std::max(0, std::min({(width - 144) / 4, height - 123, 300}));
}

void BuildRGBTab(TKWindow* window, TKControl* correctionTabs, const TKRect& bounds) {
  BuildPrimaryTab(window, correctionTabs, bounds, kRGBModel);
}

void BuildYCbCrTab(TKWindow* window, TKControl* correctionTabs, const TKRect& bounds) {
  BuildPrimaryTab(window, correctionTabs, bounds, kYCbCrModel);
}

void BuildCMYTab(TKWindow* window, TKControl* correctionTabs, const TKRect& bounds) {
  BuildPrimaryTab(window, correctionTabs, bounds, kCMYModel);
}

void BuildHSLTab(TKWindow* window, TKControl* correctionTabs, const TKRect& bounds) {
  TabGroupBindItemCheck(correctionTabs, kCorrectionTabHSL, &gUISettings.hslEnable);
  TKControl* sub = nullptr;
  if (CreateTabGroup(window, bounds, 2, kHSLSubEntries, true, &sub) != kQVNoErr || !sub) return;
  // Embedding a control made in the parent's window cannot fail.
  QVIgnoreStatus(TKEmbedControl(sub, TabGroupGetPane(correctionTabs, kCorrectionTabHSL)));
  TabGroupSetEnableProc(sub, CorrectionTabEnableProc);
  TabGroupSetSwitchProc(sub, HSLSubTabSwitchProc);
  TabGroupBindItemCheck(sub, 0, &gUISettings.hslControlsEnable);
  TabGroupBindItemCheck(sub, 1, &gUISettings.hueOffsetEnable);
  gHSLSubTabs = sub;
  gVFTabGroups.hslSubTabs = sub;
  gHSLSubTabIndex = 0;

  // "Controls": the four ranges.
  const TKRect inner = Nested(bounds);
  TKControl* ranges = MakeRangeGroup(window, TabGroupGetPane(sub, 0), inner, offsetof(VL_SettingsStruct, hsl),
                                     sizeof(VL_HSLControls), 0);
  gHSLRangeTabs = ranges;
  if (ranges) {
    const int32_t column = HSLColumnWidth(TKRectWidth(bounds));
    const TKRect top = FirstSlider(inner, column);
    for (int32_t i = 0; i < 4; ++i) {
      TKControl* pane = TabGroupGetPane(ranges, i);
      const uint32_t range = offsetof(VL_SettingsStruct, hsl) + uint32_t(i) * sizeof(VL_HSLControls);
      VFBeginTabChain();
      for (int c = 0; c < 2; ++c) {
        TKRect frame = TKRectOffset(top, c * (column + kPrimaryColumnGap), 0);
        for (int k = 0; k < kHSLColumnCount[c]; ++k) {
          const VFSliderRow& s = kHSLColumns[c][k];
          VFCreateCorrectionSlider(window, &frame, s.label, s, pane, range + s.at);
        }
      }
      VFCloseTabChain();
      VFCreateResetButton(window, pane, TKGetControlBounds(pane), MaskBit(kVLMaskBitHSL + i));
    }
  }

  // "Hue Offsets": four wheels side by side.
  TKControl* offsets = TabGroupGetPane(sub, 1);
  const int32_t side = HueOffsetWheelSide(TKRectWidth(bounds), TKRectHeight(bounds));
  VFBeginTabChain();
  for (int k = 0; k < 4; ++k) {
    const uint32_t slot = offsetof(VL_SettingsStruct, hueOffsets.wheel) + uint32_t(kWheels[k].index) * sizeof(VL_HueWheelControls);
    const TKRect r = TKMakeRect(bounds.left + kWheelLeft + k * (side + kWheelGap), bounds.top + kWheelTop, side, side);
    CreateHueWheel(window, r, kWheels[k].label, offsets, &gUISettings, slot, slot + offsetof(VL_HueWheelControls, tintangle),
                   slot + offsetof(VL_HueWheelControls, strength), gNextValueControlID, gSettingsControls);
    gNextValueControlID += 3;
  }
  VFCloseTabChain();
  VFCreateResetButton(window, offsets, TKGetControlBounds(offsets), MaskBit(kVLMaskBitHueOffsets));
}

void HSLSubTabSwitchProc(int32_t, int32_t newIndex) {
  gHSLSubTabIndex = newIndex;
  // The match-colour controls follow the sub-tab: on the HSL source menu
  // under "Controls", inactive under "Hue Offsets".
  if (newIndex == 0 || newIndex == 1) SetMatchColorMode(kCorrectionTabHSL);
}
