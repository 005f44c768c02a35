// The Secondary tab's six groups and their controls, bound to the working
// record's secondary blocks (124 bytes each, the first word the group's
// enable word).
#include "app/window/secondary_tab.h"

#include <algorithm>

#include "app/controls/bound_controls.h"
#include "app/controls/composite_controls.h"
#include "app/controls/labels.h"
#include "app/controls/settings_sync.h"
#include "app/controls/tab_group.h"
#include "app/controls/value_slider.h"
#include "app/state/ui_state.h"
#include "app/state/view_state.h"
#include "app/window/correction_tabs.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/ui_menu.h"

int32_t gSecondaryTabIndex = 0;
TKControl* gSecondaryTabs = nullptr;

namespace {

constexpr int32_t kSecondaryCount = 6;
constexpr uint32_t kFirstSyncBit = 1u << kVLMaskBitSecondary;  // secondary n: this bit shifted left by n

constexpr const char* kPreviewStyles[] = {"Grey Surround", "Red Surround", "Matte"};

constexpr VFSliderRow kKeySliders[] = {
    {"Chroma Tolerance", offsetof(VL_SecondaryControls, chromatol), 0.0, 0.5, 0.0, 1.0},
    {"Luma Tolerance", offsetof(VL_SecondaryControls, lumatol), 0.0, 0.5, 0.0, 1.0},
    {"Softness", offsetof(VL_SecondaryControls, softness), 0.0, 0.3, 0.0, 1.0},
};

// A secondary's correction slides and is typed as the master HSL range's
// field of the same name.
VFSliderRow CorrectionRow(const char* label, size_t field, size_t hslField) {
  return VFTableSliderRow(label, uint32_t(field), uint32_t(offsetof(VL_SettingsStruct, hsl) + hslField));
}
const VFSliderRow kCorrectionSliders[] = {
    CorrectionRow("Hue", offsetof(VL_SecondaryControls, hue), offsetof(VL_HSLControls, hue)),
    VFSaturationSliderRow("Saturation", offsetof(VL_SecondaryControls, saturation),
                          offsetof(VL_SettingsStruct, hsl[0].saturation)),
    CorrectionRow("Gain", offsetof(VL_SecondaryControls, gain), offsetof(VL_HSLControls, gain)),
    CorrectionRow("Gamma", offsetof(VL_SecondaryControls, gamma), offsetof(VL_HSLControls, gamma)),
    CorrectionRow("Pedestal", offsetof(VL_SecondaryControls, ped), offsetof(VL_HSLControls, pedestal)),
};

constexpr const char* kSampleLabels[] = {"Sample 1", "Sample 2", "Sample 3", "Sample 4"};

// Where a group's controls go, the same for all six.
struct Layout {
  TKRect first;   // the first row of the first column
  int32_t step;   // from one column to the next
  TKRect wheel;   // the hue-offset wheel's square
};

// The wheel's caption above its square, and its readouts below.
constexpr int32_t kWheelCaption = 14;
constexpr int32_t kWheelBelow = 73;

Layout Measure(const TKRect& bounds) {
  const int32_t width = TKRectWidth(bounds);
  const int32_t height = TKRectHeight(bounds);
  // The wheel's square stands below its caption and above its two readouts.
  int32_t side = (width - 144) / 4;
  if (side + kWheelCaption + kWheelBelow > height) side = height - kWheelCaption - kWheelBelow - 20;
  side = std::clamp(side, 0, 300);
  // Two columns and the wheel side by side, narrower where they would
  // otherwise run past the group's right edge.
  const int32_t fitting = (width - 104 - 40 - side - 12) / 2;
  const int32_t column = std::max(0, std::min(std::clamp((width - 80) / 3, 220, 330), fitting));
  Layout l;
  l.first = TKRect{bounds.top + 10, bounds.left + 104, bounds.top + 30, bounds.left + 104 + column};
  l.step = column + 20;
  const int32_t left = l.first.left + 2 * column + 40;
  const int32_t top = l.first.top + kWheelCaption;
  l.wheel = TKRect{top, left, top + side, left + side};
  return l;
}

uint32_t BlockOf(int32_t n) { return uint32_t(offsetof(VL_SettingsStruct, secondary) + sizeof(VL_SecondaryControls) * n); }

void Sliders(TKWindow* window, TKControl* pane, TKRect* frame, uint32_t block, const VFSliderRow* rows, size_t count) {
  for (size_t i = 0; i < count; ++i)
    VFCreateCorrectionSlider(window, frame, rows[i].label, rows[i], pane, block + rows[i].at);
}

void BuildGroup(TKWindow* window, TKControl* pane, int32_t n, const Layout& l, const TKRect& content) {
  const uint32_t block = BlockOf(n);
  VFBeginTabChain();

  TKRect frame = l.first;
  for (int32_t k = 0; k < 4; ++k) {
    const uint32_t sample = block + uint32_t(offsetof(VL_SecondaryControls, sample) + sizeof(VL_KeyColourSample) * k);
    VFCreateSampleRow(window, &frame, kSampleLabels[k], pane, &gUISettings, sample + 4, sample, gNextValueControlID++,
                      gSettingsControls);
  }
  frame = TKRectOffset(frame, 0, 6);
  Sliders(window, pane, &frame, block, kKeySliders, std::size(kKeySliders));

  TKRect box{frame.top, frame.left, frame.top + 20, frame.right};
  VFCreateCheckBox(window, &box, "Invert Selection", pane, &gUISettings,
                   block + uint32_t(offsetof(VL_SecondaryControls, invert)), gNextValueControlID++, gSettingsControls,
                   true);
  VFCreateCheckBox(window, &box, "Show Preview", pane, &gUISettings,
                   block + uint32_t(offsetof(VL_SecondaryControls, preview)), gNextValueControlID++, gSettingsControls,
                   true);
  // The style belongs to the preview, so it sits indented below its box.
  TKRect style{box.top, box.left + 20, box.top + 34, box.right};
  VFPreviewStyleMenu();
  TKControl* popup = VFCreatePopup(window, &style, "Preview Style", kVFPreviewStyleMenuID, pane, &gUISettings,
                                   block + uint32_t(offsetof(VL_SecondaryControls, previewMode)),
                                   gNextValueControlID++, gSettingsControls, true);
  if (popup) VFSetPopupChangeProc(popup, CorrectionPopupChangeProc);

  frame = TKRectOffset(l.first, l.step, 0);
  Sliders(window, pane, &frame, block, kCorrectionSliders, std::size(kCorrectionSliders));

  CreateHueWheel(window, l.wheel, "Hue Offset", pane, &gUISettings,
                 block + uint32_t(offsetof(VL_SecondaryControls, hueoffset_huewheel)),
                 block + uint32_t(offsetof(VL_SecondaryControls, hueoffset_tintangle)),
                 block + uint32_t(offsetof(VL_SecondaryControls, hueoffset_strength)), gNextValueControlID,
                 gSettingsControls);
  gNextValueControlID += 3;
  VFCloseTabChain();

  VFCreateResetButton(window, pane, content, VLSettingsSectionMask(kFirstSyncBit) << n);
}

}  // namespace

