// The sixteen-lane kernel of the processing pass. This file alone is compiled
// for AVX-512 (F, BW, DQ, VL); the pass calls it only on processors that have
// them. Its operations are lane by lane the same IEEE operations as the
// four-lane kernel's, with no fused multiply-add, the same NaN rule for min
// and max and the same table entries read, so both give identical results.
#include "core/process_pass_internal.h"

#if VELMORA_AVX512_KERNEL && defined(__AVX512F__) && defined(__AVX512DQ__) && !defined(VELMORA_SCALAR_VECTORS)

#include "core/process_pass_stages.h"

#include <immintrin.h>

// Internal linkage throughout, as in the eight-lane kernel: nothing built for
// AVX-512 can stand in for a baseline function of the same name.
namespace {

struct V16 {
  __m512 v;
};
struct Mask16 {
  __mmask16 m;
};
inline V16 operator+(V16 a, V16 b) { return {_mm512_add_ps(a.v, b.v)}; }
inline V16 operator-(V16 a, V16 b) { return {_mm512_sub_ps(a.v, b.v)}; }
inline V16 operator*(V16 a, V16 b) { return {_mm512_mul_ps(a.v, b.v)}; }
inline V16 operator/(V16 a, V16 b) { return {_mm512_div_ps(a.v, b.v)}; }
inline Mask16 operator&(Mask16 a, Mask16 b) { return {__mmask16(a.m & b.m)}; }
// Asked for by the kernel's operation concept; the sixteen-lane stages happen
// not to call it.
[[maybe_unused]] inline Mask16 operator|(Mask16 a, Mask16 b) { return {__mmask16(a.m | b.m)}; }

struct Ops16 {
  using V = V16;
  using Mask = Mask16;
  using Index = __m512i;
  static constexpr size_t kLanes = 16;

  static V vSet(float x) { return {_mm512_set1_ps(x)}; }
  static V vLoad(const float* p) { return {_mm512_loadu_ps(p)}; }
  static void vStore(float* p, V a) { _mm512_storeu_ps(p, a.v); }
  // Every lane of a broadcast holds the same value: one broadcast load.
  static V vConst(const VLBroadcast& b) { return {_mm512_set1_ps(b.lanes[0])}; }
  // min and max return the second operand when either is NaN, as the SSE forms do.
  static V vMin(V a, V b) { return {_mm512_min_ps(a.v, b.v)}; }
  static V vMax(V a, V b) { return {_mm512_max_ps(a.v, b.v)}; }
  static V vSqrt(V a) { return {_mm512_sqrt_ps(a.v)}; }
  static V vAbs(V a) { return {_mm512_andnot_ps(_mm512_set1_ps(-0.0f), a.v)}; }
  static V vCopySign(V m, V s) {
    __m512 sign = _mm512_set1_ps(-0.0f);
    return {_mm512_or_ps(_mm512_andnot_ps(sign, m.v), _mm512_and_ps(sign, s.v))};
  }
  static Mask vGE(V a, V b) { return {_mm512_cmp_ps_mask(a.v, b.v, _CMP_GE_OQ)}; }
  static Mask vGT(V a, V b) { return {_mm512_cmp_ps_mask(a.v, b.v, _CMP_GT_OQ)}; }
  static Mask vLE(V a, V b) { return {_mm512_cmp_ps_mask(a.v, b.v, _CMP_LE_OQ)}; }
  static Mask vLT(V a, V b) { return {_mm512_cmp_ps_mask(a.v, b.v, _CMP_LT_OQ)}; }
  static bool vAny(Mask a) { return a.m != 0; }
  static V vSelect(Mask mask, V a, V b) { return {_mm512_mask_blend_ps(mask.m, b.v, a.v)}; }
  // min(1, a) first: it returns a where a is NaN, which truncates to the
  // integer minimum; the integer maximum with 0 then gives 0 for that and
  // for every negative lane, as the float clamp does.
  static Index vIndex(V a) {
    __m512 c = _mm512_min_ps(_mm512_set1_ps(1.0f), a.v);
    return _mm512_max_epi32(_mm512_cvttps_epi32(_mm512_mul_ps(c, _mm512_set1_ps(16384.0f))), _mm512_setzero_si512());
  }
  static V vGather(const float* table, Index i) { return {_mm512_i32gather_ps(i, table, 4)}; }
  // Sixteen packed entries, four to a register (pixels j, j + 4, j + 8,
  // j + 12), then each 128-bit quarter transposed.
  [[gnu::always_inline]] static void vGather3(const VLPackedEntry* table, Index i, V out[3]) {
    // Byte offsets, so that each entry's address is one addition.
    alignas(64) int32_t x[16];
    _mm512_store_si512(x, _mm512_slli_epi32(i, 4));
    const char* base = reinterpret_cast<const char*>(table);
    auto entry = [&](int j) { return _mm_load_ps(reinterpret_cast<const float*>(base + x[j])); };
    auto four = [&](int j) {
      __m512 r = _mm512_castps128_ps512(entry(j));
      r = _mm512_insertf32x4(r, entry(j + 4), 1);
      r = _mm512_insertf32x4(r, entry(j + 8), 2);
      return _mm512_insertf32x4(r, entry(j + 12), 3);
    };
    __m512 e0 = four(0), e1 = four(1), e2 = four(2), e3 = four(3);
    __m512 ab01 = _mm512_unpacklo_ps(e0, e1), cd01 = _mm512_unpacklo_ps(e2, e3);
    __m512 ab23 = _mm512_unpackhi_ps(e0, e1), cd23 = _mm512_unpackhi_ps(e2, e3);
    out[0] = {_mm512_shuffle_ps(ab01, cd01, 0x44)};
    out[1] = {_mm512_shuffle_ps(ab01, cd01, 0xEE)};
    out[2] = {_mm512_shuffle_ps(ab23, cd23, 0x44)};
  }
};

}  // namespace

void VL_RunPass16(const VLPassSetup& setup, const float* const source[3], float* const destination[4],
                  size_t count) {
  VLPassKernel<Ops16>::runSpan(setup, source, destination, count);
}

#else

void VL_RunPass16(const VLPassSetup&, const float* const[3], float* const[4], size_t) {}

#endif
