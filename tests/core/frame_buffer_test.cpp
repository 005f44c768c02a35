#include "core/frame_buffer.h"

#include "core/task_pool.h"

#include "tests/core/frame_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {



uint32_t word(const FBFrameStruct* f, uint32_t x, uint32_t y) {
  uint32_t v;
  memcpy(&v, f->baseAddr + size_t(y) * f->rowBytes + x * 4, 4);
  return v;
}

void setWord(FBFrameStruct* f, uint32_t x, uint32_t y, uint32_t v) {
  memcpy(f->baseAddr + size_t(y) * f->rowBytes + x * 4, &v, 4);
}

TEST(FrameBuffer, CreationGeometryByFormat) {
  struct Case {
    FBPixFormat format;
    uint32_t width, rowBytes, planes;
  } cases[] = {
      {kFBPixFormatPlanarFloat, 5, 32, 4}, {kFBPixFormatFloatARGB, 5, 128, 1}, {kFBPixFormatMono8, 17, 32, 1},
      {kFBPixFormat32ARGB, 5, 20, 1},      {kFBPixFormatBGRA, 5, 32, 4},       {kFBPixFormat16ARGB, 5, 32, 4},
      {kFBPixFormat16Bit8Bytes, 5, 40, 1}, {kFBPixFormatFloatBGRA, 4, 64, 1},  {kFBPixFormat4Bytes, 3, 12, 1},
  };
  for (const Case& c : cases) {
    FramePtr f = makeFrame(c.width, 3, c.format);
    ASSERT_TRUE(f) << c.format;
    EXPECT_EQ(c.rowBytes, f->rowBytes) << c.format;
    EXPECT_EQ(c.planes, f->planeCount) << c.format;
    EXPECT_EQ(3 * c.rowBytes, f->planeBytes) << c.format;
    EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(f->baseAddr) % 16);
    EXPECT_EQ(0u, f->flags);
    for (uint32_t i = 0; i < f->planeCount * f->planeBytes; ++i) ASSERT_EQ(0, f->baseAddr[i]);
  }
  FramePtr small = makeFrame(768, 1, kFBPixFormat32ARGB), wide = makeFrame(769, 1, kFBPixFormat32ARGB);
  EXPECT_EQ(3u, small->colorCodes[0]);
  EXPECT_EQ(2u, small->colorCodes[2]);
  EXPECT_EQ(1u, wide->colorCodes[0]);
  EXPECT_EQ(1u, wide->colorCodes[2]);
}

TEST(FrameBuffer, SizesPastThirtyTwoBitsAreRefused) {
  FBFrameStruct* f = reinterpret_cast<FBFrameStruct*>(1);
  EXPECT_EQ(kQVErrMemory, FBCreateRGBFrameBuffer(70000, 70000, &f, kFBPixFormatPlanarFloat));
  EXPECT_EQ(nullptr, f);
  EXPECT_EQ(kQVErrMemory, FBCreateRGBFrameBuffer(0xFFFFFFFFu, 1, &f, kFBPixFormatFloatARGB));
  EXPECT_EQ(nullptr, f);
  uint8_t pixels[16];
  f = reinterpret_cast<FBFrameStruct*>(1);
  EXPECT_NE(kQVNoErr, FBCreateRGBFrameBufferFromPixelBuffer(pixels, 1, 0x10000, 0x10000, kFBPixFormat32ARGB, &f));
  EXPECT_EQ(nullptr, f);
}

TEST(FrameBuffer, WrappingKeepsTheCallersPixels) {
  FBFrameStruct* f = reinterpret_cast<FBFrameStruct*>(1);
  EXPECT_EQ(kQVErrMemory, FBCreateRGBFrameBufferFromPixelBuffer(nullptr, 4, 4, 16, kFBPixFormat32ARGB, &f));
  EXPECT_EQ(nullptr, f);
  std::vector<uint8_t> pixels(64);
  ASSERT_EQ(kQVNoErr, FBCreateRGBFrameBufferFromPixelBuffer(pixels.data(), 4, 4, 16, kFBPixFormatBGRA, &f));
  EXPECT_EQ(1u, f->planeCount);
  EXPECT_EQ(64u, f->planeBytes);
  EXPECT_EQ(kFBFlagNotOwned, f->flags);
  FBDisposeFrameBuffer(f);  // must not free the vector's pixels (ASan would tell)
  ASSERT_EQ(kQVNoErr, FBCreateRGBFrameBufferFromPixelBuffer(pixels.data(), 1, 1, 16, kFBPixFormatPlanarFloat, &f));
  EXPECT_EQ(4u, f->planeCount);
  FBDisposeFrameBuffer(f);
  FBDisposeFrameBuffer(nullptr);
}

