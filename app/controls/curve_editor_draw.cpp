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

UIColor Accent(int entry) {
  const QVRGBColor& c = gInterfaceAccentColors[entry];
  return UIColorFrom16(c.red, c.green, c.blue);
}

// Channel colours: red, green and blue curves take accents 2-4, the others 5.
UIColor CurveColour(int32_t curveIndex, bool active) {
  UIColor c = Accent(curveIndex >= 1 && curveIndex <= 3 ? curveIndex + 1 : 5);
  if (!active) c.alpha = 0.5;
  return c;
}

struct Plot {
  UIRect g;
  double X(double x) const { return g.left + x * UIRectWidth(g); }
  double Y(double y) const { return g.bottom - y * UIRectHeight(g); }
};

// Background kinds: white, red, green, blue for the master and channel
// curves, the three hue planes for the HSL curves.
void DrawBackground(CurveEditor* e, UIContext* ctx) {
  const int32_t kind = e->curveIndex >= 0 && e->curveIndex <= 6 ? e->curveIndex : 0;
  const int32_t w = UIRectWidth(e->graph), h = UIRectHeight(e->graph);
  if (w < 1 || h < 1) return;
  if (!e->background || e->backgroundKind != kind || UIImageWidth(e->background.get()) != w ||
      UIImageHeight(e->background.get()) != h) {
    e->background.reset();
    FBFrameStruct* frame = CVCreateBackgroundFrameBuffer(uint32_t(w), uint32_t(h), kind);
    if (!frame) return;
    UIImagePtr image(UIImageCreate(w, h));
    if (image && UIImageImport(image.get(), frame->baseAddr, int32_t(frame->rowBytes), kUIPixelFormatBGRA) == kQVNoErr) {
      e->background = std::move(image);
      e->backgroundKind = kind;
    }
    FBDisposeFrameBuffer(frame);
  }
  if (e->background) UIDrawImage(ctx, e->background.get(), nullptr, e->graph, false);
}

void DrawGrid(const Plot& p, UIContext* ctx) {
  UISetStrokeColor(ctx, UIColorRGB(0.5, 0.5, 0.5, 0.6));
  UISetLineWidth(ctx, 1.0);
  const int32_t w = UIRectWidth(p.g), h = UIRectHeight(p.g);
  for (int i = 1; i < 8; ++i) {
    const double gx = p.g.left + std::floor(i * w / 8.0) + 0.5, gy = p.g.top + std::floor(i * h / 8.0) + 0.5;
    UIDrawLine(ctx, gx, p.g.top, gx, p.g.bottom);
    UIDrawLine(ctx, p.g.left, gy, p.g.right, gy);
  }
}

void DrawPlaceholder(const Plot& p, UIContext* ctx) {
  UISetStrokeColor(ctx, UIColorRGB(0.6, 0.6, 0.6));
  UISetLineWidth(ctx, 1.0);
  UIDrawLine(ctx, p.X(0), p.Y(0.25), p.X(0.4), p.Y(0.25));
  UIDrawLine(ctx, p.X(0.4), p.Y(0.25), p.X(0.6), p.Y(0.75));
  UIDrawLine(ctx, p.X(0.6), p.Y(0.75), p.X(1), p.Y(0.75));
}

void StrokePolyline(const Plot& p, const std::vector<CurvePlotPoint>& line, UIContext* ctx) {
  if (line.empty()) return;
  UIBeginPath(ctx);
  UIMoveTo(ctx, p.X(line[0].x), p.Y(line[0].y));
  for (size_t i = 1; i < line.size(); ++i) UILineTo(ctx, p.X(line[i].x), p.Y(line[i].y));
  UIStrokePath(ctx);
}

void DrawPoints(const Plot& p, const float* x, const float* y, int32_t n, int32_t selected, UIContext* ctx) {
  UISetLineWidth(ctx, 1.0);
  for (int32_t i = 0; i < n; ++i) {
    const double cx = p.X(Clamp01(x[i])), cy = p.Y(Clamp01(y[i]));
    const UIRect r{int32_t(std::lround(cy - kPointRadius)), int32_t(std::lround(cx - kPointRadius)),
                   int32_t(std::lround(cy + kPointRadius)), int32_t(std::lround(cx + kPointRadius))};
    if (i == selected)
      UIFillOval(ctx, r);
    else
      UIFrameOval(ctx, r);
  }
}

