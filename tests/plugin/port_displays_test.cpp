// The curve and hue-wheel displays drawn through the 2D port (the 32-bit
// panel): the worked curves and wheel angles on their pixels, laid out as
// the other build's displays are (plot at +10, +16; wheel centre at +90).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "core/settings_record.h"
#include "platform/pixel_port.h"
#include "plugin/panel_displays.h"
#include "plugin/port_displays.h"
#include "settings/prefs.h"
#include "tests/test_curves.h"

namespace {

constexpr int32_t kSize = kPanelDisplaySize;  // 161
constexpr int32_t kLeft = 7, kTop = 5;        // the box's corner, away from the port's
constexpr int32_t kBoxLeft = kLeft + 10, kBoxTop = kTop + 16, kBoxBottom = kBoxTop + kSize;

constexpr uint32_t kBlackPixel = 0xFF000000u;

// Curve pixels at full interface saturation.
class PortDisplays : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = gPrefsSettings.uiSaturation;
    gPrefsSettings.uiSaturation = 65536;
    ASSERT_TRUE(PPNewOffscreen(&port_, 400, 400));
  }
  void TearDown() override { gPrefsSettings.uiSaturation = saved_; }

  static VL_CurveControls Points(std::initializer_list<std::pair<float, float>> points) {
    return TestPointCurve(points);
  }
  static int32_t X(float x) { return kBoxLeft + int32_t(float(kSize - 1) * x); }
  static int32_t Y(float y) { return kBoxBottom - 1 - int32_t(float(kSize - 1) * y); }
  uint32_t at(int32_t x, int32_t y) const { return PPGetPixel(port_, x, y); }
  // The rows of column x in the box that hold the colour.
  std::vector<int32_t> rowsOf(int32_t x, uint32_t pixel) const {
    std::vector<int32_t> rows;
    for (int32_t y = kBoxTop + 1; y < kBoxBottom - 1; ++y)
      if (at(x, y) == pixel) rows.push_back(y);
    return rows;
  }

  PPPort port_;
  int32_t saved_ = 0;
};

const uint32_t kRed = 0xFFFF0000u, kLightRed = 0xFFFF8282u;

}  // namespace

// Two points draw a level run from the left edge, the straight join and a
// level run to the right edge; the points are 4 x 4 squares, the selected
// one filled in the light colour.
TEST_F(PortDisplays, TwoPointsDrawLevelRunsAndTheJoin) {
  const VL_CurveControls curve = Points({{0.2f, 0.3f}, {0.8f, 0.9f}});
  const int32_t selected = 1;
  MacDrawCurveDisplay(&port_, kLeft, kTop, kSize, kSize, &curve, &selected, 1);
  // Area erased in the background grey, box framed in orange.
  EXPECT_EQ(at(kLeft, kTop), PPPixelOf(kPortCurveBackground));
  EXPECT_EQ(at(kLeft + kSize + 19, kTop + kSize + 25), PPPixelOf(kPortCurveBackground));
  EXPECT_EQ(at(kBoxLeft, kBoxTop + 40), PPPixelOf(kPortCurveGrid));
  EXPECT_EQ(at(kBoxLeft + kSize - 1, kBoxTop + 40), PPPixelOf(kPortCurveGrid));
  // The level runs.
  for (int32_t x = kBoxLeft + 1; x < X(0.2f) - 3; x += 5) EXPECT_EQ(rowsOf(x, kRed), std::vector<int32_t>{Y(0.3f)}) << x;
  for (int32_t x = X(0.8f) + 3; x < kBoxLeft + kSize - 1; x += 5)
    EXPECT_EQ(rowsOf(x, kRed), std::vector<int32_t>{Y(0.9f)}) << x;
  // The join passes through its middle.
  const int32_t mx = (X(0.2f) + X(0.8f)) / 2;
  EXPECT_FALSE(rowsOf(mx, kRed).empty());
  EXPECT_NEAR(rowsOf(mx, kRed)[0], (Y(0.3f) + Y(0.9f)) / 2, 1);
  // Point 0 framed in red, point 1 (selected) filled in light red.
  EXPECT_EQ(at(X(0.2f) - 2, Y(0.3f) - 2), kRed);
  EXPECT_NE(at(X(0.2f) - 1, Y(0.3f) - 1), kLightRed);
  EXPECT_EQ(at(X(0.8f) - 1, Y(0.9f) - 1), kLightRed);
  EXPECT_EQ(at(X(0.8f) + 1, Y(0.9f) + 1), kLightRed);
  // Fore and back colours are black and white afterwards.
  EXPECT_EQ(port_.fore, kBlackPixel);
  EXPECT_EQ(port_.back, 0xFFFFFFFFu);
}

