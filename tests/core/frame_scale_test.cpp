// The separable resampler: every sample is its taps' weighted sum in tap
// order (the vector paths against a plain loop over the same tables), a
// scale cut into row bands gives the whole scale's bytes, and a temporary
// buffer reused for other sizes builds its filter tables again.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "core/frame_scale.h"
#include "core/frame_scale_internal.h"

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

// The scale by its definition, one sample at a time from the job's tables:
// each intermediate sample, then each output sample, is the weighted sum of
// its taps taken in tap order from 0; bytes are rounded and clamped.
std::vector<uint8_t> Reference(const FBScaleJob& job, const Picture& from, const Picture& to) {
  const uint32_t nc = from.channels;
  const bool bytes = from.componentBytes == 1;
  auto component = [&](uint32_t y, int32_t x, uint32_t c) {
    const uint8_t* p = &from.bytes[y * from.RowBytes() + (size_t(x) * nc + c) * from.componentBytes];
    if (bytes) return float(*p);
    float f;
    std::memcpy(&f, p, 4);
    return f;
  };
  const size_t samples = size_t(job.dstWidth) * nc;
  std::vector<float> middle(size_t(job.srcHeight) * samples);
  for (uint32_t y = 0; y < job.srcHeight; ++y)
    for (uint32_t x = 0; x < job.dstWidth; ++x)
      for (uint32_t c = 0; c < nc; ++c) {
        float sum = 0.0f;
        for (uint32_t t = 0; t < job.xTaps; ++t)
          sum += job.xWeight[x * job.xTaps + t] * component(y, job.xIndex[x * job.xTaps + t], c);
        middle[y * samples + x * nc + c] = sum;
      }
  std::vector<uint8_t> out(to.bytes.size(), 0);
  for (uint32_t y = 0; y < job.dstHeight; ++y)
    for (size_t i = 0; i < samples; ++i) {
      float sum = 0.0f;
      for (uint32_t t = 0; t < job.yTaps; ++t)
        sum += job.yWeight[y * job.yTaps + t] * middle[size_t(job.yIndex[y * job.yTaps + t]) * samples + i];
      uint8_t* p = &out[y * to.RowBytes() + i * to.componentBytes];
      if (bytes) {
        const float r = sum + 0.5f;
        *p = uint8_t(!(r > 0.0f) ? 0 : (r >= 255.0f ? 255 : int(r)));
      } else {
        std::memcpy(p, &sum, 4);
      }
    }
  return out;
}

TEST(FrameScale, EverySampleIsItsTapsSumInOrder) {
  // Sizes around the four- and eight-row and -sample groups of the vector paths,
  // with edges where the taps are clamped, shrinking and enlarging.
  struct Case {
    FBScaleKind kind;
    uint32_t fromW, fromH, toW, toH;
  } cases[] = {
      {kFBScalePlanarF, 205, 108, 192, 101},  // 2K to HD, fitted
      {kFBScalePlanarF, 67, 43, 150, 97},     // enlarging, rows not a multiple of four
      {kFBScalePlanarF, 31, 3, 17, 2},        // fewer rows than one group of four
      {kFBScalePlanarF, 3, 9, 5, 7},          // narrower than the filter
      {kFBScaleARGBFFFF, 90, 61, 37, 21},
      {kFBScaleARGB8888, 77, 50, 121, 33},
  };
  // The eight-lane passes where the processor has them, and the four-lane
  // passes with them turned off.
  for (bool wide : {true, false}) {
    FBScaleAllowWide(wide);
    if (wide && !FBScaleWideAvailable()) continue;
    for (const Case& c : cases) {
      const Picture from = Noise(c.fromW, c.fromH, c.kind, c.fromH);
      Picture to(c.toW, c.toH, c.kind);
      FBScaleBuffer temp;
      std::lock_guard<std::mutex> hold(temp.lock);
      FBScaleJob job;
      ASSERT_TRUE(FBScaleBegin(c.kind, from.bytes.data(), c.fromH, c.fromW, from.RowBytes(), to.bytes.data(), c.toH,
                               c.toW, to.RowBytes(), temp, &job));
      FBScaleAcross(job, 0, c.fromH);
      FBScaleDown(job, 0, c.toH);
      const std::vector<uint8_t> want = Reference(job, from, to);
      const size_t used = size_t(c.toW) * to.channels * to.componentBytes;
      for (uint32_t y = 0; y < c.toH; ++y)
        ASSERT_EQ(std::memcmp(&to.bytes[y * to.RowBytes()], &want[y * to.RowBytes()], used), 0)
            << (wide ? "eight" : "four") << " lanes, " << c.fromW << "x" << c.fromH << " to " << c.toW << "x" << c.toH
            << " row " << y;
      std::free(temp.data);
    }
  }
  FBScaleAllowWide(true);
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
