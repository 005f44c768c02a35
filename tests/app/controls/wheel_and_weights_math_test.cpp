#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "app/controls/hue_wheel_math.h"
#include "app/controls/luma_range_weights.h"

TEST(HueWheelMath, CompassPointsAndBack) {
  struct Case {
    float angle;
    int32_t x, y;
  } cases[] = {{103, 50, 0}, {193, 0, 50}, {283, -50, 0}, {13, 0, -50}};
  for (const Case& c : cases) {
    const HueWheelPoint p = HueWheelPointFor(c.angle, 1.0f, 50);
    EXPECT_NEAR(p.x, c.x, 1) << c.angle;
    EXPECT_NEAR(p.y, c.y, 1) << c.angle;
    const HueWheelPolar back = HueWheelPolarAt(c.x, c.y, 50);
    EXPECT_NEAR(back.angle, c.angle, 1e-3) << c.angle;
    EXPECT_FLOAT_EQ(back.strength, 1.0f);
  }
  // Half way out; beyond the rim strength stays 1; no radius never divides.
  EXPECT_FLOAT_EQ(HueWheelPolarAt(25, 0, 50).strength, 0.5f);
  EXPECT_FLOAT_EQ(HueWheelPolarAt(0, 400, 50).strength, 1.0f);
  EXPECT_FLOAT_EQ(HueWheelPolarAt(3, 4, 0).strength, 0.0f);
}

TEST(HueWheelMath, RotationWrapsIntoOneTurn) {
  EXPECT_FLOAT_EQ(HueWheelWrapAngle(10, -30), 340);
  EXPECT_FLOAT_EQ(HueWheelWrapAngle(10, 720), 10);
  EXPECT_FLOAT_EQ(HueWheelWrapAngle(350, 1e7f + 10), std::fmod(350.0f + 1e7f + 10, 360.0f));
  EXPECT_FLOAT_EQ(HueWheelWrapAngle(42, std::numeric_limits<float>::quiet_NaN()), 42);
  EXPECT_FLOAT_EQ(HueWheelWrapAngle(42, std::numeric_limits<float>::infinity()), 42);
  // A corrupt angle in the record turns from 0 instead of staying NaN.
  EXPECT_FLOAT_EQ(HueWheelWrapAngle(std::numeric_limits<float>::quiet_NaN(), 30), 30);
}

TEST(HueWheelMath, ImageIsBlackBeyondTheRim) {
  const QVRGBColor outside = HueWheelImageColor(100, 0, 50, 1.0f);
  EXPECT_EQ(outside.red + outside.green + outside.blue, 0);
  const QVRGBColor inside = HueWheelImageColor(50, 0, 50, 1.0f);
  EXPECT_GT(inside.red + inside.green + inside.blue, 0);
  // Desaturated fully, a pixel is grey.
  const QVRGBColor grey = HueWheelImageColor(-30, 40, 50, 0.0f);
  EXPECT_NEAR(grey.red, grey.green, 2);
  EXPECT_NEAR(grey.green, grey.blue, 2);
}

TEST(LumaRangeWeights, ThreeWeightsShareEveryColumn) {
  struct Case {
    float sx, sy, hx, hy;
  } cases[] = {{0.25f, 0.5f, 0.75f, 0.5f}, {0.9f, 1.0f, 0.1f, 1.0f}, {0, 0, 1, 1}};
  for (int32_t width : {1, 7, 300, 2500}) {
    for (const Case& c : cases) {
      std::vector<float> s(width), m(width), h(width);
      LumaRangeWeights(c.sx, c.sy, c.hx, c.hy, width, s.data(), m.data(), h.data());
      for (int32_t col = 0; col < width; ++col) {
        ASSERT_GE(s[col], 0.0f);
        ASSERT_GE(h[col], 0.0f);
        ASSERT_GE(m[col], -1e-6f);
        ASSERT_NEAR(s[col] + m[col] + h[col], 1.0f, 1e-6f);
      }
    }
  }
  // Shadows own the left edge and highlights the right.
  std::vector<float> s(100), m(100), h(100);
  LumaRangeWeights(0.25f, 0.5f, 0.75f, 0.5f, 100, s.data(), m.data(), h.data());
  EXPECT_NEAR(s[0], 1.0f, 1e-3);
  EXPECT_NEAR(h[99], 1.0f, 1e-3);
  EXPECT_LT(s[99], 0.01f);
  EXPECT_LT(h[0], 0.01f);
}
