// 16-bit channels to bytes. Rounding: each channel is multiplied by the
// single-precision constant 0.007782101 (about 255 / 32767.5) and truncated
// toward zero, so 32768 gives 255 and 32767 gives 254. Values above full
// scale (up to 65535, which would give 510) saturate at 255 instead of
// wrapping in the low byte.
#include "app/views/picture_utils.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr float kSixteenToEight = 0.007782101f;

uint8_t ChannelByte(uint16_t v) {
  float scaled = float(v) * kSixteenToEight;
  return uint8_t(std::min(int32_t(scaled), 255));
}

}  // namespace

QVStatus Convert16BitPixelsToGWorld(TKImage** outPicture, const TKRect& bounds, const void* sourcePixels,
                                    int32_t sourceRowBytes) {
  if (!outPicture) return kQVErrParam;
  *outPicture = nullptr;
  int32_t width = TKRectWidth(bounds), height = TKRectHeight(bounds);
  if (!sourcePixels || width <= 0 || height <= 0 || sourceRowBytes / 8 < width) return kQVErrParam;
  TKImage* picture = TKImageCreate(width, height);
  if (!picture) return kQVErrMemory;

  uint8_t* dstBase = TKImagePixels(picture);
  size_t dstRowBytes = size_t(TKImageRowBytes(picture));
  const uint8_t* srcBase = static_cast<const uint8_t*>(sourcePixels);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* src = srcBase + size_t(y) * size_t(sourceRowBytes);
    uint8_t* dst = dstBase + size_t(y) * dstRowBytes;
    for (int32_t x = 0; x < width * 4; ++x) {
      uint16_t v;
      std::memcpy(&v, src + size_t(x) * 2, 2);
      dst[x] = ChannelByte(v);
    }
  }
  *outPicture = picture;
  return kQVNoErr;
}
