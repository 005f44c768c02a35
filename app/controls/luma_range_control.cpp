// The luma-range graph: the three weighting curves that the shadow and
// highlight points give, over the luma histogram of the result, and the
// dragging of the two points.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "app/controls/bound_controls.h"
#include "app/controls/composite_controls.h"
#include "app/controls/labels.h"
#include "app/controls/luma_range_control.h"
#include "app/controls/luma_range_control_internal.h"
#include "app/controls/luma_range_weights.h"
#include "app/controls/special_setters.h"
#include "app/controls/tab_group.h"
#include "app/state/interface_colors.h"
#include "app/state/undo_ring.h"
#include "app/state/view_state.h"
#include "app/state/views_hooks.h"
#include "app/views/histogram.h"
#include "app/views/image_pane.h"
#include "platform/ui/toolkit.h"
#include "support/colors.h"

namespace {

constexpr uint32_t kPropRecord = QVFourCC("LRrc");
constexpr uint32_t kSigGraph = QVFourCC("VFcv");
constexpr int32_t kLabelHeight = 14;

// Greys of the curves and of the background (16-bit components).
constexpr uint16_t kShadowGrey = 24000;
constexpr uint16_t kHighlightGrey = 60000;
constexpr uint16_t kMidtoneGrey = 35000;
constexpr uint16_t kBackgroundGrey = 0x3434;

// The graph the central update redraws after every reprocess.
TKControl* gLumaRangeGraph = nullptr;

uint32_t GreyPixel(uint16_t grey) { return QVPackPixelARGB(QVRGBColor{grey, grey, grey}); }

// Row of a weight in a picture h rows high: 0 on the bottom row, 1 on the top.
int32_t RowOf(float weight, int32_t h) {
  const float w = std::isfinite(weight) ? std::clamp(weight, 0.0f, 1.0f) : 0.0f;
  return (h - 1) - int32_t(std::lround(double(w) * (h - 1)));
}

// A polyline through one value per column: each column is filled from its
// own row towards the next column's, so every column gets its point and the
// line stays joined.
void DrawWeights(TKImage* image, const std::vector<float>& weights, uint32_t pixel) {
  const int32_t w = TKImageWidth(image), h = TKImageHeight(image);
  uint8_t* base = TKImagePixels(image);
  const int32_t rowBytes = TKImageRowBytes(image);
  for (int32_t c = 0; c < w; ++c) {
    const int32_t a = RowOf(weights[size_t(c)], h);
    const int32_t b = c + 1 < w ? RowOf(weights[size_t(c) + 1], h) : a;
    const int32_t top = b < a ? std::min(a, b + 1) : a;
    const int32_t bottom = b > a ? std::max(a, b - 1) : a;
    for (int32_t y = top; y <= bottom; ++y) std::memcpy(base + size_t(y) * size_t(rowBytes) + size_t(c) * 4, &pixel, 4);
  }
  TKImageMarkDirty(image);
}

// Unit coordinates of a window point over the graph rectangle.
void UnitOf(const LumaRangeControl* r, TKPoint p, double* x, double* y) {
  const TKRect& g = r->graph;
  *x = double(p.x - g.left) / std::max(1, TKRectWidth(g) - 1);
  *y = 1.0 - double(p.y - g.top) / std::max(1, TKRectHeight(g) - 1);
}

void Draw(TKControl* pane, TKContext* ctx) {
  LumaRangeControl* r = LumaRangeRecordOf(pane);
  if (!r) return;
  const TKColor outer = VFColor(r->active ? 6 : 3), inner = VFColor(r->active ? 8 : 4);
  TKSetAntialias(ctx, false);
  TKSetLineWidth(ctx, 1.0);
  TKSetStrokeColor(ctx, outer);
  TKFrameRect(ctx, r->bounds);
  TKSetStrokeColor(ctx, inner);
  TKFrameRect(ctx, TKRectInset(r->bounds, 1, 1));
  if (TKImage* image = LumaRangeRender(r)) TKDrawImage(ctx, image, nullptr, r->graph, false);
}

// Hover: which point the mouse is over, and the cursor that shows it.
void Idle(TKControl* pane) {
  LumaRangeControl* r = LumaRangeRecordOf(pane);
  if (!r || r->tracking || !TKIsControlVisible(pane)) return;
  const TKPoint mouse = TKGetMouseLocationInWindow(r->window);
  if (!TKRectContains(r->graph, mouse)) return;
  r->picked = LumaRangePickAt(r, mouse);
  gRequestedCursor = r->picked >= 0 ? kLumaRangePointCursor : 0;
}

void Refresh(TKControl* pane) {
  EnableEnclosingTabs(pane, 1, true);
  VFUpdatePreview();
}

int16_t Track(TKControl* pane, TKPoint where) {
  LumaRangeControl* r = LumaRangeRecordOf(pane);
  if (!r) return 0;
  UndoBufferPush(gUndoBuffer, &gUISettings);
  VFForgetUndoControl();
  EnableEnclosingTabs(pane, 1, true);
  r->tracking = 1;
  // The point under the click is the one the hover shows there.
  r->picked = LumaRangePickAt(r, where);
  r->dragged = r->picked;
  bool changed = true;  // a click away from both points still counts
  for (;;) {
    TKPoint p = where;
    uint32_t modifiers = 0;
    const TKTrackResult result = TKTrackMouse(r->window, kLumaRangeTrackSeconds, &p, &modifiers);
    if (LumaRangeRecordOf(pane) != r) return 0;
    if (result == kTKTrackTimedOut) {
      if (changed) Refresh(pane);
      changed = false;
      continue;
    }
    double x, y;
    UnitOf(r, p, &x, &y);
    float* point = r->dragged == 0 ? r->shadow : r->dragged == 1 ? r->highlight : nullptr;
    if (point) {
      point[0] = float(std::clamp(x, 0.0, 1.0));
      point[1] = float(std::clamp(y, 0.0, 1.0));
    }
    TKDrawControl(pane);
    changed = true;
    if (result == kTKTrackMouseUp) break;
  }
  if (changed) Refresh(pane);
  r->tracking = 0;
  r->dragged = -1;
  UndoBufferStore(gUndoBuffer, &gUISettings);
  return 128;
}

}  // namespace

