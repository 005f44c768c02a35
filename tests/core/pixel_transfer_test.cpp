#include "core/pixel_transfer.h"

#include "core/task_pool.h"

#include "tests/core/frame_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {


float at(const FBFrameStruct* f, int plane, uint32_t x, uint32_t y) {
  float v;
  memcpy(&v, f->baseAddr + size_t(plane) * f->planeBytes + size_t(y) * f->rowBytes + x * 4, 4);
  return v;
}
void put(FBFrameStruct* f, int plane, uint32_t x, uint32_t y, float v) {
  memcpy(f->baseAddr + size_t(plane) * f->planeBytes + size_t(y) * f->rowBytes + x * 4, &v, 4);
}

template <class T>
std::vector<uint8_t> bytesOf(std::initializer_list<T> values) {
  std::vector<uint8_t> out(values.size() * sizeof(T));
  memcpy(out.data(), values.begin(), out.size());
  return out;
}

uint32_t word(const std::vector<uint8_t>& v, size_t i) {
  uint32_t w;
  memcpy(&w, v.data() + i * 4, 4);
  return w;
}

// One pixel of a host layout into a 1x1 planar frame: R, G, B and plane 4.
std::array<float, 4> pixelIn(const std::vector<uint8_t>& host, FBPixFormat format, bool premultiplied = false,
                             uint32_t width = 1) {
  FramePtr f = makeFrame(width, 1, kFBPixFormatPlanarFloat);
  if (premultiplied)
    FBTransferPixToFBFramePremultipliedSSE(host.data(), uint32_t(host.size()), format, f.get());
  else
    FBTransferPixToFBFrameSSE(host.data(), uint32_t(host.size()), 0, format, f.get());
  return {at(f.get(), 0, 0, 0), at(f.get(), 1, 0, 0), at(f.get(), 2, 0, 0), at(f.get(), 3, 0, 0)};
}

std::vector<uint8_t> pixelOut(float r, float g, float b, FBPixFormat format, size_t bytes) {
  FramePtr f = makeFrame(1, 1, kFBPixFormatPlanarFloat);
  put(f.get(), 0, 0, 0, r);
  put(f.get(), 1, 0, 0, g);
  put(f.get(), 2, 0, 0, b);
  std::vector<uint8_t> host(bytes, 0xAB);
  FBTransferFBFrameToPixSSE(f.get(), nullptr, host.data(), uint32_t(bytes), format);
  return host;
}

