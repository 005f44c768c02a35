#include "core/auto_levels.h"
#include "core/histogram.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/core/frame_test_util.h"

namespace {

struct RGB8 {
  uint8_t r, g, b;
};

// A frame of the format holding the pixels in row order.
FramePtr FrameOf(const std::vector<RGB8>& pixels, uint32_t width, FBPixFormat format) {
  uint32_t height = uint32_t(pixels.size()) / width;
  FramePtr f = makeFrame(width, height, format);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      const RGB8& p = pixels[y * width + x];
      uint8_t* row = f->baseAddr + size_t(y) * f->rowBytes;
      if (format == kFBPixFormat32ARGB || format == kFBPixFormatBGRA) {
        uint32_t v = format == kFBPixFormat32ARGB
                         ? 0xFF000000u | uint32_t(p.r) << 16 | uint32_t(p.g) << 8 | p.b
                         : uint32_t(p.b) << 24 | uint32_t(p.g) << 16 | uint32_t(p.r) << 8 | 0xFFu;
        std::memcpy(row + x * 4, &v, 4);
      } else if (format == kFBPixFormatFloatARGB) {
        // Half a code above each value: truncation must still give the value.
        float v[4] = {1.0f, (p.r + 0.5f) / 255.0f, (p.g + 0.5f) / 255.0f, (p.b + 0.5f) / 255.0f};
        std::memcpy(row + x * 16, v, 16);
      } else if (format == kFBPixFormatPlanarFloat) {
        planeRow(f.get(), 0, y)[x] = p.r / 255.0f;
        planeRow(f.get(), 1, y)[x] = p.g / 255.0f;
        planeRow(f.get(), 2, y)[x] = p.b / 255.0f;
      }
    }
  return f;
}

std::vector<RGB8> Flat(size_t count, RGB8 colour) { return std::vector<RGB8>(count, colour); }

VL_SettingsStruct Defaults() {
  VL_SettingsStruct s;
  std::memset(&s, 0, sizeof s);
  VL_SetDefaultControlValues(&s, kVLMaskAll);
  return s;
}

TEST(Histogram, EveryCountedFormatGivesTheSameCounts) {
  std::vector<RGB8> pixels;
  for (int i = 0; i < 64; ++i) pixels.push_back({uint8_t(i * 4), uint8_t(255 - i), uint8_t(i % 7)});
  struct Counts {
    uint32_t luma[256], red[256], green[256], blue[256];
  };
  auto count = [&](FBPixFormat format) {
    Counts c{};
    FramePtr f = FrameOf(pixels, 8, format);
    VLHistogramContext context;
    VLHistogramContextInit(&context, 256, c.luma, c.red, c.green, c.blue);
    FBIterateFrame(f.get(), VL_HistogramPixelProc, &context);
    return c;
  };
  Counts reference = count(kFBPixFormat32ARGB);
  EXPECT_EQ(1u, reference.red[8]);
  EXPECT_EQ(1u, reference.green[250]);
  EXPECT_EQ(10u, reference.blue[0]);
  for (FBPixFormat format : {kFBPixFormatBGRA, kFBPixFormatFloatARGB, kFBPixFormatPlanarFloat}) {
    Counts c = count(format);
    EXPECT_EQ(0, std::memcmp(&reference, &c, sizeof c)) << format;
  }
  Counts none = count(kFBPixFormat16ARGB);
  Counts zero{};
  EXPECT_EQ(0, std::memcmp(&zero, &none, sizeof zero));
}

TEST(Histogram, HalvedAndDoubledBins) {
  FramePtr f = FrameOf(Flat(4, {101, 101, 101}), 2, kFBPixFormat32ARGB);
  uint32_t small[128] = {}, large[512] = {};
  VLHistogramContext context;
  VLHistogramContextInit(&context, 128, nullptr, small, nullptr, nullptr);
  FBIterateFrame(f.get(), VL_HistogramPixelProc, &context);
  EXPECT_EQ(4u, small[50]);
  VLHistogramContextInit(&context, 512, nullptr, large, nullptr, nullptr);
  FBIterateFrame(f.get(), VL_HistogramPixelProc, &context);
  EXPECT_EQ(4u, large[202]);
  EXPECT_EQ(4u, large[203]);
}