struct CountingHeap {
  int allocations = 0, frees = 0, failAt = -1;
  static void* alloc(size_t n, void* self, void*, void*) {
    auto* h = static_cast<CountingHeap*>(self);
    if (h->allocations++ == h->failAt) return nullptr;
    return std::malloc(n);
  }
  static void release(void* p, void* self, void*) {
    static_cast<CountingHeap*>(self)->frees++;
    std::free(p);
  }
};

TEST(FrameBuffer, HostAllocatorPairs) {
  CountingHeap heap;
  FBFrameStruct* f = nullptr;
  ASSERT_EQ(kQVNoErr, FBCreateRGBFrameBufferWithAllocator(8, 2, &f, kFBPixFormat32ARGB, CountingHeap::alloc, &heap,
                                                          nullptr, nullptr, CountingHeap::release, &heap, nullptr));
  EXPECT_EQ(2, heap.allocations);
  EXPECT_EQ(nullptr, f->allocation);
  FBDisposeFrameBufferWithDeallocator(f, CountingHeap::release, &heap, nullptr);
  EXPECT_EQ(2, heap.frees);

  CountingHeap failing;
  failing.failAt = 1;  // the pixels
  f = reinterpret_cast<FBFrameStruct*>(1);
  EXPECT_EQ(kQVErrMemory, FBCreateRGBFrameBufferWithAllocator(8, 2, &f, kFBPixFormat32ARGB, CountingHeap::alloc,
                                                              &failing, nullptr, nullptr, CountingHeap::release,
                                                              &failing, nullptr));
  EXPECT_EQ(nullptr, f);
  EXPECT_EQ(1, failing.frees);  // the record went back
}

TEST(FrameBuffer, GetAndSetPixel) {
  FramePtr f = makeFrame(4, 2, kFBPixFormat32ARGB);
  setWord(f.get(), 1, 1, 128u << 24 | 255u << 16 | 64u << 8 | 0u);
  float px[4];
  FBGetRGBPixel(f.get(), 1, 1, px);
  EXPECT_FLOAT_EQ(1.0f, px[0]);
  EXPECT_NEAR(64.0 / 255, px[1], 1e-6);
  EXPECT_EQ(0.0f, px[2]);
  EXPECT_NEAR(128.0 / 255, px[3], 1e-6);
  for (auto [x, y] : {std::pair{4, 0}, {0, -1}, {-1, 0}, {0, 2}}) {
    float out[4] = {9, 9, 9, 9};
    FBGetRGBPixel(f.get(), x, y, out);
    EXPECT_EQ(0.0f, out[0] + out[1] + out[2] + out[3]);
  }

  // Components are clamped to a byte: nothing spills into a neighbour.
  setWord(f.get(), 2, 0, 0xFFFFFFFFu);
  FBSetRGBPixel(f.get(), 2, 0, 1.5f, -0.5f, NAN, 1.0f);
  EXPECT_EQ(0x00FF0000u, word(f.get(), 2, 0));
  FBSetRGBPixel(f.get(), 2, 0, 0.5f, 0.25f, 1.0f, 1.0f);
  EXPECT_EQ(0x008040FFu, word(f.get(), 2, 0));
  FBSetRGBPixel(f.get(), 9, 0, 1, 1, 1, 1);  // out of range: nothing

  FramePtr g = makeFrame(4, 2, kFBPixFormatBGRA);
  FBSetRGBPixel(g.get(), 0, 0, 1.0f, 0.0f, 2.0f, 1.0f);
  EXPECT_EQ(0xFF00FF00u, word(g.get(), 0, 0));
  FBGetRGBPixel(g.get(), 0, 0, px);
  EXPECT_FLOAT_EQ(1.0f, px[0]);
  EXPECT_FLOAT_EQ(1.0f, px[2]);

  FramePtr p = makeFrame(4, 2, kFBPixFormatPlanarFloat);
  planeRow(p.get(), 0, 1)[3] = 1.0f;
  planeRow(p.get(), 3, 1)[3] = 0.7f;
  FBSetRGBPixel(p.get(), 3, 1, 0.0f, 1.0f, 0.5f, 0.25f);
  FBGetRGBPixel(p.get(), 3, 1, px);
  EXPECT_FLOAT_EQ(0.75f, px[0]);
  EXPECT_FLOAT_EQ(0.25f, px[1]);
  EXPECT_FLOAT_EQ(0.125f, px[2]);
  EXPECT_FLOAT_EQ(0.7f, px[3]);  // the fourth plane is not written
}

