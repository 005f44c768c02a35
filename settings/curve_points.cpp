// Point editing of one curve in a curve display, and the cubic drawing table.
//
// The display's plot starts 10 pixels right of the pointer's origin and 16
// pixels down for curves 0 and 1 (203 for the others); x runs over width - 1
// pixels, y over height - 1 with 1 at the top. Points stay strictly
// increasing in x, at least 0.004 apart, within 0..1.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/input_state.h"
#include "settings/curve_files.h"

namespace {

constexpr double kPickDistance = 0.06;
constexpr double kNeighbourGap = 0.004;

// The drag anchor (the pointer at the last event, display pixels) and the
// drag position, shared by click and drag; main thread only.
struct DragState {
  int16_t anchorH = 0, anchorV = 0;
  double h = 0, v = 0;
} gDrag;

bool Editable(const VL_CurveControls* c) {
  return c && !(c->modeFlags & kVLCurveModeMap) && c->spline.pointCount >= 2 &&
         c->spline.pointCount <= uint32_t(kVLCurveMaxPoints);
}

int32_t PlotTop(int32_t curveNumber) { return curveNumber == 0 || curveNumber == 1 ? 16 : 203; }

double Clamp01(double v) { return std::isnan(v) ? 0.0 : std::clamp(v, 0.0, 1.0); }

}  // namespace

bool CurvePointXLimits(const VL_CurveControls* curve, int32_t index, double* lower, double* upper) {
  if (!Editable(curve)) return false;
  const VL_CurveSpline& s = curve->spline;
  const int32_t count = int32_t(s.pointCount);
  if (index < 0 || index >= count) return false;
  double low = index > 0 ? double(s.x[index - 1]) + kNeighbourGap : 0.0;
  double high = index < count - 1 ? double(s.x[index + 1]) - kNeighbourGap : 1.0;
  low = std::max(low, 0.0);
  high = std::min(high, 1.0);
  // Also false for neighbours that are NaN or out of order (a hostile file).
  if (!(low <= high)) return false;
  *lower = low;
  *upper = high;
  return true;
}

void AddCurvePoint(VL_CurveControls* curve, int32_t* index, double x, double y) {
  if (index) *index = -1;
  if (!Editable(curve) || curve->spline.pointCount >= uint32_t(kVLCurveMaxPoints)) return;
  VL_CurveSpline& s = curve->spline;
  const int32_t count = int32_t(s.pointCount);
  x = Clamp01(x);
  y = Clamp01(y);
  int32_t at = count;
  if (x < s.x[0]) {
    at = 0;
  } else {
    for (int32_t i = 1; i < count; ++i)
      if (s.x[i] > x) {
        at = i;
        break;
      }
  }
  // Between its neighbours-to-be, at least the gap from each.
  double low = at > 0 ? double(s.x[at - 1]) + kNeighbourGap : 0.0;
  double high = at < count ? double(s.x[at]) - kNeighbourGap : 1.0;
  if (std::max(low, 0.0) > std::min(high, 1.0)) return;
  x = std::clamp(x, std::max(low, 0.0), std::min(high, 1.0));
  for (int32_t i = count; i > at; --i) {
    s.x[i] = s.x[i - 1];
    s.y[i] = s.y[i - 1];
  }
  s.x[at] = float(x);
  s.y[at] = float(y);
  s.pointCount = uint32_t(count + 1);
  if (index) *index = at;
}

void RemoveCurvePoint(VL_CurveControls* curve, int32_t index) {
  if (!Editable(curve)) return;
  VL_CurveSpline& s = curve->spline;
  const int32_t count = int32_t(s.pointCount);
  if (index < 0 || index >= count || count < 3) return;
  for (int32_t i = index; i < count - 1; ++i) {
    s.x[i] = s.x[i + 1];
    s.y[i] = s.y[i + 1];
  }
  s.x[count - 1] = 0.0f;
  s.y[count - 1] = 0.0f;
  s.pointCount = uint32_t(count - 1);
}

int32_t CurveClick(int32_t height, int32_t width, VL_CurveControls* curve, int32_t* selected, int32_t curveNumber,
                   CurvePointer where, uint32_t modifiers) {
  if (!Editable(curve) || !selected || width < 2 || height < 2) return 0;
  const uint32_t keys = kPLModifierCommand | kPLModifierShift | kPLModifierOption | kPLModifierControl;
  if ((modifiers & keys) == kPLModifierControl) return 0;
  const int32_t h = where.h - 10, v = where.v - PlotTop(curveNumber);
  const double x = double(h) / (width - 1), y = 1.0 - double(v) / (height - 1);
  const VL_CurveSpline& s = curve->spline;
  int32_t hit = -1;
  for (int32_t i = 0; i < int32_t(s.pointCount); ++i)
    if (std::hypot(double(s.x[i]) - x, double(s.y[i]) - y) < kPickDistance) {
      hit = i;
      break;
    }
  if (hit < 0) AddCurvePoint(curve, &hit, x, y);
  *selected = hit;
  gDrag.anchorH = int16_t(h);
  gDrag.anchorV = int16_t(v);
  gDrag.h = h;
  gDrag.v = v;
  return 0;
}

int32_t CurveDrag(int32_t height, int32_t width, VL_CurveControls* curve, int32_t* selected, int32_t curveNumber,
                  CurvePointer where, bool removeOutside, uint32_t modifiers) {
  if (!Editable(curve) || !selected || width < 2 || height < 2) return 0;
  VL_CurveSpline& s = curve->spline;
  const int32_t count = int32_t(s.pointCount);
  const int32_t index = *selected;
  if (index < 0 || index >= count) return 0;
  const int32_t h = where.h - 10, v = where.v - PlotTop(curveNumber);
  const bool command = modifiers & kPLModifierCommand, shift = modifiers & kPLModifierShift;
  if (command || shift) {
    const double scale = command && shift ? 0.01 : command ? 0.1 : 10.0;
    gDrag.h += (h - gDrag.anchorH) * scale;
    gDrag.v += (v - gDrag.anchorV) * scale;
  } else {
    gDrag.h = h;
    gDrag.v = v;
  }
  gDrag.anchorH = int16_t(h);
  gDrag.anchorV = int16_t(v);
  const double px = std::trunc(gDrag.h), py = std::trunc(gDrag.v);
  const double margin = height / 16.0;
  const bool outside = px < -margin || px > (width - 1) + margin || py < -margin || py > (height - 1) + margin;
  if (removeOutside && outside && index > 0 && index < count - 1 && count >= 3) {
    RemoveCurvePoint(curve, index);
    *selected = -1;
    return 0;
  }
  double low = 0, high = 1;
  if (CurvePointXLimits(curve, index, &low, &high)) s.x[index] = float(std::clamp(Clamp01(px / (width - 1)), low, high));
  s.y[index] = float(Clamp01(1.0 - py / (height - 1)));
  return 0;
}

void SplineCurveGen(const float matrix[4][4], float table[1000][4]) {
  for (int step = 0; step < 1000; ++step) {
    const float t = float(step) * 0.001f;
    const float t2 = t * t, t3 = t2 * t;
    for (int r = 0; r < 4; ++r)
      table[step][r] = t3 * matrix[r][0] + t2 * matrix[r][1] + t * matrix[r][2] + matrix[r][3];
  }
}
