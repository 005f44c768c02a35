// Operations straight on host pixel buffers: the 768-byte table transform and
// the alpha copy, each inline or in row bands over the task pool.
#include "core/frame_buffer.h"
#include "core/task_pool.h"

#include <cstring>

namespace {

struct AlphaPlace {
  FBPixFormat format;
  uint32_t pixelBytes;
  uint32_t offset;
  uint32_t bytes;
};

const AlphaPlace kAlphaPlaces[] = {
    {kFBPixFormat32ARGB, 4, 3, 1},      {kFBPixFormatYCbCr8, 4, 3, 1},       {kFBPixFormatBGRA, 4, 0, 1},
    {kFBPixFormat16ARGB, 8, 0, 2},      {kFBPixFormatFloatARGB, 16, 0, 4},   {kFBPixFormatYCbCrFloat, 16, 12, 4},
    {kFBPixFormatFloatBGRA, 16, 12, 4},
};

}  // namespace

void FBTransformWithLUTPixWork(void* pixels, uint32_t width, uint32_t height, uint32_t rowBytes,
                               const uint8_t* table, FBPixFormat format) {
  if (!pixels || !table) return;
  int rShift, gShift, bShift;
  if (format == kFBPixFormat32ARGB) {
    rShift = 16, gShift = 8, bShift = 0;
  } else if (format == kFBPixFormatBGRA) {
    rShift = 8, gShift = 16, bShift = 24;
  } else {
    return;
  }
  const uint8_t* red = table;
  const uint8_t* green = table + 256;
  const uint8_t* blue = table + 512;
  const uint32_t keep = ~((0xFFu << rShift) | (0xFFu << gShift) | (0xFFu << bShift));
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = static_cast<uint8_t*>(pixels) + size_t(y) * rowBytes;
    // Stops at the row's width: the bytes past it may belong to someone else.
    for (uint32_t x = 0; x < width; ++x) {
      uint32_t v;
      std::memcpy(&v, row + size_t(x) * 4, 4);
      v = (v & keep) | uint32_t(red[(v >> rShift) & 0xFF]) << rShift |
          uint32_t(green[(v >> gShift) & 0xFF]) << gShift | uint32_t(blue[(v >> bShift) & 0xFF]) << bShift;
      std::memcpy(row + size_t(x) * 4, &v, 4);
    }
  }
}

void FBTransformWithLUTPix(void* pixels, uint32_t width, uint32_t height, uint32_t rowBytes,
                           const uint8_t* table, FBPixFormat format, uint32_t processorCount,
                           VLMPMaster* master) {
  if (processorCount <= 1) return FBTransformWithLUTPixWork(pixels, width, height, rowBytes, table, format);
  VLMPFBTransformWithLUTPix(pixels, width, height, rowBytes, table, format, processorCount, master);
}

void FBTransferPixAlphaToPixAlphaWork(const void* source, uint32_t sourceRowBytes, void* destination,
                                      uint32_t destinationRowBytes, uint32_t width, uint32_t height,
                                      FBPixFormat format) {
  if (!source || !destination) return;
  for (const AlphaPlace& place : kAlphaPlaces) {
    if (place.format != format) continue;
    for (uint32_t y = 0; y < height; ++y) {
      const uint8_t* s = static_cast<const uint8_t*>(source) + size_t(y) * sourceRowBytes + place.offset;
      uint8_t* d = static_cast<uint8_t*>(destination) + size_t(y) * destinationRowBytes + place.offset;
      for (uint32_t x = 0; x < width; ++x)
        std::memcpy(d + size_t(x) * place.pixelBytes, s + size_t(x) * place.pixelBytes, place.bytes);
    }
    return;
  }
}

void FBTransferPixAlphaToPixAlpha(const void* source, uint32_t sourceRowBytes, void* destination,
                                  uint32_t destinationRowBytes, uint32_t width, uint32_t height,
                                  FBPixFormat format, uint32_t processorCount, VLMPMaster* master) {
  if (processorCount <= 1)
    return FBTransferPixAlphaToPixAlphaWork(source, sourceRowBytes, destination, destinationRowBytes, width, height,
                                            format);
  VLMPFBTransferPixAlphaToPixAlpha(source, sourceRowBytes, destination, destinationRowBytes, width, height, format,
                                   processorCount, master);
}

FBPixFormat FBPixFormatFromCVPixelFormatType(uint32_t cvType) {
  if (cvType == 32) return kFBPixFormatCV32ARGB;
  if (cvType == kFBPixFormatBGRA) return kFBPixFormatBGRA;
  return kFBPixFormat32ARGB;
}