TEST(PixelTransfer, KnownPixelsIn) {
  struct Case {
    const char* name;
    std::vector<uint8_t> host;
    FBPixFormat format;
    bool premultiplied;
    float r, g, b, y;
  } cases[] = {
      {"32 red", bytesOf<uint32_t>({0xFFFF0000u}), kFBPixFormat32ARGB, false, 1, 0, 0, 0.299f},
      {"BGRA blue", bytesOf<uint32_t>({0xFF0000FFu}), kFBPixFormatBGRA, false, 0, 0, 1, 0.114f},
      {"16 green over scale", bytesOf<uint16_t>({32768, 0, 65535, 16384}), kFBPixFormat16ARGB, false, 0, 1, 0.5f,
       0.587f + 0.057f},
      {"16 half alpha", bytesOf<uint16_t>({16384, 32768, 32768, 0}), kFBPixFormat16ARGB, true, 0.5f, 0.5f, 0,
       0.443f},
      {"16 zero alpha", bytesOf<uint16_t>({0, 32768, 32768, 32768}), kFBPixFormat16ARGB, true, 0, 0, 0, 0},
      {"201", bytesOf<float>({0.5f, 0.1f, 0.2f, 1.5f}), kFBPixFormatFloatARGB, false, 0.1f, 0.2f, 1.5f,
       0.299f * 0.1f + 0.587f * 0.2f + 0.114f * 1.5f},
      {"201 premultiplied", bytesOf<float>({0.5f, 0.2f, 0.4f, 1.0f}), kFBPixFormatFloatARGB, true, 0.1f, 0.2f, 0.5f,
       0.299f * 0.1f + 0.587f * 0.2f + 0.114f * 0.5f},
      {"202", bytesOf<float>({0.1f, 0.2f, 0.3f, 0.0f}), kFBPixFormatFloatRGBA, false, 0.1f, 0.2f, 0.3f,
       0.299f * 0.1f + 0.587f * 0.2f + 0.114f * 0.3f},
      {"215", bytesOf<float>({0.3f, 0.2f, -0.1f, 1.0f}), kFBPixFormatFloatBGRA, false, -0.1f, 0.2f, 0.3f,
       0.299f * -0.1f + 0.587f * 0.2f + 0.114f * 0.3f},
      {"207 white", bytesOf<uint32_t>({0xFFEB8080u}), kFBPixFormatYCbCr8, false, 1, 1, 1, 1},
      {"207 black", bytesOf<uint32_t>({0xFF108080u}), kFBPixFormatYCbCr8, false, 0, 0, 0, 0},
      {"v408 white", bytesOf<uint32_t>({0xFF80EB80u}), kFBPixFormatV408, false, 1, 1, 1, 1},
      {"r408 half alpha", bytesOf<uint32_t>({0x8080EB80u}), kFBPixFormatR408, true, 0.502f, 0.502f, 0.502f, 1},
      {"208 grey", bytesOf<float>({0, 0, 0.5f, 0.5f}), kFBPixFormatYCbCrFloat, true, 0.29109570f, 0.29109570f,
       0.29109570f, 0.29109570f},
      {"209 white", bytesOf<uint16_t>({60160, 32768, 60160, 32768}), kFBPixFormatYCbCr422_601, false, 1, 1, 1, 1},
      {"218", bytesOf<uint16_t>({65535, 0, 0}), kFBPixFormatPlanar16RGB, false, 1, 0, 0, 0.299f},
  };
  for (const Case& c : cases) {
    std::array<float, 4> got{};
    if (c.format == kFBPixFormatPlanar16RGB) {
      FramePtr f = makeFrame(1, 1, kFBPixFormatPlanarFloat);
      FBTransferPixToFBFrame(c.host.data(), 2, 2, c.format, f.get(), 1, nullptr);
      got = {at(f.get(), 0, 0, 0), at(f.get(), 1, 0, 0), at(f.get(), 2, 0, 0), at(f.get(), 3, 0, 0)};
    } else if (c.format == kFBPixFormatYCbCr422_601) {
      got = pixelIn(c.host, c.format, c.premultiplied, 2);
    } else {
      got = pixelIn(c.host, c.format, c.premultiplied);
    }
    EXPECT_NEAR(c.r, got[0], 1e-3) << c.name;
    EXPECT_NEAR(c.g, got[1], 1e-3) << c.name;
    EXPECT_NEAR(c.b, got[2], 1e-3) << c.name;
    EXPECT_NEAR(c.y, got[3], 1e-3) << c.name;
  }
}

TEST(PixelTransfer, KnownPixelsOut) {
  EXPECT_EQ(0xFFFF0000u, word(pixelOut(1, 0, 0, kFBPixFormat32ARGB, 4), 0));
  EXPECT_EQ(0xFF007F80u, word(pixelOut(-0.2f, 0.5f, 128.0f / 255, kFBPixFormat32ARGB, 4), 0));
  EXPECT_EQ(0xFFFF0000u, word(pixelOut(1.3f, NAN, -INFINITY, kFBPixFormat32ARGB, 4), 0));
  EXPECT_EQ(0x00FF00FFu, word(pixelOut(0, 1, 0, kFBPixFormatBGRA, 4), 0));
  EXPECT_EQ(bytesOf<uint16_t>({32767, 32768, 16384, 0}), pixelOut(1.5f, 0.5f, NAN, kFBPixFormat16ARGB, 8));
  EXPECT_EQ(bytesOf<float>({1.0f, 0.1f, 2.0f, -0.5f}), pixelOut(0.1f, 2.0f, -0.5f, kFBPixFormatFloatARGB, 16));
  EXPECT_EQ(bytesOf<float>({0.1f, 2.0f, -0.5f, 1.0f}), pixelOut(0.1f, 2.0f, -0.5f, kFBPixFormatFloatRGBA, 16));
  EXPECT_EQ(bytesOf<float>({-0.5f, 2.0f, 0.1f, 1.0f}), pixelOut(0.1f, 2.0f, -0.5f, kFBPixFormatFloatBGRA, 16));
  // White: Y 235; the chroma sums are a hair from zero and truncate to 127 or 128.
  uint32_t white = word(pixelOut(1, 1, 1, kFBPixFormatYCbCr8, 4), 0);
  EXPECT_EQ(0xFFEB0000u, white & 0xFFFF0000u);
  EXPECT_NEAR(128, int((white >> 8) & 0xFF), 1);
  EXPECT_NEAR(128, int(white & 0xFF), 1);
  EXPECT_EQ(0xFF108080u, word(pixelOut(0, 0, 0, kFBPixFormatYCbCr8, 4), 0));
  EXPECT_EQ(0xFF010101u & 0xFFFFFFFFu, word(pixelOut(NAN, NAN, NAN, kFBPixFormatYCbCr8, 4), 0) & 0xFF010101u);
  // An odd-width 4:2:2 row writes only its last pixel's Y0 and Cr.
  std::vector<uint8_t> host = pixelOut(1, 1, 1, kFBPixFormatYCbCr422_601, 8);
  EXPECT_EQ(bytesOf<uint16_t>({60160, 32768}), std::vector<uint8_t>(host.begin(), host.begin() + 4));
  EXPECT_EQ(0xABABABABu, word(host, 1));
}

