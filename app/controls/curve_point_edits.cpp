#include "app/controls/curve_point_edits.h"

#include <algorithm>
#include <cmath>

#include "settings/curve_files.h"

namespace {

constexpr double kNeighbourGap = 0.004;

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

}  // namespace

bool CurvePointsEditable(const VL_CurveControls* curve) {
  return curve && !(curve->modeFlags & kVLCurveModeMap) && curve->spline.pointCount >= 2 &&
         curve->spline.pointCount <= uint32_t(kVLCurveMaxPoints);
}

bool CurveNudgePoint(VL_CurveControls* curve, int32_t index, double dx, double dy) {
  if (!CurvePointsEditable(curve) || index < 0 || index >= int32_t(curve->spline.pointCount)) return false;
  VL_CurveSpline& s = curve->spline;
  double lower = 0, upper = 1;
  if (CurvePointXLimits(curve, index, &lower, &upper)) {
    const double x = double(s.x[index]) + dx;
    s.x[index] = float(std::isnan(x) ? lower : std::clamp(x, lower, upper));
  }
  const double y = double(s.y[index]) + dy;
  s.y[index] = float(std::isnan(y) ? 0.0 : Clamp01(y));
  return true;
}

int32_t CurveSetPointAt(VL_CurveControls* curve, double x, double y) {
  if (!CurvePointsEditable(curve) || std::isnan(x) || std::isnan(y)) return -1;
  x = Clamp01(x);
  y = Clamp01(y);
  if (float(x) == float(y)) return -1;
  VL_CurveSpline& s = curve->spline;
  for (int32_t i = 0; i < int32_t(s.pointCount); ++i)
    if (s.x[i] == float(x)) {
      s.y[i] = float(y);
      return i;
    }
  int32_t index = -1;
  AddCurvePoint(curve, &index, x, y);
  return index;
}

bool CurveSetBlackPointX(VL_CurveControls* curve, double x) {
  if (!CurvePointsEditable(curve) || std::isnan(x)) return false;
  VL_CurveSpline& s = curve->spline;
  double lower = 0, upper = 1;
  if (CurvePointXLimits(curve, 0, &lower, &upper)) s.x[0] = float(std::clamp(x, lower, upper));
  s.y[0] = 0.0f;
  return true;
}

bool CurveSetWhitePointX(VL_CurveControls* curve, double x) {
  if (!CurvePointsEditable(curve) || std::isnan(x)) return false;
  VL_CurveSpline& s = curve->spline;
  const int32_t last = int32_t(s.pointCount) - 1;
  // Room for every earlier point below the new end, 0.004 apart from 0 up.
  x = std::clamp(x, last * kNeighbourGap, 1.0);
  s.x[last] = float(x);
  s.y[last] = 1.0f;
  for (int32_t i = last - 1; i >= 0; --i) {
    const float ceiling = float(double(s.x[i + 1]) - kNeighbourGap);
    if (!(s.x[i] <= ceiling)) s.x[i] = std::max(ceiling, 0.0f);
  }
  return true;
}

float CurveGreyTarget(float r, float g, float b) {
  const float low = std::min({r, g, b}), high = std::max({r, g, b});
  if (r > low && r < high) return r;
  if (g > low && g < high) return g;
  return b;
}
