// The curve editor's context menu: delete the selected point, reset this
// curve, reset all curves of the sub-tab, and (RGB curves only) load and
// save the four RGB curves as a curve file. Each change is one undo step.
#include "app/controls/bound_controls.h"
#include "app/controls/context_menus.h"
#include "app/controls/curve_editor.h"
#include "app/controls/curve_editor_internal.h"
#include "app/controls/settings_sync.h"
#include "app/controls/tab_group.h"
#include "app/state/save_failure.h"
#include "app/state/undo_ring.h"
#include "app/state/view_state.h"
#include "platform/ui/toolkit.h"
#include "settings/curve_files.h"

namespace {

enum : int32_t {
  kItemDeletePoint = 1,
  kItemResetCurve = 2,
  kItemResetAll = 3,
  kItemLoad = 5,
  kItemSave = 6,
};

// Item mask of the synchroniser for curve index 0-6.
uint32_t SyncBit(int32_t curveIndex) { return 0x2u << curveIndex; }

void ResetCurves(VLSettingsSectionMask mask, uint32_t itemMask) {
  VL_SetDefaultControlValues(&gUISettings, mask);
  SyncControlsWithSettings(&gUISettings, 0, itemMask, nullptr, kVFSyncApply);
}

void LoadCurves(CurveEditor* e) {
  CurveEditBegin();
  if (LoadCurrentCurves(gUISettings.rgbCurves) == kQVNoErr) {
    // A loaded file switches the curves and the RGB curves on.
    gUISettings.curvesEnable = 1;
    gUISettings.rgbCurvesEnable = 1;
    EnableEnclosingTabs(e->pane, 1, true);
    SyncControlsWithSettings(&gUISettings, 0, 0x1E, nullptr, kVFSyncApply);
    VFUpdatePreview();
  }
  CurveEditEnd();
}

}  // namespace

TKMenu* CurveEditorMenu(int32_t curveIndex) {
  const int32_t id = curveIndex <= 3 ? kCurveMenuRGB : kCurveMenuHSL;
  if (TKMenu* menu = TKGetMenu(id)) return menu;
  TKMenu* menu = TKCreateMenu(id, "Curve");
  TKAppendMenuItem(menu, "Delete Point", 0);
  TKAppendMenuItem(menu, "Reset Curve", 0);
  TKAppendMenuItem(menu, "Reset All Curves", 0);
  if (id == kCurveMenuRGB) {
    TKAppendMenuItem(menu, "-", 0);
    TKAppendMenuItem(menu, "Load Curves...", 0);
    TKAppendMenuItem(menu, "Save Curves...", 0);
  }
  return menu;
}

void CurveEditorContextMenu(TKControl* control, int32_t phase, int32_t chosen, TKMenu* menu, int32_t) {
  CurveEditor* e = CurveEditorOf(control);
  if (!e) return;
  const bool map = CurveEditorInMapMode(e);
  if (phase == kVFMenuBeforeOpen) {
    const int32_t items = TKCountMenuItems(menu);
    TKEnableMenuItem(menu, kItemDeletePoint, !map && e->selected >= 0);
    TKEnableMenuItem(menu, kItemResetCurve, !map);
    if (items >= kItemSave) TKEnableMenuItem(menu, kItemSave, !map);
    return;
  }
  if (phase != kVFMenuAfterChoice) return;
  const int32_t index = e->curveIndex;
  switch (chosen) {
    case kItemDeletePoint: {
      const VL_CurveControls* curve = CurveEditorSection(e);
      if (!curve || map || curve->spline.pointCount < 3 || e->selected < 0) break;  // a curve keeps two points
      CurveEditBegin();
      CurveEditorDeleteSelected(e);
      EnableEnclosingTabs(e->pane, 1, true);
      VFUpdatePreview();
      CurveEditEnd();
      break;
    }
    case kItemResetCurve:
      CurveEditBegin();
      ResetCurves(VLMaskBit(kVLMaskBitRGBCurves + index), SyncBit(index));
      VFUpdatePreview();
      CurveEditEnd();
      break;
    case kItemResetAll:
      CurveEditBegin();
      if (index <= 3)
        ResetCurves(kVLMaskAllRGBCurves, 0x1E);
      else
        ResetCurves(kVLMaskAllHSLCurves, 0xE0);
      EnableEnclosingTabs(e->pane, 0, false);
      VFUpdatePreview();
      CurveEditEnd();
      break;
    case kItemLoad:
      if (index <= 3) LoadCurves(e);
      break;
    case kItemSave:
      if (index <= 3) {
        std::string path;
        UIReportSaveFailure(path, SaveCurrentCurves(gUISettings.rgbCurves, &path));
      }
      break;
    default: break;
  }
}