TEST(PixelTransfer, FrameTo32RoundsEveryByteBack) {
  FramePtr f = makeFrame(256, 1, kFBPixFormatPlanarFloat);
  std::vector<uint32_t> in(256), out(256);
  for (uint32_t i = 0; i < 256; ++i) in[i] = 0x80000000u | i << 16 | (255 - i) << 8 | (i ^ 0x55);
  FBTransferPixToFBFrameSSE(in.data(), 1024, 0, kFBPixFormat32ARGB, f.get());
  FBTransferFBFrameToPixSSE(f.get(), nullptr, out.data(), 1024, kFBPixFormat32ARGB);
  for (uint32_t i = 0; i < 256; ++i) EXPECT_EQ(in[i] | 0xFF000000u, out[i]) << i;
  FBTransferFBFrameToPixSSE(f.get(), nullptr, out.data(), 1024, kFBPixFormatBGRA);
  for (uint32_t i = 0; i < 256; ++i) EXPECT_EQ(__builtin_bswap32(in[i] | 0xFF000000u), out[i]) << i;
}

TEST(PixelTransfer, RoundTripsExactlyWhereTheyShould) {
  std::mt19937 rng(7);
  const uint32_t w = 13, h = 5;
  FramePtr f = makeFrame(w, h, kFBPixFormatPlanarFloat);
  // 16-bit: every code 0..32768 survives.
  std::vector<uint16_t> in16(w * h * 4), out16(w * h * 4);
  for (size_t i = 0; i < in16.size(); ++i) in16[i] = uint16_t(i % 4 == 0 ? 32767 : rng() % 32769);
  FBTransferPixToFBFrameSSE(in16.data(), w * 8, 0, kFBPixFormat16ARGB, f.get());
  FBTransferFBFrameToPixSSE(f.get(), nullptr, out16.data(), w * 8, kFBPixFormat16ARGB);
  EXPECT_EQ(in16, out16);
  // Floats: bit for bit, with the alpha slot written as 1.0.
  for (FBPixFormat format : {kFBPixFormatFloatARGB, kFBPixFormatFloatRGBA, kFBPixFormatFloatBGRA}) {
    int alphaSlot = format == kFBPixFormatFloatARGB ? 0 : 3;
    std::vector<float> inF(w * h * 4), outF(w * h * 4);
    std::uniform_real_distribution<float> any(-2.0f, 3.0f);
    for (size_t i = 0; i < inF.size(); ++i) inF[i] = int(i % 4) == alphaSlot ? 1.0f : any(rng);
    FBTransferPixToFBFrameSSE(inF.data(), w * 16, 0, format, f.get());
    FBTransferFBFrameToPixSSE(f.get(), nullptr, outF.data(), w * 16, format);
    EXPECT_EQ(0, memcmp(inF.data(), outF.data(), inF.size() * 4)) << format;
  }
}

