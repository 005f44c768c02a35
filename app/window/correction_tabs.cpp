#include "app/window/correction_tabs.h"

#include "app/controls/bound_controls.h"
#include "app/controls/tab_group.h"
#include "app/controls/value_slider.h"
#include "app/state/focus_text.h"
#include "app/state/interface_colors.h"
#include "app/state/view_state.h"
#include "core/settings_ranges.h"
#include "platform/ui/toolkit.h"

int32_t gNextValueControlID = 1;
VFResetButtonMetrics gResetButtonMetrics;

VFSliderRow VFTableSliderRow(const char* label, uint32_t at, uint32_t tableOffset) {
  const VLSettingsFieldRange* r = VL_FindSettingsFieldRange(tableOffset);
  if (r == nullptr) return VFSliderRow{label, at, 0.0, 0.0, 0.0, 0.0};
  return VFSliderRow{label, at, r->sliderMin, r->sliderMax, r->min, r->max};
}

VFSliderRow VFSaturationSliderRow(const char* label, uint32_t at, uint32_t tableOffset) {
  VFSliderRow row = VFTableSliderRow(label, at, tableOffset);
  row.typedMin = -1000.0;
  row.typedMax = 1000.0;
  return row;
}

TKControl* VFCreateCorrectionSlider(TKWindow* window, TKRect* frame, const char* label, const VFSliderRow& row,
                                    TKControl* pane, uint32_t offset) {
  return VFCreateValueSlider(window, frame, label, row.min, row.max, row.typedMin, row.typedMax, kVFCorrectionSlider,
                             pane, &gUISettings, offset, &gUIDefaultSettings, gNextValueControlID++,
                             gSettingsControls);
}

void VFSetResetButtonMetrics() {
  gResetButtonMetrics.width = QVGetThemeTextWidth("Load...", 0) + 20;
  gResetButtonMetrics.height = 17;
  gResetButtonMetrics.margin = 12;
}

namespace {

// Reset buttons sit on the panel fill.
QVStatus ResetButtonColor(TKControl*, int32_t message, TKColor* color) {
  if (message != kTKColorBackground) return kQVErrNotHandled;
  *color = VFColor(kUIColorControlBackground);
  return kQVNoErr;
}

}  // namespace

TKControl* VFCreateResetButton(TKWindow* window, TKControl* pane, const TKRect& corner, VLSettingsSectionMask mask) {
  const VFResetButtonMetrics& m = gResetButtonMetrics;
  const TKRect frame{corner.bottom - m.margin - m.height, corner.right - m.margin - m.width, corner.bottom - m.margin,
                     corner.right - m.margin};
  TKControl* button = TKNewPushButton(window, frame, "Reset", kVFCommandReset);
  if (!button) return nullptr;
  TKSetControlFont(button, VFControlFont());
  // A made control takes a property; only a missing one refuses.
  QVIgnoreStatus(TKSetControlProperty(button, kVFCreatorControls, kVFPropertySectionMask, &mask, sizeof mask));
  TKSetControlColorProc(button, ResetButtonColor);
  // Embedding a control made in the parent's window cannot fail.
  if (pane) QVIgnoreStatus(TKEmbedControl(button, pane));
  return button;
}

TKControl* VFCreateSectionButton(TKWindow* window, TKControl* pane, const TKRect& frame, const char* title,
                                 uint32_t command, VLSettingsSectionMask mask) {
  TKControl* button = TKNewPushButton(window, frame, title, command);
  if (!button) return nullptr;
  TKSetControlFont(button, VFControlFont());
  // A made control takes a property; only a missing one refuses.
  QVIgnoreStatus(TKSetControlProperty(button, kVFCreatorControls, kVFPropertySectionMask, &mask, sizeof mask));
  TKSetControlID(button, TKControlID{kVFCreatorControls, int32_t(command)});
  TKSetControlColorProc(button, VFControlColorProc);
  // Embedding a control made in the parent's window cannot fail.
  if (pane) QVIgnoreStatus(TKEmbedControl(button, pane));
  return button;
}

bool VFGetButtonSectionMask(TKControl* button, VLSettingsSectionMask* mask) {
  uint32_t size = 0;
  VLSettingsSectionMask value = 0;
  if (!button || TKGetControlProperty(button, kVFCreatorControls, kVFPropertySectionMask, &value, sizeof value, &size) != kQVNoErr ||
      size != sizeof value)
    return false;
  *mask = value;
  return true;
}

void CorrectionTabEnableProc(int32_t, int32_t) { VFUpdatePreview(); }

int32_t CorrectionPopupChangeProc(TKControl* popup, int32_t, int32_t newValue, bool) {
  EnableEnclosingTabs(popup, 1, true);
  return newValue;
}