// A spline through three points meets each of them, and draws at most one
// step per column, rising with the points.
TEST_F(PortDisplays, ASplinePassesThroughItsPoints) {
  const VL_CurveControls curve = Points({{0.0f, 0.0f}, {0.5f, 0.7f}, {1.0f, 1.0f}});
  MacDrawCurveDisplay(&port_, kLeft, kTop, kSize, kSize, &curve, nullptr, 1);
  for (float x : {0.0f, 0.5f, 1.0f}) {
    const float y = x == 0.0f ? 0.0f : x == 0.5f ? 0.7f : 1.0f;
    const int32_t column = x == 1.0f ? X(x) - 3 : X(x) + (x == 0.0f ? 3 : 0);
    const std::vector<int32_t> rows = rowsOf(column, kRed);
    ASSERT_FALSE(rows.empty()) << x;
    if (x == 0.5f) {
      EXPECT_NEAR(rows.front(), Y(y), 2) << x;
    }
  }
  int32_t previous = kBoxBottom;
  for (int32_t x = kBoxLeft + 4; x < kBoxLeft + kSize - 4; x += 8) {
    std::vector<int32_t> rows = rowsOf(x, kRed);
    ASSERT_FALSE(rows.empty()) << x;
    EXPECT_LE(rows.front(), previous) << x;
    previous = rows.front();
  }
}

// The labels: a known channel's name, and an unknown channel's number with
// "Out of Range", drawn in white from left + 10.
TEST_F(PortDisplays, LabelsNameTheChannelOrTheNumberOutOfRange) {
  // Points away from the top, whose squares would reach above the box.
  const VL_CurveControls curve = Points({{0.0f, 0.0f}, {1.0f, 0.5f}});
  struct Case {
    int32_t channel;
    const char* label;
  };
  for (const Case& c : {Case{0, "Master"}, Case{3, "Blue"}, Case{7, "7 Out of Range"}}) {
    PPPort drawn, expected;
    ASSERT_TRUE(PPNewOffscreen(&drawn, 400, 400));
    ASSERT_TRUE(PPNewOffscreen(&expected, 400, 400));
    MacDrawCurveDisplay(&drawn, kLeft, kTop, kSize, kSize, &curve, nullptr, c.channel);
    expected.back = PPPixelOf(kPortCurveBackground);
    PPEraseRect(&expected, PPRect{0, 0, 400, 400});
    expected.fore = 0xFFFFFFFFu;
    PPDrawText(&expected, c.label, kLeft + 10, kTop + kPPFontAscent + kPPFontDescent / 2);
    for (int32_t y = kTop; y < kBoxTop; ++y)
      for (int32_t x = kLeft; x < kLeft + kSize + 20; ++x)
        ASSERT_EQ(PPGetPixel(drawn, x, y), PPGetPixel(expected, x, y)) << c.label << " at " << x << ", " << y;
  }
}

// Damaged host data: a point count past the record's sixteen points is held
// to sixteen, and an arbitrary map in a box one pixel wide has no share of
// the map to draw (the column share would divide by zero).
TEST_F(PortDisplays, HostCountsAndNarrowMapsAreHeldToWhatCanBeDrawn) {
  VL_CurveControls curve = Points({});
  for (int i = 0; i < kVLCurveMaxPoints; ++i) {
    curve.spline.x[i] = float(i) / float(kVLCurveMaxPoints - 1);
    curve.spline.y[i] = 0.5f;
  }
  curve.spline.pointCount = 0x7FFFFFF0u;
  MacDrawCurveDisplay(&port_, kLeft, kTop, kSize, kSize, &curve, nullptr, 1);
  // Sixteen points drawn, the last at the right edge.
  EXPECT_EQ(at(X(1.0f) + 2 - 1, Y(0.5f) - 2), kRed);

  VL_CurveControls map;
  std::memset(&map, 0, sizeof map);
  map.modeFlags = kVLCurveModeMap;
  for (int i = 0; i < kVLCurveMapCount; ++i) map.map[i] = 0.5f;
  PPPort narrow;
  ASSERT_TRUE(PPNewOffscreen(&narrow, 64, 64));
  MacDrawCurveDisplay(&narrow, 0, 0, 20, 1, &map, nullptr, 1);
  for (int32_t y = 0; y < 64; ++y)
    for (int32_t x = 0; x < 64; ++x) EXPECT_NE(PPGetPixel(narrow, x, y), kRed);
}