TEST(Histogram, LumaTablesByMode) {
  const uint8_t* t = GetRGBtoY(kVLLumaRec601);
  EXPECT_EQ(76, t[255]);
  EXPECT_EQ(150, t[256 + 255]);
  EXPECT_EQ(29, t[512 + 255]);
  t = GetRGBtoY(kVLLumaRec709);
  EXPECT_EQ(54, t[255]);
  EXPECT_EQ(182, t[256 + 255]);
  t = GetRGBtoY(kVLLumaSMPTE240M);
  EXPECT_EQ(179, t[256 + 255]);
  t = GetRGBtoY(7);  // unknown: the tables stay as they were
  EXPECT_EQ(179, t[256 + 255]);
}

TEST(Histogram, TrimSearch) {
  uint32_t h[256] = {};
  h[3] = 2;
  h[40] = 5;
  h[200] = 4;
  h[250] = 1;
  struct Case {
    uint64_t trim;
    float black, white;
  } cases[] = {
      {1, 3 / 255.0f, 250 / 255.0f},
      {2, 3 / 255.0f, 200 / 255.0f},
      {3, 40 / 255.0f, 200 / 255.0f},
      {6, 40 / 255.0f, 40 / 255.0f},
      {1000, 1.0f, 0.0f},  // never reached: the last bin
  };
  for (const Case& c : cases) {
    EXPECT_FLOAT_EQ(c.black, VL_TrimBlackPoint(h, c.trim)) << c.trim;
    EXPECT_FLOAT_EQ(c.white, VL_TrimWhitePoint(h, c.trim)) << c.trim;
  }
}

TEST(AutoExposure, TrimsTheLumaHistogram) {
  // 3 black pixels and 997 at grey 100 (Rec. 709 luma 100).
  std::vector<RGB8> pixels = Flat(1000, {100, 100, 100});
  for (int i = 0; i < 3; ++i) pixels[size_t(i) * 100] = {0, 0, 0};
  FramePtr f = FrameOf(pixels, 100, kFBPixFormat32ARGB);
  struct Case {
    float trim, black, white;
  } cases[] = {
      {0.005f, 100 / 255.0f, 100 / 255.0f},  // 5 pixels: the three blacks are clipped
      {0.002f, 0.0f, 100 / 255.0f},          // 2 pixels: the blacks stay
      {0.0005f, 0.0f, 1.0f},                 // under one pixel: the full range
  };
  for (const Case& c : cases) {
    VL_SettingsStruct s = Defaults();
    VL_SettingsStruct before = s;
    HistogramEqualizationLuma(f.get(), &s, c.trim);
    EXPECT_FLOAT_EQ(c.black, s.levels[kVLLevelsMaster].inblackpt) << c.trim;
    EXPECT_FLOAT_EQ(c.white, s.levels[kVLLevelsMaster].inwhitept) << c.trim;
    s.levels[kVLLevelsMaster].inblackpt = before.levels[kVLLevelsMaster].inblackpt;
    s.levels[kVLLevelsMaster].inwhitept = before.levels[kVLLevelsMaster].inwhitept;
    EXPECT_TRUE(VL_SettingsAreSame(&s, &before)) << "only the two master points are written";
  }
}

