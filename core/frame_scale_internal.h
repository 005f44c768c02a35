// The resampler's eight-lane passes: built for AVX2 in frame_scale_wide.cpp
// and used on processors that have it. Lane by lane they are the same
// operations, in the same order, as the four-lane passes (a multiply, then
// an add, never fused), so both give the same results bit for bit.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/frame_scale.h"

// True when the processor has AVX2, the eight-lane passes are built in, and
// tests have not turned them off.
bool FBScaleWideAvailable();
// Tests turn the eight-lane passes off, and on again, to check both paths.
void FBScaleAllowWide(bool allowed);
// Whether frame_scale_wide.cpp was built for AVX2.
bool FBScaleWideBuilt();

// Planar source rows y to y + 7 across, a row a lane. octet holds
// srcWidth x 8 samples, sums dstWidth x 8.
void FBScaleAcrossEightRows(const FBScaleJob& job, uint32_t y, float* octet, float* sums);
// The first `count` samples (a multiple of 8) of one output row down: sum[i]
// is the weighted sum over the taps of middle[at[t] x samples + i].
void FBScaleDownEight(const FBScaleJob& job, const int32_t* at, const float* w, size_t samples, size_t count,
                      float* sum);
