// The reader's unpacking of 16-bit pixels against the frame transfer: every
// 16-bit sample value in each colour, in rows whose width leaves pixels over
// after the groups of four, must give the same bits in all four planes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/frame_buffer.h"
#include "core/pixel_transfer.h"
#include "media/output_internal.h"

namespace {

TEST(ReaderUnpack, SixteenBitPixelsGiveTheFrameTransfersBits) {
  constexpr uint32_t kWidth = 67, kHeight = (65536 + kWidth - 1) / kWidth;
  std::vector<uint16_t> pixels(size_t(kWidth) * kHeight * 4);
  for (uint32_t i = 0; i < kWidth * kHeight; ++i) {
    const uint32_t v = i & 0xFFFF;
    pixels[size_t(i) * 4 + 0] = uint16_t(v * 3);             // alpha: not used
    pixels[size_t(i) * 4 + 1] = uint16_t(v);                 // every value, full scale 32768 in the middle
    pixels[size_t(i) * 4 + 2] = uint16_t(v * 7919 + 13);     // every value again, in another order
    pixels[size_t(i) * 4 + 3] = uint16_t(65535 - v);
  }
  FBFrameStruct* want = nullptr;
  FBFrameStruct* got = nullptr;
  ASSERT_EQ(FBCreateRGBFrameBuffer(kWidth, kHeight, &want, kFBPixFormatPlanarFloat), kQVNoErr);
  ASSERT_EQ(FBCreateRGBFrameBuffer(kWidth, kHeight, &got, kFBPixFormatPlanarFloat), kQVNoErr);
  FBTransferPixToFBFrameSSE(pixels.data(), kWidth * 8, 0, kFBPixFormat16ARGB, want);
  media::SixteenBitToPlanar(reinterpret_cast<const uint8_t*>(pixels.data()), kWidth * 8, got);
  int wrong = 0;
  for (uint32_t p = 0; p < 4; ++p)
    for (uint32_t y = 0; y < kHeight; ++y) {
      const size_t at = size_t(p) * want->planeBytes + size_t(y) * want->rowBytes;
      for (uint32_t x = 0; x < kWidth && wrong < 10; ++x) {
        uint32_t a, b;
        std::memcpy(&a, want->baseAddr + at + x * 4, 4);
        std::memcpy(&b, got->baseAddr + at + x * 4, 4);
        if (a != b) {
          ++wrong;
          ADD_FAILURE() << "plane " << p << " pixel " << x << ", " << y;
        }
      }
    }
  FBDisposeFrameBuffer(want);
  FBDisposeFrameBuffer(got);
}

}  // namespace
