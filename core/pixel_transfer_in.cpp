// Host pixels into frames: into the planar float format (plane 4 receives
// luma, never alpha) and between the two 8-bit frame layouts.
#include "core/pixel_convert.h"
#include "core/pixel_vector.h"
#include "core/pixel_transfer.h"
#include "core/task_pool.h"

using namespace fbpix;

namespace {

struct PlaneRow {
  float* r;
  float* g;
  float* b;
  float* y;
};

// One pixel of an RGB-like layout as floats; a is 1 where the layout has no alpha.
struct RGBA {
  float r, g, b, a;
};

using ReadRGB = RGBA (*)(const uint8_t* row, uint32_t x, size_t planeStride);

RGBA read32(const uint8_t* row, uint32_t x, size_t) {
  uint32_t v = load32(row + size_t(x) * 4);
  return {float((v >> 16) & 0xFF) * k8, float((v >> 8) & 0xFF) * k8, float(v & 0xFF) * k8, float(v >> 24) * k8};
}
RGBA readBGRA(const uint8_t* row, uint32_t x, size_t) {
  uint32_t v = load32(row + size_t(x) * 4);
  return {float((v >> 8) & 0xFF) * k8, float((v >> 16) & 0xFF) * k8, float(v >> 24) * k8, float(v & 0xFF) * k8};
}
RGBA read16(const uint8_t* row, uint32_t x, size_t) {
  const uint8_t* p = row + size_t(x) * 8;
  const float s = 3.0517578e-5f;  // 1 / 32768
  return {float(load16(p + 2)) * s, float(load16(p + 4)) * s, float(load16(p + 6)) * s, float(load16(p)) * s};
}
RGBA readFloatARGB(const uint8_t* row, uint32_t x, size_t) {
  const uint8_t* p = row + size_t(x) * 16;
  return {loadf(p + 4), loadf(p + 8), loadf(p + 12), loadf(p)};
}
RGBA readFloatRGBA(const uint8_t* row, uint32_t x, size_t) {
  const uint8_t* p = row + size_t(x) * 16;
  return {loadf(p), loadf(p + 4), loadf(p + 8), loadf(p + 12)};
}
RGBA readFloatBGRA(const uint8_t* row, uint32_t x, size_t) {
  const uint8_t* p = row + size_t(x) * 16;
  return {loadf(p + 8), loadf(p + 4), loadf(p), loadf(p + 12)};
}
RGBA readPlanar16(const uint8_t* row, uint32_t x, size_t stride) {
  const uint8_t* p = row + size_t(x) * 2;
  const float s = 1.5259022e-5f;  // 1 / 65535
  return {float(load16(p)) * s, float(load16(p + stride)) * s, float(load16(p + 2 * stride)) * s, 1.0f};
}

// One row of an RGB-like layout. The reader is a template argument so that it
// inlines into the pixel loop. clampUnit: colour clamped to 0..1 after any
// multiplication (and alpha to at most 1); premultiplies: the premultiplied
// transfer multiplies by alpha.
template <ReadRGB read, bool clampUnit, bool premultiplies>
void rgbRow(bool premultiplied, const uint8_t* row, size_t stride, PlaneRow out, uint32_t width) {
  for (uint32_t x = 0; x < width; ++x) {
    RGBA p = read(row, x, stride);
    if (premultiplies && premultiplied) {
      float a = clampUnit ? (p.a < 1.0f ? p.a : 1.0f) : p.a;
      p.r *= a;
      p.g *= a;
      p.b *= a;
    }
    if (clampUnit) {
      p.r = clampf(p.r, 0.0f, 1.0f);
      p.g = clampf(p.g, 0.0f, 1.0f);
      p.b = clampf(p.b, 0.0f, 1.0f);
    }
    out.r[x] = p.r;
    out.g[x] = p.g;
    out.b[x] = p.b;
    out.y[x] = luma(p.r, p.g, p.b);
  }
}


// 16-bit A, R, G, B: rgbRow<read16, true, true>, and where the build has
// vectors and no alpha is multiplied in, four pixels a register with the
// same operations lane by lane (samples are never below 0, so the clamp is
// a minimum with 1). Frame files come in this layout, row after row.
void rgbRow16(bool premultiplied, const uint8_t* row, size_t stride, PlaneRow out, uint32_t width) {
  uint32_t x = 0;
#if VELMORA_SSE_VECTORS
  if (!premultiplied) {
    const __m128 scale = _mm_set1_ps(3.0517578e-5f), one = _mm_set1_ps(1.0f);
    const __m128 yR = _mm_set1_ps(float(kQVYUV.yR)), yG = _mm_set1_ps(float(kQVYUV.yG)),
                 yB = _mm_set1_ps(float(kQVYUV.yB));
    const __m128i zero = _mm_setzero_si128();
    for (; x + 4 <= width; x += 4) {
      // Four A, R, G, B pixels, one a register, turned into A, R, G, B rows of four.
      const __m128i two = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + size_t(x) * 8));
      const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + size_t(x) * 8 + 16));
      __m128 p0 = _mm_cvtepi32_ps(_mm_unpacklo_epi16(two, zero)), p1 = _mm_cvtepi32_ps(_mm_unpackhi_epi16(two, zero));
      __m128 p2 = _mm_cvtepi32_ps(_mm_unpacklo_epi16(next, zero)), p3 = _mm_cvtepi32_ps(_mm_unpackhi_epi16(next, zero));
      _MM_TRANSPOSE4_PS(p0, p1, p2, p3);
      const __m128 r = _mm_min_ps(_mm_mul_ps(p1, scale), one);
      const __m128 g = _mm_min_ps(_mm_mul_ps(p2, scale), one);
      const __m128 b = _mm_min_ps(_mm_mul_ps(p3, scale), one);
      _mm_storeu_ps(out.r + x, r);
      _mm_storeu_ps(out.g + x, g);
      _mm_storeu_ps(out.b + x, b);
      _mm_storeu_ps(out.y + x, _mm_add_ps(_mm_add_ps(_mm_mul_ps(yR, r), _mm_mul_ps(yG, g)), _mm_mul_ps(yB, b)));
    }
  }
