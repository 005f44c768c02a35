// Reference values of the tonal-range curves for tests, solved on the
// continuous Hermite curve in double precision.
#pragma once

#include <algorithm>

// The range curve value at luma x: x runs from 0 to 1 with start tangent
// 2 x tangentX and end tangent 1, the value from 1 to 0 with start slope.
inline double ReferenceRangeCurve(double tangentX, double slope, double x) {
  auto h = [](double t, double w[4]) {
    w[0] = 2 * t * t * t - 3 * t * t + 1;
    w[1] = -2 * t * t * t + 3 * t * t;
    w[2] = t * t * t - 2 * t * t + t;
    w[3] = t * t * t - t * t;
  };
  double lo = 0, hi = 1, w[4];
  for (int k = 0; k < 60; ++k) {
    const double mid = (lo + hi) / 2;
    h(mid, w);
    (w[1] + w[3] + 2 * tangentX * w[2] < x ? lo : hi) = mid;
  }
  h(lo, w);
  return std::clamp(w[0] + slope * w[2], 0.0, 1.0);
}
