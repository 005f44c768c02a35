// Rectangle arithmetic and two geometry tests.
#pragma once

#include <cstdint>

#include "support/support_types.h"

int32_t RectWidth(const QVRect* r);
int32_t RectHeight(const QVRect* r);
// out = overlap of a and b; an empty result is not detected.
void MacIntersectRect(QVRect* out, const QVRect* a, const QVRect* b);
bool LargerRectAll(const QVRect* a, const QVRect* b);   // a wider and taller than b
bool LargerRect(const QVRect* a, const QVRect* b);      // a wider or taller
bool SameSizeRect(const QVRect* a, const QVRect* b);    // same width and height
bool SmallerRectAll(const QVRect* a, const QVRect* b);  // a narrower and shorter
bool SmallerRect(const QVRect* a, const QVRect* b);     // a narrower or shorter

// The source's proportions at the bounds' size, at the origin: CroppedRect
// fills the bounds (one side may overhang), ProportionalRect fits inside.
void CroppedRect(const QVRect* source, const QVRect* bounds, QVRect* out);
void ProportionalRect(const QVRect* source, const QVRect* bounds, QVRect* out);

// "[L:%d, T:%d, R:%d, B:%d W:%ld H:%ld]" in one static buffer (one thread
// at a time).
const char* QVRectToCString(const QVRect* r);

// 0 and the crossing point (rounded to nearest) when the segments
// (x1,y1)-(x2,y2) and (x3,y3)-(x4,y4) cross; 1 when one lies wholly on one
// side of the other's line; 2 when they are parallel.
int32_t QVIntersectLines(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4,
                         int32_t y4, int32_t* outX, int32_t* outY);

constexpr int32_t kQVDistanceOutside = 0x7FFFFFFF;
// Distance from the point to the segment, truncated; kQVDistanceOutside
// when the foot of the perpendicular lies outside the segment.
int32_t DistPointToLine(int32_t px, int32_t py, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