#endif
  rgbRow<read16, true, true>(premultiplied, row + size_t(x) * 8, stride, PlaneRow{out.r + x, out.g + x, out.b + x, out.y + x},
                             width - x);
}

using RGBRow = void (*)(bool premultiplied, const uint8_t* row, size_t stride, PlaneRow out, uint32_t width);

struct RGBLayout {
  FBPixFormat format;
  RGBRow row;
};

const RGBLayout kRGBLayouts[] = {
    {kFBPixFormat32ARGB, rgbRow<read32, false, true>},
    {kFBPixFormatBGRA, rgbRow<readBGRA, false, true>},
    {kFBPixFormat16ARGB, rgbRow16},
    {kFBPixFormatFloatARGB, rgbRow<readFloatARGB, false, true>},
    {kFBPixFormatFloatRGBA, rgbRow<readFloatRGBA, false, true>},
    {kFBPixFormatFloatBGRA, rgbRow<readFloatBGRA, false, true>},
    {kFBPixFormatPlanar16RGB, rgbRow<readPlanar16, false, false>},
};

// 4:4:4 Y'CbCr at video range, Rec. 601, in bytes or in floats. A sample
// type reads one pixel's luma less its black code, Cb and Cr less their zero,
// and alpha; unit() brings a result in its steps to 0..1.
struct YCCPixel {
  float y, cb, cr, a;
};

// 8-bit: bit positions of Y, Cb, Cr (alpha in 24-31). Results are in code
// steps; green is formed in double precision.
struct YCC8 {
  FBPixFormat format;
  int yShift, cbShift, crShift;
  static constexpr size_t kPixelBytes = 4;
  static constexpr bool kPremultipliesLuma = false;
  YCCPixel read(const uint8_t* p) const {
    uint32_t v = load32(p);
    return {float((v >> yShift) & 0xFF) - 16.0f, float((v >> cbShift) & 0xFF) - 128.0f,
            float((v >> crShift) & 0xFF) - 128.0f, float(v >> 24) * k8};
  }
  static float unit(float v) { return v * k8; }
  static float green(float y, float cb, float cr) {
    return float((double(y) + kQVYCbCr601Video.gFromFirst * cb + kQVYCbCr601Video.gFromSecond * cr) / 255.0);
  }
};
const YCC8 kYCC8Layouts[] = {
    {kFBPixFormatYCbCr8, 16, 8, 0},
    {kFBPixFormatV408, 8, 0, 16},
    {kFBPixFormatR408, 8, 0, 16},
};

