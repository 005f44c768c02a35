// The resampler's eight-lane passes. This file alone is compiled for AVX2;
// the resampler calls it only on processors that have it.
#include "core/frame_scale_internal.h"

#include <cstring>

#if VELMORA_WIDE_KERNEL && defined(__AVX2__) && !defined(VELMORA_SCALAR_VECTORS)

#include <immintrin.h>

namespace {

// r[i] lane j becomes r[j] lane i.
inline void Transpose8(__m256 r[8]) {
  const __m256 t0 = _mm256_unpacklo_ps(r[0], r[1]), t1 = _mm256_unpackhi_ps(r[0], r[1]);
  const __m256 t2 = _mm256_unpacklo_ps(r[2], r[3]), t3 = _mm256_unpackhi_ps(r[2], r[3]);
  const __m256 t4 = _mm256_unpacklo_ps(r[4], r[5]), t5 = _mm256_unpackhi_ps(r[4], r[5]);
  const __m256 t6 = _mm256_unpacklo_ps(r[6], r[7]), t7 = _mm256_unpackhi_ps(r[6], r[7]);
  const __m256 u0 = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(1, 0, 1, 0));
  const __m256 u1 = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(3, 2, 3, 2));
  const __m256 u2 = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(1, 0, 1, 0));
  const __m256 u3 = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(3, 2, 3, 2));
  const __m256 u4 = _mm256_shuffle_ps(t4, t6, _MM_SHUFFLE(1, 0, 1, 0));
  const __m256 u5 = _mm256_shuffle_ps(t4, t6, _MM_SHUFFLE(3, 2, 3, 2));
  const __m256 u6 = _mm256_shuffle_ps(t5, t7, _MM_SHUFFLE(1, 0, 1, 0));
  const __m256 u7 = _mm256_shuffle_ps(t5, t7, _MM_SHUFFLE(3, 2, 3, 2));
  r[0] = _mm256_permute2f128_ps(u0, u4, 0x20);
  r[1] = _mm256_permute2f128_ps(u1, u5, 0x20);
  r[2] = _mm256_permute2f128_ps(u2, u6, 0x20);
  r[3] = _mm256_permute2f128_ps(u3, u7, 0x20);
  r[4] = _mm256_permute2f128_ps(u0, u4, 0x31);
  r[5] = _mm256_permute2f128_ps(u1, u5, 0x31);
  r[6] = _mm256_permute2f128_ps(u2, u6, 0x31);
  r[7] = _mm256_permute2f128_ps(u3, u7, 0x31);
}

}  // namespace

void FBScaleAcrossEightRows(const FBScaleJob& job, uint32_t y, float* octet, float* sums) {
  // Interleaved eight samples of the eight rows at a time, the rest one by one.
  const float* rows[8];
  for (uint32_t j = 0; j < 8; ++j) rows[j] = reinterpret_cast<const float*>(job.src + size_t(y + j) * job.srcRowBytes);
  uint32_t k = 0;
  for (; k + 8 <= job.srcWidth; k += 8) {
    __m256 r[8];
    for (uint32_t j = 0; j < 8; ++j) r[j] = _mm256_loadu_ps(rows[j] + k);
    Transpose8(r);
    for (uint32_t i = 0; i < 8; ++i) _mm256_storeu_ps(octet + size_t(k + i) * 8, r[i]);
  }
  for (; k < job.srcWidth; ++k)
    for (uint32_t j = 0; j < 8; ++j) std::memcpy(octet + size_t(k) * 8 + j, rows[j] + k, 4);
  const uint32_t taps = job.xTaps;
  for (uint32_t x = 0; x < job.dstWidth; ++x) {
    const int32_t* at = job.xIndex + size_t(x) * taps;
    const float* w = job.xWeight + size_t(x) * taps;
    __m256 sum = _mm256_setzero_ps();
    for (uint32_t t = 0; t < taps; ++t)
      sum = _mm256_add_ps(sum, _mm256_mul_ps(_mm256_set1_ps(w[t]), _mm256_loadu_ps(octet + size_t(at[t]) * 8)));
    _mm256_storeu_ps(sums + size_t(x) * 8, sum);
  }
  float* out[8];
  for (uint32_t j = 0; j < 8; ++j) out[j] = job.middle + size_t(y + j) * job.dstWidth;
  uint32_t x = 0;
  for (; x + 8 <= job.dstWidth; x += 8) {
    __m256 r[8];
    for (uint32_t i = 0; i < 8; ++i) r[i] = _mm256_loadu_ps(sums + size_t(x + i) * 8);
    Transpose8(r);
    for (uint32_t j = 0; j < 8; ++j) _mm256_storeu_ps(out[j] + x, r[j]);
  }
  for (; x < job.dstWidth; ++x)
    for (uint32_t j = 0; j < 8; ++j) out[j][x] = sums[size_t(x) * 8 + j];
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
