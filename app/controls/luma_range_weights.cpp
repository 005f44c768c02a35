#include "app/controls/luma_range_weights.h"

#include <algorithm>
#include <cmath>

namespace {

// A Hermite curve from (0, 1) to (1, 0) whose start tangent the point sets,
// sampled at t = k x 0.0005: x clamped to [0, 1] and y.
struct CurveSample {
  double x, y;
};
CurveSample SampleCurve(int32_t k, double pointX, double pointY) {
  const double t = k * kLumaRangeCurveStep;
  const double t2 = t * t, t3 = t2 * t;
  const double h00 = 2 * t3 - 3 * t2 + 1, h01 = -2 * t3 + 3 * t2;
  const double h10 = t3 - 2 * t2 + t, h11 = t3 - t2;
  const double x = h01 + h11 + 2 * pointX * h10;
  const double y = h00 + (1 - 5 * (1 - pointY)) * h10;
  return CurveSample{std::isfinite(x) ? std::clamp(x, 0.0, 1.0) : 0.0, std::isfinite(y) ? y : 0.0};
}

float Weight(double y) { return float(std::clamp(y, 0.0, 1.0)); }

// Stored at the column the curve reaches, left to right; a column the curve
// steps over, and every column after the last stored one, take the value
// stored before them.
void FillShadow(double pointX, double pointY, int32_t width, float* out) {
  const int32_t last = width - 1;
  int32_t count = 0, lastColumn = -1;
  float value = 1.0f;
  for (int32_t k = 0; k < kLumaRangeCurveSamples; ++k) {
    const CurveSample s = SampleCurve(k, pointX, pointY);
    if (s.x * last < count) continue;
    const int32_t column = std::min(int32_t(std::trunc(s.x * last)), last);
    for (int32_t c = lastColumn + 1; c < column; ++c) out[c] = value;
    value = Weight(s.y);
    out[column] = value;
    lastColumn = std::max(lastColumn, column);
    ++count;
  }
  for (int32_t c = lastColumn + 1; c < width; ++c) out[c] = value;
}

// Mirrored: the count-th stored value goes to column (width - 1) - count, so
// the curve fills from the right edge leftwards; columns left of the last
// stored one take its value.
void FillHighlight(double pointX, double pointY, int32_t width, float* out) {
  const int32_t last = width - 1;
  int32_t count = 0;
  float value = 1.0f;
  for (int32_t k = 0; k < kLumaRangeCurveSamples && count < width; ++k) {
    const CurveSample s = SampleCurve(k, 1.0 - pointX, pointY);
    if (s.x * last < count) continue;
    value = Weight(s.y);
    out[last - count] = value;
    ++count;
  }
  for (; count < width; ++count) out[last - count] = value;
}

}  // namespace

void LumaRangeWeights(float shadowX, float shadowY, float highlightX, float highlightY, int32_t width,
                      float* shadow, float* midtone, float* highlight) {
  if (width < 1) return;
  FillShadow(shadowX, shadowY, width, shadow);
  FillHighlight(highlightX, highlightY, width, highlight);
  for (int32_t c = 0; c < width; ++c) {
    if (shadow[c] + highlight[c] > 1.0f) shadow[c] = 1.0f - highlight[c];
    midtone[c] = 1.0f - shadow[c] - highlight[c];
  }
}
