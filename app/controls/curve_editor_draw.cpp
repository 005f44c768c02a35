// Drawing of the curve editor: frame, gradient background, grid, and the
// curve as a Catmull-Rom spline, straight lines or the 1024-entry map, with
// its points; and the "Input:"/"Output:" readout strip below the graph.
//
// The spline is sampled segment by segment through P(i-1), P(i), P(i+1),
// P(i+2) (end points repeated) at t = k / 1000. Values from the record are
// not trusted: counts outside 2..16 draw no curve, coordinates are clamped
// to 0..1 (NaN reads as 0) and a sample never runs back left of the last
// one drawn, so points out of order in a file draw without loops.
#include <algorithm>
#include <cmath>
#include <vector>

#include "app/controls/bound_controls.h"
#include "app/controls/color_readout.h"
#include "app/controls/color_swatch.h"
#include "app/controls/curve_editor.h"
#include "app/controls/curve_editor_internal.h"
#include "app/state/interface_colors.h"
#include "platform/ui/toolkit.h"
#include "settings/curve_backgrounds.h"
#include "settings/curve_files.h"

namespace {

constexpr double kPointRadius = 3.0;
constexpr double kCurveLineWidth = 1.5;

const float kCatmullRom[4][4] = {
    {-0.5f, 1.0f, -0.5f, 0.0f},
    {1.5f, -2.5f, 0.0f, 1.0f},
    {-1.5f, 2.0f, 0.5f, 0.0f},
    {0.5f, -0.5f, 0.0f, 0.0f},
};

const float (*BasisTable())[4] {
  static float table[1000][4];
  static bool built = false;
  if (!built) {
    SplineCurveGen(kCatmullRom, table);
    built = true;
  }
  return table;
}

double Clamp01(double v) { return v > 0.0 ? (v < 1.0 ? v : 1.0) : 0.0; }  // NaN gives 0

TKColor Accent(int entry) {
  const QVRGBColor& c = gInterfaceAccentColors[entry];
  return TKColorFrom16(c.red, c.green, c.blue);
}

// Channel colours: red, green and blue curves take accents 2-4, the others 5.
TKColor CurveColour(int32_t curveIndex, bool active) {
  TKColor c = Accent(curveIndex >= 1 && curveIndex <= 3 ? curveIndex + 1 : 5);
  if (!active) c.alpha = 0.5;
  return c;
}

struct Plot {
  TKRect g;
  double X(double x) const { return g.left + x * TKRectWidth(g); }
  double Y(double y) const { return g.bottom - y * TKRectHeight(g); }
};

// Background kinds: white, red, green, blue for the master and channel
// curves, the three hue planes for the HSL curves.
void DrawBackground(CurveEditor* e, TKContext* ctx) {
  const int32_t kind = e->curveIndex >= 0 && e->curveIndex <= 6 ? e->curveIndex : 0;
  const int32_t w = TKRectWidth(e->graph), h = TKRectHeight(e->graph);
  if (w < 1 || h < 1) return;
  if (!e->background || e->backgroundKind != kind || TKImageWidth(e->background.get()) != w ||
      TKImageHeight(e->background.get()) != h) {
    e->background.reset();
    FBFrameStruct* frame = CVCreateBackgroundFrameBuffer(uint32_t(w), uint32_t(h), kind);
    if (!frame) return;
    TKImagePtr image(TKImageCreate(w, h));
    if (image && TKImageImport(image.get(), frame->baseAddr, int32_t(frame->rowBytes), kTKPixelFormatBGRA) == kQVNoErr) {
      e->background = std::move(image);
      e->backgroundKind = kind;
    }
    FBDisposeFrameBuffer(frame);
  }
  if (e->background) TKDrawImage(ctx, e->background.get(), nullptr, e->graph, false);
}

void DrawGrid(const Plot& p, TKContext* ctx) {
  TKSetStrokeColor(ctx, TKColorRGB(0.5, 0.5, 0.5, 0.6));
  TKSetLineWidth(ctx, 1.0);
  const int32_t w = TKRectWidth(p.g), h = TKRectHeight(p.g);
  for (int i = 1; i < 8; ++i) {
    const double gx = p.g.left + std::floor(i * w / 8.0) + 0.5, gy = p.g.top + std::floor(i * h / 8.0) + 0.5;
    TKDrawLine(ctx, gx, p.g.top, gx, p.g.bottom);
    TKDrawLine(ctx, p.g.left, gy, p.g.right, gy);
  }
}

void DrawPlaceholder(const Plot& p, TKContext* ctx) {
  TKSetStrokeColor(ctx, TKColorRGB(0.6, 0.6, 0.6));
  TKSetLineWidth(ctx, 1.0);
  TKDrawLine(ctx, p.X(0), p.Y(0.25), p.X(0.4), p.Y(0.25));
  TKDrawLine(ctx, p.X(0.4), p.Y(0.25), p.X(0.6), p.Y(0.75));
  TKDrawLine(ctx, p.X(0.6), p.Y(0.75), p.X(1), p.Y(0.75));
}

void StrokePolyline(const Plot& p, const std::vector<CurvePlotPoint>& line, TKContext* ctx) {
  if (line.empty()) return;
  TKBeginPath(ctx);
  TKMoveTo(ctx, p.X(line[0].x), p.Y(line[0].y));
  for (size_t i = 1; i < line.size(); ++i) TKLineTo(ctx, p.X(line[i].x), p.Y(line[i].y));
  TKStrokePath(ctx);
}

void DrawPoints(const Plot& p, const float* x, const float* y, int32_t n, int32_t selected, TKContext* ctx) {
  TKSetLineWidth(ctx, 1.0);
  for (int32_t i = 0; i < n; ++i) {
    const double cx = p.X(Clamp01(x[i])), cy = p.Y(Clamp01(y[i]));
    const TKRect r{int32_t(std::lround(cy - kPointRadius)), int32_t(std::lround(cx - kPointRadius)),
                   int32_t(std::lround(cy + kPointRadius)), int32_t(std::lround(cx + kPointRadius))};
    if (i == selected)
      TKFillOval(ctx, r);
    else
      TKFrameOval(ctx, r);
  }
}

void DrawMap(const Plot& p, const float* map, TKContext* ctx) {
  const int32_t w = TKRectWidth(p.g);
  if (w < 1) return;
  TKBeginPath(ctx);
  for (int32_t c = 0; c <= w; ++c) {
    const int32_t entry = std::min(int32_t(double(c) * 1023.0 / w + 0.99), kVLCurveMapCount - 1);
    const double px = p.g.left + c, py = p.Y(Clamp01(map[entry]));
    if (c == 0)
      TKMoveTo(ctx, px, py);
    else
      TKLineTo(ctx, px, py);
  }
  TKStrokePath(ctx);
}

// A readout value in the colour-match group's readout mode; the hue,
// saturation and lightness mode reads a curve's values as percent.
void DrawValue(TKContext* ctx, float value, int32_t mode, int32_t right, int32_t baseline) {
  if (mode == kVFReadoutHSL)
    VFDrawValueLabel(ctx, value * 100.0f, mode, right, baseline, 1);
  else
    VFDrawValueLabel(ctx, value, mode, right, baseline, 0);
}

}  // namespace