TEST(PixelTransfer, YCbCrRoundTripsWithinACode) {
  const uint32_t w = 16, h = 2;
  FramePtr f = makeFrame(w, h, kFBPixFormatPlanarFloat);
  std::mt19937 rng(3);
  // Legal 8-bit codes around the middle of the range.
  std::vector<uint32_t> in(w * h), out(w * h);
  for (auto& v : in) v = 0xFF000000u | (40 + rng() % 150) << 16 | (100 + rng() % 56) << 8 | (100 + rng() % 56);
  FBTransferPixToFBFrameSSE(in.data(), w * 4, 0, kFBPixFormatYCbCr8, f.get());
  FBTransferFBFrameToPixSSE(f.get(), nullptr, out.data(), w * 4, kFBPixFormatYCbCr8);
  for (size_t i = 0; i < in.size(); ++i)
    for (int s : {0, 8, 16}) EXPECT_NEAR(int((in[i] >> s) & 0xFF), int((out[i] >> s) & 0xFF), 1) << i;
  for (FBPixFormat format : {kFBPixFormatYCbCr422_601, kFBPixFormatYCbCr422_709}) {
    std::vector<uint16_t> in16(w * h * 2), out16(w * h * 2);
    for (size_t i = 0; i < in16.size(); i += 4) {
      uint16_t cr = uint16_t(30000 + rng() % 5000), cb = uint16_t(30000 + rng() % 5000);
      in16[i] = uint16_t(20000 + rng() % 20000), in16[i + 1] = cr, in16[i + 2] = uint16_t(20000 + rng() % 20000),
      in16[i + 3] = cb;
    }
    FBTransferPixToFBFrameSSE(in16.data(), w * 4, 0, format, f.get());
    FBTransferFBFrameToPixSSE(f.get(), nullptr, out16.data(), w * 4, format);
    for (size_t i = 0; i < in16.size(); ++i) EXPECT_NEAR(in16[i], out16[i], 4) << format << " " << i;
  }
}

TEST(PixelTransfer, NonFiniteFloatsConvertInRange) {
  const float odd[] = {NAN, INFINITY, -INFINITY, -NAN, 1e30f, -1e30f};
  FramePtr f = makeFrame(6, 1, kFBPixFormatPlanarFloat);
  for (int plane = 0; plane < 3; ++plane)
    for (int x = 0; x < 6; ++x) put(f.get(), plane, x, 0, odd[(x + plane) % 6]);
  for (FBPixFormat format : {kFBPixFormat32ARGB, kFBPixFormatBGRA, kFBPixFormat16ARGB, kFBPixFormatYCbCr8,
                             kFBPixFormatYCbCr422_601, kFBPixFormatYCbCr422_709}) {
    std::vector<uint8_t> host(6 * 8, 0);
    FBTransferFBFrameToPixSSE(f.get(), nullptr, host.data(), 48, format);
    if (format == kFBPixFormat16ARGB) {
      for (size_t i = 0; i < 24; ++i) EXPECT_LE(host[i * 2] | host[i * 2 + 1] << 8, 32768) << i;
    }
    if (format == kFBPixFormatYCbCr422_601 || format == kFBPixFormatYCbCr422_709) {
      for (size_t i = 0; i < 12; ++i) {
        int v = host[i * 2] | host[i * 2 + 1] << 8;
        EXPECT_TRUE(v >= 1 && v <= 65472) << v;
      }
    }
  }
  // NaN lands on zero in 8-bit.
  FramePtr n = makeFrame(1, 1, kFBPixFormatPlanarFloat);
  for (int plane = 0; plane < 3; ++plane) put(n.get(), plane, 0, 0, NAN);
  uint32_t v = 1;
  FBTransferFBFrameToPixSSE(n.get(), nullptr, &v, 4, kFBPixFormat32ARGB);
  EXPECT_EQ(0xFF000000u, v);
  // 16-bit components past full scale stop at 255 in an 8-bit frame.
  FramePtr f32 = makeFrame(1, 1, kFBPixFormat32ARGB);
  std::vector<uint8_t> big = bytesOf<uint16_t>({65535, 65535, 32768, 0});
  FBTransferPixToFBFrameSSE(big.data(), 8, 0, kFBPixFormat16ARGB, f32.get());
  uint32_t got;
  memcpy(&got, f32->baseAddr, 4);
  EXPECT_EQ(0x00FFFF00u, got);
}