LumaRangeControl* LumaRangeRecordOf(TKControl* control) {
  if (!control || !TKIsControlAlive(control)) return nullptr;
  return static_cast<LumaRangeControl*>(VFGetPointerProperty(control, kPropRecord));
}

int32_t LumaRangePickAt(const LumaRangeControl* r, TKPoint where) {
  if (!r || !r->shadow || !r->highlight) return -1;
  double x, y;
  UnitOf(r, where, &x, &y);
  const float* points[2] = {r->shadow, r->highlight};
  for (int32_t i = 0; i < 2; ++i)
    if (std::hypot(x - points[i][0], y - points[i][1]) <= kLumaRangePickRadius) return i;
  return -1;
}

void LumaRangeDrawGraph(TKImage* image, const float* shadow, const float* highlight, TKImage* source) {
  const int32_t w = TKImageWidth(image), h = TKImageHeight(image);
  if (w < 1 || h < 1) return;
  if (TKContext* ctx = TKBeginDrawing(image)) {
    TKClear(ctx, TKColorFrom16(kBackgroundGrey, kBackgroundGrey, kBackgroundGrey));
    TKEndDrawing(ctx);
  }
  DrawLumaHistogram(image, nullptr, source);
  if (!shadow || !highlight) return;

  const size_t columns = static_cast<size_t>(w);
  std::vector<float> s(columns), m(columns), hl(columns);
  LumaRangeWeights(shadow[0], shadow[1], highlight[0], highlight[1], w, s.data(), m.data(), hl.data());
  DrawWeights(image, s, GreyPixel(kShadowGrey));
  DrawWeights(image, hl, GreyPixel(kHighlightGrey));
  DrawWeights(image, m, GreyPixel(kMidtoneGrey));

  TKContext* ctx = TKBeginDrawing(image);
  if (!ctx) return;
  const QVRGBColor& a = gInterfaceAccentColors[6];
  const TKColor accent = TKColorFrom16(a.red, a.green, a.blue);
  TKSetAntialias(ctx, false);
  TKSetLineWidth(ctx, 1.0);
  TKSetStrokeColor(ctx, accent);
  TKSetFillColor(ctx, accent);
  auto column = [&](float x) { return std::clamp(double(x), 0.0, 1.0) * (w - 1) + 0.5; };
  auto row = [&](float y) { return (h - 1) - std::clamp(double(y), 0.0, 1.0) * (h - 1) + 0.5; };
  TKDrawLine(ctx, 0.5, 0.5, column(shadow[0]), row(shadow[1]));
  TKDrawLine(ctx, w - 0.5, 0.5, column(highlight[0]), row(highlight[1]));
  for (const float* p : {shadow, highlight}) {
    const int32_t cx = int32_t(column(p[0])), cy = int32_t(row(p[1]));
    TKFillRect(ctx, TKRect{cy - 2, cx - 2, cy + 2, cx + 2});
  }
  TKEndDrawing(ctx);
}

