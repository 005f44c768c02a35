// The separable resampler: a scale cut into row bands gives the whole
// scale's bytes, and a temporary buffer reused for other sizes builds its
// filter tables again.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "core/frame_scale.h"

namespace {

struct Picture {
  uint32_t width, height, channels, componentBytes;
  std::vector<uint8_t> bytes;
  Picture(uint32_t w, uint32_t h, FBScaleKind kind)
      : width(w), height(h), channels(kind == kFBScalePlanarF ? 1 : 4),
        componentBytes(kind == kFBScaleARGB8888 ? 1 : 4), bytes(RowBytes() * h) {}
  size_t RowBytes() const { return size_t(width) * channels * componentBytes + 12; }  // a little padding
};

Picture Noise(uint32_t w, uint32_t h, FBScaleKind kind, unsigned seed) {
  Picture p(w, h, kind);
  std::mt19937 rng(seed);
  if (kind == kFBScaleARGB8888) {
    for (uint8_t& b : p.bytes) b = uint8_t(rng());
  } else {
    std::uniform_real_distribution<float> v(-0.2f, 1.2f);
    for (size_t i = 0; i + 4 <= p.bytes.size(); i += 4) {
      const float f = v(rng);
      std::memcpy(&p.bytes[i], &f, 4);
    }
  }
  return p;
}

bool Whole(FBScaleKind kind, const Picture& from, Picture* to, FBScaleBuffer& temp) {
  return FBScalePicture(kind, from.bytes.data(), from.height, from.width, from.RowBytes(), to->bytes.data(),
                        to->height, to->width, to->RowBytes(), temp);
}

TEST(FrameScale, RowBandsGiveTheWholeScaleBitForBit) {
  struct Case {
    FBScaleKind kind;
    uint32_t fromW, fromH, toW, toH;
    uint32_t bands;
  } cases[] = {
      {kFBScalePlanarF, 205, 108, 192, 101, 7},  // shrinking a little, as 2K to HD with the picture fitted
      {kFBScalePlanarF, 64, 40, 150, 97, 3},     // enlarging
      {kFBScaleARGBFFFF, 90, 61, 37, 20, 5},     // shrinking a lot: wider filters
      {kFBScaleARGB8888, 77, 50, 120, 33, 4},
      {kFBScalePlanarF, 30, 9, 30, 12, 12},      // more bands than some axes have rows
  };
  for (const Case& c : cases) {
    const Picture from = Noise(c.fromW, c.fromH, c.kind, c.fromW);
    Picture whole(c.toW, c.toH, c.kind), banded(c.toW, c.toH, c.kind);
    FBScaleBuffer wholeTemp, bandTemp;
    ASSERT_TRUE(Whole(c.kind, from, &whole, wholeTemp));
    {
      std::lock_guard<std::mutex> hold(bandTemp.lock);
      FBScaleJob job;
      ASSERT_TRUE(FBScaleBegin(c.kind, from.bytes.data(), c.fromH, c.fromW, from.RowBytes(), banded.bytes.data(), c.toH,
                               c.toW, banded.RowBytes(), bandTemp, &job));
      // Bands out of order, as a pool's tasks may run them.
      for (uint32_t b = c.bands; b-- > 0;) FBScaleAcross(job, c.fromH * b / c.bands, c.fromH * (b + 1) / c.bands);
      for (uint32_t b = 0; b < c.bands; ++b) FBScaleDown(job, c.toH * b / c.bands, c.toH * (b + 1) / c.bands);
    }
    for (uint32_t y = 0; y < c.toH; ++y)
      ASSERT_EQ(std::memcmp(&whole.bytes[y * whole.RowBytes()], &banded.bytes[y * banded.RowBytes()],
                            size_t(c.toW) * whole.channels * whole.componentBytes),
                0)
          << c.fromW << "x" << c.fromH << " to " << c.toW << "x" << c.toH << " row " << y;
    std::free(wholeTemp.data);
    std::free(bandTemp.data);
  }
}

TEST(FrameScale, AReusedBufferFollowsNewSizes) {
  // The same buffer for one size, then others (one needing less room, so
  // no new block), against a fresh buffer each time.
  const FBScaleKind kind = kFBScalePlanarF;
  const Picture from = Noise(120, 80, kind, 1);
  FBScaleBuffer reused;
  for (const auto& size : {std::pair{100u, 70u}, std::pair{90u, 70u}, std::pair{100u, 60u}, std::pair{100u, 70u}}) {
    Picture a(size.first, size.second, kind), b(size.first, size.second, kind);
    FBScaleBuffer fresh;
    ASSERT_TRUE(Whole(kind, from, &a, reused));
    ASSERT_TRUE(Whole(kind, from, &b, fresh));
    EXPECT_EQ(a.bytes, b.bytes) << size.first << "x" << size.second;
    std::free(fresh.data);
  }
  // Another source of the same size reuses the tables and still scales its own pixels.
  const Picture other = Noise(120, 80, kind, 2);
  Picture a(100, 70, kind), b(100, 70, kind);
  FBScaleBuffer fresh;
  ASSERT_TRUE(Whole(kind, other, &a, reused));
  ASSERT_TRUE(Whole(kind, other, &b, fresh));
  EXPECT_EQ(a.bytes, b.bytes);
  std::free(fresh.data);
  std::free(reused.data);
}

}  // namespace
