#include "core/frame_buffer.h"

#include "core/engine_lock.h"
#include "core/frame_scale.h"
#include "core/pixel_transfer.h"
#include "core/task_pool.h"
#include "support/geometry.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// The record's 32-bit fields bound every size; the whole block must also fit
// the address space of the build (32-bit plug-ins included).
constexpr uint64_t kMaxBlockBytes = uint64_t(PTRDIFF_MAX) - 16;

struct FormatGeometry {
  FBPixFormat format;
  uint32_t bytesPerPixel;  // 0: row rounded to groups of four pixels of bytesPerGroup
  uint32_t bytesPerGroup;
  uint32_t roundTo;        // row bytes rounded up to a multiple of this
};

// Formats with a row size of their own; every other code is planar.
const FormatGeometry kOwnRowFormats[] = {
    {kFBPixFormat32ARGB, 4, 0, 1},    {kFBPixFormatFloatARGB, 0, 64, 1}, {kFBPixFormatFloatRGBA, 0, 64, 1},
    {kFBPixFormat16Bit8Bytes, 8, 0, 1}, {kFBPixFormatFloatBGRA, 0, 64, 1}, {kFBPixFormatMono8, 1, 0, 16},
    {kFBPixFormat4Bytes, 4, 0, 1},
};

struct FormatBytes {
  FBPixFormat format;
  uint32_t bytes;
};
const FormatBytes kPixelBytes[] = {
    {kFBPixFormat32ARGB, 4},        {kFBPixFormatBGRA, 4},         {kFBPixFormat16ARGB, 8},
    {kFBPixFormatFloatARGB, 16},    {kFBPixFormatFloatRGBA, 16},   {kFBPixFormatPlanarFloat, 4},
    {kFBPixFormat16Bit8Bytes, 8},   {kFBPixFormatCV32ARGB, 4},     {kFBPixFormatYCbCr8, 4},
    {kFBPixFormatYCbCrFloat, 16},   {kFBPixFormatYCbCr422_601, 4}, {kFBPixFormatYCbCr422_709, 4},
    {kFBPixFormatFloatBGRA, 16},    {kFBPixFormatMono8, 1},        {kFBPixFormat4Bytes, 4},
    {kFBPixFormatPlanar16RGB, 2},   {kFBPixFormatR4FL, 16},        {kFBPixFormatV408, 4},
    {kFBPixFormatR408, 4},
};

void setColorCodes(FBFrameStruct* f) {
  bool small = f->width <= 768;
  f->colorCodes[0] = small ? 3 : 1;
  f->colorCodes[1] = 1;
  f->colorCodes[2] = small ? 2 : 1;
}

uint8_t clampByte(float v) {
  // NaN and negatives give 0, values past 255 give 255.
  float scaled = v * 255.0f;
  if (!(scaled > 0.0f)) return 0;
  if (scaled >= 255.0f) return 255;
  return uint8_t(std::lround(scaled));
}

