// The analysis displays: scope dispatch by kind, the combo layout and the
// zoom and kind choices.
#include "app/views/analysis_panes.h"

#include "app/views/histogram.h"
#include "app/views/scope_backdrop.h"
#include "app/views/scope_kinds.h"
#include "app/state/view_state.h"
#include "app/views/tone_curve.h"
#include "app/views/vectorscope.h"
#include "app/views/waveform.h"
#include "platform/ui/ui_draw.h"
#include "settings/prefs.h"

int32_t gVectorscopeZoom = 1;
int32_t gComboVectorscopeZoom = 1;

namespace {

TKRect Edges(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  TKRect r;
  r.left = left;
  r.top = top;
  r.right = right;
  r.bottom = bottom;
  return r;
}

// Trace mode flags of the waveform kinds 1..7: chroma, then modes 2 to 6.
struct WaveformKind {
  bool chroma, mode2, mode3, mode4, mode5, mode6;
};
constexpr WaveformKind kWaveformKinds[7] = {
    {false, false, false, false, false, false},  // Luma: mode 1
    {true, false, false, false, false, false},   // YC: mode 1 with chroma
    {false, false, true, false, false, false},   // RGB parade: mode 3
    {false, false, false, false, false, true},   // GBR parade: mode 6
    {false, false, false, false, true, false},   // YRGB parade: mode 5
    {false, true, false, false, false, false},   // YCbCr parade: mode 2
    {false, false, false, true, false, false},   // RGB overlay: mode 4
};

constexpr int32_t kZoomItems[4] = {1, 2, 5, 10};

int32_t ZoomItemFor(int32_t zoom) {
  for (int32_t i = 0; i < 4; ++i)
    if (kZoomItems[i] == zoom) return i + 1;
  return 0;
}

}  // namespace

void DrawComboKind(const ScopeKind&, TKImage* target, const TKRect* rect, TKImage* picture, bool) {
  DrawComboPane(target, rect, picture);
}

void DrawWaveformKind(const ScopeKind& kind, TKImage* target, const TKRect* rect, TKImage* picture, bool) {
  if (kind.display < kScopeLumaWFM || kind.display > kScopeOverlayWFM) return;
  const WaveformKind& w = kWaveformKinds[kind.display - kScopeLumaWFM];
  DrawWaveformPane(target, rect, picture, w.chroma, w.mode2, w.mode3, w.mode4, w.mode5, w.mode6);
}

// A quadrant's vectorscope draws at the combo's zoom and leaves the pane's
// zoom as it was.
void DrawVectorscopeKind(const ScopeKind&, TKImage* target, const TKRect* rect, TKImage* picture, bool inCombo) {
  const int32_t own = gVectorscopeZoom;
  if (inCombo) gVectorscopeZoom = gComboVectorscopeZoom;
  DrawVectorscopePane(target, rect, picture, gVectorscopeZoom);
  gVectorscopeZoom = own;
}

void DrawHistogramsKind(const ScopeKind&, TKImage* target, const TKRect* rect, TKImage* picture, bool) {
  DrawHistogramPane(target, rect, picture, true);
}

// The tone curve's own pane shows the source's curve as the source's.
void DrawToneCurveKind(const ScopeKind&, TKImage* target, const TKRect* rect, TKImage* picture, bool inCombo) {
  DrawToneCurvePane(target, rect, picture, inCombo || gImageViewMode != kImageViewSource);
}

void DrawScopeByKind(int32_t kind, TKImage* target, const TKRect* rect, TKImage* picture) {
  const ScopeKind* row = ScopeKindOfDisplay(kind);
  if (row && row->draw) row->draw(*row, target, rect, picture, true);
}

ComboLayout ComboLayoutForRect(const TKRect& rect) {
  ComboLayout l{};
  const int32_t w = TKRectWidth(rect), h = TKRectHeight(rect);
  l.rightWidth = w / 2;
  // A narrow right column is widened so a vectorscope keeps a usable size.
  if (l.rightWidth > 241 && l.rightWidth < 269) l.rightWidth = 270;
  l.leftWidth = w - l.rightWidth;
  l.rowSplit = h / 2;
  const int32_t inset = int32_t(double(h / 2) * 0.012);
  const int32_t midX = rect.left + l.leftWidth, midY = rect.top + l.rowSplit;
  const TKRect q[4] = {Edges(rect.left, rect.top, midX, midY), Edges(midX, rect.top, rect.right, midY),
                       Edges(rect.left, midY, midX, rect.bottom), Edges(midX, midY, rect.right, rect.bottom)};
  for (int32_t i = 0; i < 4; ++i)
    l.quadrant[i] = Edges(q[i].left + inset, q[i].top + inset, q[i].right - inset, q[i].bottom - inset);
  return l;
}

int32_t ComboQuadrantAt(const TKRect& bounds, int32_t x, int32_t y) {
  const ComboLayout l = ComboLayoutForRect(bounds);
  return (y >= bounds.top + l.rowSplit ? 2 : 0) + (x >= bounds.left + l.leftWidth ? 1 : 0);
}

void DrawComboPane(TKImage* target, const TKRect* rect, TKImage* picture) {
  if (!target) return;
  const TKRect r = rect ? *rect : TKMakeRect(0, 0, TKImageWidth(target), TKImageHeight(target));
  const ComboLayout l = ComboLayoutForRect(r);
  ScopeFillRect(target, r, kScopeBlackPixel);
  TKContext* ctx = TKBeginDrawing(target);
  const double grey = 8192.0 / 65535.0;
  TKSetFillColor(ctx, TKColor{grey, grey, grey, 1});
  TKFillRect(ctx, Edges(r.left, r.top + l.rowSplit - 1, r.right, r.top + l.rowSplit));
  TKFillRect(ctx, Edges(r.left + l.leftWidth, r.top, r.left + l.leftWidth + 1, r.bottom));
  TKEndDrawing(ctx);
  for (int32_t i = 0; i < 4; ++i) DrawScopeByKind(gPrefsSettings.comboQuadrant[i], target, &l.quadrant[i], picture);
}

int32_t WheelZoomStep(int32_t zoom, int32_t delta) {
  if (delta < 1) return zoom > 1 ? zoom - 1 : 1;
  return zoom < 10 ? zoom + 1 : 10;
}

void ComboQuadrantMarkedItems(int32_t quadrant, int32_t* kindItem, int32_t* zoomItem) {
  const int32_t kind = gPrefsSettings.comboQuadrant[quadrant & 3];
  *kindItem = kind;
  const int32_t zoomIndex = ZoomItemFor(gComboVectorscopeZoom);
  const ScopeKind* row = ScopeKindOfDisplay(kind);
  *zoomItem = row && row->zooms && zoomIndex ? zoomIndex + kComboFirstZoomItem - 1 : 0;
}

bool ComboQuadrantChoose(int32_t quadrant, int32_t item) {
  int32_t& kind = gPrefsSettings.comboQuadrant[quadrant & 3];
  const ScopeKind* row = ScopeKindOfDisplay(kind);
  if (row && row->zooms && item >= kComboFirstZoomItem && item < kComboFirstZoomItem + 4) {
    gComboVectorscopeZoom = kZoomItems[item - kComboFirstZoomItem];
    return true;
  }
  if (!ScopeKindOfDisplay(item)) return false;
  kind = item;
  return true;
}

int32_t VectorscopeZoomMarkedItem() { return ZoomItemFor(gVectorscopeZoom); }

bool VectorscopeZoomChoose(int32_t item) {
  if (item < 1 || item > 4) return false;
  gVectorscopeZoom = kZoomItems[item - 1];
  return true;
}
