#include "core/frame_scale.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <vector>

#include "core/frame_scale_internal.h"
#include "core/pixel_vector.h"

namespace {

std::atomic<bool> gWideAllowed{true};

constexpr double kLobes = 3.0;
constexpr double kPi = 3.14159265358979323846;

double lanczos(double x) {
  x = std::fabs(x);
  if (x < 1e-9) return 1.0;
  if (x >= kLobes) return 0.0;
  double px = kPi * x;
  return kLobes * std::sin(px) * std::sin(px / kLobes) / (px * px);
}

// Taps per output sample along an axis of `from` samples scaled to `to`.
uint64_t tapCount(uint32_t from, uint32_t to) {
  double widen = from > to ? double(from) / to : 1.0;
  return uint64_t(std::ceil(kLobes * widen)) * 2 + 2;
}

uint32_t channelsOf(FBScaleKind kind) { return kind == kFBScalePlanarF ? 1 : 4; }

// For each output sample, `taps` source indices (clamped to the edge) and
// weights summing to 1.
void buildAxis(uint32_t from, uint32_t to, uint32_t taps, int32_t* index, float* weight) {
  double scale = double(from) / to;
  double widen = scale > 1.0 ? scale : 1.0;
  double support = kLobes * widen;
  for (uint32_t i = 0; i < to; ++i) {
    double centre = (i + 0.5) * scale;
    int64_t first = int64_t(std::floor(centre - support));
    int32_t* at = index + size_t(i) * taps;
    float* w = weight + size_t(i) * taps;
    auto tapAt = [&](uint32_t t) { return lanczos((double(first + t) + 0.5 - centre) / widen); };
    double sum = 0.0;
    for (uint32_t t = 0; t < taps; ++t) sum += tapAt(t);
    for (uint32_t t = 0; t < taps; ++t) {
      int64_t j = first + t;
      at[t] = int32_t(j < 0 ? 0 : (j >= int64_t(from) ? int64_t(from) - 1 : j));
      w[t] = sum != 0.0 ? float(tapAt(t) / sum) : 0.0f;
    }
  }
}

struct Layout {
  uint32_t xTaps, yTaps;
  size_t xIndex, xWeight, yIndex, yWeight, middle, total;
};

bool layoutFor(FBScaleKind kind, uint32_t srcH, uint32_t srcW, uint32_t dstH, uint32_t dstW, Layout* L) {
  if (!srcH || !srcW || !dstH || !dstW) return false;
  uint64_t xTaps = tapCount(srcW, dstW), yTaps = tapCount(srcH, dstH);
  if (xTaps > UINT32_MAX / 8 || yTaps > UINT32_MAX / 8) return false;
  L->xTaps = uint32_t(xTaps);
  L->yTaps = uint32_t(yTaps);
  uint64_t xPairs = uint64_t(dstW) * L->xTaps, yPairs = uint64_t(dstH) * L->yTaps;
  uint64_t middle = uint64_t(srcH) * dstW * channelsOf(kind);
  uint64_t total = (xPairs + yPairs) * 8 + middle * 4;
  if (total > uint64_t(PTRDIFF_MAX) / 2) return false;
  L->xIndex = 0;
  L->xWeight = size_t(xPairs) * 4;
  L->yIndex = L->xWeight + size_t(xPairs) * 4;
  L->yWeight = L->yIndex + size_t(yPairs) * 4;
  L->middle = L->yWeight + size_t(yPairs) * 4;
  L->total = size_t(total);
  return true;
}

template <class T>
float loadComponent(const uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return float(v);
}

// One source row across: each output sample is its taps' weighted sum, taken
// in tap order. Away from the edges a sample's taps are neighbours, read
// from one pointer; four samples are summed side by side so that their sums
// do not wait on each other, each still in its own order.
template <class T, uint32_t nc>
void acrossRow(const FBScaleJob& job, const uint8_t* row, float* out) {
  constexpr uint32_t kLanes = 4;
  const uint32_t taps = job.xTaps;
  const uint32_t width = job.dstWidth;
  auto load = [&](int32_t at, uint32_t c) { return loadComponent<T>(row + (size_t(at) * nc + c) * sizeof(T)); };
  auto neighbours = [&](const int32_t* at) { return at[taps - 1] - at[0] == int32_t(taps) - 1; };
  uint32_t x = 0;
  for (; x < width; ++x) {
    const int32_t* at = job.xIndex + size_t(x) * taps;
    const float* w = job.xWeight + size_t(x) * taps;
    if (x + kLanes <= width && neighbours(at) && neighbours(at + (kLanes - 1) * taps)) {
      // Indices never fall as x grows, so the lanes between are neighbours too.
      for (uint32_t c = 0; c < nc; ++c) {
        float sum[kLanes] = {0.0f, 0.0f, 0.0f, 0.0f};
        for (uint32_t t = 0; t < taps; ++t)
          for (uint32_t j = 0; j < kLanes; ++j) sum[j] += w[j * taps + t] * load(at[j * taps] + int32_t(t), c);
        for (uint32_t j = 0; j < kLanes; ++j) out[size_t(x + j) * nc + c] = sum[j];
      }
      x += kLanes - 1;
      continue;
    }
    for (uint32_t c = 0; c < nc; ++c) {
      float sum = 0.0f;
      for (uint32_t t = 0; t < taps; ++t) sum += w[t] * load(at[t], c);
      out[size_t(x) * nc + c] = sum;
    }
  }
}

// Four planar source rows across at once, a row a lane. The rows are first
// interleaved (sample k of row j at quad[4k + j]) so that one load brings a
// tap's sample for all four; each lane still adds its taps in order from 0,
// so every sum is the one-row path's, bit for bit. quad holds srcWidth x 4
// samples, sums dstWidth x 4.
void acrossFourRows(const FBScaleJob& job, uint32_t y, float* quad, float* sums) {
  for (uint32_t j = 0; j < 4; ++j) {
    const uint8_t* row = job.src + size_t(y + j) * job.srcRowBytes;
    for (uint32_t k = 0; k < job.srcWidth; ++k) quad[size_t(k) * 4 + j] = loadComponent<float>(row + size_t(k) * 4);
  }
  const uint32_t taps = job.xTaps;
  for (uint32_t x = 0; x < job.dstWidth; ++x) {
    const int32_t* at = job.xIndex + size_t(x) * taps;
    const float* w = job.xWeight + size_t(x) * taps;
    FBPixelFloatVector sum = vSet(0.0f);
    for (uint32_t t = 0; t < taps; ++t) sum = sum + vSet(w[t]) * vLoad(quad + size_t(at[t]) * 4);
    vStore(sums + size_t(x) * 4, sum);
  }
  for (uint32_t j = 0; j < 4; ++j) {
    float* out = job.middle + size_t(y + j) * job.dstWidth;
    for (uint32_t x = 0; x < job.dstWidth; ++x) out[x] = sums[size_t(x) * 4 + j];
  }
}

void storeComponent(uint8_t* p, float v, bool bytes) {
  if (bytes) {
    float r = v + 0.5f;
    *p = uint8_t(!(r > 0.0f) ? 0 : (r >= 255.0f ? 255 : int(r)));
  } else {
    std::memcpy(p, &v, 4);
  }
}

}  // namespace