uint32_t readWord(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void writeWord(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

// Bit positions of R, G, B, A in the 32-bit value of the two 8-bit layouts.
struct ByteShifts {
  int r, g, b, a;
};
bool shiftsFor(FBPixFormat format, ByteShifts* s) {
  if (format == kFBPixFormat32ARGB) {
    *s = {16, 8, 0, 24};
    return true;
  }
  if (format == kFBPixFormatBGRA) {
    *s = {8, 16, 24, 0};
    return true;
  }
  return false;
}

FBScaleBuffer sCopyScaleBuffer;
FBScaleBuffer sSubsetScaleBuffer;

// Scales one picture of the frame's format; false for formats that do not scale.
bool scaleByFormat(FBPixFormat format, const uint8_t* src, uint32_t srcH, uint32_t srcW, size_t srcRowBytes,
                   uint32_t srcPlaneBytes, uint8_t* dst, uint32_t dstH, uint32_t dstW, size_t dstRowBytes,
                   uint32_t dstPlaneBytes, FBScaleBuffer& temp) {
  switch (format) {
    case kFBPixFormat32ARGB:
    case kFBPixFormatBGRA:
      FBScalePicture(kFBScaleARGB8888, src, srcH, srcW, srcRowBytes, dst, dstH, dstW, dstRowBytes, temp);
      return true;
    case kFBPixFormatFloatARGB:
    case kFBPixFormatFloatRGBA:
    case kFBPixFormatFloatBGRA:
      FBScalePicture(kFBScaleARGBFFFF, src, srcH, srcW, srcRowBytes, dst, dstH, dstW, dstRowBytes, temp);
      return true;
    case kFBPixFormatPlanarFloat:
      for (int plane = 0; plane < 4; ++plane) {
        FBScalePicture(kFBScalePlanarF, src, srcH, srcW, srcRowBytes, dst, dstH, dstW, dstRowBytes, temp);
        src += srcPlaneBytes;
        dst += dstPlaneBytes;
      }
      return true;
    default:
      return false;
  }
}

uint32_t scaleBytesPerPixel(FBPixFormat format) {
  switch (format) {
    case kFBPixFormat32ARGB:
    case kFBPixFormatBGRA:
    case kFBPixFormatPlanarFloat:
      return 4;
    case kFBPixFormatFloatARGB:
    case kFBPixFormatFloatRGBA:
    case kFBPixFormatFloatBGRA:
      return 16;
    default:
      return 0;
  }
}

bool rectInside(const QVRect& r, const FBFrameStruct& f) {
  return r.left >= 0 && r.top >= 0 && RectWidth(&r) > 0 && RectHeight(&r) > 0 &&
         uint32_t(r.right) <= f.width && uint32_t(r.bottom) <= f.height;
}

}  // namespace

uint32_t FBPixelBytes(FBPixFormat format) {
  for (const FormatBytes& f : kPixelBytes)
    if (f.format == format) return f.bytes;
  return 0;
}

bool FBFrameGeometry(uint32_t width, uint32_t height, FBPixFormat format, uint32_t* rowBytes,
                     uint32_t* planeCount, uint32_t* planeBytes) {
  uint64_t row = (uint64_t(width) + 3) / 4 * 16;
  uint32_t planes = 4;
  for (const FormatGeometry& g : kOwnRowFormats) {
    if (g.format != format) continue;
    row = g.bytesPerPixel ? uint64_t(width) * g.bytesPerPixel : (uint64_t(width) + 3) / 4 * g.bytesPerGroup;
    row = (row + g.roundTo - 1) / g.roundTo * g.roundTo;
    planes = 1;
    break;
  }
  uint64_t plane = row * height;
  if (row > UINT32_MAX || plane > UINT32_MAX || plane * planes > kMaxBlockBytes) return false;
  *rowBytes = uint32_t(row);
  *planeCount = planes;
  *planeBytes = uint32_t(plane);
  return true;
}

QVStatus FBCreateRGBFrameBufferWithAllocator(uint32_t width, uint32_t height, FBFrameStruct** outFrame,
                                             FBPixFormat format, FBAllocatorProc allocator, void* allocArg1,
                                             void* allocArg2, void* allocArg3, FBDeallocatorProc deallocator,
                                             void* deallocArg1, void* deallocArg2) {
  if (!outFrame) return kQVErrParam;
  uint32_t rowBytes = 0, planeCount = 0, planeBytes = 0;
  bool fits = FBFrameGeometry(width, height, format, &rowBytes, &planeCount, &planeBytes);
  size_t pixelBytes = size_t(planeCount) * planeBytes;

  FBFrameStruct* frame = nullptr;
  if (allocator) {
    frame = static_cast<FBFrameStruct*>(allocator(sizeof(FBFrameStruct), allocArg1, allocArg2, allocArg3));
    if (!frame) {
      *outFrame = nullptr;
      return kQVErrMemory;
    }
    std::memset(frame, 0, sizeof *frame);
    *outFrame = frame;
    void* pixels = fits ? allocator(pixelBytes, allocArg1, allocArg2, allocArg3) : nullptr;
    if (!pixels) {
      if (deallocator) deallocator(frame, deallocArg1, deallocArg2);
      *outFrame = nullptr;
      return kQVErrMemory;
    }
    frame->baseAddr = static_cast<uint8_t*>(pixels);
  } else {
    frame = static_cast<FBFrameStruct*>(std::malloc(sizeof(FBFrameStruct)));
    if (!frame) return kQVErrMemory;
    std::memset(frame, 0, sizeof *frame);
    *outFrame = frame;
    void* block = fits ? std::calloc(1, pixelBytes + 16) : nullptr;
    if (!block) {
      std::free(frame);
      *outFrame = nullptr;
      return kQVErrMemory;
    }
    frame->allocation = block;
    frame->baseAddr = reinterpret_cast<uint8_t*>((reinterpret_cast<uintptr_t>(block) + 15) & ~uintptr_t(15));
  }
  frame->width = width;
  frame->height = height;
  frame->rowBytes = rowBytes;
  frame->pixelFormat = format;
  frame->planeCount = planeCount;
  frame->planeBytes = planeBytes;
  frame->flags = 0;
  setColorCodes(frame);
  frame->refCon = nullptr;
  return kQVNoErr;
}

QVStatus FBCreateRGBFrameBuffer(uint32_t width, uint32_t height, FBFrameStruct** outFrame, FBPixFormat format) {
  return FBCreateRGBFrameBufferWithAllocator(width, height, outFrame, format, nullptr, nullptr, nullptr, nullptr,
                                             nullptr, nullptr, nullptr);
}

QVStatus FBCreateRGBFrameBufferFromPixelBuffer(void* pixels, uint32_t width, uint32_t height, uint32_t rowBytes,
                                               FBPixFormat format, FBFrameStruct** outFrame) {
  if (!outFrame) return kQVErrParam;
  FBFrameStruct* frame = static_cast<FBFrameStruct*>(std::calloc(1, sizeof(FBFrameStruct)));
  if (!frame) return kQVErrMemory;
  *outFrame = frame;
  uint32_t planeCount = format == kFBPixFormatPlanarFloat ? 4 : 1;
  uint64_t planeBytes = uint64_t(rowBytes) * height;
  if (!pixels || planeBytes > UINT32_MAX || planeBytes * planeCount > kMaxBlockBytes) {
    std::free(frame);
    *outFrame = nullptr;
    return pixels ? kQVErrParam : kQVErrMemory;
  }
  frame->width = width;
  frame->height = height;
  frame->rowBytes = rowBytes;
  frame->pixelFormat = format;
  frame->baseAddr = static_cast<uint8_t*>(pixels);
  frame->planeCount = planeCount;
  frame->planeBytes = uint32_t(planeBytes);
  frame->flags = kFBFlagNotOwned;
  setColorCodes(frame);
  return kQVNoErr;
}

void FBDisposeFrameBufferWithDeallocator(FBFrameStruct* frame, FBDeallocatorProc deallocator, void* arg1,
                                         void* arg2) {
  if (!frame) return;
  if (!deallocator) {
    if (!(frame->flags & kFBFlagNotOwned) && frame->baseAddr) std::free(frame->allocation);
    std::free(frame);
    return;
  }
  if (!(frame->flags & kFBFlagNotOwned) && frame->baseAddr) deallocator(frame->baseAddr, arg1, arg2);
  deallocator(frame, arg1, arg2);
}

void FBDisposeFrameBuffer(FBFrameStruct* frame) { FBDisposeFrameBufferWithDeallocator(frame, nullptr, nullptr, nullptr); }

void FBCopyFrameBuffer(const FBFrameStruct* source, FBFrameStruct* destination) {
  if (!source || !destination || !source->baseAddr || !destination->baseAddr) return;
  bool sameSize = source->width == destination->width && source->height == destination->height;
  bool sameFormat = source->pixelFormat == destination->pixelFormat;
  if (sameSize && sameFormat) {
    // Plane by plane and row by row, never more than either frame holds: a
    // wrapped source may have shorter rows or fewer planes than the destination.
    uint32_t planes = source->planeCount < destination->planeCount ? source->planeCount : destination->planeCount;
    size_t rowCopy = source->rowBytes < destination->rowBytes ? source->rowBytes : destination->rowBytes;
    if (source->rowBytes == destination->rowBytes && source->planeBytes == destination->planeBytes &&
        size_t(source->planeBytes) == size_t(source->rowBytes) * source->height) {
      std::memmove(destination->baseAddr, source->baseAddr, size_t(planes) * source->planeBytes);
      return;
    }
    for (uint32_t p = 0; p < planes; ++p)
      for (uint32_t y = 0; y < source->height; ++y)
        std::memmove(destination->baseAddr + size_t(p) * destination->planeBytes + size_t(y) * destination->rowBytes,
                     source->baseAddr + size_t(p) * source->planeBytes + size_t(y) * source->rowBytes, rowCopy);
    return;
  }
  if (sameSize) {
    VL_EngineLockGuard hold;
    FBTransferFBFrameToPix(source, destination->baseAddr, destination->rowBytes, destination->pixelFormat,
                           gNumProcessors, &gVLMPMaster);
    return;
  }
  if (!sameFormat) return;
  scaleByFormat(source->pixelFormat, source->baseAddr, source->height, source->width, source->rowBytes,
                source->planeBytes, destination->baseAddr, destination->height, destination->width,
                destination->rowBytes, destination->planeBytes, sCopyScaleBuffer);
}

void FBCopyFrameBufferSubset(const FBFrameStruct* source, const QVRect* sourceRect, FBFrameStruct* destination,
                             const QVRect* destinationRect) {
  if (!source || !destination || !sourceRect || !destinationRect || !source->baseAddr || !destination->baseAddr)
    return;
  // Rectangles must lie inside their frames; clipping one would change the scale.
  if (!rectInside(*sourceRect, *source) || !rectInside(*destinationRect, *destination)) return;
  FBFrameStruct* converted = nullptr;
  if (source->pixelFormat != destination->pixelFormat) {
    if (FBCreateRGBFrameBuffer(source->width, source->height, &converted, destination->pixelFormat) != kQVNoErr)
      return;
    FBCopyFrameBuffer(source, converted);
    source = converted;
  }
  uint32_t bpp = scaleBytesPerPixel(source->pixelFormat);
  if (bpp) {
    const uint8_t* src = source->baseAddr + size_t(sourceRect->top) * source->rowBytes + size_t(sourceRect->left) * bpp;
    uint8_t* dst = destination->baseAddr + size_t(destinationRect->top) * destination->rowBytes +
                   size_t(destinationRect->left) * bpp;
    scaleByFormat(source->pixelFormat, src, uint32_t(RectHeight(sourceRect)), uint32_t(RectWidth(sourceRect)),
                  source->rowBytes, source->planeBytes, dst, uint32_t(RectHeight(destinationRect)),
                  uint32_t(RectWidth(destinationRect)), destination->rowBytes, destination->planeBytes,
                  sSubsetScaleBuffer);
  }
  FBDisposeFrameBuffer(converted);
}

void FBClearFrameBufferToBlack(FBFrameStruct* frame) {
  if (!frame || !frame->baseAddr) return;
  size_t bytes = size_t(frame->height) * frame->rowBytes;
  if (frame->pixelFormat == kFBPixFormatPlanarFloat) {
    for (int plane = 0; plane < 3; ++plane) std::memset(frame->baseAddr + size_t(plane) * frame->planeBytes, 0, bytes);
  } else if (frame->pixelFormat == kFBPixFormat32ARGB || frame->pixelFormat == kFBPixFormatBGRA) {
    std::memset(frame->baseAddr, 0, bytes);
  }
}

void FBGetRGBPixel(const FBFrameStruct* frame, int32_t x, int32_t y, float out[4]) {
  if (!frame || !out) return;
  if (x < 0 || y < 0 || uint32_t(x) >= frame->width || uint32_t(y) >= frame->height || !frame->baseAddr) {
    out[0] = out[1] = out[2] = out[3] = 0.0f;
    return;
  }
  const uint8_t* p = frame->baseAddr + size_t(y) * frame->rowBytes + size_t(x) * 4;
  ByteShifts s;
  if (frame->pixelFormat == kFBPixFormatPlanarFloat) {
    for (int plane = 0; plane < 4; ++plane) std::memcpy(&out[plane], p + size_t(plane) * frame->planeBytes, 4);
  } else if (shiftsFor(frame->pixelFormat, &s)) {
    const float k8 = 0.003921569f;
    uint32_t v = readWord(p);
    out[0] = float((v >> s.r) & 0xFF) * k8;
    out[1] = float((v >> s.g) & 0xFF) * k8;
    out[2] = float((v >> s.b) & 0xFF) * k8;
    out[3] = float((v >> s.a) & 0xFF) * k8;
  }
}

void FBSetRGBPixel(FBFrameStruct* frame, int32_t x, int32_t y, float r, float g, float b, float a) {
  if (!frame || !frame->baseAddr || x < 0 || y < 0 || uint32_t(x) >= frame->width || uint32_t(y) >= frame->height)
    return;
  uint8_t* p = frame->baseAddr + size_t(y) * frame->rowBytes + size_t(x) * 4;
  ByteShifts s;
  if (frame->pixelFormat == kFBPixFormatPlanarFloat) {
    const float colour[3] = {r, g, b};
    for (int plane = 0; plane < 3; ++plane) {
      float old;
      uint8_t* q = p + size_t(plane) * frame->planeBytes;
      std::memcpy(&old, q, 4);
      float blended = (1.0f - a) * old + a * colour[plane];
      std::memcpy(q, &blended, 4);
    }
  } else if (shiftsFor(frame->pixelFormat, &s)) {
    // Each component is clamped to a byte so that no value spills into its
    // neighbour's bits; alpha is written as 0.
    writeWord(p, uint32_t(clampByte(r)) << s.r | uint32_t(clampByte(g)) << s.g | uint32_t(clampByte(b)) << s.b);
  }
}

void FBIterateFrame(FBFrameStruct* frame, FBPixelProc callback, void* refCon) {
  if (!frame || !callback || !frame->baseAddr) return;
  uint32_t step;
  switch (frame->pixelFormat) {
    case kFBPixFormat32ARGB:
    case kFBPixFormatBGRA:
    case kFBPixFormatPlanarFloat:
      step = 4;
      break;
    case kFBPixFormatFloatARGB:
      step = 16;
      break;
    default:
      return;
  }
  for (uint32_t y = 0; y < frame->height; ++y) {
    uint8_t* row = frame->baseAddr + size_t(y) * frame->rowBytes;
    for (uint32_t x = 0; x < frame->width; ++x) callback(row + size_t(x) * step, frame, refCon);
  }
}