TKImage* LumaRangeRender(LumaRangeControl* r) {
  if (!r) return nullptr;
  const int32_t w = TKRectWidth(r->graph), h = TKRectHeight(r->graph);
  if (w < 1 || h < 1) return nullptr;
  if (!r->image || TKImageWidth(r->image) != w || TKImageHeight(r->image) != h) {
    TKImageDispose(r->image);
    r->image = TKImageCreate(w, h);
  }
  if (r->image) LumaRangeDrawGraph(r->image, r->shadow, r->highlight, gResultGWorld);
  return r->image;
}

TKControl* CreateLumaRangeControl(TKWindow* window, const TKRect& bounds, const char* label, TKControl* parent,
                                  void* base, uint32_t, uint32_t slotOffset, int32_t idNumber, TKControl** table) {
  if (!window) return nullptr;
  auto record = std::shared_ptr<LumaRangeControl>(new (std::nothrow) LumaRangeControl);
  if (!record) return nullptr;
  LumaRangeControl* r = record.get();
  r->window = window;
  r->bounds = bounds;
  r->graph = TKRectInset(bounds, 2, 2);

  TKControl* caption = nullptr;
  VFCreateLabel(window, TKRect{bounds.top - kLabelHeight, bounds.left, bounds.top, bounds.right}, parent,
                label ? label : "", &caption);
  if (caption) TKSetControlID(caption, TKControlID{kVFSigLabel, idNumber});

  TKUserPaneProcs procs;
  procs.draw = [record](TKControl* pane, TKContext* ctx) { Draw(pane, ctx); };
  procs.hitTest = [record](TKControl*, TKPoint where) -> int16_t {
    return TKRectContains(record->graph, where) ? 128 : 0;
  };
  procs.track = [record](TKControl* pane, TKPoint where, uint32_t) { return Track(pane, where); };
  procs.idle = [record](TKControl* pane) { Idle(pane); };
  procs.activate = [record](TKControl* pane, bool active) {
    record->active = active ? 1 : 0;
    TKDrawControl(pane);
  };
  TKControl* pane = TKNewUserPane(window, bounds, procs);
  if (!pane) return nullptr;
  // Embedding a control made in the parent's window cannot fail.
  if (parent) QVIgnoreStatus(TKEmbedControl(pane, parent));
  r->pane = pane;
  TKSetControlID(pane, TKControlID{kSigGraph, idNumber});
  VFSetPointerProperty(pane, kPropRecord, r);
  VFRegisterControl(table, slotOffset, pane);

  // Leaving the graph gives the arrow back.
  r->regionID = int32_t(QVFourCC("LR\0\0")) | (idNumber & 0xFFFF);
  TKAddTrackingRegion(window, r->graph, r->regionID);
  std::weak_ptr<LumaRangeControl> weak = record;
  TKInstallWindowHandler(window, [weak](TKEvent& e) -> QVStatus {
    std::shared_ptr<LumaRangeControl> live = weak.lock();
    if (live && e.kind == kTKEventMouseExited && e.regionID == live->regionID) gRequestedCursor = 0;
    return kQVErrNotHandled;
  });

  // The points start bound to the record the graph is made on; the
  // synchroniser binds them again after whole-record changes.
  if (base) {
    auto* points = reinterpret_cast<float*>(static_cast<uint8_t*>(base) + slotOffset + 8);
    r->shadow = points;
    r->highlight = points + 2;
  }
  gLumaRangeGraph = pane;
  TKDrawControl(pane);
  return pane;
}

void LumaRangeBindPoints(TKControl* graph, float* shadowPoint, float* highlightPoint, bool redraw) {
  LumaRangeControl* r = LumaRangeRecordOf(graph);
  if (!r) return;
  r->shadow = shadowPoint;
  r->highlight = highlightPoint;
  r->dragged = -1;
  if (redraw) TKDrawControl(graph);
}

void LumaRangeRedrawGraph() {
  if (LumaRangeRecordOf(gLumaRangeGraph)) TKDrawControl(gLumaRangeGraph);
}
