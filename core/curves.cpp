// Curve and luma-range evaluation.
//
// A spline is walked through a basis table of 32,768 steps per segment, each
// step a four-term dot product of the basis weights with the control points;
// every step whose x reaches the next unwritten table entry writes that entry.
// Curves use the Catmull-Rom basis, the luma ranges the cubic Hermite basis.
// Values from the record are not trusted: control values are clamped to 0..1
// (NaN reads as 0) and every table index is kept within 0..16384.
#include "core/curves.h"

#include <cmath>
#include <memory>
#include <new>

#include "core/curves_internal.h"
#include "core/engine_alert.h"

const VLBasisMatrix kVLCatmullRomBasis = {
    {-0.5f, 1.0f, -0.5f, 0.0f},
    {1.5f, -2.5f, 0.0f, 1.0f},
    {-1.5f, 2.0f, 0.5f, 0.0f},
    {0.5f, -0.5f, 0.0f, 0.0f},
};

// Weights of start point, end point, start tangent, end tangent.
const VLBasisMatrix kVLHermiteBasis = {
    {2.0f, -3.0f, 0.0f, 1.0f},
    {-2.0f, 3.0f, 0.0f, 0.0f},
    {1.0f, -2.0f, 1.0f, 0.0f},
    {1.0f, -1.0f, 0.0f, 0.0f},
};

void SplineCurveGen(const VLBasisMatrix& basis, float (*table)[4]) {
  for (int j = 0; j < kVLBasisRows; ++j) {
    const float t = float(j) / float(kVLBasisRows);
    const float t2 = t * t;
    const float t3 = t2 * t;
    for (int k = 0; k < 4; ++k) {
      table[j][k] = basis[k][0] * t3 + basis[k][1] * t2 + basis[k][2] * t + basis[k][3];
    }
  }
}

namespace {

using BasisTable = std::unique_ptr<float[][4]>;

BasisTable MakeBasis(const VLBasisMatrix& basis, const char* failure) {
  BasisTable table(new (std::nothrow) float[kVLBasisRows][4]);
  if (!table) {
    VL_EngineErrorAlert(failure);
    return table;
  }
  SplineCurveGen(basis, table.get());
  return table;
}

float Clamp01(float v) { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; }  // NaN gives 0

int BoundIndex(float scaled) {
  if (!(scaled > 0.0f)) return 0;
  if (scaled >= float(kVLTableLastIndex)) return kVLTableLastIndex;
  return int(scaled);
}

void FillIdentity(float* table) {
  for (int i = 0; i < kVLTableSize; ++i) table[i] = float(i) / float(kVLTableLastIndex);
}

void EvaluateMap(const VL_CurveControls& curve, float* table) {
  const float* map = curve.map;
  for (int i = 0; i < kVLTableSize; ++i) {
    const float p = float(i) * 1023.0f / float(kVLTableLastIndex);
    const int k = int(p);
    const float f = p - float(k);
    const float here = Clamp01(map[k]);
    if (k <= 1021) {
      table[i] = here + (Clamp01(map[k + 1]) - here) * f;
    } else {
      // The last interval takes its slope from the one before it.
      table[i] = here + (here - Clamp01(map[k - 1])) * f;
    }
  }
}

}  // namespace

