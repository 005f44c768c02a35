// Shared between the vectorscope's files and its tests.
#pragma once

#include <cstdint>

#include "app/views/vectorscope.h"

// Trace and graticule scales for a W x H graticule rectangle.
struct VectorscopeScales {
  int64_t xs = 0;       // trace scales; 0 when white equals black
  int64_t ys = 0;
  double unitX = 0.0;   // pixels per graticule unit
  double unitY = 0.0;
};
VectorscopeScales VectorscopeComputeScales(int32_t width, int32_t height, int32_t whiteLevel, int32_t blackLevel,
                                           bool targets75);

// Draws the graticule, targets, labels and caption into a picture the size
// of the rectangle.
void VectorscopeDrawGraticule(TKImage* picture, const VectorscopeParams& params, const VectorscopeScales& scales);

// Rounds a 16.16 value (plus a 16.16 offset) to whole pixels, halves up.
inline int64_t VectorscopeRound16(int64_t value) { return (value + 32768) >> 16; }
