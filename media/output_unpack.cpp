// The reader's unpacking of 16-bit frame pixels into planar float, four
// pixels at a time: the values the frame transfer gives, one pixel at a
// time, for the same pixels.

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#include <xmmintrin.h>
#endif

#include "core/pixel_transfer.h"
#include "media/output_internal.h"
#include "support/color_coding.h"

namespace media {

namespace {

constexpr float kFullScale = 3.0517578e-5f;  // 1 / 32768

// One pixel: each colour over full scale, no more than 1 (the samples are
// never below 0), and the luma of the three.
void UnpackPixel(const uint8_t* p, float* r, float* g, float* b, float* y) {
  uint16_t s[4];
  std::memcpy(s, p, sizeof s);
  const float rv = float(s[1]) * kFullScale, gv = float(s[2]) * kFullScale, bv = float(s[3]) * kFullScale;
  *r = rv < 1.0f ? rv : 1.0f;
  *g = gv < 1.0f ? gv : 1.0f;
  *b = bv < 1.0f ? bv : 1.0f;
  *y = float(kQVYUV.yR) * *r + float(kQVYUV.yG) * *g + float(kQVYUV.yB) * *b;
}

}  // namespace

void SixteenBitToPlanar(const uint8_t* pixels, uint32_t rowBytes, FBFrameStruct* out) {
#if defined(__SSE2__)
  const __m128 scale = _mm_set1_ps(kFullScale), one = _mm_set1_ps(1.0f);
  const __m128 yR = _mm_set1_ps(float(kQVYUV.yR)), yG = _mm_set1_ps(float(kQVYUV.yG)),
               yB = _mm_set1_ps(float(kQVYUV.yB));
  const __m128i zero = _mm_setzero_si128();
#endif
  for (uint32_t row = 0; row < out->height; ++row) {
    const uint8_t* in = pixels + size_t(row) * rowBytes;
    uint8_t* base = out->baseAddr + size_t(row) * out->rowBytes;
    float* planes[4];
    for (uint32_t k = 0; k < 4; ++k) planes[k] = reinterpret_cast<float*>(base + size_t(k) * out->planeBytes);
    uint32_t x = 0;
#if defined(__SSE2__)
    for (; x + 4 <= out->width; x += 4) {
      // Four A, R, G, B pixels, one a register, turned into A, R, G, B rows of four.
      const __m128i two = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + size_t(x) * 8));
      const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + size_t(x) * 8 + 16));
      __m128 p0 = _mm_cvtepi32_ps(_mm_unpacklo_epi16(two, zero)), p1 = _mm_cvtepi32_ps(_mm_unpackhi_epi16(two, zero));
      __m128 p2 = _mm_cvtepi32_ps(_mm_unpacklo_epi16(next, zero)), p3 = _mm_cvtepi32_ps(_mm_unpackhi_epi16(next, zero));
      _MM_TRANSPOSE4_PS(p0, p1, p2, p3);
      const __m128 r = _mm_min_ps(_mm_mul_ps(p1, scale), one);
      const __m128 g = _mm_min_ps(_mm_mul_ps(p2, scale), one);
      const __m128 b = _mm_min_ps(_mm_mul_ps(p3, scale), one);
      _mm_storeu_ps(planes[0] + x, r);
      _mm_storeu_ps(planes[1] + x, g);
      _mm_storeu_ps(planes[2] + x, b);
      _mm_storeu_ps(planes[3] + x, _mm_add_ps(_mm_add_ps(_mm_mul_ps(yR, r), _mm_mul_ps(yG, g)), _mm_mul_ps(yB, b)));
    }
#endif
    for (; x < out->width; ++x)
      UnpackPixel(in + size_t(x) * 8, planes[0] + x, planes[1] + x, planes[2] + x, planes[3] + x);
  }
}

}  // namespace media