TEST(PixelTransfer, EightBitFramesAndPremultiplied) {
  FramePtr f32 = makeFrame(2, 1, kFBPixFormat32ARGB), bgra = makeFrame(2, 1, kFBPixFormatBGRA);
  std::vector<uint8_t> in = bytesOf<uint32_t>({0x80FF4020u, 0xFF102030u});
  FBTransferPixToFBFrameSSE(in.data(), 8, 0, kFBPixFormat32ARGB, bgra.get());
  uint32_t w0;
  memcpy(&w0, bgra->baseAddr, 4);
  EXPECT_EQ(0x2040FF80u, w0);
  FBTransferPixToFBFramePremultipliedSSE(in.data(), 8, kFBPixFormat32ARGB, f32.get());
  memcpy(&w0, f32->baseAddr, 4);
  EXPECT_EQ(0x80802010u, w0);  // a = 128/255: 255 -> 128, 64 -> 32, 32 -> 16
  std::vector<uint8_t> out(32);
  FBTransferFBFrameToPixSSE(f32.get(), nullptr, out.data(), 32, kFBPixFormatFloatRGBA);
  float rgba[4];
  memcpy(rgba, out.data(), 16);
  EXPECT_FLOAT_EQ(128.0f / 255, rgba[0]);
  EXPECT_EQ(1.0f, rgba[3]);
  // 'r4fl' into an 8-bit frame: white, opaque.
  std::vector<uint8_t> r4 = bytesOf<float>({1.0f, 0.9215686f, 0.5019608f, 0.5019608f, 1.0f, 0.0627451f, 0.5019608f,
                                            0.5019608f});
  FBTransferPixToFBFrameSSE(r4.data(), 32, 0, kFBPixFormatR4FL, f32.get());
  memcpy(&w0, f32->baseAddr, 4);
  EXPECT_EQ(0xFFFFFFFFu & 0xFFFEFEFEu, w0 & 0xFFFEFEFEu);
  // The three-plane 16-bit layout has no plane stride in the premultiplied
  // transfer: it is left alone rather than read as three copies of red.
  FramePtr planar = makeFrame(1, 1, kFBPixFormatPlanarFloat);
  std::vector<uint8_t> planes = bytesOf<uint16_t>({65535, 0, 0});
  FBTransferPixToFBFramePremultipliedSSE(planes.data(), 2, kFBPixFormatPlanar16RGB, planar.get());
  EXPECT_EQ(0.0f, at(planar.get(), 1, 0, 0));
  EXPECT_EQ(0.0f, at(planar.get(), 0, 0, 0));
  // Unhandled pairs leave the frame alone.
  FramePtr untouched = makeFrame(1, 1, kFBPixFormatBGRA);
  FBTransferPixToFBFrameSSE(in.data(), 8, 0, kFBPixFormat16ARGB, untouched.get());
  FBTransferPixToFBFrameSSE(in.data(), 8, 0, 999, untouched.get());
  memcpy(&w0, untouched->baseAddr, 4);
  EXPECT_EQ(0u, w0);
}

TEST(PixelTransfer, SubsetIsClippedToTheFrame) {
  FramePtr f = makeFrame(4, 3, kFBPixFormatPlanarFloat);
  for (uint32_t y = 0; y < 3; ++y)
    for (uint32_t x = 0; x < 4; ++x) put(f.get(), 0, x, y, float(y * 4 + x) / 255.0f);
  // The rectangle hangs off the top-left and bottom-right; the host buffer is
  // laid out for the whole rectangle, 6 pixels by 5 rows.
  std::vector<uint32_t> host(6 * 5, 0xDEADBEEFu);
  QVRect rect{-1, -1, 4, 5};
  FBTransferFBFrameSubsetToPix(f.get(), &rect, host.data(), 24, kFBPixFormat32ARGB);
  for (uint32_t y = 0; y < 5; ++y)
    for (uint32_t x = 0; x < 6; ++x) {
      bool inside = y >= 1 && y <= 3 && x >= 1 && x <= 4;
      uint32_t expect = inside ? 0xFF000000u | ((y - 1) * 4 + (x - 1)) << 16 : 0xDEADBEEFu;
      EXPECT_EQ(expect, host[y * 6 + x]) << x << "," << y;
    }
  QVRect empty{5, 5, 9, 9};
  FBTransferFBFrameSubsetToPix(f.get(), &empty, host.data(), 24, kFBPixFormat32ARGB);
}