bool FBScaleBegin(FBScaleKind kind, const uint8_t* src, uint32_t srcHeight, uint32_t srcWidth, size_t srcRowBytes,
                  uint8_t* dst, uint32_t dstHeight, uint32_t dstWidth, size_t dstRowBytes, FBScaleBuffer& temp,
                  FBScaleJob* job) {
  Layout L;
  if (!src || !dst || !layoutFor(kind, srcHeight, srcWidth, dstHeight, dstWidth, &L)) return false;
  const uint32_t sizes[4] = {srcHeight, srcWidth, dstHeight, dstWidth};
  bool built = temp.data && temp.builtKind == kind && std::equal(sizes, sizes + 4, temp.builtSizes);
  if (L.total > temp.size) {
    std::free(temp.data);
    temp.data = std::malloc(L.total);
    temp.size = temp.data ? L.total : 0;
    built = false;
    if (!temp.data) return false;
  }
  uint8_t* base = static_cast<uint8_t*>(temp.data);
  int32_t* xIndex = reinterpret_cast<int32_t*>(base + L.xIndex);
  float* xWeight = reinterpret_cast<float*>(base + L.xWeight);
  int32_t* yIndex = reinterpret_cast<int32_t*>(base + L.yIndex);
  float* yWeight = reinterpret_cast<float*>(base + L.yWeight);
  // The tables depend on the sizes only: a buffer reused for the same sizes
  // (every frame of a clip) keeps them.
  if (!built) {
    buildAxis(srcWidth, dstWidth, L.xTaps, xIndex, xWeight);
    buildAxis(srcHeight, dstHeight, L.yTaps, yIndex, yWeight);
    temp.builtKind = kind;
    std::copy(sizes, sizes + 4, temp.builtSizes);
  }
  *job = FBScaleJob{kind,      src,      srcRowBytes, dst,    dstRowBytes, srcHeight, srcWidth,
                    dstHeight, dstWidth, L.xTaps,     L.yTaps, xIndex,     xWeight,   yIndex,
                    yWeight,   reinterpret_cast<float*>(base + L.middle)};
  return true;
}

