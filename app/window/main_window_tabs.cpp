#include "app/window/main_window_tabs.h"

#include <cstddef>

#include "app/controls/bound_controls.h"
#include "app/controls/composite_controls.h"
#include "app/controls/labels.h"
#include "app/controls/tab_group.h"
#include "app/controls/value_slider.h"
#include "app/state/view_state.h"
#include "app/window/correction_tabs.h"
#include "app/window/main_window.h"
#include "app/window/main_window_geometry.h"
#include "platform/ui/toolkit.h"

namespace {

constexpr uint32_t Offset(size_t offset) { return uint32_t(offset); }
#define SETTINGS_OFFSET(field) Offset(offsetof(VL_SettingsStruct, field))

constexpr VLSettingsSectionMask kLumaRangesMask = VLSettingsSectionMask(1) << kVLMaskBitLumaRanges;
constexpr VLSettingsSectionMask kLimiterMask = VLSettingsSectionMask(1) << kVLMaskBitLimiter;
constexpr int32_t kSoftClipIndent = 23;

// One slider of the Limiting tab: its field (whose range the range table
// gives) and whether it is a soft-clip level.
struct LimitSlider {
  const char* label;
  uint32_t offset;
  bool softClip;
};
const LimitSlider kSoftClipSliders[] = {
    {"Soft Clip Knee Level", SETTINGS_OFFSET(limiter.limiter_softclip_knee), true},
    {"Soft Clip White Level", SETTINGS_OFFSET(limiter.limiter_softclip_white_level), true},
    {"Soft Clip Max Level", SETTINGS_OFFSET(limiter.limiter_softclip_max_level), true},
};
const LimitSlider kHardClip = {"Luma Hard Clip Level", SETTINGS_OFFSET(limiter.limiter_luma_max), false};
const LimitSlider kChromaSliders[] = {
    {"Chroma Max Limit", SETTINGS_OFFSET(limiter.limiter_chroma_max), false},
    {"Chroma Min Limit", SETTINGS_OFFSET(limiter.limiter_chroma_min), false},
};

TKControl* Slider(TKWindow* window, TKRect* frame, TKControl* pane, const LimitSlider& s) {
  const VFSliderRow row = VFTableSliderRow(s.label, 0, s.offset);
  TKControl* slider = VFCreateCorrectionSlider(window, frame, s.label, row, pane, s.offset);
  if (slider && s.softClip) VFSetChangeProc(slider, SoftClipSliderChangeProc);
  return slider;
}

TKControl* Popup(TKWindow* window, TKRect* frame, TKControl* pane, const char* label, int32_t menuID, uint32_t offset) {
  TKControl* popup = VFCreatePopup(window, frame, label, menuID, pane, &gUISettings, offset, gNextValueControlID++,
                                   gSettingsControls, true);
  if (popup) VFSetPopupChangeProc(popup, CorrectionPopupChangeProc);
  return popup;
}

void MakeMenu(int32_t menuID, const char* title, std::initializer_list<const char*> items) {
  if (TKGetMenu(menuID)) return;
  TKMenu* menu = TKCreateMenu(menuID, title);
  for (const char* item : items) TKAppendMenuItem(menu, item, 0);
}

}  // namespace

void EnsureMainWindowMenus() {
  // Item numbers are the stored values: the video systems of the
  // preferences (1 NTSC, 2 PAL, 3 ATSC/709, 4 240M) and the limit methods.
  MakeMenu(kVideoSystemMenuID, "Video System", {"NTSC", "PAL", "ATSC/709", "240M"});
  MakeMenu(kLimitMethodMenuID, "Limit Method", {"Reduce Chroma", "Reduce Luma", "Smart"});
}

void SoftClipSliderChangeProc(TKControl*, uint32_t, bool) {
  gUISettings.limiter.limiter_softclip_enable = 1;
  if (TKControl* box = VFControlAtOffset(SETTINGS_OFFSET(limiter.limiter_softclip_enable))) TKSetControlValue(box, 1);
}

void BuildLumaRangeTab(TKWindow* window, TKControl* correctionTabs, const MainWindowGeometry& g) {
  TabGroupBindItemCheck(correctionTabs, kCorrectionTabLumaRange, &gUISettings.lumaRangesEnable);
  TKControl* pane = TabGroupGetPane(correctionTabs, kCorrectionTabLumaRange);
  VFBeginTabChain();
  CreateLumaRangeControl(window, g.lumaRange, "Luma Ranges", pane, &gUISettings, 0, SETTINGS_OFFSET(lumaRanges),
                         gNextValueControlID++, gSettingsControls);
  VFCloseTabChain();
  VFCreateResetButton(window, pane, TKGetControlBounds(pane), kLumaRangesMask);
}

void BuildLimitingTab(TKWindow* window, TKControl* correctionTabs, const MainWindowGeometry& g) {
  TabGroupBindItemCheck(correctionTabs, kCorrectionTabLimiting, &gUISettings.limiter_enable);
  TKControl* pane = TabGroupGetPane(correctionTabs, kCorrectionTabLimiting);
  VFBeginTabChain();
  // Column 1: soft clip with its levels indented under it, then the hard clip.
  TKRect frame = g.limitingFirst;
  VFCreateCheckBox(window, &frame, "Soft Clip Enable", pane, &gUISettings,
                   SETTINGS_OFFSET(limiter.limiter_softclip_enable), gNextValueControlID++, gSettingsControls, true);
  frame = TKRectOffset(frame, kSoftClipIndent, 0);
  for (const LimitSlider& s : kSoftClipSliders) Slider(window, &frame, pane, s);
  frame = TKRectOffset(frame, -kSoftClipIndent, 0);
  Slider(window, &frame, pane, kHardClip);
  // Column 2: the chroma limits, the two popups, the preview check box.
  frame = g.limitingSecond;
  for (const LimitSlider& s : kChromaSliders) Slider(window, &frame, pane, s);
  frame.bottom = frame.top + 34;
  Popup(window, &frame, pane, "Limit Method", kLimitMethodMenuID, SETTINGS_OFFSET(limiter.limiter_clip_method));
  Popup(window, &frame, pane, "Video System", kVideoSystemMenuID, SETTINGS_OFFSET(limiter.limiter_system));
  frame.top += 4;
  frame.bottom = frame.top + 20;
  VFCreateCheckBox(window, &frame, "Preview Out of Limit Chroma", pane, &gUISettings, SETTINGS_OFFSET(limiter_preview),
                   gNextValueControlID++, gSettingsControls, true);
  VFCloseTabChain();
  VFCreateResetButton(window, pane, TKGetControlBounds(pane), kLimiterMask);
}