std::vector<CurvePlotPoint> CurveEditorPolyline(const float* xs, const float* ys, uint32_t count, bool lines,
                                                int32_t width) {
  std::vector<CurvePlotPoint> line;
  if (!xs || !ys || count < 2 || count > uint32_t(kVLCurveMaxPoints)) return line;
  const int32_t n = int32_t(count);
  double x[kVLCurveMaxPoints], y[kVLCurveMaxPoints];
  for (int32_t i = 0; i < n; ++i) {
    x[i] = Clamp01(xs[i]);
    y[i] = Clamp01(ys[i]);
  }
  // A lead-in from the left edge at the first point's height.
  line.push_back({0.0, y[0]});
  line.push_back({x[0], y[0]});
  if (n < 3 || lines) {
    for (int32_t i = 1; i < n; ++i)
      if (x[i] >= line.back().x) line.push_back({x[i], y[i]});
  } else {
    // Samples go right only, at least a pixel apart, and never past the
    // last point: points out of order draw without loops.
    const float(*basis)[4] = BasisTable();
    const double pixel = 1.0 / std::max(1, width);
    const double lastX = x[n - 1];
    double drawn = x[0];
    for (int32_t i = 0; i + 1 < n; ++i) {
      const int32_t a = std::max(i - 1, 0), d = std::min(i + 2, n - 1);
      for (int k = 0; k < 1000; ++k) {
        const float* w = basis[k];
        const double sx = std::clamp(w[0] * x[a] + w[1] * x[i] + w[2] * x[i + 1] + w[3] * x[d], 0.0, lastX);
        const double sy = Clamp01(w[0] * y[a] + w[1] * y[i] + w[2] * y[i + 1] + w[3] * y[d]);
        if (sx < drawn + pixel) continue;
        line.push_back({sx, sy});
        drawn = sx;
      }
    }
    if (x[n - 1] >= drawn) line.push_back({x[n - 1], y[n - 1]});
  }
  // And a lead-out to the right edge at the last point's height.
  line.push_back({1.0, y[n - 1]});
  return line;
}

