// The 32-bit plug-in's panel: a draw event paints the curve and hue-wheel
// displays into the host's pixels through the port, where the 64-bit
// build's displays stand, and a click on a wheel moves the marker drawn.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/standin_host/sh_panel.h"
#include "plugin/params.h"
#include "plugin/port_displays.h"
#include "tests/plugin/plugin_test_host.h"

namespace {

uint32_t PixelAt(SHPanel& panel, int32_t id, int32_t x, int32_t y) {
  const SHPanelArea* a = SHPanelAreaOf(&panel, id);
  const auto* pixels = reinterpret_cast<const uint32_t*>(TKImagePixels(panel.picture.get()));
  return pixels[size_t(a->rect.top + y) * size_t(TKImageWidth(panel.picture.get())) + size_t(a->rect.left + x)];
}

}  // namespace

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
