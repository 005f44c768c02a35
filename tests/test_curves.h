// A point curve for tests: the points in order, everything else zero.
#pragma once

#include <cstring>
#include <initializer_list>
#include <utility>

#include "core/settings_record.h"

inline VL_CurveControls TestPointCurve(std::initializer_list<std::pair<float, float>> points) {
  VL_CurveControls c;
  std::memset(&c, 0, sizeof c);
  for (const auto& [x, y] : points) {
    c.spline.x[c.spline.pointCount] = x;
    c.spline.y[c.spline.pointCount] = y;
    ++c.spline.pointCount;
  }
  return c;
}
