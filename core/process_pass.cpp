// The processing pass: the four-lane kernel, which every build has, and the
// choice between it and the eight-lane one (process_pass_wide.cpp).
#include "core/process_pass.h"

#include "core/pixel_vector.h"
#include "core/process_image.h"
#include "core/process_pass_internal.h"

#include <atomic>

namespace {
namespace lanes4 {

using V = FBPixelFloatVector;
using Mask = FBPixelMask;
constexpr size_t kLanes = 4;

struct Index {
  int32_t i[4];
};
inline Index vIndex(V v) {
  Index r;
  vIndices(v, 16384.0f, r.i);
  return r;
}
inline V vGather(const float* table, const Index& x) {
  return vSet4(table[x.i[0]], table[x.i[1]], table[x.i[2]], table[x.i[3]]);
}
inline V vConst(const VLBroadcast& b) { return vLoad(b.lanes); }

#include "core/process_pass_stages.h"

}  // namespace lanes4

std::atomic<uint32_t> sForcedLanes{0};

}  // namespace

void vec_vibrance(FBPixelFloatVector r, FBPixelFloatVector g, FBPixelFloatVector b, FBPixelFloatVector amount,
                  FBPixelFloatVector weight, FBPixelFloatVector* outR, FBPixelFloatVector* outG,
                  FBPixelFloatVector* outB) {
  using namespace lanes4;
  RGB c = {r, g, b};
  V y = lumaOf(c), a = vMin(vibranceLimit(c), amount * weight), rest = vSet(1.0f) - a;
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

void VL_SetPassLanes(uint32_t lanes) { sForcedLanes.store(lanes); }

void VL_RunPass(const VLPassSetup& shared, const float* const source[3], float* const destination[4], size_t count) {
  // A private copy: the stores into the planes cannot alias it, so nothing
  // needs reloading after them.
  const VLPassSetup setup = shared;
  size_t done = 0;
  if (sForcedLanes.load(std::memory_order_relaxed) != 4 && VL_PassWideAvailable()) {
    done = count / 8 * 8;
    VL_RunPassWide(setup, source, destination, done);
  }
  // The four-lane kernel takes what is left, or everything.
  size_t whole = count / 4 * 4;
  const float* src[3] = {source[0] + done, source[1] + done, source[2] + done};
  float* dst[4] = {destination[0] + done, destination[1] + done, destination[2] + done, destination[3] + done};
  lanes4::runSpan(setup, src, dst, whole - done);
  size_t rest = count - whole;
  if (rest) {
    // A last partial vector goes through a padded copy so nothing past count
    // is read or written.
    float in[3][4] = {}, out[4][4];
    for (int p = 0; p < 3; ++p)
      for (size_t k = 0; k < rest; ++k) in[p][k] = source[p][whole + k];
    const float* pad[3] = {in[0], in[1], in[2]};
    float* padOut[4] = {out[0], out[1], out[2], out[3]};
    lanes4::runSpan(setup, pad, padOut, 4);
    for (int p = 0; p < 4; ++p)
      for (size_t k = 0; k < rest; ++k) destination[p][whole + k] = out[p][k];
  }
}