void DrawMap(const Plot& p, const float* map, UIContext* ctx) {
  const int32_t w = UIRectWidth(p.g);
  if (w < 1) return;
  UIBeginPath(ctx);
  for (int32_t c = 0; c <= w; ++c) {
    const int32_t entry = std::min(int32_t(double(c) * 1023.0 / w + 0.99), kVLCurveMapCount - 1);
    const double px = p.g.left + c, py = p.Y(Clamp01(map[entry]));
    if (c == 0)
      UIMoveTo(ctx, px, py);
    else
      UILineTo(ctx, px, py);
  }
  UIStrokePath(ctx);
}

// A readout value in the colour-match group's readout mode; the hue,
// saturation and lightness mode reads a curve's values as percent.
void DrawValue(UIContext* ctx, float value, int32_t mode, int32_t right, int32_t baseline) {
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

void DrawCurveEditor(UIControl* pane, UIContext* ctx) {
  CurveEditor* e = CurveEditorOf(pane);
  if (!e) return;
  const bool active = e->active && UIIsControlActive(pane);
  UISave(ctx);
  UISetStrokeColor(ctx, VFColor(kUIColorPaneBackground));
  UIFrameRect(ctx, e->bounds);
  UISetStrokeColor(ctx, UIColorRGB(0.1, 0.1, 0.1));
  UIFrameRect(ctx, UIRectInset(e->bounds, 1, 1));
  DrawBackground(e, ctx);
  UIClipRect(ctx, e->graph);
  const Plot plot{e->graph};
  DrawGrid(plot, ctx);

  const uint32_t flags = e->flags ? *e->flags : 0;
  const bool map = (flags & kCurveFlagMap) != 0;
  if (!e->count || !e->x || !e->y) {
    DrawPlaceholder(plot, ctx);
  } else if (!(map && (flags & kCurveFlagLines))) {
    const UIColor colour = CurveColour(e->curveIndex, active);
    UISetStrokeColor(ctx, colour);
    UISetFillColor(ctx, colour);
    UISetLineWidth(ctx, kCurveLineWidth);
    if (map) {
      if (e->map) DrawMap(plot, e->map, ctx);
    } else {
      const uint32_t n = *e->count;
      const std::vector<CurvePlotPoint> line =
          CurveEditorPolyline(e->x, e->y, n, (flags & kCurveFlagLines) != 0, UIRectWidth(e->graph));
      StrokePolyline(plot, line, ctx);
      if (!line.empty()) DrawPoints(plot, e->x, e->y, int32_t(n), e->selected, ctx);
    }
  }
  UIRestore(ctx);
  // A map curve can take no eyedropper edits and is not saved as points.
  if (e->curveIndex >= 0 && e->curveIndex <= 3) CurvesTabFollowMapMode(e->window);
}

void DrawCurveReadout(CurveEditor* e, UIContext* ctx) {
  if (!e->readoutPane) return;
  const UIRect strip = UIGetControlBounds(e->readoutPane);
  UISave(ctx);
  UISetFillColor(ctx, VFColor(kUIColorControlBackground));
  UIFillRect(ctx, strip);
  if (e->readoutShown) {
    const UIFont font = VFControlFont();
    UISetFillColor(ctx, VFColor(kUIColorLabelTextActive));
    UIDrawText(ctx, font, "Input:", strip.left + 8, strip.top + 17, kUIAlignLeft);
    UIDrawText(ctx, font, "Output:", strip.left + 8, strip.top + 33, kUIAlignLeft);
    const int32_t mode = VFReadoutModeNear(e->readoutPane);
    DrawValue(ctx, e->readoutX, mode, strip.left + 90, strip.top + 17);
    DrawValue(ctx, e->readoutY, mode, strip.left + 90, strip.top + 33);
  }
  UIRestore(ctx);
}
