// The vectorscope: every sampled pixel of a source picture becomes one dot
// at its B-Y (across) and R-Y (up) components, over a graticule with the
// colour-bar targets of the chosen matrix.
#pragma once

#include <cstdint>

#include "platform/ui/ui_draw.h"
#include "support/support_types.h"

enum : uint32_t {
  kVSFlagTrace = 1,         // plot the trace
  kVSFlagARGBMemory = 0x10, // source pixels are A, R, G, B in memory; else little-endian ARGB words
};

struct VectorscopeParams {
  TKImage* target;       // picture drawn into
  const TKRect* rect;    // the graticule rectangle inside the target; null: the whole target
  const uint8_t* pixels; // source pixels, 4 bytes each; null: no source
  int32_t width;         // source size (720 x 486 when there is none)
  int32_t height;
  int32_t rowBytes;
  uint32_t flags;
  int32_t matrix;        // 0 Rec. 601, 1 Rec. 709, 2 SMPTE 240M
  int32_t zoom;          // trace magnification 1 to 10
  int32_t rowCount;      // rows sampled: 0 every row, -1 only `row`, n > 0 about n rows spread evenly
  int32_t row;
  int32_t whiteLevel;    // 8-bit code values
  int32_t blackLevel;
  int32_t targets75;     // 1: 75% calibration, 0: 100%
  int32_t saturation;    // 16.16 factor applied to every scope colour
};

// Draws graticule, targets, labels and caption and, with kVSFlagTrace, the
// trace. Every write stays inside both the rectangle and the target.
// Equal white and black levels draw no trace. The zoom is taken as 1 to 10.
// Main thread only (the graticule picture is kept between draws). Returns 0.
int32_t DrawVectorscope(const VectorscopeParams* params);

// The graticule rectangle for a pane: bounds inset by trunc(width x 0.016)
// on every side, then the largest 4:3 area (width a multiple of 4) centred
// inside it.
TKRect VectorscopeGraticuleRect(const TKRect& bounds);

// Fills the parameter block from the preferences and the source picture
// (none: graticule only) and draws into rect of target (null: all of it).
// zoom is the magnification of the pane that shows it.
void DrawVectorscopePane(TKImage* target, const TKRect* rect, TKImage* source, int32_t zoom);

// A polar target drawn around the ray at `angle` degrees (counter-clockwise
// from the B-Y axis) at radius x scale pixels from (cx, cy), with tolerance
// corners; radius and tolerance are fractions of the circle, scale its
// radius in pixels.
void DrawVectorscopeTargetArc(float cx, float cy, TKContext* ctx, QVRGBColor color, float radius, float angle,
                              float scale, float tolerance);

// A square target at the colour (r, g, b) placed through the colour
// difference tables like the trace (without zoom), xScale and yScale in the
// trace's fixed point, halfSize in 16.16.
void DrawVectorscopeTargetBox(uint8_t r, uint8_t g, uint8_t b, const int32_t* tables, int32_t cx, int32_t cy,
                              int64_t xScale, int64_t yScale, int64_t halfSize, QVRGBColor color, TKContext* ctx);
