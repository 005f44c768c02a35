// The processing pass: the four-lane kernel, which every build has, and the
// choice between it, the eight-lane one (process_pass_wide.cpp) and the
// sixteen-lane one (process_pass_avx512.cpp).
#include "core/process_pass.h"

#include "core/pixel_vector.h"
#include "core/process_image.h"
#include "core/process_pass_internal.h"
#include "core/process_pass_stages.h"

#include <atomic>

namespace {

// The four-lane operations: the pixel vector type, an SSE register or four
// plain floats.
struct Ops4 {
  using V = FBPixelFloatVector;
  using Mask = FBPixelMask;
  struct Index {
    int32_t i[4];
  };
  static constexpr size_t kLanes = 4;

  static V vSet(float x) { return ::vSet(x); }
  static V vLoad(const float* p) { return ::vLoad(p); }
  static void vStore(float* p, V a) { ::vStore(p, a); }
  static V vConst(const VLBroadcast& b) { return ::vLoad(b.lanes); }
  static V vMin(V a, V b) { return ::vMin(a, b); }
  static V vMax(V a, V b) { return ::vMax(a, b); }
  static V vSqrt(V a) { return ::vSqrt(a); }
  static V vAbs(V a) { return ::vAbs(a); }
  static V vCopySign(V m, V s) { return ::vCopySign(m, s); }
  static Mask vGE(V a, V b) { return ::vGE(a, b); }
  static Mask vGT(V a, V b) { return ::vGT(a, b); }
  static Mask vLE(V a, V b) { return ::vLE(a, b); }
  static Mask vLT(V a, V b) { return ::vLT(a, b); }
  static bool vAny(Mask m) { return ::vAny(m); }
  static V vSelect(Mask m, V a, V b) { return ::vSelect(m, a, b); }
  static Index vIndex(V v) {
    Index r;
    vIndices(v, 16384.0f, r.i);
    return r;
  }
  static V vGather(const float* table, const Index& x) {
    return vSet4(table[x.i[0]], table[x.i[1]], table[x.i[2]], table[x.i[3]]);
  }
  [[gnu::always_inline]] static void vGather3(const VLPackedEntry* table, const Index& x, V out[3]) {
    const float* rows[4] = {table[x.i[0]].v, table[x.i[1]].v, table[x.i[2]].v, table[x.i[3]].v};
    vColumns3(rows, out);
  }
};

using Kernel4 = VLPassKernel<Ops4>;

std::atomic<uint32_t> sForcedLanes{0};
std::atomic<bool> sTileRejection{true};
std::atomic<bool> sComposedTables{true};

}  // namespace

void vec_vibrance(FBPixelFloatVector r, FBPixelFloatVector g, FBPixelFloatVector b, FBPixelFloatVector amount,
                  FBPixelFloatVector weight, FBPixelFloatVector* outR, FBPixelFloatVector* outG,
                  FBPixelFloatVector* outB) {
  Kernel4::RGB c = {r, g, b};
  FBPixelFloatVector y = Kernel4::lumaOf(c), a = vMin(Kernel4::vibranceLimit(c), amount * weight),
                     rest = vSet(1.0f) - a;
  *outR = a * r + rest * y;
  *outG = a * g + rest * y;
  *outB = a * b + rest * y;
}

bool VL_PassWideAvailable() {
#if VELMORA_SSE_VECTORS && VELMORA_WIDE_KERNEL
  static const bool available = __builtin_cpu_supports("avx2");
  return available;
#else
  return false;
#endif
}

bool VL_PassLanesAvailable(uint32_t lanes) {
  switch (lanes) {
    case 4:
      return true;
    case 8:
      return VL_PassWideAvailable();
    case 16: {
#if VELMORA_SSE_VECTORS && VELMORA_AVX512_KERNEL
      static const bool available = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                                    __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl");
      return available;
#else
      return false;
#endif
    }
    default:
      return false;
  }
}

void VL_SetPassLanes(uint32_t lanes) { sForcedLanes.store(lanes); }

void VL_SetPassTileRejection(bool on) { sTileRejection.store(on); }

void VL_SetPassComposedTables(bool on) { sComposedTables.store(on); }

void VL_ComposeLookups(const float* first, const VLTableRef& then, float* out, size_t begin, size_t end) {
  Kernel4::compose(first, then, out, begin, end);
}

void VL_RunPass(const VLPassSetup& shared, const float* const source[3], float* const destination[4], size_t count) {
  // A private copy: the stores into the planes cannot alias it, so nothing
  // needs reloading after them.
  const VLPassSetup setup = [&] {
    VLPassSetup copy = shared;
    copy.tileRejection = sTileRejection.load(std::memory_order_relaxed);
    copy.rgbMasterCurves = copy.rgbMasterCurves && sComposedTables.load(std::memory_order_relaxed);
    return copy;
  }();
  // The widest kernel allowed takes whole vectors; each narrower one what is
  // left, down to the four-lane kernel.
  const uint32_t forced = sForcedLanes.load(std::memory_order_relaxed);
  size_t done = 0;
  auto part = [&](size_t lanes) {
    size_t n = (count - done) / lanes * lanes;
    const float* src[3] = {source[0] + done, source[1] + done, source[2] + done};
    float* dst[4] = {destination[0] + done, destination[1] + done, destination[2] + done, destination[3] + done};
    if (lanes == 16) VL_RunPass16(setup, src, dst, n);
    if (lanes == 8) VL_RunPassWide(setup, src, dst, n);
    if (lanes == 4) Kernel4::runSpan(setup, src, dst, n);
    done += n;
  };
  if ((forced == 0 || forced >= 16) && VL_PassLanesAvailable(16)) part(16);
  if ((forced == 0 || forced >= 8) && VL_PassLanesAvailable(8)) part(8);
  part(4);
  size_t whole = done;
  size_t rest = count - whole;
  if (rest) {
    // A last partial vector goes through a padded copy so nothing past count
    // is read or written.
    float in[3][4] = {}, out[4][4];
    for (int p = 0; p < 3; ++p)
      for (size_t k = 0; k < rest; ++k) in[p][k] = source[p][whole + k];
    const float* pad[3] = {in[0], in[1], in[2]};
    float* padOut[4] = {out[0], out[1], out[2], out[3]};
    Kernel4::runSpan(setup, pad, padOut, 4);
    for (int p = 0; p < 4; ++p)
      for (size_t k = 0; k < rest; ++k) destination[p][whole + k] = out[p][k];
  }
}
