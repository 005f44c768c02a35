// The curve editor: a square graph bound to one curve section of the working
// record. The mouse picks, adds and drags points, the keys nudge, walk and
// delete them, the idle procedure follows the mouse with the hover point and
// the readout. Every edit is one undo step that switches the enclosing tabs
// on and reprocesses the picture; a map curve takes no point edits.
#include <cmath>
#include <cstddef>
#include <cstring>
#include <deque>
#include <memory>

#include "app/controls/bound_controls.h"
#include "app/controls/composite_controls.h"
#include "app/controls/context_menus.h"
#include "app/controls/curve_editor.h"
#include "app/controls/curve_editor_internal.h"
#include "app/controls/curve_point_edits.h"
#include "app/controls/labels.h"
#include "app/controls/special_setters.h"
#include "app/controls/tab_group.h"
#include "app/state/undo_ring.h"
#include "app/state/view_state.h"
#include "app/views/image_pane.h"
#include "platform/ui/toolkit.h"
#include "settings/curve_files.h"

// The Curves tab fills these in as it builds them; the editors follow them.
VFCurvesTabControls gCurvesTabControls;

namespace {

constexpr uint32_t kPropEditor = QVFourCC("VFce");
constexpr int32_t kLabelHeight = 14;
constexpr int32_t kFirstRegionID = 0x43760000;  // 'Cv' and a running number

// Editors live as long as the program, like their windows' controls.
std::deque<std::unique_ptr<CurveEditor>> gEditors;
int32_t gNextRegionID = kFirstRegionID;

void Redraw(CurveEditor* e) {
  if (e->pane) TKDrawControl(e->pane);
}

// Mouse tracking: the press picks or adds a point, the drag moves it within
// its limits, reprocessing on every pause of 20 ms and once on release.
int16_t CurveEditorTrack(TKControl* pane, TKPoint where, uint32_t) {
  CurveEditor* e = CurveEditorOf(pane);
  VL_CurveControls* curve = CurveEditorSection(e);
  if (!e || !curve || CurveEditorInMapMode(e) || !TKRectContains(e->graph, where)) return kTKPartNone;
  CurveEditBegin();
  // A press that switches a tab on changes the picture even when no point
  // moves: it is reprocessed on release like a drag.
  const auto before = std::make_unique<VL_SettingsStruct>(gUISettings);
  EnableEnclosingTabs(pane, 1, true);
  const bool tabsSwitched = std::memcmp(before.get(), &gUISettings, sizeof gUISettings) != 0;
  e->tracking = 1;

  double x, y;
  CurveEditorToUnit(e, where, &x, &y);
  // The hover point is the one under the press, whatever the last idle saw.
  e->hover = CurveEditorPointNear(e, x, y);
  int32_t dragged = e->hover;
  bool changed = tabsSwitched;
  if (dragged < 0 && curve->spline.pointCount < uint32_t(kVLCurveMaxPoints)) {
    AddCurvePoint(curve, &dragged, x, y);
    e->hover = dragged;
    changed = dragged >= 0;
  }
  if (dragged >= 0) e->selected = dragged;
  // A pane that refuses the focus still takes the click.
  if (TKGetKeyboardFocus(e->window) != pane) QVIgnoreStatus(TKSetKeyboardFocus(e->window, pane));
  Redraw(e);

  for (;;) {
    TKPoint p = where;
    uint32_t mods = 0;
    const TKTrackResult result = TKTrackMouse(e->window, kCurveTrackTimeout, &p, &mods);
    if (result == kTKTrackMouseUp) break;
    if (result == kTKTrackTimedOut) {
      if (changed) {
        EnableEnclosingTabs(pane, 1, true);
        VFUpdatePreview();
        changed = false;
      }
      continue;
    }
    if (dragged < 0 || dragged >= int32_t(curve->spline.pointCount)) continue;
    CurveEditorToUnit(e, p, &x, &y);
    const double dx = x - double(curve->spline.x[dragged]), dy = y - double(curve->spline.y[dragged]);
    CurveNudgePoint(curve, dragged, dx, dy);
    CurveEditorDrawReadout(pane, true, curve->spline.x[dragged], curve->spline.y[dragged]);
    Redraw(e);
    changed = true;
  }
  if (changed) {
    EnableEnclosingTabs(pane, 1, true);
    VFUpdatePreview();
  }
  e->tracking = 0;
  CurveEditEnd();
  return kCurveEditorPart;
}

// One keyboard edit of the selected point.
void KeyEdit(CurveEditor* e, VL_CurveControls* curve, double dx, double dy) {
  CurveEditBegin();
  CurveNudgePoint(curve, e->selected, dx, dy);
  EnableEnclosingTabs(e->pane, 1, true);
  CurveEditorDrawReadout(e->pane, true, curve->spline.x[e->selected], curve->spline.y[e->selected]);
  Redraw(e);
  VFUpdatePreview();
  CurveEditEnd();
}

QVStatus CurveEditorKey(TKControl* pane, const TKEvent& key) {
  CurveEditor* e = CurveEditorOf(pane);
  VL_CurveControls* curve = CurveEditorSection(e);
  if (!e || !curve || !TKIsControlVisible(pane) || CurveEditorInMapMode(e)) return kQVErrNotHandled;
  const int32_t count = int32_t(curve->spline.pointCount);
  if (e->selected < 0 || e->selected >= count) return kQVErrNotHandled;
  const bool shift = (key.modifiers & kTKModShift) != 0;
  const double step = shift ? 10 * kCurveKeyStep : kCurveKeyStep;
  switch (key.charCode) {
    case kTKKeyRight: KeyEdit(e, curve, step, 0); return kQVNoErr;
    case kTKKeyLeft: KeyEdit(e, curve, -step, 0); return kQVNoErr;
    case kTKKeyUp: KeyEdit(e, curve, 0, step); return kQVNoErr;
    case kTKKeyDown: KeyEdit(e, curve, 0, -step); return kQVNoErr;
    case kTKKeyTab:
      e->selected = shift ? (e->selected + count - 1) % count : (e->selected + 1) % count;
      Redraw(e);
      return kQVNoErr;
    case kTKKeyBackspace:
    case kTKKeyDelete:
      if (count < 3) return kQVNoErr;  // a curve keeps its two points
      CurveEditBegin();
      CurveEditorDeleteSelected(e);
      EnableEnclosingTabs(pane, 1, true);
      VFUpdatePreview();
      CurveEditEnd();
      return kQVNoErr;
    default: return kQVErrNotHandled;
  }
}

// Hover and readout, on every idle tick.
void CurveEditorTrackHover(TKControl* pane) {
  CurveEditor* e = CurveEditorOf(pane);
  if (!e || !TKIsControlVisible(pane) || e->window != TKFrontWindow() || (TKGetModifiers() & kTKModControl)) return;
  if (e->tracking) return;
  const TKPoint mouse = TKGetMouseLocationInWindow(e->window);
  const bool map = CurveEditorInMapMode(e);
  if (TKRectContains(e->graph, mouse) && !map && CurveEditorSection(e)) {
    double x, y;
    CurveEditorToUnit(e, mouse, &x, &y);
    const int32_t hover = CurveEditorPointNear(e, x, y);
    if (hover != e->hover) {
      e->hover = hover;
      Redraw(e);
    }
    if (gRequestedCursor == 0 || gRequestedCursor == kCurveCursorOverPoint || gRequestedCursor == kCurveCursorOverGraph)
      gRequestedCursor = hover >= 0 ? kCurveCursorOverPoint : kCurveCursorOverGraph;
    CurveEditorDrawReadout(pane, true, float(x), float(y));
    e->readoutShowing = 1;
  } else if (e->readoutShowing) {
    VL_CurveControls* curve = CurveEditorSection(e);
    if (curve && !map && e->selected >= 0 && e->selected < int32_t(curve->spline.pointCount))
      CurveEditorDrawReadout(pane, true, curve->spline.x[e->selected], curve->spline.y[e->selected]);
    else
      CurveEditorDrawReadout(pane, false, 0, 0);
    e->readoutShowing = 0;
  }
}

QVStatus CurveEditorEventHandler(TKEvent& ev) {
  if (ev.kind == kTKEventContextClick) return HandleControlContextClick(ev.control, ev.where);
  if (ev.kind == kTKEventKeyDown) return CurveEditorKey(ev.control, ev);
  return kQVErrNotHandled;
}

}  // namespace