// Floats Cr, Cb, Y, A, already in 0..1 steps.
struct YCCFloat {
  static constexpr size_t kPixelBytes = 16;
  static constexpr bool kPremultipliesLuma = true;
  YCCPixel read(const uint8_t* p) const { return {loadf(p + 8), loadf(p + 4), loadf(p), loadf(p + 12)}; }
  static float unit(float v) { return v; }
  static float green(float y, float cb, float cr) {
    return y + float(kQVYCbCr601Video.gFromFirst) * cb + float(kQVYCbCr601Video.gFromSecond) * cr;
  }
};

template <class Sample>
void yccRow(const Sample& L, bool premultiplied, const uint8_t* row, PlaneRow out, uint32_t width) {
  const QVLumaChromaCoding& m = kQVYCbCr601Video;
  for (uint32_t x = 0; x < width; ++x) {
    YCCPixel p = L.read(row + size_t(x) * Sample::kPixelBytes);
    float y = p.y * float(kQVVideoLumaScale);
    float r = Sample::unit(y + float(m.rFromSecond) * p.cr);
    float g = Sample::green(y, p.cb, p.cr);
    float b = Sample::unit(y + float(m.bFromFirst) * p.cb);
    float luma = Sample::unit(y);
    if (premultiplied) {
      r *= p.a;
      g *= p.a;
      b *= p.a;
      if (Sample::kPremultipliesLuma) luma *= p.a;
    }
    out.r[x] = r;
    out.g[x] = g;
    out.b[x] = b;
    out.y[x] = luma;
  }
}

// 16-bit 4:2:2: per pair Y0, Cr, Y1, Cb. An odd last pixel has only Y0 and Cr
// inside the row; its Cb is taken as neutral.
struct YCC422 {
  FBPixFormat format;
  float rFromCr, gFromCb, gFromCr, bFromCb;
};
const YCC422 kYCC422Layouts[] = {
    {kFBPixFormatYCbCr422_601, 2.4448906e-5f, -6.00125e-6f, -1.2453547e-5f, 3.090125e-5f},
    {kFBPixFormatYCbCr422_709, 2.7462343e-5f, -3.266672e-6f, -8.163437e-6f, 3.235906e-5f},
};

void ycc422Row(const YCC422& L, const uint8_t* row, PlaneRow out, uint32_t width) {
  for (uint32_t x = 0; x < width; x += 2) {
    const uint8_t* p = row + size_t(x) * 4;
    bool pair = x + 1 < width;
    float cr = float(load16(p + 2)) - 32768.0f;
    float cb = pair ? float(load16(p + 6)) - 32768.0f : 0.0f;
    float ys[2] = {float(load16(p)) - 4096.0f, pair ? float(load16(p + 4)) - 4096.0f : 0.0f};
    for (uint32_t i = 0; i < (pair ? 2u : 1u); ++i) {
      float ly = ys[i] * 1.7836719e-5f;
      out.r[x + i] = ly + L.rFromCr * cr;
      out.g[x + i] = ly + L.gFromCb * cb + L.gFromCr * cr;
      out.b[x + i] = ly + L.bFromCb * cb;
      out.y[x + i] = ys[i] * 1.7836757e-5f;
    }
  }
}

// One row of a 203 frame from the host row; false when the layout is unknown.
bool planarRow(FBPixFormat format, bool premultiplied, const uint8_t* row, size_t stride, PlaneRow out,
               uint32_t width) {
  for (const RGBLayout& L : kRGBLayouts)
    if (L.format == format) return L.row(premultiplied, row, stride, out, width), true;
  for (const YCC8& L : kYCC8Layouts)
    if (L.format == format) return yccRow(L, premultiplied, row, out, width), true;
  if (format == kFBPixFormatYCbCrFloat) return yccRow(YCCFloat{}, premultiplied, row, out, width), true;
  for (const YCC422& L : kYCC422Layouts)
    if (L.format == format) return ycc422Row(L, row, out, width), true;
  return false;
}