TKMenu* VFPreviewStyleMenu() {
  TKMenu* menu = TKGetMenu(kVFPreviewStyleMenuID);
  if (menu) return menu;
  menu = TKCreateMenu(kVFPreviewStyleMenuID, "Preview Style");
  if (menu)
    for (const char* text : kPreviewStyles) TKAppendMenuItem(menu, text, 0);
  return menu;
}

void SecondaryTabSwitchProc(int32_t oldIndex, int32_t newIndex) {
  // Only the group on show may keep its preview: a preview left on in a
  // hidden group would colour the picture with no control in sight.
  if (oldIndex != newIndex && oldIndex >= 0 && oldIndex < kSecondaryCount &&
      gUISettings.secondary[oldIndex].preview != 0) {
    gUISettings.secondary[oldIndex].preview = 0;
    SyncControlsWithSettings(&gUISettings, kFirstSyncBit << oldIndex, 0, nullptr, 0);
    VFUpdatePreview();
  }
  gSecondaryTabIndex = newIndex;
}

void BuildSecondaryTab(TKWindow* window, TKControl* correctionTabs, const TKRect& content, const TKRect& inner) {
  TKControl* host = TabGroupGetPane(correctionTabs, kCorrectionTabSecondary);
  if (!window || !host) return;
  TabGroupBindItemCheck(correctionTabs, kCorrectionTabSecondary, &gUISettings.secondaryEnable);

  static const VFTabEntry kGroups[kSecondaryCount] = {{"A", 1, 1}, {"B", 1, 0}, {"C", 1, 0},
                                                      {"D", 1, 0}, {"E", 1, 0}, {"F", 1, 0}};
  TKControl* group = nullptr;
  if (CreateTabGroup(window, inner, kSecondaryCount, kGroups, true, &group) != kQVNoErr || !group) return;
  // Embedding a control made in the parent's window cannot fail.
  QVIgnoreStatus(TKEmbedControl(group, host));
  TabGroupSetEnableProc(group, CorrectionTabEnableProc);
  TabGroupSetSwitchProc(group, SecondaryTabSwitchProc);
  for (int32_t n = 0; n < kSecondaryCount; ++n) TabGroupBindItemCheck(group, n, &gUISettings.secondary[n].enable);
  gSecondaryTabs = group;
  gVFTabGroups.secondaries = group;

  const Layout layout = Measure(inner);
  for (int32_t n = 0; n < kSecondaryCount; ++n) BuildGroup(window, TabGroupGetPane(group, n), n, layout, content);
  TabGroupSelect(group, 0);
}
