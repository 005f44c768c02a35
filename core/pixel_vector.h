// FBPixelFloatVector: one channel of four horizontally adjacent pixels, the
// unit of the processing pass. On x86-64 it is an SSE register; elsewhere
// (the 32-bit plug-in build among them) four plain floats. Both paths give the
// same results: the operations below are defined lane by lane exactly as the
// SSE instructions behave, NaN included (min and max return the second
// operand when either is NaN).
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) && !defined(VELMORA_SCALAR_VECTORS)
#define VELMORA_SSE_VECTORS 1
#include <emmintrin.h>
#endif

#if VELMORA_SSE_VECTORS

struct FBPixelFloatVector {
  __m128 v;
};
struct FBPixelMask {
  __m128 m;
};

inline FBPixelFloatVector vSet(float x) { return {_mm_set1_ps(x)}; }
inline FBPixelFloatVector vSet4(float a, float b, float c, float d) { return {_mm_setr_ps(a, b, c, d)}; }
inline FBPixelFloatVector vLoad(const float* p) { return {_mm_loadu_ps(p)}; }
inline void vStore(float* p, FBPixelFloatVector a) { _mm_storeu_ps(p, a.v); }
inline void vLanes(FBPixelFloatVector a, float out[4]) { _mm_storeu_ps(out, a.v); }
inline FBPixelFloatVector operator+(FBPixelFloatVector a, FBPixelFloatVector b) { return {_mm_add_ps(a.v, b.v)}; }
inline FBPixelFloatVector operator-(FBPixelFloatVector a, FBPixelFloatVector b) { return {_mm_sub_ps(a.v, b.v)}; }
inline FBPixelFloatVector operator*(FBPixelFloatVector a, FBPixelFloatVector b) { return {_mm_mul_ps(a.v, b.v)}; }
inline FBPixelFloatVector operator/(FBPixelFloatVector a, FBPixelFloatVector b) { return {_mm_div_ps(a.v, b.v)}; }
inline FBPixelFloatVector vMin(FBPixelFloatVector a, FBPixelFloatVector b) { return {_mm_min_ps(a.v, b.v)}; }
inline FBPixelFloatVector vMax(FBPixelFloatVector a, FBPixelFloatVector b) { return {_mm_max_ps(a.v, b.v)}; }
inline FBPixelFloatVector vSqrt(FBPixelFloatVector a) { return {_mm_sqrt_ps(a.v)}; }
inline FBPixelFloatVector vAbs(FBPixelFloatVector a) {
  return {_mm_andnot_ps(_mm_set1_ps(-0.0f), a.v)};
}
// Copies the sign of s onto the magnitude of m.
inline FBPixelFloatVector vCopySign(FBPixelFloatVector m, FBPixelFloatVector s) {
  __m128 sign = _mm_set1_ps(-0.0f);
  return {_mm_or_ps(_mm_andnot_ps(sign, m.v), _mm_and_ps(sign, s.v))};
}
inline FBPixelMask vGE(FBPixelFloatVector a, FBPixelFloatVector b) { return {_mm_cmpge_ps(a.v, b.v)}; }
inline FBPixelMask vGT(FBPixelFloatVector a, FBPixelFloatVector b) { return {_mm_cmpgt_ps(a.v, b.v)}; }
inline FBPixelMask vLE(FBPixelFloatVector a, FBPixelFloatVector b) { return {_mm_cmple_ps(a.v, b.v)}; }
inline FBPixelMask vLT(FBPixelFloatVector a, FBPixelFloatVector b) { return {_mm_cmplt_ps(a.v, b.v)}; }
inline FBPixelMask operator&(FBPixelMask a, FBPixelMask b) { return {_mm_and_ps(a.m, b.m)}; }
inline FBPixelMask operator|(FBPixelMask a, FBPixelMask b) { return {_mm_or_ps(a.m, b.m)}; }
inline bool vAny(FBPixelMask a) { return _mm_movemask_ps(a.m) != 0; }
// Lanes of a where the mask is set, of b elsewhere.
inline FBPixelFloatVector vSelect(FBPixelMask mask, FBPixelFloatVector a, FBPixelFloatVector b) {
  return {_mm_or_ps(_mm_and_ps(mask.m, a.v), _mm_andnot_ps(mask.m, b.v))};
}
// Table indices: truncate(clamp(a, 0, 1) x scale), NaN giving 0.
inline void vIndices(FBPixelFloatVector a, float scale, int32_t out[4]) {
  __m128 c = _mm_min_ps(_mm_max_ps(a.v, _mm_setzero_ps()), _mm_set1_ps(1.0f));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_cvttps_epi32(_mm_mul_ps(c, _mm_set1_ps(scale))));
}

// Three columns of four rows of four floats (each row 16-byte aligned): lane
// j of out[k] is rows[j][k].
inline void vColumns3(const float* const rows[4], FBPixelFloatVector out[3]) {
  __m128 a = _mm_load_ps(rows[0]), b = _mm_load_ps(rows[1]), c = _mm_load_ps(rows[2]), d = _mm_load_ps(rows[3]);
  __m128 ab01 = _mm_unpacklo_ps(a, b), cd01 = _mm_unpacklo_ps(c, d);
  __m128 ab23 = _mm_unpackhi_ps(a, b), cd23 = _mm_unpackhi_ps(c, d);
  out[0] = {_mm_movelh_ps(ab01, cd01)};
  out[1] = {_mm_movehl_ps(cd01, ab01)};
  out[2] = {_mm_movelh_ps(ab23, cd23)};
}

