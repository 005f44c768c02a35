// The interface greys under the brightness preference, with the text
// colours flipped on dark backgrounds, and the accents under saturation.
#include <gtest/gtest.h>

#include "app/state/interface_colors.h"

namespace {

uint16_t Grey(int entry) {
  const QVRGBColor& c = gInterfaceColors[entry];
  EXPECT_TRUE(c.red == c.green && c.green == c.blue) << "entry " << entry;
  return c.red;
}

}  // namespace

TEST(InterfaceColors, BrightnessScalesTheGreysAndFlipsTextOnDarkBackgrounds) {
  struct Case {
    int32_t brightness;
    uint16_t entry0, entry14, entry18, entry19, entry20, entry39;
  } cases[] = {
      // Full brightness is the table itself; entry 18 (48496) is light, no flip.
      {65536, 56797, 24248, 48496, 0, 32768, 10280},
      // The default 0.34: entry 18 becomes 16488, below 55 %, so text flips.
      {22282, 19311, 8244, 16488, 65535, 54394, 3495},
      // Black everything; the text entries flip to white.
      {0, 0, 0, 0, 65535, 65535, 0},
      // Twice as bright clamps at full scale.
      {131072, 65535, 48496, 65535, 0, 65535, 20560},
  };
  for (const Case& c : cases) {
    ApplyInterfaceBrightness(c.brightness);
    EXPECT_EQ(Grey(0), c.entry0) << c.brightness;
    EXPECT_EQ(Grey(14), c.entry14) << c.brightness;
    EXPECT_EQ(Grey(18), c.entry18) << c.brightness;
    EXPECT_EQ(Grey(19), c.entry19) << c.brightness;
    EXPECT_EQ(Grey(20), c.entry20) << c.brightness;
    EXPECT_EQ(Grey(39), c.entry39) << c.brightness;
  }
  InitInterfaceColors();
  EXPECT_EQ(Grey(40), 29000);
  EXPECT_EQ(Grey(32), 17476);
}

TEST(InterfaceColors, SaturationGreysTheAccentsAndTheMasterCurveFollowsGreen) {
  ApplyInterfaceSaturation(65536);
  EXPECT_EQ(gInterfaceAccentColors[0].red, 52736);
  EXPECT_EQ(gInterfaceAccentColors[0].green, 25344);
  EXPECT_EQ(gInterfaceAccentColors[3].green, 55535);
  // 1.5 x the Rec. 601 luma of (0, 55535, 0).
  EXPECT_EQ(gInterfaceAccentColors[5].red, 48899);
  EXPECT_EQ(gInterfaceAccentColors[5].blue, 48899);

  ApplyInterfaceSaturation(0);
  for (int entry : {0, 1, 2, 3, 4, 6, 7, 9, 10}) {
    const QVRGBColor& c = gInterfaceAccentColors[entry];
    EXPECT_TRUE(c.red == c.green && c.green == c.blue) << "entry " << entry << " is grey";
  }
  // The grey of green keeps its luma, so the master curve's grey stays put.
  EXPECT_NEAR(gInterfaceAccentColors[5].red, 48899, 2);
  const QVRGBColor& kept = gInterfaceAccentColors[11];
  EXPECT_TRUE(kept.red == 0 && kept.green == 26214 && kept.blue == 65535) << "entry 11 is never desaturated";
  EXPECT_EQ(gInterfaceAccentColors[12].blue, 41891);
}
