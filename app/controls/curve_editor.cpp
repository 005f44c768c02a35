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
  if (e->pane) UIDrawControl(e->pane);
}

// Mouse tracking: the press picks or adds a point, the drag moves it within
// its limits, reprocessing on every pause of 20 ms and once on release.
int16_t CurveEditorTrack(UIControl* pane, UIPoint where, uint32_t) {
  CurveEditor* e = CurveEditorOf(pane);
  VL_CurveControls* curve = CurveEditorSection(e);
  if (!e || !curve || CurveEditorInMapMode(e) || !UIRectContains(e->graph, where)) return kUIPartNone;
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
  if (UIGetKeyboardFocus(e->window) != pane) UISetKeyboardFocus(e->window, pane);
  Redraw(e);

  for (;;) {
    UIPoint p = where;
    uint32_t mods = 0;
    const UITrackResult result = UITrackMouse(e->window, kCurveTrackTimeout, &p, &mods);
    if (result == kUITrackMouseUp) break;
    if (result == kUITrackTimedOut) {
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

QVStatus CurveEditorKey(UIControl* pane, const UIEvent& key) {
  CurveEditor* e = CurveEditorOf(pane);
  VL_CurveControls* curve = CurveEditorSection(e);
  if (!e || !curve || !UIIsControlVisible(pane) || CurveEditorInMapMode(e)) return kQVErrNotHandled;
  const int32_t count = int32_t(curve->spline.pointCount);
  if (e->selected < 0 || e->selected >= count) return kQVErrNotHandled;
  const bool shift = (key.modifiers & kUIModShift) != 0;
  const double step = shift ? 10 * kCurveKeyStep : kCurveKeyStep;
  switch (key.charCode) {
    case kUIKeyRight: KeyEdit(e, curve, step, 0); return kQVNoErr;
    case kUIKeyLeft: KeyEdit(e, curve, -step, 0); return kQVNoErr;
    case kUIKeyUp: KeyEdit(e, curve, 0, step); return kQVNoErr;
    case kUIKeyDown: KeyEdit(e, curve, 0, -step); return kQVNoErr;
    case kUIKeyTab:
      e->selected = shift ? (e->selected + count - 1) % count : (e->selected + 1) % count;
      Redraw(e);
      return kQVNoErr;
    case kUIKeyBackspace:
    case kUIKeyDelete:
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
void CurveEditorTrackHover(UIControl* pane) {
  CurveEditor* e = CurveEditorOf(pane);
  if (!e || !UIIsControlVisible(pane) || e->window != UIFrontWindow() || (UIGetModifiers() & kUIModControl)) return;
  if (e->tracking) return;
  const UIPoint mouse = UIGetMouseLocationInWindow(e->window);
  const bool map = CurveEditorInMapMode(e);
  if (UIRectContains(e->graph, mouse) && !map && CurveEditorSection(e)) {
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

QVStatus CurveEditorEventHandler(UIEvent& ev) {
  if (ev.kind == kUIEventContextClick) return HandleControlContextClick(ev.control, ev.where);
  if (ev.kind == kUIEventKeyDown) return CurveEditorKey(ev.control, ev);
  return kQVErrNotHandled;
}

}  // namespace

CurveEditor* CurveEditorOf(UIControl* control) {
  if (!control || !UIIsControlAlive(control)) return nullptr;
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

UIControl* CurveEditorForCurve(int32_t curveIndex) {
  if (curveIndex < 0 || curveIndex > 6) return nullptr;
  UIControl* control = VFControlAtOffset(CurveSectionOffset(curveIndex));
  return CurveEditorOf(control) ? control : nullptr;
}

void CurveEditorToUnit(const CurveEditor* e, UIPoint p, double* x, double* y) {
  const int32_t w = std::max(2, UIRectWidth(e->graph)), h = std::max(2, UIRectHeight(e->graph));
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
  if (UIGetKeyboardFocus(e->window) == e->pane) UISetKeyboardFocus(e->window, nullptr);
  Redraw(e);
  return true;
}

UIControl* CreateCurveEditor(UIWindow* window, const UIRect& bounds, const char* label, UIControl* parent, void* base,
                             int32_t curveIndex, uint32_t sectionOffset, int32_t idNumber, UIControl** table) {
  if (!window || curveIndex < 0 || curveIndex > 6) return nullptr;
  auto owned = std::make_unique<CurveEditor>();
  CurveEditor* e = owned.get();
  e->window = window;
  e->bounds = bounds;
  e->graph = UIRectInset(bounds, 2, 2);
  e->curveIndex = curveIndex;

  UIControl* labelControl = nullptr;
  VFCreateLabel(window, UIRect{bounds.top - kLabelHeight, bounds.left, bounds.top, bounds.right}, parent,
                label ? label : "", &labelControl);
  if (labelControl) UISetControlID(labelControl, UIControlID{kVFSigLabel, idNumber});
  e->label = labelControl;

  UIUserPaneProcs procs;
  procs.draw = DrawCurveEditor;
  procs.hitTest = [](UIControl* c, UIPoint p) -> int16_t {
    CurveEditor* ed = CurveEditorOf(c);
    return ed && UIRectContains(ed->graph, p) && !CurveEditorInMapMode(ed) ? kCurveEditorPart : int16_t(kUIPartNone);
  };
  procs.track = CurveEditorTrack;
  procs.idle = CurveEditorTrackHover;
  procs.focus = [](UIControl*, int16_t part) -> int16_t { return part ? part : int16_t(kCurveEditorPart); };
  procs.activate = [](UIControl* c, bool active) {
    if (CurveEditor* ed = CurveEditorOf(c)) ed->active = active ? 1 : 0;
    UIDrawControl(c);
  };
  UIControl* pane = UINewUserPane(window, bounds, procs);
  if (!pane) return nullptr;
  e->pane = pane;
  UISetControlID(pane, UIControlID{kVFSigCurveEditor, idNumber});
  if (parent) UIEmbedControl(pane, parent);
  VFSetPointerProperty(pane, kPropEditor, e);

  // The readout strip under the graph.
  UIUserPaneProcs readout;
  readout.draw = [e](UIControl*, UIContext* ctx) { DrawCurveReadout(e, ctx); };
  const UIRect strip{e->graph.bottom + kCurveReadoutGap, e->graph.left,
                     e->graph.bottom + kCurveReadoutGap + kCurveReadoutHeight, e->graph.right};
  e->readoutPane = UINewUserPane(window, strip, readout);
  if (e->readoutPane && parent) UIEmbedControl(e->readoutPane, parent);

  if (table) VFRegisterControl(table, sectionOffset, pane);
  UIInstallControlHandler(pane, CurveEditorEventHandler);
  e->regionID = gNextRegionID++;
  UIAddTrackingRegion(window, e->graph, e->regionID);
  const int32_t region = e->regionID;
  UIInstallWindowHandler(window, [region](UIEvent& ev) {
    if (ev.kind == kUIEventMouseExited && ev.regionID == region) gRequestedCursor = 0;
    return kQVErrNotHandled;
  });
  SetControlContextMenu(pane, CurveEditorMenu(curveIndex), CurveEditorContextMenu, 0);

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

void CurveEditorSetCurve(UIControl* editor, uint32_t* pointCount, float* x, float* y, float* map, uint32_t* flags,
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

void CurveSetPoint(UIControl* editor, float x, float y) {
  CurveEditor* e = CurveEditorOf(editor);
  if (!e) return;
  e->selected = -1;
  const int32_t index = CurveSetPointAt(CurveEditorSection(e), x, y);
  if (index >= 0) e->hover = index;
}

void CurveEditorFocus(UIControl* control) {
  UIWindow* window = control ? UIGetControlWindow(control) : nullptr;
  if (!window) return;
  UIControl* focused = UIGetKeyboardFocus(window);
  UISetKeyboardFocus(window, nullptr);
  if (CurveEditor* e = CurveEditorOf(focused)) {
    e->selected = -1;
    Redraw(e);
  }
}

void CurveEditorDrawReadout(UIControl* editor, bool show, float x, float y) {
  CurveEditor* e = CurveEditorOf(editor);
  if (!e) return;
  if (e->readoutShown == show && (!show || (e->readoutX == x && e->readoutY == y))) return;
  e->readoutShown = show;
  e->readoutX = x;
  e->readoutY = y;
  if (e->readoutPane) UIDrawControl(e->readoutPane);
}

void CurvesTabFollowMapMode(UIWindow* window) {
  bool map = false;
  for (int32_t c = 0; c <= 3; ++c)
    if (UIControl* editor = CurveEditorForCurve(c))
      if (UIGetControlWindow(editor) == window && CurveEditorInMapMode(CurveEditorOf(editor))) map = true;
  VFCurvesTabControls& t = gCurvesTabControls;
  for (UIControl* control : {t.blackEyedropper, t.grayEyedropper, t.whiteEyedropper, t.saveButton})
    if (control && UIIsControlAlive(control) && UIGetControlWindow(control) == window)
      UISetControlEnabled(control, !map);
}
