// The 32-bit plug-in's panel: a draw event paints the curve and hue-wheel
// displays and the two button strips into the host's pixels through the
// port, where the 64-bit build's stand; a click on a wheel moves the marker
// drawn, and a button shows its state.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/standin_host/sh_panel.h"
#include "plugin/panel_strip_looks.h"
#include "plugin/params.h"
#include "plugin/port_displays.h"
#include "plugin/port_strips.h"
#include "tests/plugin/plugin_test_host.h"

namespace {

uint32_t PixelAt(SHPanel& panel, int32_t id, int32_t x, int32_t y) {
  const SHPanelArea* a = SHPanelAreaOf(&panel, id);
  const auto* pixels = reinterpret_cast<const uint32_t*>(TKImagePixels(panel.picture.get()));
  return pixels[size_t(a->rect.top + y) * size_t(TKImageWidth(panel.picture.get())) + size_t(a->rect.left + x)];
}

// Pixels of that colour in the rectangle of the area.
int32_t CountPixels(SHPanel& panel, int32_t id, const PPRect& r, uint32_t pixel) {
  int32_t n = 0;
  for (int32_t y = r.top; y < r.bottom; ++y)
    for (int32_t x = r.left; x < r.right; ++x) n += PixelAt(panel, id, x, y) == pixel;
  return n;
}

}  // namespace

TEST(PortPanel, TheButtonStripsShowTheirButtonsLogoAndStates) {
  PluginTestHost host;
  SHPanel panel;
  SHPanelOpen(&panel, &host.host);
  ASSERT_EQ(SHPanelDraw(&panel), kHINoErr);
  const uint32_t background = PPPixelOf(PPColor{panel.background[0], panel.background[1], panel.background[2]});
  const uint32_t edge = PortStripPixel(kVLStripButtonEdge);
  auto face = [](int32_t state) { return PortStripPixel(kVLStripButtonFaces[state]); };
  auto label = [](int32_t state) { return PortStripPixel(kVLStripButtonLabels[state]); };

  // The button bar: the Full button (82 x 18 at 5, 29) with its rounded
  // corner, edge, face and label, the panel between the buttons, the logo.
  const int32_t bar = kVLParamIdSettings;
  EXPECT_EQ(PixelAt(panel, bar, 5, 29), background) << "the corner is cut";
  EXPECT_EQ(PixelAt(panel, bar, 45, 29), edge);
  EXPECT_EQ(PixelAt(panel, bar, 5, 38), edge);
  EXPECT_EQ(PixelAt(panel, bar, 8, 32), face(0));
  EXPECT_EQ(PixelAt(panel, bar, 90, 38), background);
  const PPRect full{6, 30, 86, 46};
  EXPECT_GT(CountPixels(panel, bar, full, label(0)), 60) << "\"Full Interface\" in the label colour";
  EXPECT_EQ(CountPixels(panel, bar, PPRect{0, 0, 6, 46}, label(0)), 0) << "the label stays inside its button";
  EXPECT_GT(CountPixels(panel, bar, PPRect{6, 6, 90, 22}, PortStripPixel(kVLLogoNameDark)), 80);
  EXPECT_GT(CountPixels(panel, bar, PPRect{92, 12, 279, 22}, PortStripPixel(kVLLogoLineColor)), 60);

  // Held down, the button shows its down face and label; let go off it, up again.
  EXPECT_EQ(SHPanelClick(&panel, bar, 40, 36), kHINoErr);
  ASSERT_EQ(SHPanelDraw(&panel), kHINoErr);
  EXPECT_EQ(PixelAt(panel, bar, 8, 32), face(1));
  EXPECT_GT(CountPixels(panel, bar, full, label(1)), 60);
  EXPECT_EQ(SHPanelRelease(&panel, 40, 5), kHINoErr);
  ASSERT_EQ(SHPanelDraw(&panel), kHINoErr);
  EXPECT_EQ(PixelAt(panel, bar, 8, 32), face(0));

  // The levels strip: the pointer over Auto Color lights it, Auto Exposure stays up.
  const int32_t levels = kVLParamIdLevelsAuto;
  EXPECT_EQ(SHPanelMove(&panel, levels, 40, 8), kHINoErr);
  ASSERT_EQ(SHPanelDraw(&panel), kHINoErr);
  EXPECT_EQ(PixelAt(panel, levels, 8, 3), face(2));
  EXPECT_GT(CountPixels(panel, levels, PPRect{6, 1, 93, 17}, label(2)), 40);
  EXPECT_EQ(PixelAt(panel, levels, 104, 3), face(0));
  EXPECT_GT(CountPixels(panel, levels, PPRect{102, 1, 189, 17}, label(0)), 40);
  SHPanelClose(&panel);
}

TEST(PortPanel, DrawEventsPaintTheDisplaysThroughTheHostsPort) {
  PluginTestHost host;
  SHPanel panel;
  SHPanelOpen(&panel, &host.host);
  ASSERT_EQ(SHPanelDraw(&panel), kHINoErr);
  // Curves: each box's corner framed in the grid orange, its surround in the
  // background grey; the second column 181 and the second row 187 further on.
  for (int32_t display = 0; display < 4; ++display) {
    const int32_t left = (display & 1) * 181, top = (display >> 1) * 187;
    EXPECT_EQ(PixelAt(panel, kVLParamIdCurves, left + 10, top + 16), PortDisplayPixel(kPortCurveGrid)) << display;
    EXPECT_EQ(PixelAt(panel, kVLParamIdCurves, left + 2, top + 100), PortDisplayPixel(kPortCurveBackground))
        << display;
  }
  // Wheels: the centre square black, a corner outside the wheel in the
  // display background.
  for (int32_t wheel = 0; wheel < 4; ++wheel) {
    const int32_t left = (wheel & 1) * 181, top = (wheel >> 1) * 181;
    EXPECT_EQ(PixelAt(panel, kVLParamIdHueOffset, left + 90, top + 90), 0xFF000000u) << wheel;
    EXPECT_EQ(PixelAt(panel, kVLParamIdHueOffset, left + 2, top + 2), PPPixelOf(kPortWheelBackground)) << wheel;
  }
  // A click 50 pixels right of the master wheel's centre puts the marker there.
  EXPECT_EQ(SHPanelClick(&panel, kVLParamIdHueOffset, 140, 90), kHINoErr);
  EXPECT_EQ(SHPanelRelease(&panel, 140, 90), kHINoErr);
  ASSERT_EQ(SHPanelDraw(&panel), kHINoErr);
  EXPECT_EQ(PixelAt(panel, kVLParamIdHueOffset, 120, 90), 0xFF000000u);
  EXPECT_EQ(PixelAt(panel, kVLParamIdHueOffset, 140, 90), 0xFF000000u);
  SHPanelClose(&panel);
}