// An arbitrary map: column c shows entry c x 1023 / (width - 1) + 0.99.
TEST_F(PortDisplays, AMapDrawsEachColumnsEntry) {
  VL_CurveControls map;
  std::memset(&map, 0, sizeof map);
  map.modeFlags = kVLCurveModeMap;
  for (int i = 0; i < kVLCurveMapCount; ++i) map.map[i] = i < 512 ? 0.25f : 0.75f;
  MacDrawCurveDisplay(&port_, kLeft, kTop, kSize, kSize, &map, nullptr, 1);
  EXPECT_EQ(rowsOf(kBoxLeft + 20, kRed), std::vector<int32_t>{Y(0.25f)});
  EXPECT_EQ(rowsOf(kBoxLeft + 140, kRed), std::vector<int32_t>{Y(0.75f)});
  // No points on a map.
  EXPECT_EQ(rowsOf(kBoxLeft + kSize - 1, kLightRed), std::vector<int32_t>{});
}

// The displays follow the interface saturation: at 0 every colour is grey.
TEST_F(PortDisplays, ColoursFollowTheInterfaceSaturation) {
  gPrefsSettings.uiSaturation = 0;
  const VL_CurveControls curve = Points({{0.0f, 0.5f}, {1.0f, 0.5f}});
  MacDrawCurveDisplay(&port_, kLeft, kTop, kSize, kSize, &curve, nullptr, 1);
  const uint32_t line = at(kBoxLeft + 50, Y(0.5f)), grid = at(kBoxLeft, kBoxTop + 40);
  for (uint32_t p : {line, grid}) {
    EXPECT_EQ((p >> 16) & 0xFF, (p >> 8) & 0xFF);
    EXPECT_EQ((p >> 8) & 0xFF, p & 0xFF);
  }
  EXPECT_NE(line, kRed);
}

// The wheel: the picture halved into the area, centred where the other
// build's wheel is centred, the marker from the centre along the tint angle
// turned back 103 degrees, the colours those of the other build's picture.
TEST_F(PortDisplays, WheelsDrawTheMarkerAtTheWorkedAngles) {
  std::unique_ptr<FBFrameStruct, void (*)(FBFrameStruct*)> theirs(
      CreateHueWheelFrameBuffer(kSize + 20, kSize + 20, kSize / 2), FBDisposeFrameBuffer);
  ASSERT_TRUE(theirs);
  const int32_t cx = kLeft + kSize / 2 + 10, cy = kTop + kSize / 2 + 10;
  for (float tint : {0.0f, 90.0f, 180.0f, 270.0f, 315.0f}) {
    VL_HSLOffsetControls offsets;
    std::memset(&offsets, 0, sizeof offsets);
    offsets.wheel[2].tintangle = tint;
    offsets.wheel[2].strength = 1.0f;
    PPPort port;
    ASSERT_TRUE(PPNewOffscreen(&port, 400, 400));
    EXPECT_EQ(MacDrawHueOffsetDisplay(&port, kLeft, kTop, kSize, kSize, &offsets, 2), 0);
    const double a = (double(tint) - 103.0) * 3.14159265358979323846 / 180.0;
    // The end square and a point along the line are black.
    const int32_t ex = cx + int32_t(80.0 * std::cos(a)), ey = cy + int32_t(80.0 * std::sin(a));
    EXPECT_EQ(PPGetPixel(port, ex, ey), kBlackPixel) << tint;
    EXPECT_EQ(PPGetPixel(port, ex + 1, ey + 1), kBlackPixel) << tint;
    const int32_t hx = cx + int32_t(40.0 * std::cos(a)), hy = cy + int32_t(40.0 * std::sin(a));
    bool lineNear = false;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) lineNear |= PPGetPixel(port, hx + dx, hy + dy) == kBlackPixel;
    EXPECT_TRUE(lineNear) << tint;
    // Beside the marker the wheel's colour is the other build's at that spot.
    const int32_t sx = cx + int32_t(60.0 * std::cos(a + 0.3)), sy = cy + int32_t(60.0 * std::sin(a + 0.3));
    const uint32_t ours = PPGetPixel(port, sx, sy);
    const uint32_t other = reinterpret_cast<const uint32_t*>(theirs->baseAddr +
                                                             size_t(sy - kTop) * theirs->rowBytes)[sx - kLeft];
    for (int shift : {16, 8, 0})
      EXPECT_NEAR(int((ours >> shift) & 0xFF), int((other >> shift) & 0xFF), 12) << tint << " at " << sx << ", " << sy;
  }
}

