#include "core/frame_scale.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

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

void storeComponent(uint8_t* p, float v, bool bytes) {
  if (bytes) {
    float r = v + 0.5f;
    *p = uint8_t(!(r > 0.0f) ? 0 : (r >= 255.0f ? 255 : int(r)));
  } else {
    std::memcpy(p, &v, 4);
  }
}

}  // namespace

bool FBScalePicture(FBScaleKind kind, const uint8_t* src, uint32_t srcHeight, uint32_t srcWidth, size_t srcRowBytes,
                    uint8_t* dst, uint32_t dstHeight, uint32_t dstWidth, size_t dstRowBytes, FBScaleBuffer& temp) {
  Layout L;
  if (!src || !dst || !layoutFor(kind, srcHeight, srcWidth, dstHeight, dstWidth, &L)) return false;
  std::lock_guard<std::mutex> hold(temp.lock);
  if (L.total > temp.size) {
    std::free(temp.data);
    temp.data = std::malloc(L.total);
    temp.size = temp.data ? L.total : 0;
    if (!temp.data) return false;
  }
  uint8_t* base = static_cast<uint8_t*>(temp.data);
  int32_t* xIndex = reinterpret_cast<int32_t*>(base + L.xIndex);
  float* xWeight = reinterpret_cast<float*>(base + L.xWeight);
  int32_t* yIndex = reinterpret_cast<int32_t*>(base + L.yIndex);
  float* yWeight = reinterpret_cast<float*>(base + L.yWeight);
  float* middle = reinterpret_cast<float*>(base + L.middle);
  buildAxis(srcWidth, dstWidth, L.xTaps, xIndex, xWeight);
  buildAxis(srcHeight, dstHeight, L.yTaps, yIndex, yWeight);

  const uint32_t nc = channelsOf(kind);
  const bool bytes = kind == kFBScaleARGB8888;
  const uint32_t componentBytes = bytes ? 1 : 4;
  const uint32_t pixelBytes = nc * componentBytes;

  // Across: every source row into dstWidth samples.
  for (uint32_t y = 0; y < srcHeight; ++y) {
    const uint8_t* row = src + size_t(y) * srcRowBytes;
    float* out = middle + size_t(y) * dstWidth * nc;
    for (uint32_t x = 0; x < dstWidth; ++x) {
      const int32_t* at = xIndex + size_t(x) * L.xTaps;
      const float* w = xWeight + size_t(x) * L.xTaps;
      for (uint32_t c = 0; c < nc; ++c) {
        float sum = 0.0f;
        for (uint32_t t = 0; t < L.xTaps; ++t) {
          const uint8_t* p = row + size_t(at[t]) * pixelBytes + c * componentBytes;
          sum += w[t] * (bytes ? loadComponent<uint8_t>(p) : loadComponent<float>(p));
        }
        out[size_t(x) * nc + c] = sum;
      }
    }
  }
  // Down: every output row from the intermediate rows.
  for (uint32_t y = 0; y < dstHeight; ++y) {
    const int32_t* at = yIndex + size_t(y) * L.yTaps;
    const float* w = yWeight + size_t(y) * L.yTaps;
    uint8_t* row = dst + size_t(y) * dstRowBytes;
    for (uint32_t i = 0; i < dstWidth * nc; ++i) {
      float sum = 0.0f;
      for (uint32_t t = 0; t < L.yTaps; ++t) sum += w[t] * middle[size_t(at[t]) * dstWidth * nc + i];
      storeComponent(row + size_t(i) * componentBytes, sum, bytes);
    }
  }
  return true;
}