#else

struct FBPixelFloatVector {
  float f[4];
};
struct FBPixelMask {
  bool m[4];
};

#define VL_LANES(expr)                             \
  FBPixelFloatVector r;                            \
  for (int i = 0; i < 4; ++i) r.f[i] = (expr);     \
  return r
#define VL_MASK(expr)                              \
  FBPixelMask r;                                   \
  for (int i = 0; i < 4; ++i) r.m[i] = (expr);     \
  return r

inline FBPixelFloatVector vSet(float x) { VL_LANES(x); }
inline FBPixelFloatVector vSet4(float a, float b, float c, float d) { return {{a, b, c, d}}; }
inline FBPixelFloatVector vLoad(const float* p) {
  FBPixelFloatVector r;
  std::memcpy(r.f, p, 16);
  return r;
}
inline void vStore(float* p, FBPixelFloatVector a) { std::memcpy(p, a.f, 16); }
inline void vLanes(FBPixelFloatVector a, float out[4]) { std::memcpy(out, a.f, 16); }
inline FBPixelFloatVector operator+(FBPixelFloatVector a, FBPixelFloatVector b) { VL_LANES(a.f[i] + b.f[i]); }
inline FBPixelFloatVector operator-(FBPixelFloatVector a, FBPixelFloatVector b) { VL_LANES(a.f[i] - b.f[i]); }
inline FBPixelFloatVector operator*(FBPixelFloatVector a, FBPixelFloatVector b) { VL_LANES(a.f[i] * b.f[i]); }
inline FBPixelFloatVector operator/(FBPixelFloatVector a, FBPixelFloatVector b) { VL_LANES(a.f[i] / b.f[i]); }
inline FBPixelFloatVector vMin(FBPixelFloatVector a, FBPixelFloatVector b) { VL_LANES(a.f[i] < b.f[i] ? a.f[i] : b.f[i]); }
inline FBPixelFloatVector vMax(FBPixelFloatVector a, FBPixelFloatVector b) { VL_LANES(a.f[i] > b.f[i] ? a.f[i] : b.f[i]); }
inline FBPixelFloatVector vSqrt(FBPixelFloatVector a) { VL_LANES(std::sqrt(a.f[i])); }
inline FBPixelFloatVector vAbs(FBPixelFloatVector a) {
  FBPixelFloatVector r;
  for (int i = 0; i < 4; ++i) {
    uint32_t bits;
    std::memcpy(&bits, &a.f[i], 4);
    bits &= 0x7FFFFFFFu;
    std::memcpy(&r.f[i], &bits, 4);
  }
  return r;
}
inline FBPixelFloatVector vCopySign(FBPixelFloatVector m, FBPixelFloatVector s) {
  FBPixelFloatVector r;
  for (int i = 0; i < 4; ++i) {
    uint32_t bm, bs;
    std::memcpy(&bm, &m.f[i], 4);
    std::memcpy(&bs, &s.f[i], 4);
    bm = (bm & 0x7FFFFFFFu) | (bs & 0x80000000u);
    std::memcpy(&r.f[i], &bm, 4);
  }
  return r;
}
inline FBPixelMask vGE(FBPixelFloatVector a, FBPixelFloatVector b) { VL_MASK(a.f[i] >= b.f[i]); }
inline FBPixelMask vGT(FBPixelFloatVector a, FBPixelFloatVector b) { VL_MASK(a.f[i] > b.f[i]); }
inline FBPixelMask vLE(FBPixelFloatVector a, FBPixelFloatVector b) { VL_MASK(a.f[i] <= b.f[i]); }
inline FBPixelMask vLT(FBPixelFloatVector a, FBPixelFloatVector b) { VL_MASK(a.f[i] < b.f[i]); }
inline FBPixelMask operator&(FBPixelMask a, FBPixelMask b) { VL_MASK(a.m[i] && b.m[i]); }
inline FBPixelMask operator|(FBPixelMask a, FBPixelMask b) { VL_MASK(a.m[i] || b.m[i]); }
inline bool vAny(FBPixelMask a) { return a.m[0] || a.m[1] || a.m[2] || a.m[3]; }
inline FBPixelFloatVector vSelect(FBPixelMask mask, FBPixelFloatVector a, FBPixelFloatVector b) {
  VL_LANES(mask.m[i] ? a.f[i] : b.f[i]);
}
inline void vIndices(FBPixelFloatVector a, float scale, int32_t out[4]) {
  for (int i = 0; i < 4; ++i) {
    float c = a.f[i] > 0.0f ? a.f[i] : 0.0f;
    c = c < 1.0f ? c : 1.0f;
    out[i] = int32_t(c * scale);
  }
}

inline void vColumns3(const float* const rows[4], FBPixelFloatVector out[3]) {
  for (int k = 0; k < 3; ++k)
    for (int j = 0; j < 4; ++j) out[k].f[j] = rows[j][k];
}

#undef VL_LANES
#undef VL_MASK

#endif
