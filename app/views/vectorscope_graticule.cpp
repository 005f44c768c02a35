// The vectorscope's graticule picture: axes, circle, ticks, the six colour
// targets of the matrix, the axis and colour names and the caption. Angles
// are counter-clockwise from the B-Y axis; with y growing downwards a
// point at angle a lies at (cx + r cos a, cy - r sin a).
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/views/scope_tables.h"
#include "app/views/vectorscope_internal.h"
#include "support/colors.h"

namespace {

constexpr QVRGBColor kGraticuleColor{0xCE00, 0x6300, 0};
constexpr QVRGBColor kTargetColor{0x9800, 0x4900, 0};
constexpr double kDegree = M_PI / 180.0;

struct ArcTarget {
  float radius, angle, tolerance;
};
// Mg, R, Yl, G, Cy, B for Rec. 601.
constexpr ArcTarget kArcTargets[6] = {{0.82f, 61, 30}, {0.88f, 103, 30}, {0.62f, 167, 25},
                                      {0.82f, 241, 30}, {0.88f, 283, 30}, {0.62f, 347, 25}};

struct ColourName {
  const char* text;
  double angle601, radius601, angleHD, radiusHD;
};
constexpr ColourName kNames[6] = {{"Mg", 52.5, 145, 51.5, 154}, {"R", 99.5, 130, 102, 144},
                                  {"Yl", 160, 117, 168.5, 129}, {"G", 235, 142, 240, 147},
                                  {"Cy", 287, 138, 285, 149},   {"B", 347, 129, 350, 125}};

const char* const kMatrixNames[3] = {"601", "709", "240M"};

TKColor Desaturated(QVRGBColor c, int32_t saturation) {
  AdjustColorSaturation(&c, float(saturation) / 65536.0f);
  return TKColorFrom16(c.red, c.green, c.blue);
}

QVRGBColor ToColor16(const TKColor& c) {
  return QVRGBColor{uint16_t(std::lround(c.red * 65535)), uint16_t(std::lround(c.green * 65535)),
                    uint16_t(std::lround(c.blue * 65535))};
}

void Line(TKContext* ctx, double x1, double y1, double x2, double y2) {
  TKBeginPath(ctx);
  TKMoveTo(ctx, x1, y1);
  TKLineTo(ctx, x2, y2);
  TKStrokePath(ctx);
}

void Arc(TKContext* ctx, double cx, double cy, double radius, double from, double to) {
  TKBeginPath(ctx);
  TKArc(ctx, cx, cy, radius, from, to, false);
  TKStrokePath(ctx);
}

// A segment of the ray at angle a (radians, already in drawing orientation).
void Radial(TKContext* ctx, double cx, double cy, double a, double r1, double r2) {
  Line(ctx, cx + r1 * std::cos(a), cy + r1 * std::sin(a), cx + r2 * std::cos(a), cy + r2 * std::sin(a));
}

void DrawLabels(TKContext* ctx, const VectorscopeParams& p, const VectorscopeScales& s, int32_t w, int32_t h,
                TKColor color) {
  double cx = w / 2, cy = h / 2;
  TKFont font{"Helvetica", double(h < 340 ? h / 20 : 16), true, false};
  if (font.size < 1) return;
  TKSetFillColor(ctx, color);
  TKTextMetrics m = TKMeasureText(font, "B-Y ");
  TKDrawText(ctx, font, "B-Y ", cx + 185 * s.unitX, std::round(cy - m.descent), kTKAlignLeft);
  TKDrawText(ctx, font, "R-Y ", cx + 5 * s.unitX, std::round(cy - 183 * s.unitY), kTKAlignLeft);
  bool hd = p.matrix == kScopeMatrix709 || p.matrix == kScopeMatrix240M;
  for (const ColourName& n : kNames) {
    double a = (hd ? n.angleHD : n.angle601) * kDegree, radius = hd ? n.radiusHD : n.radius601;
    TKTextMetrics nm = TKMeasureText(font, n.text);
    double x = cx + radius * s.unitX * std::cos(a), y = cy - radius * s.unitY * std::sin(a);
    TKDrawText(ctx, font, n.text, x, std::round(y + (nm.ascent - nm.descent) / 2), kTKAlignCenter);
  }

  TKFont captionFont{"Helvetica", double(h < 330 ? h / 22 : 14), false, true};
  if (captionFont.size < 1) return;
  char caption[64];
  int32_t matrix = std::clamp(p.matrix, 0, 2);
  std::snprintf(caption, sizeof caption, "%s %ldx %s", kMatrixNames[matrix], long(std::clamp(p.zoom, 1, 10)),
                p.targets75 ? "75%" : "100%");
  TKTextMetrics cm = TKMeasureText(captionFont, caption);
  TKDrawText(ctx, captionFont, caption, w - 5, std::round(h - cm.descent), kTKAlignRight);
}

}  // namespace