void DrawCurveEditor(TKControl* pane, TKContext* ctx) {
  CurveEditor* e = CurveEditorOf(pane);
  if (!e) return;
  const bool active = e->active && TKIsControlActive(pane);
  TKSave(ctx);
  TKSetStrokeColor(ctx, VFColor(kUIColorPaneBackground));
  TKFrameRect(ctx, e->bounds);
  TKSetStrokeColor(ctx, TKColorRGB(0.1, 0.1, 0.1));
  TKFrameRect(ctx, TKRectInset(e->bounds, 1, 1));
  DrawBackground(e, ctx);
  TKClipRect(ctx, e->graph);
  const Plot plot{e->graph};
  DrawGrid(plot, ctx);

  const uint32_t flags = e->flags ? *e->flags : 0;
  const bool map = (flags & kCurveFlagMap) != 0;
  if (!e->count || !e->x || !e->y) {
    DrawPlaceholder(plot, ctx);
  } else if (!(map && (flags & kCurveFlagLines))) {
    const TKColor colour = CurveColour(e->curveIndex, active);
    TKSetStrokeColor(ctx, colour);
    TKSetFillColor(ctx, colour);
    TKSetLineWidth(ctx, kCurveLineWidth);
    if (map) {
      if (e->map) DrawMap(plot, e->map, ctx);
    } else {
      const uint32_t n = *e->count;
      const std::vector<CurvePlotPoint> line =
          CurveEditorPolyline(e->x, e->y, n, (flags & kCurveFlagLines) != 0, TKRectWidth(e->graph));
      StrokePolyline(plot, line, ctx);
      if (!line.empty()) DrawPoints(plot, e->x, e->y, int32_t(n), e->selected, ctx);
    }
  }
  TKRestore(ctx);
  // A map curve can take no eyedropper edits and is not saved as points.
  if (e->curveIndex >= 0 && e->curveIndex <= 3) CurvesTabFollowMapMode(e->window);
}

void DrawCurveReadout(CurveEditor* e, TKContext* ctx) {
  if (!e->readoutPane) return;
  const TKRect strip = TKGetControlBounds(e->readoutPane);
  TKSave(ctx);
  TKSetFillColor(ctx, VFColor(kUIColorControlBackground));
  TKFillRect(ctx, strip);
  if (e->readoutShown) {
    const TKFont font = VFControlFont();
    TKSetFillColor(ctx, VFColor(kUIColorLabelTextActive));
    TKDrawText(ctx, font, "Input:", strip.left + 8, strip.top + 17, kTKAlignLeft);
    TKDrawText(ctx, font, "Output:", strip.left + 8, strip.top + 33, kTKAlignLeft);
    const int32_t mode = VFReadoutModeNear(e->readoutPane);
    DrawValue(ctx, e->readoutX, mode, strip.left + 90, strip.top + 17);
    DrawValue(ctx, e->readoutY, mode, strip.left + 90, strip.top + 33);
  }
  TKRestore(ctx);
}
