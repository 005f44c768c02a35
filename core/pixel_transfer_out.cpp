// Frames out to host pixels: from the planar float format into every host
// layout, and from an 8-bit frame into the few layouts it feeds.
#include "core/pixel_convert.h"
#include "core/pixel_transfer.h"
#include "core/task_pool.h"

using namespace fbpix;

namespace {

struct PlanesIn {
  const float* r;
  const float* g;
  const float* b;
};

using OutRow = void (*)(PlanesIn in, uint8_t* out, uint32_t width);

void to32(PlanesIn in, uint8_t* out, uint32_t width) {
  for (uint32_t x = 0; x < width; ++x)
    store32(out + size_t(x) * 4, 0xFF000000u | toByte(in.r[x]) << 16 | toByte(in.g[x]) << 8 | toByte(in.b[x]));
}
void toBGRA(PlanesIn in, uint8_t* out, uint32_t width) {
  for (uint32_t x = 0; x < width; ++x)
    store32(out + size_t(x) * 4, toByte(in.b[x]) << 24 | toByte(in.g[x]) << 16 | toByte(in.r[x]) << 8 | 0xFFu);
}
void to16(PlanesIn in, uint8_t* out, uint32_t width) {
  auto c = [](float v) { return uint16_t(clampf(v, 0.0f, 1.0f) * 32768.0f); };
  for (uint32_t x = 0; x < width; ++x) {
    uint8_t* p = out + size_t(x) * 8;
    store16(p, 32767);
    store16(p + 2, c(in.r[x]));
    store16(p + 4, c(in.g[x]));
    store16(p + 6, c(in.b[x]));
  }
}
template <int A, int R, int G, int B>
void toFloat(PlanesIn in, uint8_t* out, uint32_t width) {
  for (uint32_t x = 0; x < width; ++x) {
    uint8_t* p = out + size_t(x) * 16;
    storef(p + 4 * A, 1.0f);
    storef(p + 4 * R, in.r[x]);
    storef(p + 4 * G, in.g[x]);
    storef(p + 4 * B, in.b[x]);
  }
}

// Rec. 601 video-range Y, Cb, Cr of R, G, B (Y without its black offset).
struct YCC {
  float y, cb, cr;
};
YCC video601(float r, float g, float b) {
  const QVLumaChromaCoding& m = kQVYCbCr601Video;
  return {float(m.yR) * r + float(m.yG) * g + float(m.yB) * b,
          float(m.firstR) * r + float(m.firstG) * g + float(m.firstB) * b,
          float(m.secondR) * r + float(m.secondG) * g + float(m.secondB) * b};
}

void toYCbCrFloat(PlanesIn in, uint8_t* out, uint32_t width) {
  for (uint32_t x = 0; x < width; ++x) {
    YCC c = video601(in.r[x], in.g[x], in.b[x]);
    uint8_t* p = out + size_t(x) * 16;
    storef(p, c.cr);
    storef(p + 4, c.cb);
    storef(p + 8, c.y);
    storef(p + 12, 1.0f);
  }
}

void toYCbCr8(PlanesIn in, uint8_t* out, uint32_t width) {
  auto code = [](float v) { return uint32_t(clampf(v, 1.0f, 254.0f)); };
  for (uint32_t x = 0; x < width; ++x) {
    YCC c = video601(in.r[x], in.g[x], in.b[x]);
    store32(out + size_t(x) * 4, 0xFF000000u | code(c.y * 255.0f + 16.0f) << 16 | code(c.cb * 255.0f + 128.0f) << 8 |
                                     code(c.cr * 255.0f + 128.0f));
  }
}

struct Coeff422 {
  float yr, yg, yb, cbr, cbg, cbb, crr, crg, crb;
};
const Coeff422 k601 = {16763.137f, 32909.566f, 6391.296f, -9675.997f, -18996.002f, 28672.0f,
                       28672.0f,   -24009.244f, -4662.7554f};
const Coeff422 k709 = {11919.206f, 40096.973f, 4047.8208f, -6570.0166f, -22101.982f, 28672.0f,
                       28672.0f,   -26042.95f, -2629.0503f};

// A pair is written as Y0, Cr, Y1, Cb with the chroma of its first pixel; an
// odd last pixel writes only its Y0 and Cr, which lie inside the row.
template <const Coeff422& K>
void to422(PlanesIn in, uint8_t* out, uint32_t width) {
  auto code = [](float v) { return uint16_t(clampf(v, 1.0f, 65472.0f)); };
  for (uint32_t x = 0; x < width; x += 2) {
    uint8_t* p = out + size_t(x) * 4;
    float r = atMost1(in.r[x]), g = atMost1(in.g[x]), b = atMost1(in.b[x]);
    store16(p, code(4096.0f + K.yr * r + K.yg * g + K.yb * b));
    store16(p + 2, code(32768.0f + K.crr * r + K.crg * g + K.crb * b));
    if (x + 1 < width) {
      float r1 = atMost1(in.r[x + 1]), g1 = atMost1(in.g[x + 1]), b1 = atMost1(in.b[x + 1]);
      store16(p + 4, code(4096.0f + K.yr * r1 + K.yg * g1 + K.yb * b1));
      store16(p + 6, code(32768.0f + K.cbr * r + K.cbg * g + K.cbb * b));
    }
  }
}

struct OutLayout {
  FBPixFormat format;
  OutRow row;
};

const OutLayout kPlanarOut[] = {
    {kFBPixFormat32ARGB, to32},
    {kFBPixFormatBGRA, toBGRA},
    {kFBPixFormat16ARGB, to16},
    {kFBPixFormatFloatARGB, toFloat<0, 1, 2, 3>},
    {kFBPixFormatFloatRGBA, toFloat<3, 0, 1, 2>},
    {kFBPixFormatFloatBGRA, toFloat<3, 2, 1, 0>},
    {kFBPixFormatYCbCrFloat, toYCbCrFloat},
    {kFBPixFormatYCbCr8, toYCbCr8},
    {kFBPixFormatYCbCr422_601, to422<k601>},
    {kFBPixFormatYCbCr422_709, to422<k709>},
};

// From an 8-bit (format 32) frame.
void from32(const uint8_t* in, uint8_t* out, uint32_t width, FBPixFormat format) {
  for (uint32_t x = 0; x < width; ++x) {
    uint32_t v = load32(in + size_t(x) * 4);
    if (format == kFBPixFormat32ARGB) {
      store32(out + size_t(x) * 4, v);
    } else if (format == kFBPixFormatBGRA) {
      store32(out + size_t(x) * 4, byteSwap(v));
    } else {
      uint8_t* p = out + size_t(x) * 16;
      const float s = 1.0f / 255.0f;
      storef(p, float((v >> 16) & 0xFF) * s);
      storef(p + 4, float((v >> 8) & 0xFF) * s);
      storef(p + 8, float(v & 0xFF) * s);
      storef(p + 12, 1.0f);
    }
  }
}

}  // namespace

