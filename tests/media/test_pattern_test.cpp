// Test patterns: bar columns and their values at each level form, grey
// steps, fills clipped to the picture, and the size constants.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "media/test_pattern.h"

namespace {

struct Picture {
  std::vector<uint8_t> bytes;
  TestPatternImage image;
  Picture(uint32_t w, uint32_t h) : bytes(size_t(w) * h * 4, 0x55), image{bytes.data(), w, h, w * 4} {}
  const uint8_t* At(uint32_t x, uint32_t y) const { return &bytes[size_t(y) * image.rowBytes + x * 4]; }
  // The columns where the pixel on row y changes.
  std::vector<uint32_t> Edges(uint32_t y) const {
    std::vector<uint32_t> edges;
    for (uint32_t x = 1; x < image.width; ++x)
      if (std::memcmp(At(x, y), At(x - 1, y), 4) != 0) edges.push_back(x);
    return edges;
  }
};

TEST(TestPatterns, ColourBarsInYCbCrOnA720WidePicture) {
  Picture p(720, 486);
  TestPatternDraw(&p.image, kPatternColorBars, 5, 0, 1.0);
  EXPECT_EQ(p.Edges(100), (std::vector<uint32_t>{90, 180, 270, 360, 450, 540, 630}));
  const uint8_t want[8][3] = {{180, 128, 128}, {162, 44, 142}, {131, 156, 44}, {112, 72, 58},
                              {84, 184, 198},  {65, 100, 212}, {35, 212, 114}, {16, 128, 128}};
  for (uint32_t bar = 0; bar < 8; ++bar)
    for (uint32_t y : {0u, 485u}) {
      const uint8_t* px = p.At(bar * 90 + 45, y);
      EXPECT_EQ(px[0], 0xFF);
      EXPECT_EQ(px[1], want[bar][0]) << bar;
      EXPECT_EQ(px[2], want[bar][1]) << bar;
      EXPECT_EQ(px[3], want[bar][2]) << bar;
    }
  TestPatternDraw(&p.image, kPatternColorBarsFullWhite, 5, 0, 1.0);
  EXPECT_EQ(p.At(10, 10)[1], 235);
}

TEST(TestPatterns, RGBBarsStepsAndMargins) {
  Picture p(800, 100);
  // Variant 2: 75% is 0xBF, black 4,883 is 0x13; 40 pixels of margin each side.
  TestPatternDraw(&p.image, kPatternColorBars, 2, 40, 1.0);
  const uint8_t yellow[4] = {0xFF, 0xBF, 0xBF, 0x13};
  EXPECT_EQ(std::memcmp(p.At(40 + 90 + 45, 50), yellow, 4), 0);
  const uint8_t margin[4] = {0xFF, 0x13, 0x13, 0x13};
  EXPECT_EQ(std::memcmp(p.At(5, 50), margin, 4), 0);
  EXPECT_EQ(p.Edges(50).at(1), 40u + 90u);

  // Six steps from low to 100%, variant 3: 4,096 to 60,395.
  TestPatternDraw(&p.image, kPatternSixStepGrey, 3, 0, 1.0);
  EXPECT_EQ(p.Edges(0).size(), 5u);
  EXPECT_EQ(p.At(0, 0)[1], 4096 >> 8);
  EXPECT_EQ(p.At(799, 0)[1], 60395 >> 8);
  // Eleven steps: the outer two are one and a half twelfths wide.
  TestPatternDraw(&p.image, kPatternElevenStepGrey, 1, 0, 1.0);
  const std::vector<uint32_t> edges = p.Edges(0);
  ASSERT_EQ(edges.size(), 10u);
  EXPECT_EQ(edges.front(), 100u);
  EXPECT_EQ(edges.back(), 700u);
  // The ramp rises across the middle eight tenths.
  TestPatternDraw(&p.image, kPatternGreyRamp, 1, 0, 1.0);
  EXPECT_EQ(p.At(50, 0)[1], 0);
  EXPECT_LT(p.At(200, 0)[1], p.At(600, 0)[1]);
  EXPECT_EQ(p.At(790, 0)[1], 0xFF);
}

TEST(TestPatterns, EveryKindDrawsInsideThePicture) {
  for (uint32_t kind : {1u, 2u, 3u, 4u, 5u, 6u, 10u, 11u, 7u})
    for (uint32_t variant = 1; variant <= 5; ++variant) {
      Picture p(721, 487);
      TestPatternDraw(&p.image, kind, variant, 8, 2.2);
      TestPatternLevels levels;
      ASSERT_TRUE(TestPatternGetLevels(variant, &levels));
      for (size_t i = 0; i < p.bytes.size(); i += 4) ASSERT_EQ(p.bytes[i], 0xFF) << kind << " " << variant;
      if (kind == 7) {
        EXPECT_TRUE(p.Edges(100).empty()) << "an unknown kind is background only";
      }
    }
  Picture p(4, 4);
  EXPECT_FALSE(TestPatternGetLevels(6, nullptr));
  TestPatternFillRect(&p.image, TestPatternRect{-5, -5, 2, 99}, TestPatternColor{0x1200, 0x3400, 0x5600}, 1);
  const uint8_t set[4] = {0xFF, 0x12, 0x34, 0x56};
  EXPECT_EQ(std::memcmp(p.At(3, 1), set, 4), 0);
  EXPECT_EQ(p.At(0, 2)[0], 0x55) << "clipped to the rectangle";
}

TEST(TestPatterns, SizeConstantsAndSweepCycles) {
  EXPECT_DOUBLE_EQ(TestPatternHeightConstant(486), 125.0);
  EXPECT_DOUBLE_EQ(TestPatternHeightConstant(487), 100.0);
  EXPECT_NEAR(TestPatternWidthConstant(719), 12.2727, 1e-4);
  EXPECT_DOUBLE_EQ(TestPatternWidthConstant(720), 13.5);
  EXPECT_DOUBLE_EQ(TestPatternWidthConstant(1920), 14.75);
  // The phase steps by pi / 20 a column and starts again once past pi, on
  // the 21st column: three cycles end at 63.
  Picture p(200, 2);
  EXPECT_EQ(TestPatternSweepCycles(&p.image, 0, 0, 2, 3, 0, 65535, 1000, 10, 1, false, 1), 63);
  EXPECT_EQ(p.At(0, 0)[1], 0);
  EXPECT_EQ(p.At(10, 0)[1], 0xFF);
  EXPECT_EQ(TestPatternSweepColumns(&p.image, 100, 0, 2, 30, 0, 65535, 1000, 10, 1, 1), 130);
}

}  // namespace