CurveEditor* CurveEditorOf(TKControl* control) {
  if (!control || !TKIsControlAlive(control)) return nullptr;
  return static_cast<CurveEditor*>(VFGetPointerProperty(control, kPropEditor));
}

VL_CurveControls* CurveEditorSection(const CurveEditor* e) {
  if (!e || !e->count) return nullptr;
  auto* section = reinterpret_cast<VL_CurveControls*>(reinterpret_cast<uint8_t*>(e->count) -
                                                      offsetof(VL_CurveControls, spline.pointCount));
  if (e->x != section->spline.x || e->y != section->spline.y || e->map != section->map ||
      e->flags != &section->modeFlags)
    return nullptr;
  return section;
}

bool CurveEditorInMapMode(const CurveEditor* e) { return e && e->flags && (*e->flags & kCurveFlagMap); }

uint32_t CurveSectionOffset(int32_t curveIndex) {
  return curveIndex < 4 ? uint32_t(offsetof(VL_SettingsStruct, rgbCurves) + sizeof(VL_CurveControls) * size_t(curveIndex))
                        : uint32_t(offsetof(VL_SettingsStruct, hslCurves) +
                                   sizeof(VL_CurveControls) * size_t(curveIndex - 4));
}

TKControl* CurveEditorForCurve(int32_t curveIndex) {
  if (curveIndex < 0 || curveIndex > 6) return nullptr;
  TKControl* control = VFControlAtOffset(CurveSectionOffset(curveIndex));
  return CurveEditorOf(control) ? control : nullptr;
}

