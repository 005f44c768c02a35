// Curve point editing in a display of 201 x 201 pixels (plot origin 10, 16
// for curve 0): pixel (h - 10, v - 16) is x = px / 200, y = 1 - py / 200.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/input_state.h"
#include "settings/curve_backgrounds.h"
#include "settings/curve_files.h"
#include "settings/prefs.h"
#include "tests/test_curves.h"

namespace {

constexpr int32_t kSize = 201;

VL_CurveControls Curve(std::initializer_list<std::pair<float, float>> points) { return TestPointCurve(points); }

CurvePointer At(double x, double y, int32_t top = 16) {
  return {int16_t(10 + x * (kSize - 1)), int16_t(top + (1 - y) * (kSize - 1))};
}

void ExpectStrictlyIncreasing(const VL_CurveControls& c) {
  for (uint32_t i = 0; i < c.spline.pointCount; ++i) {
    EXPECT_GE(c.spline.x[i], 0.0f);
    EXPECT_LE(c.spline.x[i], 1.0f);
    if (i > 0) {
      EXPECT_LT(c.spline.x[i - 1], c.spline.x[i]) << "point " << i;
    }
  }
}

TEST(CurvePoints, AddAndRemove) {
  VL_CurveControls c = Curve({{0, 0}, {1, 1}});
  int32_t index = 9;
  AddCurvePoint(&c, &index, 0.5, 2.0);  // y clamped
  EXPECT_EQ(1, index);
  EXPECT_EQ(1.0f, c.spline.y[1]);
  // The same x as an existing point goes after it, kept 0.004 clear.
  AddCurvePoint(&c, &index, 0.5, 0.3);
  EXPECT_EQ(2, index);
  EXPECT_FLOAT_EQ(0.504f, c.spline.x[2]);
  AddCurvePoint(&c, &index, -3.0, 0.2);  // below x[0] = 0 after the clamp: after it, clear of it
  EXPECT_EQ(1, index);
  EXPECT_FLOAT_EQ(0.004f, c.spline.x[1]);
  ExpectStrictlyIncreasing(c);
  while (c.spline.pointCount < 16) AddCurvePoint(&c, &index, 0.1 + 0.02 * c.spline.pointCount, 0.5);
  VL_CurveControls full = c;
  AddCurvePoint(&c, &index, 0.9, 0.9);
  EXPECT_EQ(-1, index);
  EXPECT_EQ(0, std::memcmp(&c, &full, sizeof c)) << "a 17th point is not added";
  ExpectStrictlyIncreasing(c);

  VL_CurveControls three = Curve({{0, 0}, {0.5f, 0.7f}, {1, 1}});
  RemoveCurvePoint(&three, 1);
  EXPECT_EQ(2u, three.spline.pointCount);
  EXPECT_EQ(1.0f, three.spline.x[1]);
  EXPECT_EQ(0.0f, three.spline.x[2]) << "the freed place is cleared";
  RemoveCurvePoint(&three, 0);  // two points stay two
  EXPECT_EQ(2u, three.spline.pointCount);
  VL_CurveControls map = Curve({{0, 0}, {1, 1}});
  map.modeFlags = kVLCurveModeMap;
  AddCurvePoint(&map, &index, 0.5, 0.5);
  EXPECT_EQ(-1, index);
}

TEST(CurvePoints, ClickSelectsOrAdds) {
  VL_CurveControls c = Curve({{0, 0}, {0.5f, 0.5f}, {1, 1}});
  int32_t selected = -1;
  CurveClick(kSize, kSize, &c, &selected, 0, At(0.52, 0.48), 0);
  EXPECT_EQ(1, selected);
  EXPECT_EQ(3u, c.spline.pointCount);
  CurveClick(kSize, kSize, &c, &selected, 2, At(0.25, 0.75, 203), 0);
  EXPECT_EQ(1, selected);
  EXPECT_EQ(4u, c.spline.pointCount);
  EXPECT_FLOAT_EQ(0.25f, c.spline.x[1]);
  EXPECT_FLOAT_EQ(0.75f, c.spline.y[1]);
  // Control-click is the context menu's; a map is not edited.
  selected = -1;
  CurveClick(kSize, kSize, &c, &selected, 0, At(0.8, 0.2), kPLModifierControl);
  EXPECT_EQ(-1, selected);
  c.modeFlags = kVLCurveModeMap;
  CurveClick(kSize, kSize, &c, &selected, 0, At(0.8, 0.2), 0);
  EXPECT_EQ(-1, selected);
}

TEST(CurvePoints, DragKeepsOrderAndEnds) {
  VL_CurveControls c = Curve({{0, 0}, {0.3f, 0.3f}, {0.6f, 0.6f}, {1, 1}});
  int32_t selected = -1;
  CurveClick(kSize, kSize, &c, &selected, 0, At(0.6, 0.6), 0);
  ASSERT_EQ(2, selected);
  // Past the left neighbour: stops 0.004 to its right.
  CurveDrag(kSize, kSize, &c, &selected, 0, At(0.1, 0.4), true, 0);
  EXPECT_FLOAT_EQ(0.304f, c.spline.x[2]);
  EXPECT_FLOAT_EQ(0.4f, c.spline.y[2]);
  // Command moves a tenth of the pointer's motion.
  CurveDrag(kSize, kSize, &c, &selected, 0, At(0.1, 0.5), false, kPLModifierCommand);
  EXPECT_NEAR(0.41f, c.spline.y[2], 1e-6);
  // Far outside: an inner point is removed.
  CurveDrag(kSize, kSize, &c, &selected, 0, {int16_t(10 + 100), int16_t(16 + 200 + 20)}, true, 0);
  EXPECT_EQ(-1, selected);
  EXPECT_EQ(3u, c.spline.pointCount);
  // An end point dragged outside goes to the clamped edge instead.
  CurveClick(kSize, kSize, &c, &selected, 0, At(1, 1), 0);
  ASSERT_EQ(2, selected);
  CurveDrag(kSize, kSize, &c, &selected, 0, {int16_t(10 + 400), int16_t(16 - 100)}, true, 0);
  EXPECT_EQ(3u, c.spline.pointCount);
  EXPECT_EQ(1.0f, c.spline.x[2]);
  EXPECT_EQ(1.0f, c.spline.y[2]);
  ExpectStrictlyIncreasing(c);
  // A point boxed in by neighbours closer than twice the gap keeps its x.
  VL_CurveControls tight = Curve({{0, 0}, {0.5f, 0.5f}, {0.503f, 0.5f}, {0.506f, 0.5f}, {1, 1}});
  selected = 2;
  CurveDrag(kSize, kSize, &tight, &selected, 0, At(0.9, 0.9), false, 0);
  EXPECT_EQ(0.503f, tight.spline.x[2]);
  EXPECT_FLOAT_EQ(0.9f, tight.spline.y[2]);
}

TEST(CurvePoints, SplineCurveGen) {
  const float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  static float table[1000][4];
  SplineCurveGen(m, table);
  EXPECT_FLOAT_EQ(0.5f * 0.5f * 0.5f, table[500][0]);
  EXPECT_FLOAT_EQ(0.25f, table[500][1]);
  EXPECT_FLOAT_EQ(0.999f, table[999][2]);
  EXPECT_EQ(1.0f, table[0][3]);
}

TEST(CurveBackgrounds, CornersAndKinds) {
  const int32_t saved = gPrefsSettings.uiSaturation;
  gPrefsSettings.uiSaturation = 65536;  // colours as they are
  struct Case {
    int32_t kind;
    uint32_t topRight;  // pixel (99, 0): trunc(0.99 x component) >> 8
  } cases[] = {{0, 0xFFFDFDFD}, {1, 0xFFFD0000}, {2, 0xFF00D600}, {3, 0xFF0074FD}};
  for (const Case& k : cases) {
    FBFrameStruct* f = CVCreateBackgroundFrameBuffer(100, 50, k.kind);
    ASSERT_NE(nullptr, f);
    auto pixel = [&](uint32_t x, uint32_t y) { return reinterpret_cast<uint32_t*>(f->baseAddr + y * f->rowBytes)[x]; };
    EXPECT_EQ(k.topRight, pixel(99, 0)) << k.kind;
    EXPECT_EQ(0xFF000000u, pixel(0, 0)) << k.kind;
    EXPECT_EQ(0xFF000000u, (pixel(99, 49) & 0xFFF0F0F0u)) << k.kind << " nearly black at the bottom";
    FBDisposeFrameBuffer(f);
  }
  // Hue planes: kind 4 starts at hue 0 (red) with saturation 0.6 and
  // lightness 0.5; kind 6 darkens towards the bottom.
  FBFrameStruct* plane = CVCreateBackgroundFrameBuffer(64, 64, 4);
  ASSERT_NE(nullptr, plane);
  EXPECT_EQ(0xFFCC3333u, reinterpret_cast<uint32_t*>(plane->baseAddr)[0]);
  FBDisposeFrameBuffer(plane);
  plane = CVCreateBackgroundFrameBuffer(64, 64, 6);
  ASSERT_NE(nullptr, plane);
  EXPECT_EQ(0xFF000000u, reinterpret_cast<uint32_t*>(plane->baseAddr + 63 * plane->rowBytes)[5] & 0xFFF8F8F8u);
  FBDisposeFrameBuffer(plane);
  // A saturation preference of 0 takes every hue-plane colour to its grey.
  gPrefsSettings.uiSaturation = 0;
  FBFrameStruct* f = CVCreateBackgroundFrameBuffer(64, 64, 5);
  ASSERT_NE(nullptr, f);
  uint32_t p = reinterpret_cast<uint32_t*>(f->baseAddr)[10];
  EXPECT_EQ((p >> 16) & 255, (p >> 8) & 255);
  EXPECT_EQ((p >> 8) & 255, p & 255);
  FBDisposeFrameBuffer(f);
  EXPECT_EQ(nullptr, CVCreateBackgroundFrameBuffer(64, 64, 7));
  gPrefsSettings.uiSaturation = saved;
}

}  // namespace
