// The resampler's eight-lane passes. This file alone is compiled for AVX2;
// the resampler calls it only on processors that have it.
#include "core/frame_scale_internal.h"

#include <cstring>

#if VELMORA_WIDE_KERNEL && defined(__AVX2__) && !defined(VELMORA_SCALAR_VECTORS)

#include <immintrin.h>

void FBScaleAcrossEightRows(const FBScaleJob& job, uint32_t y, float* octet, float* sums) {
  for (uint32_t j = 0; j < 8; ++j) {
    const uint8_t* row = job.src + size_t(y + j) * job.srcRowBytes;
    for (uint32_t k = 0; k < job.srcWidth; ++k) std::memcpy(octet + size_t(k) * 8 + j, row + size_t(k) * 4, 4);
  }
  const uint32_t taps = job.xTaps;
  for (uint32_t x = 0; x < job.dstWidth; ++x) {
    const int32_t* at = job.xIndex + size_t(x) * taps;
    const float* w = job.xWeight + size_t(x) * taps;
    __m256 sum = _mm256_setzero_ps();
    for (uint32_t t = 0; t < taps; ++t)
      sum = _mm256_add_ps(sum, _mm256_mul_ps(_mm256_set1_ps(w[t]), _mm256_loadu_ps(octet + size_t(at[t]) * 8)));
    _mm256_storeu_ps(sums + size_t(x) * 8, sum);
  }
  for (uint32_t j = 0; j < 8; ++j) {
    float* out = job.middle + size_t(y + j) * job.dstWidth;
    for (uint32_t x = 0; x < job.dstWidth; ++x) out[x] = sums[size_t(x) * 8 + j];
  }
}

void FBScaleDownEight(const FBScaleJob& job, const int32_t* at, const float* w, size_t samples, size_t count,
                      float* sum) {
  for (size_t i = 0; i + 8 <= count; i += 8) {
    __m256 s = _mm256_setzero_ps();
    for (uint32_t t = 0; t < job.yTaps; ++t)
      s = _mm256_add_ps(s, _mm256_mul_ps(_mm256_set1_ps(w[t]), _mm256_loadu_ps(job.middle + size_t(at[t]) * samples + i)));
    _mm256_storeu_ps(sum + i, s);
  }
}

bool FBScaleWideBuilt() { return true; }

#else

void FBScaleAcrossEightRows(const FBScaleJob&, uint32_t, float*, float*) {}
void FBScaleDownEight(const FBScaleJob&, const int32_t*, const float*, size_t, size_t, float*) {}
bool FBScaleWideBuilt() { return false; }

#endif