TEST(AutoColor, FlatGreyAndTinyFrames) {
  VL_SettingsStruct s = Defaults();
  FramePtr grey = FrameOf(Flat(1600, {30, 120, 200}), 40, kFBPixFormatBGRA);
  HistogramEqualizationRGB(grey.get(), &s);
  const float expected[3] = {30 / 255.0f, 120 / 255.0f, 200 / 255.0f};
  for (int c = 0; c < 3; ++c) {
    const VL_LevelControls& l = s.levels[kVLLevelsRed + c];
    EXPECT_FLOAT_EQ(expected[c], l.inblackpt);
    EXPECT_FLOAT_EQ(expected[c], l.inwhitept);
    EXPECT_FLOAT_EQ(0.5f, l.ingraypt);
  }
  // 1,428 pixels trim no pixel at all.
  FramePtr tiny = FrameOf(Flat(1428, {30, 120, 200}), 28, kFBPixFormat32ARGB);
  HistogramEqualizationRGB(tiny.get(), &s);
  for (int c = 0; c < 3; ++c) {
    const VL_LevelControls& l = s.levels[kVLLevelsRed + c];
    EXPECT_EQ(0.0f, l.inblackpt);
    EXPECT_EQ(0.5f, l.ingraypt);
    EXPECT_EQ(1.0f, l.inwhitept);
  }
}

TEST(AutoColor, MeanMatchedGrayPoint) {
  struct Case {
    float black, gray, white;
    double factor;
    float expected;
  } cases[] = {
      {0.0f, 0.5f, 1.0f, 1.0, 0.5f},    // centred, factor 1: kept
      {0.0f, 0.3f, 1.0f, 1.0, 0.3f},    // factor 1 keeps any gray point
      {0.0f, 0.75f, 1.0f, 1.0, 0.75f},
      {0.0f, 0.5f, 1.0f, 2.0, 0.4f},    // e = 0.5: (6 - 2) x 0.1
      {0.0f, 0.75f, 1.0f, 2.0, 0.5f},   // e = 2 / 2 = 1
      {0.0f, 0.5f, 1.0f, 0.5, 0.75f},   // e = 2: 1 - 0.25
      {0.2f, 0.6f, 0.6f, 2.0, 0.6f},    // relative gray 1 stays at the white point
      {0.4f, 0.4f, 0.4f, 2.0, 0.4f},    // white = black: kept
      {0.2f, 0.6f, 1.0f, 2.0, 0.52f},   // relative 0.5 moved to 0.4 of the span
  };
  for (const Case& c : cases)
    EXPECT_NEAR(c.expected, VL_MeanMatchedGrayPoint(c.black, c.gray, c.white, c.factor), 1e-6)
        << c.black << " " << c.gray << " " << c.white << " x" << c.factor;
}

TEST(AutoColor, MeanMatchFollowsTheBrightestChannel) {
  struct Case {
    RGB8 colour;
    float red, green, blue;
  } cases[] = {
      {{200, 100, 100}, 0.5f, 0.4f, 0.4f},  // red leads at twice the others
      {{100, 200, 100}, 0.4f, 0.5f, 0.4f},
      {{150, 150, 100}, 0.5f, 0.5f, 0.5f},  // shared largest mean: unchanged
      {{150, 150, 0}, 0.5f, 0.5f, 0.5f},    // a mean of 0: unchanged
  };
  for (const Case& c : cases) {
    VL_SettingsStruct s = Defaults();
    FramePtr f = FrameOf(Flat(64, c.colour), 8, kFBPixFormat32ARGB);
    HistogramMeanMatchRGB(f.get(), &s);
    EXPECT_NEAR(c.red, s.levels[kVLLevelsRed].ingraypt, 1e-6);
    EXPECT_NEAR(c.green, s.levels[kVLLevelsGreen].ingraypt, 1e-6);
    EXPECT_NEAR(c.blue, s.levels[kVLLevelsBlue].ingraypt, 1e-6);
  }
  // No counted pixel: nothing changes.
  VL_SettingsStruct s = Defaults();
  s.levels[kVLLevelsGreen].ingraypt = 0.3f;
  VL_SettingsStruct before = s;
  FramePtr ignored = makeFrame(8, 8, kFBPixFormat16ARGB);
  HistogramMeanMatchRGB(ignored.get(), &s);
  EXPECT_TRUE(VL_SettingsAreSame(&s, &before));
}

}  // namespace