TEST(FrameBuffer, ClearKeepsThePlanarFourthPlane) {
  FramePtr p = makeFrame(5, 3, kFBPixFormatPlanarFloat);
  memset(p->baseAddr, 0x3F, size_t(p->planeCount) * p->planeBytes);
  FBClearFrameBufferToBlack(p.get());
  for (int plane = 0; plane < 3; ++plane) EXPECT_EQ(0.0f, planeRow(p.get(), plane, 2)[4]);
  EXPECT_NE(0.0f, planeRow(p.get(), 3, 2)[4]);

  FramePtr f = makeFrame(2, 2, kFBPixFormat32ARGB);
  setWord(f.get(), 1, 1, 0xFFFFFFFF);
  FBClearFrameBufferToBlack(f.get());
  EXPECT_EQ(0u, word(f.get(), 1, 1));
}

TEST(FrameBuffer, IterateVisitsEveryPixelInOrder) {
  struct Seen {
    std::vector<uint8_t*> at;
  } seen;
  auto record = [](void* pixel, FBFrameStruct*, void* ref) { static_cast<Seen*>(ref)->at.push_back((uint8_t*)pixel); };
  FramePtr f = makeFrame(3, 2, kFBPixFormatFloatARGB);
  FBIterateFrame(f.get(), record, &seen);
  ASSERT_EQ(6u, seen.at.size());
  EXPECT_EQ(f->baseAddr + f->rowBytes + 2 * 16, seen.at[5]);
  seen.at.clear();
  FramePtr m = makeFrame(3, 2, kFBPixFormatMono8);
  FBIterateFrame(m.get(), record, &seen);
  EXPECT_TRUE(seen.at.empty());
}

TEST(FrameBuffer, CopyNeverReadsPastASmallerSource) {
  // A wrapped planar source with tight rows and only as many bytes as it
  // describes; the created destination has wider rows.
  const uint32_t w = 3, h = 2;
  std::vector<float> tight(4 * h * w);
  for (size_t i = 0; i < tight.size(); ++i) tight[i] = float(i);
  FBFrameStruct* src = nullptr;
  ASSERT_EQ(kQVNoErr, FBCreateRGBFrameBufferFromPixelBuffer(tight.data(), w, h, w * 4, kFBPixFormatPlanarFloat, &src));
  FramePtr dst = makeFrame(w, h, kFBPixFormatPlanarFloat);
  FBCopyFrameBuffer(src, dst.get());
  for (int plane = 0; plane < 4; ++plane)
    for (uint32_t y = 0; y < h; ++y)
      for (uint32_t x = 0; x < w; ++x)
        EXPECT_EQ(float(plane * h * w + y * w + x), planeRow(dst.get(), plane, y)[x]);
  FBDisposeFrameBuffer(src);
}

TEST(FrameBuffer, CopyConvertsOnlyAtTheSameSize) {
  FramePtr p = makeFrame(4, 2, kFBPixFormatPlanarFloat);
  planeRow(p.get(), 0, 1)[2] = 1.0f;
  FramePtr f = makeFrame(4, 2, kFBPixFormat32ARGB);
  FBCopyFrameBuffer(p.get(), f.get());
  EXPECT_EQ(0xFFFF0000u, word(f.get(), 2, 1));
  EXPECT_EQ(0xFF000000u, word(f.get(), 0, 0));
  FramePtr other = makeFrame(5, 2, kFBPixFormat32ARGB);
  FBCopyFrameBuffer(p.get(), other.get());
  EXPECT_EQ(0u, word(other.get(), 2, 1));
}