void CurveEditorToUnit(const CurveEditor* e, TKPoint p, double* x, double* y) {
  const int32_t w = std::max(2, TKRectWidth(e->graph)), h = std::max(2, TKRectHeight(e->graph));
  *x = double(p.x - e->graph.left) / (w - 1);
  *y = 1.0 - double(p.y - e->graph.top) / (h - 1);
}

int32_t CurveEditorPointNear(const CurveEditor* e, double x, double y) {
  const VL_CurveControls* curve = CurveEditorSection(e);
  if (!CurvePointsEditable(curve)) return -1;
  for (int32_t i = 0; i < int32_t(curve->spline.pointCount); ++i)
    if (std::hypot(double(curve->spline.x[i]) - x, double(curve->spline.y[i]) - y) < kCurvePickRadius) return i;
  return -1;
}

void CurveEditBegin() {
  UndoBufferPush(gUndoBuffer, &gUISettings);
  // The next slider edit starts an undo step of its own.
  VFForgetUndoControl();
}

void CurveEditEnd() { UndoBufferStore(gUndoBuffer, &gUISettings); }

bool CurveEditorDeleteSelected(CurveEditor* e) {
  VL_CurveControls* curve = CurveEditorSection(e);
  if (!CurvePointsEditable(curve) || curve->spline.pointCount < 3 || e->selected < 0 ||
      e->selected >= int32_t(curve->spline.pointCount))
    return false;
  RemoveCurvePoint(curve, e->selected);
  e->selected = -1;
  e->hover = -1;
  // Taking the focus away from every control cannot be refused.
  if (TKGetKeyboardFocus(e->window) == e->pane) QVIgnoreStatus(TKSetKeyboardFocus(e->window, nullptr));
  Redraw(e);
  return true;
}