bool knownPlanarSource(FBPixFormat format) {
  float dummy = 0.0f;
  PlaneRow none{&dummy, &dummy, &dummy, &dummy};
  return planarRow(format, false, nullptr, 0, none, 0);
}

void toPlanar(const uint8_t* pixels, uint32_t rowBytes, size_t stride, FBPixFormat format, bool premultiplied,
              FBFrameStruct* f) {
  if (!knownPlanarSource(format)) return;
  for (uint32_t y = 0; y < f->height; ++y) {
    uint8_t* base = f->baseAddr + size_t(y) * f->rowBytes;
    PlaneRow out{reinterpret_cast<float*>(base), reinterpret_cast<float*>(base + f->planeBytes),
                 reinterpret_cast<float*>(base + 2 * size_t(f->planeBytes)),
                 reinterpret_cast<float*>(base + 3 * size_t(f->planeBytes))};
    planarRow(format, premultiplied, pixels + size_t(y) * rowBytes, stride, out, f->width);
  }
}

// Into an 8-bit frame: the value of one host pixel in the frame's layout.
uint32_t pixelTo32(FBPixFormat format, const uint8_t* row, uint32_t x, size_t stride, bool* known) {
  *known = true;
  switch (format) {
    case kFBPixFormat32ARGB:
      return load32(row + size_t(x) * 4);
    case kFBPixFormatBGRA:
      return byteSwap(load32(row + size_t(x) * 4));
    case kFBPixFormat16ARGB: {
      // Products past 255 (u16 above full scale) stop at 255 instead of
      // spilling into the next component.
      const uint8_t* p = row + size_t(x) * 8;
      const double k = 0.007782101167315175;
      auto c = [&](int at) { double v = load16(p + at) * k; return uint32_t(v < 255.0 ? v : 255.0); };
      return c(2) << 16 | c(4) << 8 | c(6);
    }
    case kFBPixFormatPlanar16RGB: {
      const uint8_t* p = row + size_t(x) * 2;
      return uint32_t(load16(p) >> 8) << 16 | (load16(p + stride) & 0xFF00u) | uint32_t(load16(p + 2 * stride) >> 8);
    }
    case kFBPixFormatR4FL: {
      const uint8_t* p = row + size_t(x) * 16;
      const float zero = float(kQVVideoChromaZero), spread = float(kQVVideoChromaScale709);
      float y = loadf(p + 4) * float(kQVVideoLumaScale709);
      float cb = (loadf(p + 8) - zero) * spread;
      float cr = (loadf(p + 12) - zero) * spread;
      auto c = [](float v) { return uint32_t(clampf(v, 0.0f, 1.0f) * 255.0f); };
      return c(loadf(p)) << 24 | c(y + float(kQVYCbCr709RFromCr) * cr) << 16 |
             c(y + float(kQVYCbCr709GFromCb) * cb + float(kQVYCbCr709GFromCr) * cr) << 8 |
             c(y + float(kQVYCbCr709BFromCb) * cb);
    }
    default:
      *known = false;
      return 0;
  }
}

void to8Bit(const uint8_t* pixels, uint32_t rowBytes, size_t stride, FBPixFormat format, FBFrameStruct* f) {
  bool toBGRA = f->pixelFormat == kFBPixFormatBGRA;
  // A 'BGRA' frame takes only the two 8-bit layouts.
  if (toBGRA && format != kFBPixFormat32ARGB && format != kFBPixFormatBGRA) return;
  bool known = false;
  uint8_t probe[16] = {};
  pixelTo32(format, probe, 0, 0, &known);
  if (!known) return;
  for (uint32_t y = 0; y < f->height; ++y) {
    const uint8_t* row = pixels + size_t(y) * rowBytes;
    uint8_t* out = f->baseAddr + size_t(y) * f->rowBytes;
    for (uint32_t x = 0; x < f->width; ++x) {
      uint32_t v = pixelTo32(format, row, x, stride, &known);
      store32(out + size_t(x) * 4, toBGRA ? byteSwap(v) : v);
    }
  }
}