QVStatus VL_CalculateCurve(const VL_CurveControls* curve, float* table) {
  if ((curve->modeFlags & kVLCurveModeMap) != 0) {
    EvaluateMap(*curve, table);
    return kQVNoErr;
  }
  const uint32_t count = curve->spline.pointCount;
  if (count < 2 || count > uint32_t(kVLCurveMaxPoints)) {
    FillIdentity(table);
    return kQVNoErr;
  }
  const int n = int(count);
  float x[kVLCurveMaxPoints], y[kVLCurveMaxPoints];
  for (int p = 0; p < n; ++p) {
    x[p] = Clamp01(curve->spline.x[p]);
    y[p] = Clamp01(curve->spline.y[p]);
  }

  BasisTable basis;
  if (n >= 3) {
    basis = MakeBasis(kVLCatmullRomBasis, "Insufficient memory for curveArray");
    if (!basis) return kQVErrMemory;
  }

  // Before the first point the curve holds the first point's value.
  int pos = 0;
  if (x[0] != 0.0f) {
    const float start = x[0] * float(kVLTableLastIndex);
    const int fillEnd = int(std::ceil(start));
    for (int i = 0; i < fillEnd; ++i) table[i] = y[0];
    pos = int(start);
  }

  if (n >= 3) {
    for (int s = 0; s <= n - 2; ++s) {
      const int p0 = s > 0 ? s - 1 : 0;
      const int p3 = s + 2 < n ? s + 2 : n - 1;
      const float px[4] = {x[p0], x[s], x[s + 1], x[p3]};
      const float py[4] = {y[p0], y[s], y[s + 1], y[p3]};
      for (int j = 0; j < kVLBasisRows; ++j) {
        const float* w = basis[j];
        const float sx = w[0] * px[0] + w[1] * px[1] + w[2] * px[2] + w[3] * px[3];
        if (sx * float(kVLTableLastIndex) >= float(pos) && pos <= kVLTableLastIndex) {
          const float sy = w[0] * py[0] + w[1] * py[1] + w[2] * py[2] + w[3] * py[3];
          table[pos] = Clamp01(sy);
          ++pos;
        }
      }
    }
  } else {
    // Two points: a straight line. Equal or reversed x leave no span to step
    // over; the entries on either side take the two end values.
    const int end = int(x[n - 1] * float(kVLTableLastIndex));
    if (end > pos) {
      const float step = (y[n - 1] - y[0]) / float(end - pos);
      for (int i = pos; i <= end; ++i) table[i] = y[0] + step * float(i - pos);
    }
    pos = end;
  }

  for (int i = pos; i <= kVLTableLastIndex; ++i) table[i] = y[n - 1];
  return kQVNoErr;
}

namespace {

// Walks one range curve from luma 0 (shadow) or luma 1 (mirrored highlight):
// x runs from 0 to 1 with start tangent 2 x tangentX and end tangent 1; y from
// 1 to 0 with start tangent slope and end tangent 0. Entries the walk skips
// take the next value written; entries beyond the last written one repeat it.
void WalkRangeCurve(const float (*basis)[4], float tangentX, float slope, bool mirrored,
                    float* table) {
  int pos = 0;
  int last = -1;
  float value = 1.0f;
  for (int j = 0; j < kVLBasisRows; ++j) {
    const float* w = basis[j];
    const float sx = w[1] + w[3] + 2.0f * tangentX * w[2];
    if (sx * float(kVLTableLastIndex) < float(pos)) continue;
    const int at = BoundIndex(sx * float(kVLTableLastIndex));
    if (at <= last) continue;
    value = Clamp01(w[0] + slope * w[2]);
    for (int i = last + 1; i <= at; ++i) table[mirrored ? kVLTableLastIndex - i : i] = value;
    last = at;
    pos = at + 1;
  }
  for (int i = last + 1; i <= kVLTableLastIndex; ++i) table[mirrored ? kVLTableLastIndex - i : i] = value;
}

}  // namespace

QVStatus VL_CalculateLumaRanges(const VL_LumaRangeControls* ranges, float* shadow, float* midtone,
                                float* highlight) {
  BasisTable basis = MakeBasis(kVLHermiteBasis, "Insufficient memory for HCurve");
  if (!basis) return kQVErrMemory;

  const float shadowX = Clamp01(ranges->lumarange_shadowx);
  const float shadowY = Clamp01(ranges->lumarange_shadowy);
  const float highlightX = Clamp01(ranges->lumarange_highlightx);
  const float highlightY = Clamp01(ranges->lumarange_highlighty);

  WalkRangeCurve(basis.get(), shadowX, 5.0f * shadowY - 4.0f, false, shadow);
  WalkRangeCurve(basis.get(), 1.0f - highlightX, 5.0f * highlightY - 4.0f, true, highlight);

  for (int i = 0; i < kVLTableSize; ++i) {
    float s = shadow[i];
    float h = highlight[i];
    if (s + h > 1.0f) s = 1.0f - h;
    s = Clamp01(s);
    h = Clamp01(h);
    shadow[i] = s;
    highlight[i] = h;
    midtone[i] = Clamp01(1.0f - s - h);
  }
  return kQVNoErr;
}