TKControl* CreateCurveEditor(TKWindow* window, const TKRect& bounds, const char* label, TKControl* parent, void* base,
                             int32_t curveIndex, uint32_t sectionOffset, int32_t idNumber, TKControl** table) {
  if (!window || curveIndex < 0 || curveIndex > 6) return nullptr;
  auto owned = std::make_unique<CurveEditor>();
  CurveEditor* e = owned.get();
  e->window = window;
  e->bounds = bounds;
  e->graph = TKRectInset(bounds, 2, 2);
  e->curveIndex = curveIndex;

  TKControl* labelControl = nullptr;
  VFCreateLabel(window, TKRect{bounds.top - kLabelHeight, bounds.left, bounds.top, bounds.right}, parent,
                label ? label : "", &labelControl);
  if (labelControl) TKSetControlID(labelControl, TKControlID{kVFSigLabel, idNumber});
  e->label = labelControl;

  TKUserPaneProcs procs;
  procs.draw = DrawCurveEditor;
  procs.hitTest = [](TKControl* c, TKPoint p) -> int16_t {
    CurveEditor* ed = CurveEditorOf(c);
    return ed && TKRectContains(ed->graph, p) && !CurveEditorInMapMode(ed) ? kCurveEditorPart : int16_t(kTKPartNone);
  };
  procs.track = CurveEditorTrack;
  procs.idle = CurveEditorTrackHover;
  procs.focus = [](TKControl*, int16_t part) -> int16_t { return part ? part : int16_t(kCurveEditorPart); };
  procs.activate = [](TKControl* c, bool active) {
    if (CurveEditor* ed = CurveEditorOf(c)) ed->active = active ? 1 : 0;
    TKDrawControl(c);
  };
  TKControl* pane = TKNewUserPane(window, bounds, procs);
  if (!pane) return nullptr;
  e->pane = pane;
  TKSetControlID(pane, TKControlID{kVFSigCurveEditor, idNumber});
  // Embedding a control made in the parent's window cannot fail.
  if (parent) QVIgnoreStatus(TKEmbedControl(pane, parent));
  VFSetPointerProperty(pane, kPropEditor, e);

  // The readout strip under the graph.
  TKUserPaneProcs readout;
  readout.draw = [e](TKControl*, TKContext* ctx) { DrawCurveReadout(e, ctx); };
  const TKRect strip{e->graph.bottom + kCurveReadoutGap, e->graph.left,
                     e->graph.bottom + kCurveReadoutGap + kCurveReadoutHeight, e->graph.right};
  e->readoutPane = TKNewUserPane(window, strip, readout);
  // Embedding a control made in the parent's window cannot fail.
  if (e->readoutPane && parent) QVIgnoreStatus(TKEmbedControl(e->readoutPane, parent));

  if (table) VFRegisterControl(table, sectionOffset, pane);
  TKInstallControlHandler(pane, CurveEditorEventHandler);
  e->regionID = gNextRegionID++;
  TKAddTrackingRegion(window, e->graph, e->regionID);
  const int32_t region = e->regionID;
  TKInstallWindowHandler(window, [region](TKEvent& ev) {
    if (ev.kind == kTKEventMouseExited && ev.regionID == region) gRequestedCursor = 0;
    return kQVErrNotHandled;
  });
  // A pane without its menu still edits the curve.
  QVIgnoreStatus(SetControlContextMenu(pane, CurveEditorMenu(curveIndex), CurveEditorContextMenu, 0));

  // Bound at once to its section of the record it was made on; the
  // synchroniser binds it again after whole-record changes.
  if (base) {
    auto* section = reinterpret_cast<VL_CurveControls*>(static_cast<uint8_t*>(base) + sectionOffset);
    CurveEditorSetCurve(pane, &section->spline.pointCount, section->spline.x, section->spline.y, section->map,
                        &section->modeFlags, false);
  }
  gEditors.push_back(std::move(owned));
  return pane;
}

void CurveEditorSetCurve(TKControl* editor, uint32_t* pointCount, float* x, float* y, float* map, uint32_t* flags,
                         bool redraw) {
  CurveEditor* e = CurveEditorOf(editor);
  if (!e) return;
  e->count = pointCount;
  e->x = x;
  e->y = y;
  e->map = map;
  e->flags = flags;
  e->selected = -1;
  e->hover = -1;
  if (redraw) Redraw(e);
}

void CurveSetPoint(TKControl* editor, float x, float y) {
  CurveEditor* e = CurveEditorOf(editor);
  if (!e) return;
  e->selected = -1;
  const int32_t index = CurveSetPointAt(CurveEditorSection(e), x, y);
  if (index >= 0) e->hover = index;
}

void CurveEditorFocus(TKControl* control) {
  TKWindow* window = control ? TKGetControlWindow(control) : nullptr;
  if (!window) return;
  TKControl* focused = TKGetKeyboardFocus(window);
  // Taking the focus away from every control cannot be refused.
  QVIgnoreStatus(TKSetKeyboardFocus(window, nullptr));
  if (CurveEditor* e = CurveEditorOf(focused)) {
    e->selected = -1;
    Redraw(e);
  }
}

void CurveEditorDrawReadout(TKControl* editor, bool show, float x, float y) {
  CurveEditor* e = CurveEditorOf(editor);
  if (!e) return;
  if (e->readoutShown == show && (!show || (e->readoutX == x && e->readoutY == y))) return;
  e->readoutShown = show;
  e->readoutX = x;
  e->readoutY = y;
  if (e->readoutPane) TKDrawControl(e->readoutPane);
}

void CurvesTabFollowMapMode(TKWindow* window) {
  bool map = false;
  for (int32_t c = 0; c <= 3; ++c)
    if (TKControl* editor = CurveEditorForCurve(c))
      if (TKGetControlWindow(editor) == window && CurveEditorInMapMode(CurveEditorOf(editor))) map = true;
  VFCurvesTabControls& t = gCurvesTabControls;
  for (TKControl* control : {t.blackEyedropper, t.grayEyedropper, t.whiteEyedropper, t.saveButton})
    if (control && TKIsControlAlive(control) && TKGetControlWindow(control) == window)
      TKSetControlEnabled(control, !map);
}
