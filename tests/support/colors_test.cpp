#include "support/colors.h"

#include <gtest/gtest.h>

TEST(Colors, HSLToRGB) {
  struct Case {
    uint16_t h, s, l, r, g, b;
  };
  const Case cases[] = {
      {0, 0, 32768, 32768, 32768, 32768},  // grey keeps the lightness exactly
      {12345, 0, 65535, 65535, 65535, 65535},
      {0, 65535, 32768, 65535, 1, 1},           // red: q = 1.0000076, p = 0.0000076 x 65535
      {21845, 65535, 32768, 0, 65535, 0},       // green (hue 1/3)
      {43690, 65535, 32768, 0, 0, 65535},       // blue (hue 2/3)
      {0, 65535, 0, 0, 0, 0},                   // black
      {10923, 65535, 32768, 65532, 65535, 0},   // hue just past 1/6: red already falls
  };
  for (const Case& c : cases) {
    QVHSLColor hsl{c.h, c.s, c.l};
    QVRGBColor rgb{};
    QV_HSL2RGB(&hsl, &rgb);
    EXPECT_NEAR(rgb.red, c.r, 1) << c.h << " " << c.s << " " << c.l;
    EXPECT_NEAR(rgb.green, c.g, 1) << c.h << " " << c.s << " " << c.l;
    EXPECT_NEAR(rgb.blue, c.b, 1) << c.h << " " << c.s << " " << c.l;
  }
}

TEST(Colors, AdjustSaturation) {
  QVRGBColor c{65535, 0, 0};
  AdjustColorSaturation(&c, 1.0f);
  EXPECT_EQ(c.red, 65535);
  EXPECT_EQ(c.green, 0);
  AdjustColorSaturation(&c, 0.0f);  // its grey: 0.299
  EXPECT_EQ(c.red, 19595);
  EXPECT_EQ(c.green, 19595);
  EXPECT_EQ(c.blue, 19595);
  QVRGBColor d{65535, 0, 0};
  AdjustColorSaturation(&d, 2.0f);  // beyond full scale: clamped
  EXPECT_EQ(d.red, 65535);
  EXPECT_EQ(d.green, 0);
  QVRGBColor e{0, 65535, 65535};
  AdjustColorSaturation(&e, 0.5f);  // halfway to its grey 0.701
  EXPECT_EQ(e.red, 22970);
  EXPECT_EQ(e.green, 55738);
}
