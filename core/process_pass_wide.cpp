// The eight-lane kernel of the processing pass. This file alone is compiled
// for AVX2; the pass calls it only on processors that have it. Its vector
// operations are lane by lane the same instructions as the four-lane kernel's
// (no fused multiply-add: AVX2 alone does not enable it), and gathers read
// the same table entries, so both kernels give identical results.
#include "core/process_pass_internal.h"

#if VELMORA_WIDE_KERNEL && defined(__AVX2__) && !defined(VELMORA_SCALAR_VECTORS)

#include "core/process_pass_stages.h"

#include <immintrin.h>

// The operations have internal linkage, and so has the kernel instantiated
// with them: no function built for AVX2 can stand in for one of the same name
// built for the baseline processor.
namespace {

struct V8 {
  __m256 v;
};
struct Mask8 {
  __m256 m;
};
inline V8 operator+(V8 a, V8 b) { return {_mm256_add_ps(a.v, b.v)}; }
inline V8 operator-(V8 a, V8 b) { return {_mm256_sub_ps(a.v, b.v)}; }
inline V8 operator*(V8 a, V8 b) { return {_mm256_mul_ps(a.v, b.v)}; }
inline V8 operator/(V8 a, V8 b) { return {_mm256_div_ps(a.v, b.v)}; }
inline Mask8 operator&(Mask8 a, Mask8 b) { return {_mm256_and_ps(a.m, b.m)}; }
// Asked for by the kernel's operation concept; the eight-lane stages happen
// not to call it.
[[maybe_unused]] inline Mask8 operator|(Mask8 a, Mask8 b) { return {_mm256_or_ps(a.m, b.m)}; }

struct Ops8 {
  using V = V8;
  using Mask = Mask8;
  using Index = __m256i;
  static constexpr size_t kLanes = 8;

  static V vSet(float x) { return {_mm256_set1_ps(x)}; }
  static V vLoad(const float* p) { return {_mm256_loadu_ps(p)}; }
  static void vStore(float* p, V a) { _mm256_storeu_ps(p, a.v); }
  static V vConst(const VLBroadcast& b) { return {_mm256_load_ps(b.lanes)}; }
  // min and max return the second operand when either is NaN, as the SSE forms do.
  static V vMin(V a, V b) { return {_mm256_min_ps(a.v, b.v)}; }
  static V vMax(V a, V b) { return {_mm256_max_ps(a.v, b.v)}; }
  static V vSqrt(V a) { return {_mm256_sqrt_ps(a.v)}; }
  static V vAbs(V a) { return {_mm256_andnot_ps(_mm256_set1_ps(-0.0f), a.v)}; }
  static V vCopySign(V m, V s) {
    __m256 sign = _mm256_set1_ps(-0.0f);
    return {_mm256_or_ps(_mm256_andnot_ps(sign, m.v), _mm256_and_ps(sign, s.v))};
  }
  static Mask vGE(V a, V b) { return {_mm256_cmp_ps(a.v, b.v, _CMP_GE_OQ)}; }
  static Mask vGT(V a, V b) { return {_mm256_cmp_ps(a.v, b.v, _CMP_GT_OQ)}; }
  static Mask vLE(V a, V b) { return {_mm256_cmp_ps(a.v, b.v, _CMP_LE_OQ)}; }
  static Mask vLT(V a, V b) { return {_mm256_cmp_ps(a.v, b.v, _CMP_LT_OQ)}; }
  static bool vAny(Mask a) { return _mm256_movemask_ps(a.m) != 0; }
  static V vSelect(Mask mask, V a, V b) { return {_mm256_blendv_ps(b.v, a.v, mask.m)}; }
  // min(1, a) first: it returns a where a is NaN, which truncates to the
  // integer minimum; the integer maximum with 0 then gives 0 for that and
  // for every negative lane, as the float clamp does.
  static Index vIndex(V a) {
    __m256 c = _mm256_min_ps(_mm256_set1_ps(1.0f), a.v);
    return _mm256_max_epi32(_mm256_cvttps_epi32(_mm256_mul_ps(c, _mm256_set1_ps(16384.0f))), _mm256_setzero_si256());
  }
  static V vGather(const float* table, Index i) { return {_mm256_i32gather_ps(table, i, 4)}; }
  // Eight packed entries, two to a register (pixels j and j + 4), then each
  // 128-bit half transposed.
  [[gnu::always_inline]] static void vGather3(const VLPackedEntry* table, Index i, V out[3]) {
    // Byte offsets, so that each entry's address is one addition.
    alignas(32) int32_t x[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(x), _mm256_slli_epi32(i, 4));
    const char* base = reinterpret_cast<const char*>(table);
    auto entry = [&](int j) { return _mm_load_ps(reinterpret_cast<const float*>(base + x[j])); };
    auto two = [&](int j) { return _mm256_insertf128_ps(_mm256_castps128_ps256(entry(j)), entry(j + 4), 1); };
    __m256 e0 = two(0), e1 = two(1), e2 = two(2), e3 = two(3);
    __m256 ab01 = _mm256_unpacklo_ps(e0, e1), cd01 = _mm256_unpacklo_ps(e2, e3);
    __m256 ab23 = _mm256_unpackhi_ps(e0, e1), cd23 = _mm256_unpackhi_ps(e2, e3);
    out[0] = {_mm256_shuffle_ps(ab01, cd01, 0x44)};
    out[1] = {_mm256_shuffle_ps(ab01, cd01, 0xEE)};
    out[2] = {_mm256_shuffle_ps(ab23, cd23, 0x44)};
  }
};

}  // namespace

void VL_RunPassWide(const VLPassSetup& setup, const float* const source[3], float* const destination[4],
                    size_t count) {
  VLPassKernel<Ops8>::runSpan(setup, source, destination, count);
}

#else

void VL_RunPassWide(const VLPassSetup&, const float* const[3], float* const[4], size_t) {}

#endif