// Premultiplied 8-bit into the frame of the same layout.
void premultiplied8Bit(const uint8_t* pixels, uint32_t rowBytes, FBFrameStruct* f) {
  int rS = 16, gS = 8, bS = 0, aS = 24;
  if (f->pixelFormat == kFBPixFormatBGRA) rS = 8, gS = 16, bS = 24, aS = 0;
  auto round = [](float v) { return uint32_t(v + 0.5f); };
  for (uint32_t y = 0; y < f->height; ++y) {
    const uint8_t* row = pixels + size_t(y) * rowBytes;
    uint8_t* out = f->baseAddr + size_t(y) * f->rowBytes;
    for (uint32_t x = 0; x < f->width; ++x) {
      uint32_t v = load32(row + size_t(x) * 4);
      float a = float((v >> aS) & 0xFF) * k8;
      uint32_t r = round(float((v >> rS) & 0xFF) * a), g = round(float((v >> gS) & 0xFF) * a),
               b = round(float((v >> bS) & 0xFF) * a), alpha = round(255.0f * a);
      store32(out + size_t(x) * 4, (r > 255 ? 255 : r) << rS | (g > 255 ? 255 : g) << gS |
                                       (b > 255 ? 255 : b) << bS | (alpha > 255 ? 255 : alpha) << aS);
    }
  }
}

bool usable(const void* pixels, const FBFrameStruct* f) {
  return pixels && f && f->baseAddr && f->height && f->width;
}

}  // namespace

void FBTransferPixToFBFrameSSE(const void* pixels, uint32_t rowBytes, uint32_t planeStride, FBPixFormat format,
                               FBFrameStruct* destination) {
  if (!usable(pixels, destination)) return;
  const uint8_t* src = static_cast<const uint8_t*>(pixels);
  if (destination->pixelFormat == kFBPixFormatPlanarFloat)
    toPlanar(src, rowBytes, planeStride, format, false, destination);
  else if (destination->pixelFormat == kFBPixFormat32ARGB || destination->pixelFormat == kFBPixFormatBGRA)
    to8Bit(src, rowBytes, planeStride, format, destination);
}

void FBTransferPixToFBFramePremultipliedSSE(const void* pixels, uint32_t rowBytes, FBPixFormat format,
                                            FBFrameStruct* destination) {
  if (!usable(pixels, destination)) return;
  const uint8_t* src = static_cast<const uint8_t*>(pixels);
  // The three-plane 16-bit layout needs its plane stride, which this
  // transfer does not take; it carries no alpha either.
  if (format == kFBPixFormatPlanar16RGB) return;
  if (destination->pixelFormat == kFBPixFormatPlanarFloat)
    toPlanar(src, rowBytes, 0, format, true, destination);
  else if ((destination->pixelFormat == kFBPixFormat32ARGB || destination->pixelFormat == kFBPixFormatBGRA) &&
           format == destination->pixelFormat)
    premultiplied8Bit(src, rowBytes, destination);
}

void FBTransferPixToFBFrame(const void* pixels, uint32_t rowBytes, uint32_t planeStride, FBPixFormat format,
                            FBFrameStruct* destination, uint32_t processorCount, VLMPMaster* master) {
  if (processorCount <= 1) return FBTransferPixToFBFrameSSE(pixels, rowBytes, planeStride, format, destination);
  VLMPFBTransferPixToFBFrameVector(pixels, rowBytes, planeStride, format, destination, processorCount, master);
}

void FBTransferPixToFBFramePremultiplied(const void* pixels, uint32_t rowBytes, FBPixFormat format,
                                         FBFrameStruct* destination, uint32_t processorCount, VLMPMaster* master) {
  if (processorCount <= 1) return FBTransferPixToFBFramePremultipliedSSE(pixels, rowBytes, format, destination);
  VLMPFBTransferPixToFBFramePremultipliedVector(pixels, rowBytes, format, destination, processorCount, master);
}
