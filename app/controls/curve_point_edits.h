// Point edits of one curve made by the curve editor's keys and by the Curves
// tab's eyedroppers, apart from any window. Every edit keeps the points of a
// curve strictly ascending in x within 0..1 (0.004 apart, as a drag keeps
// them) and refuses map curves and point counts outside 2..16.
#pragma once

#include <cstdint>

#include "core/settings_record.h"

// Moves point index by (dx, dy): x within the point's drag limits, y within
// 0..1. A point whose neighbours leave it no room keeps its x. False when
// nothing could be edited (a map, a bad count or index).
bool CurveNudgePoint(VL_CurveControls* curve, int32_t index, double dx, double dy);

// Sets a point at (x, y), both clamped to 0..1: a point of exactly this x
// takes the y, otherwise a point is inserted in x order (AddCurvePoint). A
// point on the identity line (x equal to y), a NaN, a full curve or one that
// cannot be edited is ignored. The index set or added, or -1.
int32_t CurveSetPointAt(VL_CurveControls* curve, double x, double y);

// Black point: the first point becomes (x, 0), x held within its drag limits
// so that the other points stay as they are. False when nothing was edited.
bool CurveSetBlackPointX(VL_CurveControls* curve, double x);
// White point: the last point becomes (x, 1); earlier points at or beyond the
// new last x step down to 0.004 below their right neighbour, and x is raised
// as far as the earlier points need to fit above 0. False when nothing was
// edited.
bool CurveSetWhitePointX(VL_CurveControls* curve, double x);

// The grey target of a sampled colour: the middle one of the three values
// (red when it lies strictly between the others, else green when it does,
// else blue).
float CurveGreyTarget(float r, float g, float b);

// Whether the points can be edited: not a map, 2 to 16 points.
bool CurvePointsEditable(const VL_CurveControls* curve);
