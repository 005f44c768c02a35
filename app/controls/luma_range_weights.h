// The shadow, midtone and highlight weights of the luma-range graph, one per
// pixel column, from the shadow and highlight points (unit coordinates).
#pragma once

#include <cstdint>

constexpr int32_t kLumaRangeCurveSamples = 2000;
constexpr double kLumaRangeCurveStep = 0.0005;

// Fills shadow, midtone and highlight (width values each). The shadow curve
// fills from the left edge, the mirrored highlight curve from the right;
// where the two add up to more than 1 the shadow weight gives way. Nothing
// is written for a width below 1.
void LumaRangeWeights(float shadowX, float shadowY, float highlightX, float highlightY, int32_t width,
                      float* shadow, float* midtone, float* highlight);
