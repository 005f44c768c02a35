// Match colour as arithmetic: which fields of the correction, which curve
// points and which tabs' enable boxes change so that a source colour becomes
// a target colour on one correction tab, apart from any window.
#pragma once

#include <cstdint>

// Derived quantities of a colour.
double VFMatchLuma(const float rgb[3]);        // 0.299 R + 0.587 G + 0.114 B
double VFMatchSaturation(const float rgb[3]);  // (max - min) / max, 0 for black
double VFMatchHueAngle(const float rgb[3]);    // atan2(U, V) in radians
double VFMatchCb(const float rgb[3]);
double VFMatchCr(const float rgb[3]);

struct VFMatchField {
  uint32_t offset;  // byte offset of a float field of the record
  float value;
};
struct VFMatchCurvePoint {
  uint32_t curveOffset;  // byte offset of the curve section (its editor's place)
  float x, y;
};
constexpr int32_t kVFMatchMaxFields = 12;
constexpr int32_t kVFMatchMaxPoints = 4;
constexpr int32_t kVFMatchMaxEnables = 6;

// What one match changes. A field whose ratio has a zero denominator, or
// whose value would not be finite, is left out.
struct VFColorMatch {
  int32_t fieldCount = 0;
  VFMatchField fields[kVFMatchMaxFields] = {};
  int32_t pointCount = 0;
  VFMatchCurvePoint points[kVFMatchMaxPoints] = {};
  // The controls (by the offset they are bound to) whose enclosing tabs are
  // switched on.
  int32_t enableCount = 0;
  uint32_t enableFrom[kVFMatchMaxEnables] = {};

  bool Empty() const { return fieldCount == 0 && pointCount == 0 && enableCount == 0; }
};

// The match for a correction tab (0 HSL, 1 RGB, 2 CMY, 3 YCbCr, 4 Curves,
// 7 Secondary; the others change nothing; HSL only on its controls sub-tab,
// hslSubTab 0) in a mode (the popup's item).
VFColorMatch VFComputeColorMatch(int32_t tab, int32_t hslSubTab, int32_t mode, const float source[3],
                                 const float target[3]);
