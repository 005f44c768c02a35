#include "support/geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Truncates a coordinate to 16 bits; out-of-range and NaN values (an empty
// source gives them) are clamped instead of overflowing.
int16_t Coord(float v) {
  if (!(v == v)) return 0;
  return int16_t(std::clamp(v, -32768.0f, 32767.0f));
}

void SetOriginRect(QVRect* out, float right, float bottom) {
  *out = QVRect{0, 0, Coord(bottom), Coord(right)};
}

// Truncates towards zero into the 32-bit range.
int64_t Truncate32(float v) { return int64_t(std::clamp(double(v), -2147483648.0, 2147483647.0)); }

int Sign(int64_t v) { return (v > 0) - (v < 0); }

}  // namespace

int32_t RectWidth(const QVRect* r) { return int32_t(r->right) - r->left; }
int32_t RectHeight(const QVRect* r) { return int32_t(r->bottom) - r->top; }

void MacIntersectRect(QVRect* out, const QVRect* a, const QVRect* b) {
  QVRect r{std::max(a->top, b->top), std::max(a->left, b->left), std::min(a->bottom, b->bottom),
           std::min(a->right, b->right)};
  *out = r;
}

bool LargerRectAll(const QVRect* a, const QVRect* b) {
  return RectWidth(a) > RectWidth(b) && RectHeight(a) > RectHeight(b);
}
bool LargerRect(const QVRect* a, const QVRect* b) {
  return RectWidth(a) > RectWidth(b) || RectHeight(a) > RectHeight(b);
}
bool SameSizeRect(const QVRect* a, const QVRect* b) {
  return RectWidth(a) == RectWidth(b) && RectHeight(a) == RectHeight(b);
}
bool SmallerRectAll(const QVRect* a, const QVRect* b) {
  return RectWidth(a) < RectWidth(b) && RectHeight(a) < RectHeight(b);
}
bool SmallerRect(const QVRect* a, const QVRect* b) {
  return RectWidth(a) < RectWidth(b) || RectHeight(a) < RectHeight(b);
}

void CroppedRect(const QVRect* source, const QVRect* bounds, QVRect* out) {
  float w1 = float(RectWidth(source)), h1 = float(RectHeight(source));
  float w2 = float(RectWidth(bounds)), h2 = float(RectHeight(bounds));
  float a = w2 * h1 / w1;  // height at the bounds' width
  float b = h2 * w1 / h1;  // width at the bounds' height
  if (w2 > h2) {
    if (w1 > h1)
      SetOriginRect(out, b, h2);
    else
      SetOriginRect(out, w2, a);
  } else {
    if (h1 > w1)
      SetOriginRect(out, w2, a);
    else
      SetOriginRect(out, b, h2);
  }
}

void ProportionalRect(const QVRect* source, const QVRect* bounds, QVRect* out) {
  float w1 = float(RectWidth(source)), h1 = float(RectHeight(source));
  float w2 = float(RectWidth(bounds)), h2 = float(RectHeight(bounds));
  float a = w2 * h1 / w1;
  float b = h2 * w1 / h1;
  if (w1 > h1) {
    if (h2 >= a)
      SetOriginRect(out, w2, a);
    else
      SetOriginRect(out, b, h2);
  } else if (h1 > w1) {
    if (w2 >= b)
      SetOriginRect(out, b, h2);
    else
      SetOriginRect(out, w2, a);
  } else {
    float side = std::min(w2, h2);
    SetOriginRect(out, side, side);
  }
}

const char* QVRectToCString(const QVRect* r) {
  static char text[100];
  std::snprintf(text, sizeof text, "[L:%d, T:%d, R:%d, B:%d W:%ld H:%ld]", r->left, r->top, r->right,
                r->bottom, long(RectWidth(r)), long(RectHeight(r)));
  return text;
}

int32_t QVIntersectLines(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4,
                         int32_t y4, int32_t* outX, int32_t* outY) {
  int64_t a1 = int64_t(y2) - y1, b1 = int64_t(x1) - x2, c1 = int64_t(x2) * y1 - int64_t(x1) * y2;
  int64_t r3 = a1 * x3 + b1 * y3 + c1, r4 = a1 * x4 + b1 * y4 + c1;
  if (r3 != 0 && r4 != 0 && Sign(r3) == Sign(r4)) return 1;
  int64_t a2 = int64_t(y4) - y3, b2 = int64_t(x3) - x4, c2 = int64_t(x4) * y3 - int64_t(x3) * y4;
  int64_t r1 = a2 * x1 + b2 * y1 + c2, r2 = a2 * x2 + b2 * y2 + c2;
  if (r1 != 0 && r2 != 0 && Sign(r1) == Sign(r2)) return 1;
  int64_t d = a1 * b2 - a2 * b1;
  if (d == 0) return 2;
  int64_t h = d / 2;
  if (h < 0) h = -h;
  int64_t nx = b1 * c2 - b2 * c1, ny = a2 * c1 - a1 * c2;
  nx = nx < 0 ? nx - h : nx + h;
  ny = ny < 0 ? ny - h : ny + h;
  if (outX) *outX = int32_t(nx / d);
  if (outY) *outY = int32_t(ny / d);
  return 0;
}

int32_t DistPointToLine(int32_t px, int32_t py, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  // Differences in 64 bits: coordinates far apart must not overflow.
  float dx = float(int64_t(x2) - x1), dy = float(int64_t(y2) - y1);
  float len = std::sqrt(dx * dx + dy * dy);
  float t = (dy * float(int64_t(py) - y1) + dx * float(int64_t(px) - x1)) / (len * len);
  if (!(t >= 0.0f && t <= 1.0f)) return kQVDistanceOutside;
  int64_t fx = Truncate32(dx * t + float(x1)), fy = Truncate32(dy * t + float(y1));
  float ex = float(px - fx), ey = float(py - fy);
  return int32_t(Truncate32(std::sqrt(ex * ex + ey * ey)));
}