void DrawVectorscopeTargetArc(float cx, float cy, TKContext* ctx, QVRGBColor color, float radius, float angle,
                              float scale, float tolerance) {
  TKSetStrokeColor(ctx, TKColorFrom16(color.red, color.green, color.blue));
  TKSetLineWidth(ctx, 1.0);
  double a = -double(angle) * kDegree, r = double(radius) * scale, band = 0.045 * scale;
  for (double rr : {r, r + band, r - band}) Arc(ctx, cx, cy, rr, a - 3 * kDegree, a + 3 * kDegree);
  for (double side : {0.0, -3.0, 3.0}) Radial(ctx, cx, cy, a + side * kDegree, r - band, r + band);

  double d = double(tolerance) * 0.005, reach = double(tolerance) / 300.0;
  double outer = double(radius) + d, inner = double(radius) - d;
  for (double side : {-1.0, 1.0}) {
    double from = a + side * 7 * kDegree, to = a + side * 10 * kDegree;
    if (outer < 1.0) Arc(ctx, cx, cy, outer * scale, std::min(from, to), std::max(from, to));
    Arc(ctx, cx, cy, inner * scale, std::min(from, to), std::max(from, to));
    Radial(ctx, cx, cy, to, inner * scale, (double(radius) - reach) * scale);
    Radial(ctx, cx, cy, to, std::min(outer, 1.0) * scale, (double(radius) + reach) * scale);
  }
}

void DrawVectorscopeTargetBox(uint8_t r, uint8_t g, uint8_t b, const int32_t* tables, int32_t cx, int32_t cy,
                              int64_t xScale, int64_t yScale, int64_t halfSize, QVRGBColor color, TKContext* ctx) {
  const int32_t *t0 = tables, *t1 = tables + 256, *t2 = tables + 512;
  const int32_t *t3 = tables + 768, *t4 = tables + 1024, *t5 = tables + 1280;
  int64_t bv = int64_t(t2[b] - t0[r] - t1[g]), rv = int64_t(t3[r] - t4[g] - t5[b]);
  int64_t dx = VectorscopeRound16((bv * xScale) >> 16), dy = VectorscopeRound16((-rv * yScale) >> 16);
  int64_t hx = VectorscopeRound16((halfSize * xScale) >> 16), hy = VectorscopeRound16((halfSize * yScale) >> 16);
  TKSave(ctx);
  TKSetStrokeColor(ctx, TKColorFrom16(color.red, color.green, color.blue));
  TKSetLineWidth(ctx, 1.0);
  TKFrameRect(ctx, TKRect{int32_t(cy + dy - hy), int32_t(cx + dx - hx), int32_t(cy + dy + hy), int32_t(cx + dx + hx)});
  TKRestore(ctx);
}

void VectorscopeDrawGraticule(TKImage* picture, const VectorscopeParams& p, const VectorscopeScales& s) {
  int32_t w = TKImageWidth(picture), h = TKImageHeight(picture);
  TKContext* ctx = TKBeginDrawing(picture);
  TKClear(ctx, TKColorRGB(0, 0, 0));
  TKColor color = Desaturated(kGraticuleColor, p.saturation);
  TKSetStrokeColor(ctx, color);
  double lineWidth = std::max(h / 270, 1);
  TKSetLineWidth(ctx, lineWidth);
  // Odd widths on pixel centres so the axes cover whole pixels.
  double half = std::fmod(lineWidth, 2.0) == 1.0 ? 0.5 : 0.0;
  double cx = w / 2 + half, cy = h / 2 + half, ux = s.unitX, uy = s.unitY;

  for (double sign : {-1.0, 1.0}) {
    Line(ctx, cx + sign * 195 * ux, cy, cx + sign * 85 * ux, cy);
    Line(ctx, cx, cy + sign * 195 * uy, cx, cy + sign * 85 * uy);
  }
  Line(ctx, cx - 10 * ux, cy, cx + 10 * ux, cy);
  Line(ctx, cx, cy - 10 * uy, cx, cy + 10 * uy);
  double circle = 180 * uy;
  Arc(ctx, cx, cy, circle, 0, 2 * M_PI);
  for (int k = 0; k < 4; ++k) {
    double a = -(33.0 + 90.0 * k) * kDegree;
    Line(ctx, cx + 75 * ux * std::cos(a), cy + 75 * uy * std::sin(a), cx + 195 * ux * std::cos(a),
         cy + 195 * uy * std::sin(a));
  }

  QVRGBColor target = ToColor16(Desaturated(kTargetColor, p.saturation));
  if (p.matrix == kScopeMatrix709 || p.matrix == kScopeMatrix240M) {
    // The targets mark the bars the calibration is made for, so they stay
    // put when it changes: full bars at 100%, three-quarter bars at 75%,
    // where the boxes keep their size too.
    int32_t range = p.whiteLevel - p.blackLevel;
    if (s.xs != 0) {
      int32_t black = std::clamp(p.blackLevel, 0, 255);
      int32_t level = std::clamp(p.targets75 ? black + range * 3 / 4 : p.whiteLevel, 0, 255);
      const int32_t* tables = BuildRGBtoYCbCrTables(p.matrix);
      int64_t halfSize = (int64_t(p.whiteLevel) + 1 - p.blackLevel) * 1024;
      if (p.targets75) halfSize = halfSize * 3 / 4;
      uint8_t L = uint8_t(level), O = uint8_t(black);
      const uint8_t bars[6][3] = {{L, O, L}, {L, O, O}, {L, L, O}, {O, L, O}, {O, L, L}, {O, O, L}};
      for (const auto& bar : bars)
        DrawVectorscopeTargetBox(bar[0], bar[1], bar[2], tables, w / 2, h / 2, s.xs, s.ys, halfSize, target, ctx);
    }
  } else {
    for (const ArcTarget& t : kArcTargets)
      DrawVectorscopeTargetArc(float(cx), float(cy), ctx, target, t.radius, t.angle, float(circle), t.tolerance);
  }

  DrawLabels(ctx, p, s, w, h, color);
  TKEndDrawing(ctx);
}