void FBTransferFBFrameToPixSSE(const FBFrameStruct* source, const QVRect* rect, void* pixels, uint32_t rowBytes,
                               FBPixFormat format) {
  if (!source || !source->baseAddr || !pixels) return;
  uint8_t* host = static_cast<uint8_t*>(pixels);

  OutRow row = nullptr;
  if (source->pixelFormat == kFBPixFormatPlanarFloat) {
    for (const OutLayout& L : kPlanarOut)
      if (L.format == format) row = L.row;
    if (!row) return;
  } else if (source->pixelFormat != kFBPixFormat32ARGB ||
             (format != kFBPixFormat32ARGB && format != kFBPixFormatBGRA && format != kFBPixFormatFloatRGBA)) {
    return;
  }
  const uint32_t hostPixelBytes = FBPixelBytes(format);

  // The part of the frame to write; a rectangle is clipped to the frame, and
  // the host pointer follows the clipped corner.
  int64_t top = 0, left = 0, bottom = source->height, right = source->width;
  if (rect) {
    top = rect->top, left = rect->left, bottom = rect->bottom, right = rect->right;
    int64_t clipTop = top < 0 ? 0 : top, clipLeft = left < 0 ? 0 : left;
    if (bottom > int64_t(source->height)) bottom = source->height;
    if (right > int64_t(source->width)) right = source->width;
    host += size_t(clipTop - top) * rowBytes + size_t(clipLeft - left) * hostPixelBytes;
    top = clipTop, left = clipLeft;
  }
  if (bottom <= top || right <= left) return;
  uint32_t width = uint32_t(right - left), height = uint32_t(bottom - top);

  const uint8_t* base = source->baseAddr + size_t(top) * source->rowBytes + size_t(left) * 4;
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* in = base + size_t(y) * source->rowBytes;
    uint8_t* out = host + size_t(y) * rowBytes;
    if (row) {
      PlanesIn planes{reinterpret_cast<const float*>(in), reinterpret_cast<const float*>(in + source->planeBytes),
                      reinterpret_cast<const float*>(in + 2 * size_t(source->planeBytes))};
      row(planes, out, width);
    } else {
      from32(in, out, width, format);
    }
  }
}

void FBTransferFBFrameToPix(const FBFrameStruct* source, void* pixels, uint32_t rowBytes, FBPixFormat format,
                            uint32_t processorCount, VLMPMaster* master) {
  if (processorCount <= 1) return FBTransferFBFrameToPixSSE(source, nullptr, pixels, rowBytes, format);
  VLMPFBTransferFBFrameToPixVector(source, pixels, rowBytes, format, processorCount, master);
}

void FBTransferFBFrameSubsetToPix(const FBFrameStruct* source, const QVRect* rect, void* pixels, uint32_t rowBytes,
                                  FBPixFormat format) {
  FBTransferFBFrameToPixSSE(source, rect, pixels, rowBytes, format);
}