TEST(FrameBuffer, ScalingKeepsFlatColourAndShape) {
  for (FBPixFormat format : {kFBPixFormat32ARGB, kFBPixFormatPlanarFloat, kFBPixFormatFloatRGBA}) {
    FramePtr src = makeFrame(40, 30, format);
    FramePtr up = makeFrame(97, 61, format), down = makeFrame(9, 7, format);
    if (format == kFBPixFormat32ARGB) {
      for (uint32_t y = 0; y < 30; ++y)
        for (uint32_t x = 0; x < 40; ++x) setWord(src.get(), x, y, 0x80402010u);
    } else {
      float* all = reinterpret_cast<float*>(src->baseAddr);
      for (size_t i = 0; i < size_t(src->planeCount) * src->planeBytes / 4; ++i) all[i] = 0.25f;
    }
    FBCopyFrameBuffer(src.get(), up.get());
    FBCopyFrameBuffer(src.get(), down.get());
    for (FBFrameStruct* f : {up.get(), down.get()}) {
      if (format == kFBPixFormat32ARGB) {
        EXPECT_EQ(0x80402010u, word(f, f->width - 1, f->height - 1));
        EXPECT_EQ(0x80402010u, word(f, 0, 0));
      } else {
        const float* all = reinterpret_cast<const float*>(f->baseAddr);
        size_t count = format == kFBPixFormatPlanarFloat ? 0 : f->width * 4;
        for (int plane = 0; format == kFBPixFormatPlanarFloat && plane < 4; ++plane)
          EXPECT_NEAR(0.25f, planeRow(f, plane, f->height - 1)[f->width - 1], 1e-5);
        for (size_t i = 0; i < count; ++i) EXPECT_NEAR(0.25f, all[i], 1e-5);
      }
    }
  }
  // A thumbnail far smaller than its source still gets the average colour:
  // left half 0, right half 1 -> about 0.5, shrunk 200 times across.
  FramePtr wide = makeFrame(2000, 2, kFBPixFormatPlanarFloat), thumb = makeFrame(10, 1, kFBPixFormatPlanarFloat);
  for (uint32_t y = 0; y < 2; ++y)
    for (uint32_t x = 0; x < 2000; ++x) planeRow(wide.get(), 0, y)[x] = x < 1000 ? 0.0f : 1.0f;
  planeRow(thumb.get(), 0, 0)[0] = -7.0f;
  FBCopyFrameBuffer(wide.get(), thumb.get());
  EXPECT_NEAR(0.0f, planeRow(thumb.get(), 0, 0)[0], 0.02);
  EXPECT_NEAR(1.0f, planeRow(thumb.get(), 0, 0)[9], 0.02);
  // A vertical edge stays an edge, in the same place, when enlarged 2x.
  FramePtr edge = makeFrame(8, 4, kFBPixFormatPlanarFloat), big = makeFrame(16, 8, kFBPixFormatPlanarFloat);
  for (uint32_t y = 0; y < 4; ++y)
    for (uint32_t x = 4; x < 8; ++x) planeRow(edge.get(), 0, y)[x] = 1.0f;
  FBCopyFrameBuffer(edge.get(), big.get());
  EXPECT_NEAR(0.0f, planeRow(big.get(), 0, 3)[1], 0.02);
  EXPECT_NEAR(1.0f, planeRow(big.get(), 0, 3)[14], 0.02);
  EXPECT_NEAR(0.5f, (planeRow(big.get(), 0, 3)[7] + planeRow(big.get(), 0, 3)[8]) / 2, 0.02);
}

TEST(FrameBuffer, SubsetScalesOneRectangleIntoAnother) {
  FramePtr src = makeFrame(8, 8, kFBPixFormat32ARGB), dst = makeFrame(8, 8, kFBPixFormat32ARGB);
  for (uint32_t y = 0; y < 8; ++y)
    for (uint32_t x = 0; x < 8; ++x) setWord(src.get(), x, y, y < 4 && x < 4 ? 0xFF00FF00u : 0xFF0000FFu);
  QVRect from{0, 0, 4, 4}, to{4, 4, 8, 8};
  FBCopyFrameBufferSubset(src.get(), &from, dst.get(), &to);
  EXPECT_EQ(0xFF00FF00u, word(dst.get(), 5, 6));
  EXPECT_EQ(0u, word(dst.get(), 3, 3));
  // Rectangles that leave their frames copy nothing.
  FramePtr untouched = makeFrame(8, 8, kFBPixFormat32ARGB);
  QVRect outside{6, 6, 12, 12}, negative{-2, 0, 2, 4};
  FBCopyFrameBufferSubset(src.get(), &outside, untouched.get(), &to);
  FBCopyFrameBufferSubset(src.get(), &from, untouched.get(), &negative);
  for (uint32_t y = 0; y < 8; ++y)
    for (uint32_t x = 0; x < 8; ++x) ASSERT_EQ(0u, word(untouched.get(), x, y));
  // A planar source into an 8-bit destination converts first.
  FramePtr planar = makeFrame(8, 8, kFBPixFormatPlanarFloat);
  for (uint32_t y = 0; y < 8; ++y)
    for (uint32_t x = 0; x < 8; ++x) planeRow(planar.get(), 1, y)[x] = 1.0f;
  FramePtr into = makeFrame(8, 8, kFBPixFormat32ARGB);
  QVRect whole{0, 0, 8, 8};
  FBCopyFrameBufferSubset(planar.get(), &whole, into.get(), &to);
  EXPECT_EQ(0xFF00FF00u, word(into.get(), 6, 6));
}