bool FBScaleWideAvailable() {
#if defined(__x86_64__) || defined(__i386__)
  static const bool available = FBScaleWideBuilt() && __builtin_cpu_supports("avx2");
  return available && gWideAllowed.load(std::memory_order_relaxed);
#else
  return false;
#endif
}

void FBScaleAllowWide(bool allowed) { gWideAllowed = allowed; }

void FBScaleAcross(const FBScaleJob& job, uint32_t first, uint32_t end) {
  const size_t samples = size_t(job.dstWidth) * channelsOf(job.kind);
  end = std::min(end, job.srcHeight);
  uint32_t y = first;
  if (job.kind == kFBScalePlanarF && end > first && end - first >= 4) {
    // Eight rows at a time where the processor can, then four.
    const uint32_t lanes = FBScaleWideAvailable() && end - first >= 8 ? 8 : 4;
    std::vector<float> rows(size_t(job.srcWidth) * lanes), sums(size_t(job.dstWidth) * lanes);
    if (lanes == 8)
      for (; y + 8 <= end; y += 8) FBScaleAcrossEightRows(job, y, rows.data(), sums.data());
    for (; y + 4 <= end; y += 4) acrossFourRows(job, y, rows.data(), sums.data());
  }
  for (; y < end; ++y) {
    const uint8_t* row = job.src + size_t(y) * job.srcRowBytes;
    float* out = job.middle + size_t(y) * samples;
    if (job.kind == kFBScaleARGB8888)
      acrossRow<uint8_t, 4>(job, row, out);
    else if (job.kind == kFBScaleARGBFFFF)
      acrossRow<float, 4>(job, row, out);
    else
      acrossRow<float, 1>(job, row, out);
  }
}

void FBScaleDown(const FBScaleJob& job, uint32_t first, uint32_t end) {
  const size_t samples = size_t(job.dstWidth) * channelsOf(job.kind);
  const bool bytes = job.kind == kFBScaleARGB8888;
  const uint32_t componentBytes = bytes ? 1 : 4;
  std::vector<float> sum(samples);
  const bool wide = FBScaleWideAvailable();
  for (uint32_t y = first; y < end && y < job.dstHeight; ++y) {
    const int32_t* at = job.yIndex + size_t(y) * job.yTaps;
    const float* w = job.yWeight + size_t(y) * job.yTaps;
    // Eight samples of the row at a time where the processor can, else
    // four, each adding its taps in order from 0; the last few one by one
    // in the same order.
    size_t i = 0;
    if (wide) {
      i = samples / 8 * 8;
      FBScaleDownEight(job, at, w, samples, i, sum.data());
    }
    for (; i + 4 <= samples; i += 4) {
      FBPixelFloatVector s = vSet(0.0f);
      for (uint32_t t = 0; t < job.yTaps; ++t) s = s + vSet(w[t]) * vLoad(job.middle + size_t(at[t]) * samples + i);
      vStore(sum.data() + i, s);
    }
    for (; i < samples; ++i) {
      float s = 0.0f;
      for (uint32_t t = 0; t < job.yTaps; ++t) s += w[t] * job.middle[size_t(at[t]) * samples + i];
      sum[i] = s;
    }
    uint8_t* row = job.dst + size_t(y) * job.dstRowBytes;
    if (bytes)
      for (size_t k = 0; k < samples; ++k) storeComponent(row + k * componentBytes, sum[k], true);
    else
      std::memcpy(row, sum.data(), samples * sizeof(float));
  }
}

bool FBScalePicture(FBScaleKind kind, const uint8_t* src, uint32_t srcHeight, uint32_t srcWidth, size_t srcRowBytes,
                    uint8_t* dst, uint32_t dstHeight, uint32_t dstWidth, size_t dstRowBytes, FBScaleBuffer& temp) {
  std::lock_guard<std::mutex> hold(temp.lock);
  FBScaleJob job;
  if (!FBScaleBegin(kind, src, srcHeight, srcWidth, srcRowBytes, dst, dstHeight, dstWidth, dstRowBytes, temp, &job))
    return false;
  FBScaleAcross(job, 0, srcHeight);
  FBScaleDown(job, 0, dstHeight);
  return true;
}
