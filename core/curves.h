// Spline curves and the tonal-range weights over luma, evaluated into
// 16,385-entry tables (entry i = value at input i / 16384).
#pragma once

#include "core/processing_tables.h"
#include "core/settings_record.h"
#include "platform/status.h"

// Evaluates a curve record (spline or map form) into table. Control values
// are clamped to 0..1 (NaN reads as 0); a point count outside 2..16 gives the
// identity. kQVErrMemory when the basis table cannot be had (an alert is shown
// and table keeps its contents).
QVStatus VL_CalculateCurve(const VL_CurveControls* curve, float* table);

// Builds the shadow, midtone and highlight weights by luma from the two control
// points of the luma ranges; the three weights sum to 1 where the shadow and
// highlight curves do not overlap. kQVErrMemory as for VL_CalculateCurve.
QVStatus VL_CalculateLumaRanges(const VL_LumaRangeControls* ranges, float* shadow, float* midtone,
                                float* highlight);
