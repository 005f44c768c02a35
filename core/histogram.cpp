// Histograms of 8-bit component values and the trim search.
#include "core/histogram.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

namespace {

struct LumaMatrix {
  double red, green, blue;
};
const LumaMatrix kLumaMatrices[] = {
    {0.299, 0.587, 0.114},     // Rec. 601
    {0.2126, 0.7152, 0.0722},  // Rec. 709
    {0.212, 0.701, 0.087},     // SMPTE 240M
};

std::mutex gLumaLock;
uint8_t gLumaTables[3][256];
int32_t gLumaMode = -1;

// 0..255, truncated; NaN counts as 0.
uint32_t FloatComponent(float value) {
  float v = value * 255.0f;
  if (!(v > 0.0f)) return 0;
  if (v >= 255.0f) return 255;
  return uint32_t(v);
}

void Count(uint32_t* bins, uint32_t bin, const VLHistogramContext* c) {
  if (!bins) return;
  if (c->binCount == 128) {
    bins[bin >> 1]++;
  } else if (c->binCount == 512) {
    uint32_t at = std::min(bin * 2, c->largestBin);
    bins[at]++;
    bins[std::min(at + 1, c->largestBin)]++;
  } else {
    bins[std::min(bin, c->largestBin)]++;
  }
}

}  // namespace

const uint8_t* GetRGBtoY(int32_t mode) {
  std::lock_guard<std::mutex> hold(gLumaLock);
  if (mode != gLumaMode) {
    if (mode >= 0 && mode < int32_t(std::size(kLumaMatrices))) {
      const LumaMatrix& m = kLumaMatrices[mode];
      const double coefficients[3] = {m.red, m.green, m.blue};
      for (int channel = 0; channel < 3; ++channel)
        for (int i = 0; i < 256; ++i) gLumaTables[channel][i] = uint8_t(std::lround(i * coefficients[channel]));
    }
    gLumaMode = mode;
  }
  return &gLumaTables[0][0];
}

void VLHistogramContextInit(VLHistogramContext* context, uint32_t binCount, uint32_t* luma, uint32_t* red,
                            uint32_t* green, uint32_t* blue) {
  context->binCount = binCount;
  context->largestBin = binCount - 1;
  context->luma = luma;
  context->red = red;
  context->green = green;
  context->blue = blue;
  std::lock_guard<std::mutex> hold(gLumaLock);
  // Built under the lock without changing the remembered mode of the shared block.
  const LumaMatrix& m = kLumaMatrices[kVLLumaRec709];
  const double coefficients[3] = {m.red, m.green, m.blue};
  for (int channel = 0; channel < 3; ++channel)
    for (int i = 0; i < 256; ++i) context->lumaTable[channel][i] = uint8_t(std::lround(i * coefficients[channel]));
}

void VL_HistogramPixelProc(void* pixel, FBFrameStruct* frame, void* refCon) {
  auto* c = static_cast<VLHistogramContext*>(refCon);
  uint32_t r, g, b;
  switch (frame->pixelFormat) {
    case kFBPixFormat32ARGB: {
      uint32_t v;
      std::memcpy(&v, pixel, 4);
      r = (v >> 16) & 255, g = (v >> 8) & 255, b = v & 255;
      break;
    }
    case kFBPixFormatBGRA: {
      uint32_t v;
      std::memcpy(&v, pixel, 4);
      r = (v >> 8) & 255, g = (v >> 16) & 255, b = v >> 24;
      break;
    }
    case kFBPixFormatFloatARGB: {
      float f[4];
      std::memcpy(f, pixel, sizeof f);
      r = FloatComponent(f[1]), g = FloatComponent(f[2]), b = FloatComponent(f[3]);
      break;
    }
    case kFBPixFormatPlanarFloat: {
      const uint8_t* p = static_cast<const uint8_t*>(pixel);
      float f[3];
      for (int k = 0; k < 3; ++k) std::memcpy(&f[k], p + size_t(k) * frame->planeBytes, 4);
      r = FloatComponent(f[0]), g = FloatComponent(f[1]), b = FloatComponent(f[2]);
      break;
    }
    default:
      return;
  }
  uint32_t luma = uint32_t(c->lumaTable[0][r]) + c->lumaTable[1][g] + c->lumaTable[2][b];
  Count(c->luma, std::min(luma, 255u), c);
  Count(c->red, r, c);
  Count(c->green, g, c);
  Count(c->blue, b, c);
}

float VL_TrimBlackPoint(const uint32_t* histogram, uint64_t trim) {
  uint64_t sum = 0;
  uint32_t bin = 0;
  for (; bin < 255; ++bin) {
    sum += histogram[bin];
    if (sum >= trim) break;
  }
  return float(bin) / 255.0f;
}

float VL_TrimWhitePoint(const uint32_t* histogram, uint64_t trim) {
  uint64_t sum = 0;
  uint32_t bin = 255;
  for (; bin > 0; --bin) {
    sum += histogram[bin];
    if (sum >= trim) break;
  }
  return float(bin) / 255.0f;
}