// 16-bit pixels go in four at a time where the build has vectors: every
// sample value in each colour, in rows whose width leaves pixels over after
// the groups of four, gives the bits of the pixel-by-pixel path (the
// premultiplied transfer with an alpha of exactly 1) in all four planes.
TEST(PixelTransfer, SixteenBitPixelsInGroupsGiveThePixelByPixelBits) {
  constexpr uint32_t kWidth = 67, kHeight = (65536 + kWidth - 1) / kWidth;
  std::vector<uint16_t> pixels(size_t(kWidth) * kHeight * 4);
  for (uint32_t i = 0; i < kWidth * kHeight; ++i) {
    const uint32_t v = i & 0xFFFF;
    pixels[size_t(i) * 4 + 0] = 32768;                   // alpha 1
    pixels[size_t(i) * 4 + 1] = uint16_t(v);             // every value, full scale 32768 in the middle
    pixels[size_t(i) * 4 + 2] = uint16_t(v * 7919 + 13); // every value again, in another order
    pixels[size_t(i) * 4 + 3] = uint16_t(65535 - v);
  }
  FBFrameStruct* want = nullptr;
  FBFrameStruct* got = nullptr;
  ASSERT_EQ(FBCreateRGBFrameBuffer(kWidth, kHeight, &want, kFBPixFormatPlanarFloat), kQVNoErr);
  ASSERT_EQ(FBCreateRGBFrameBuffer(kWidth, kHeight, &got, kFBPixFormatPlanarFloat), kQVNoErr);
  FBTransferPixToFBFramePremultipliedSSE(pixels.data(), kWidth * 8, kFBPixFormat16ARGB, want);
  FBTransferPixToFBFrameSSE(pixels.data(), kWidth * 8, 0, kFBPixFormat16ARGB, got);
  int wrong = 0;
  for (uint32_t p = 0; p < 4; ++p)
    for (uint32_t y = 0; y < kHeight; ++y) {
      const size_t at = size_t(p) * want->planeBytes + size_t(y) * want->rowBytes;
      for (uint32_t x = 0; x < kWidth && wrong < 10; ++x)
        if (std::memcmp(want->baseAddr + at + x * 4, got->baseAddr + at + x * 4, 4) != 0) {
          ++wrong;
          ADD_FAILURE() << "plane " << p << " pixel " << x << ", " << y;
        }
    }
  FBDisposeFrameBuffer(want);
  FBDisposeFrameBuffer(got);
}

TEST(PixelTransfer, PoolFormsMatchInlineForEveryLayout) {
  VLMPMaster master{};
  VLMPSetProcessorCountOverride(4);
  ASSERT_EQ(4u, VLMPInitialize(&master, 1));
  const uint32_t w = 10, h = 37;
  std::mt19937 rng(11);
  std::vector<uint8_t> host(size_t(w) * h * 16 * 3);
  for (auto& b : host) b = uint8_t(rng());
  // Keep the float layouts finite so memcmp compares like with like.
  std::vector<uint8_t> hostF(size_t(w) * h * 16);
  std::uniform_real_distribution<float> unit(0, 1);
  for (size_t i = 0; i < hostF.size() / 4; ++i) {
    float v = unit(rng);
    memcpy(&hostF[i * 4], &v, 4);
  }
  const FBPixFormat layouts[] = {kFBPixFormat32ARGB,       kFBPixFormatBGRA,         kFBPixFormat16ARGB,
                                 kFBPixFormatFloatARGB,    kFBPixFormatFloatRGBA,    kFBPixFormatFloatBGRA,
                                 kFBPixFormatYCbCr8,       kFBPixFormatV408,         kFBPixFormatYCbCrFloat,
                                 kFBPixFormatYCbCr422_601, kFBPixFormatYCbCr422_709, kFBPixFormatPlanar16RGB};
  for (FBPixFormat format : layouts) {
    bool isFloat = format == kFBPixFormatFloatARGB || format == kFBPixFormatFloatRGBA ||
                   format == kFBPixFormatFloatBGRA || format == kFBPixFormatYCbCrFloat;
    const uint8_t* src = isFloat ? hostF.data() : host.data();
    uint32_t rowBytes = w * 16;
    for (bool premultiplied : {false, true}) {
      FramePtr a = makeFrame(w, h, kFBPixFormatPlanarFloat), b = makeFrame(w, h, kFBPixFormatPlanarFloat);
      if (premultiplied) {
        FBTransferPixToFBFramePremultiplied(src, rowBytes, format, a.get(), 1, &master);
        FBTransferPixToFBFramePremultiplied(src, rowBytes, format, b.get(), 4, &master);
      } else {
        FBTransferPixToFBFrame(src, rowBytes, uint32_t(w * h * 16), format, a.get(), 1, &master);
        FBTransferPixToFBFrame(src, rowBytes, uint32_t(w * h * 16), format, b.get(), 4, &master);
      }
      EXPECT_EQ(0, memcmp(a->baseAddr, b->baseAddr, size_t(a->planeBytes) * 4)) << format;
      std::vector<uint8_t> outA(size_t(w) * h * 16), outB(size_t(w) * h * 16);
      FBTransferFBFrameToPix(a.get(), outA.data(), rowBytes, format, 1, &master);
      FBTransferFBFrameToPix(a.get(), outB.data(), rowBytes, format, 4, &master);
      EXPECT_EQ(outA, outB) << format;
    }
  }
  VLMPStopAllTasks(master.taskCount, &master);
  VLMPSetProcessorCountOverride(0);
}

}  // namespace