TEST(FrameBuffer, LUTTransformStaysInsideTheWidth) {
  uint8_t table[768];
  for (int i = 0; i < 256; ++i) table[i] = uint8_t(i + 1), table[256 + i] = uint8_t(i + 2), table[512 + i] = uint8_t(i + 3);
  for (FBPixFormat format : {kFBPixFormat32ARGB, kFBPixFormatBGRA}) {
    std::vector<uint32_t> px(2 * 8, 0xEEEEEEEEu);  // rows of 8 words, 5 pixels wide
    uint32_t in = format == kFBPixFormat32ARGB ? 0x40102030u : 0x30201040u;
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 5; ++x) px[y * 8 + x] = in;
    FBTransformWithLUTPix(px.data(), 5, 2, 32, table, format, 1, nullptr);
    uint32_t out = format == kFBPixFormat32ARGB ? 0x40112233u : 0x33221140u;
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 5; ++x) EXPECT_EQ(out, px[y * 8 + x]);
      for (int x = 5; x < 8; ++x) EXPECT_EQ(0xEEEEEEEEu, px[y * 8 + x]);
    }
  }
}

TEST(FrameBuffer, AlphaTransferTouchesOnlyAlpha) {
  struct Case {
    FBPixFormat format;
    uint32_t pixelBytes, offset, bytes;
  } cases[] = {
      {kFBPixFormat32ARGB, 4, 3, 1},    {kFBPixFormatYCbCr8, 4, 3, 1},      {kFBPixFormatBGRA, 4, 0, 1},
      {kFBPixFormat16ARGB, 8, 0, 2},    {kFBPixFormatFloatARGB, 16, 0, 4},  {kFBPixFormatYCbCrFloat, 16, 12, 4},
      {kFBPixFormatFloatBGRA, 16, 12, 4},
  };
  const uint32_t w = 5, h = 9;
  VLMPMaster master{};
  VLMPSetProcessorCountOverride(3);
  ASSERT_EQ(3u, VLMPInitialize(&master, 1));
  for (const Case& c : cases) {
    for (uint32_t n : {1u, 3u}) {
      std::vector<uint8_t> src(h * w * c.pixelBytes + 8), dst(h * w * c.pixelBytes + 8, 0x11);
      for (size_t i = 0; i < src.size(); ++i) src[i] = uint8_t(i * 7 + 1);
      FBTransferPixAlphaToPixAlpha(src.data(), w * c.pixelBytes, dst.data(), w * c.pixelBytes, w, h, c.format, n,
                                   &master);
      for (size_t i = 0; i < dst.size(); ++i) {
        size_t inPixel = i % c.pixelBytes;
        bool alpha = i < h * w * c.pixelBytes && inPixel >= c.offset && inPixel < c.offset + c.bytes;
        ASSERT_EQ(alpha ? src[i] : 0x11, dst[i]) << c.format << " byte " << i;
      }
    }
  }
  uint8_t a[4] = {1, 2, 3, 4}, b[4] = {};
  FBTransferPixAlphaToPixAlphaWork(a, 4, b, 4, 1, 1, kFBPixFormatPlanarFloat);  // not an alpha layout
  EXPECT_EQ(0, b[0] + b[3]);
  VLMPStopAllTasks(master.taskCount, &master);
  VLMPSetProcessorCountOverride(0);
}

TEST(FrameBuffer, CoreVideoTypes) {
  EXPECT_EQ(kFBPixFormatCV32ARGB, FBPixFormatFromCVPixelFormatType(32));
  EXPECT_EQ(kFBPixFormatBGRA, FBPixFormatFromCVPixelFormatType(QVFourCC("BGRA")));
  EXPECT_EQ(kFBPixFormat32ARGB, FBPixFormatFromCVPixelFormatType(QVFourCC("2vuy")));
}

}  // namespace