// Strength 0 leaves only the small square at the centre: the rest of the
// wheel is the picture itself.
TEST_F(PortDisplays, AWheelWithoutStrengthDrawsOnlyTheCentreSquare) {
  VL_HSLOffsetControls offsets;
  std::memset(&offsets, 0, sizeof offsets);
  offsets.wheel[0].tintangle = 123.0f;
  PPPort plain, marked;
  ASSERT_TRUE(PPNewOffscreen(&plain, 400, 400));
  ASSERT_TRUE(PPNewOffscreen(&marked, 400, 400));
  offsets.wheel[0].strength = 0.0f;
  MacDrawHueOffsetDisplay(&marked, kLeft, kTop, kSize, kSize, &offsets, 0);
  offsets.wheel[0].strength = 0.5f;
  MacDrawHueOffsetDisplay(&plain, kLeft, kTop, kSize, kSize, &offsets, 0);
  const int32_t cx = kLeft + kSize / 2 + 10, cy = kTop + kSize / 2 + 10;
  int differing = 0;
  for (int32_t y = kTop; y < kTop + kSize + 20; ++y)
    for (int32_t x = kLeft; x < kLeft + kSize + 20; ++x)
      if (PPGetPixel(plain, x, y) != PPGetPixel(marked, x, y)) {
        ++differing;
        // Only the half-strength marker's pixels differ: none beyond its reach.
        EXPECT_LE(std::hypot(x - cx, y - cy), 44.0) << x << ", " << y;
      }
  EXPECT_GT(differing, 0);
  for (int32_t dy = -1; dy <= 1; ++dy)
    for (int32_t dx = -1; dx <= 1; ++dx) EXPECT_EQ(PPGetPixel(marked, cx + dx, cy + dy), kBlackPixel);
  // Outside the wheel, the display background.
  EXPECT_EQ(PPGetPixel(marked, kLeft + 1, kTop + 1), PPPixelOf(kPortWheelBackground));
}

// Condensed text: the ink drawn runs exactly as wide as the width says, from
// the starting point, at each scale; a space only moves the pen.
TEST(PortText, CondensedTextInksTheWidthItMeasures) {
  struct Case {
    const char* text;
    int32_t scale;
  } cases[] = {{"Full Interface", 1}, {"Velmora", 2}, {"il", 1}, {"Auto Exposure", 1}, {"a b", 3}};
  for (const Case& c : cases) {
    PPPort port;
    ASSERT_TRUE(PPNewOffscreen(&port, 200, 40));
    port.fore = 0xFF000000u;
    PPDrawTextCondensed(&port, c.text, 10, 30, c.scale);
    int32_t left = port.width, right = -1;
    for (int32_t y = 0; y < port.height; ++y)
      for (int32_t x = 0; x < port.width; ++x)
        if (PPGetPixel(port, x, y) == 0xFF000000u) left = std::min(left, x), right = std::max(right, x);
    EXPECT_EQ(left, 10) << c.text;
    EXPECT_EQ(right - left + 1, PPTextWidthCondensed(c.text, c.scale)) << c.text;
  }
  EXPECT_EQ(PPTextWidthCondensed("Full Interface", 1), 74) << "fits its 82-pixel button";
  EXPECT_EQ(PPTextWidthCondensed("", 1), 0);
}
