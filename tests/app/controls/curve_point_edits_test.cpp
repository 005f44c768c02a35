// Point edits of the curve editor's keys and the Curves tab's eyedroppers:
// every edit leaves a curve's points strictly ascending in x within 0..1,
// also when the curve came from a file that broke the order.
#include "app/controls/curve_point_edits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

struct Pt {
  float x, y;
};

VL_CurveControls Curve(const std::vector<Pt>& points) {
  VL_CurveControls c;
  std::memset(&c, 0, sizeof c);
  c.spline.pointCount = uint32_t(points.size());
  for (size_t i = 0; i < points.size(); ++i) {
    c.spline.x[i] = points[i].x;
    c.spline.y[i] = points[i].y;
  }
  return c;
}

std::vector<Pt> Points(const VL_CurveControls& c) {
  std::vector<Pt> out;
  for (uint32_t i = 0; i < c.spline.pointCount && i < 16; ++i) out.push_back({c.spline.x[i], c.spline.y[i]});
  return out;
}

// Strictly ascending x, all within 0..1, y within 0..1.
::testing::AssertionResult Ordered(const VL_CurveControls& c) {
  const uint32_t n = c.spline.pointCount;
  for (uint32_t i = 0; i < n; ++i) {
    if (!(c.spline.x[i] >= 0.0f && c.spline.x[i] <= 1.0f && c.spline.y[i] >= 0.0f && c.spline.y[i] <= 1.0f))
      return ::testing::AssertionFailure() << "point " << i << " (" << c.spline.x[i] << ", " << c.spline.y[i]
                                           << ") outside 0..1";
    if (i > 0 && !(c.spline.x[i] > c.spline.x[i - 1]))
      return ::testing::AssertionFailure() << "x[" << i << "] = " << c.spline.x[i] << " not above x[" << i - 1
                                           << "] = " << c.spline.x[i - 1];
  }
  return ::testing::AssertionSuccess();
}

const std::vector<Pt> kThree = {{0.0f, 0.0f}, {0.5f, 0.6f}, {1.0f, 1.0f}};

TEST(CurvePointEdits, NudgesStayWithinTheDragLimits) {
  struct Case {
    const char* story;
    std::vector<Pt> points;
    int32_t index;
    double dx, dy;
    Pt expected;
  } cases[] = {
      {"a plain step right", kThree, 1, 0.001, 0, {0.501f, 0.6f}},
      {"a plain step down", kThree, 1, 0, -0.01, {0.5f, 0.59f}},
      {"right stops 0.004 short of the next point", {{0, 0}, {0.998f, 0.5f}, {1, 1}}, 1, 0.01, 0, {0.996f, 0.5f}},
      {"left stops 0.004 past the previous point", {{0.3f, 0}, {0.302f, 0.5f}, {1, 1}}, 1, -0.01, 0, {0.304f, 0.5f}},
      {"the last point stops at 1", {{0, 0}, {0.9995f, 1}}, 1, 0.01, 0, {1.0f, 1.0f}},
      {"the first point stops at 0", {{0.0005f, 0}, {1, 1}}, 0, -0.01, 0, {0.0f, 0.0f}},
      {"y stops at 1", kThree, 2, 0, 0.01, {1.0f, 1.0f}},
      {"y stops at 0", kThree, 0, 0, -0.01, {0.0f, 0.0f}},
      // A file with neighbours 0.006 apart leaves no room: x stays, y moves.
      {"no room keeps x", {{0, 0}, {0.5f, 0.2f}, {0.503f, 0.5f}, {0.506f, 1}}, 2, 0.001, 0.01, {0.503f, 0.51f}},
      // One only 0.002 from its neighbour is drawn back to the gap.
      {"too close moves clear", {{0, 0}, {0.5f, 0.2f}, {0.502f, 0.5f}, {1, 1}}, 1, 0.001, 0, {0.498f, 0.2f}},
  };
  for (const Case& k : cases) {
    VL_CurveControls c = Curve(k.points);
    ASSERT_TRUE(CurveNudgePoint(&c, k.index, k.dx, k.dy)) << k.story;
    EXPECT_NEAR(c.spline.x[k.index], k.expected.x, 1e-6) << k.story;
    EXPECT_NEAR(c.spline.y[k.index], k.expected.y, 1e-6) << k.story;
    EXPECT_EQ(c.spline.pointCount, k.points.size()) << k.story;
  }
}

TEST(CurvePointEdits, ManyStepsNeverCrossANeighbour) {
  VL_CurveControls c = Curve({{0, 0}, {0.2f, 0.1f}, {0.4f, 0.5f}, {0.6f, 0.7f}, {1, 1}});
  for (int i = 0; i < 500; ++i) CurveNudgePoint(&c, 2, 0.01, 0.01);
  EXPECT_TRUE(Ordered(c));
  EXPECT_NEAR(c.spline.x[2], 0.596f, 1e-6);
  for (int i = 0; i < 500; ++i) CurveNudgePoint(&c, 2, -0.01, -0.01);
  EXPECT_TRUE(Ordered(c));
  EXPECT_NEAR(c.spline.x[2], 0.204f, 1e-6);
}

TEST(CurvePointEdits, RefusedEdits) {
  VL_CurveControls map = Curve(kThree);
  map.modeFlags = kVLCurveModeMap;
  VL_CurveControls bad = Curve(kThree);
  bad.spline.pointCount = 40;
  VL_CurveControls one = Curve({{0.5f, 0.5f}});
  for (VL_CurveControls* c : {&map, &bad, &one}) {
    const VL_CurveControls before = *c;
    EXPECT_FALSE(CurveNudgePoint(c, 0, 0.01, 0.01));
    EXPECT_EQ(CurveSetPointAt(c, 0.3, 0.4), -1);
    EXPECT_FALSE(CurveSetBlackPointX(c, 0.1));
    EXPECT_FALSE(CurveSetWhitePointX(c, 0.9));
    EXPECT_EQ(std::memcmp(&before, c, sizeof before), 0);
  }
  VL_CurveControls c = Curve(kThree);
  EXPECT_FALSE(CurveNudgePoint(&c, 3, 0.01, 0)) << "past the last point";
  EXPECT_FALSE(CurveNudgePoint(&c, -1, 0.01, 0));
}

TEST(CurvePointEdits, SettingAPoint) {
  struct Case {
    const char* story;
    double x, y;
    int32_t index;
    std::vector<Pt> after;
  } cases[] = {
      {"inserted in x order", 0.25, 0.3, 1, {{0, 0}, {0.25f, 0.3f}, {0.5f, 0.6f}, {1, 1}}},
      {"the same x takes the y", 0.5, 0.4, 1, {{0, 0}, {0.5f, 0.4f}, {1, 1}}},
      {"on the identity line: ignored", 0.3, 0.3, -1, kThree},
      {"a sample above 1 reads as 1, on the identity line", 1.2, 1.0, -1, kThree},
      {"a sample above 1 sets the last point", 1.2, 0.9, 2, {{0, 0}, {0.5f, 0.6f}, {1, 0.9f}}},
      {"NaN is ignored", std::nan(""), 0.5, -1, kThree},
  };
  for (const Case& k : cases) {
    VL_CurveControls c = Curve(kThree);
    EXPECT_EQ(CurveSetPointAt(&c, k.x, k.y), k.index) << k.story;
    const std::vector<Pt> got = Points(c);
    ASSERT_EQ(got.size(), k.after.size()) << k.story;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_FLOAT_EQ(got[i].x, k.after[i].x) << k.story << " point " << i;
      EXPECT_FLOAT_EQ(got[i].y, k.after[i].y) << k.story << " point " << i;
    }
    EXPECT_TRUE(Ordered(c)) << k.story;
  }
  std::vector<Pt> sixteen;
  for (int i = 0; i < 16; ++i) sixteen.push_back({i / 15.0f, i / 15.0f});
  VL_CurveControls full = Curve(sixteen);
  EXPECT_EQ(CurveSetPointAt(&full, 0.51, 0.2), -1) << "a 17th point is never added";
  EXPECT_EQ(full.spline.pointCount, 16u);
}

TEST(CurvePointEdits, EndPointsKeepThePointsInOrder) {
  struct Case {
    const char* story;
    bool white;
    std::vector<Pt> points;
    double sample;
    std::vector<Pt> after;
  } cases[] = {
      {"black moves the first point", false, kThree, 0.1, {{0.1f, 0}, {0.5f, 0.6f}, {1, 1}}},
      {"black held 0.004 short of the second point", false, kThree, 0.7, {{0.496f, 0}, {0.5f, 0.6f}, {1, 1}}},
      {"black on two points: short of the last", false, {{0, 0}, {1, 1}}, 1.0, {{0.996f, 0}, {1, 1}}},
      {"a negative black sample reads as 0", false, {{0.2f, 0.1f}, {1, 1}}, -0.5, {{0, 0}, {1, 1}}},
      {"white moves the last point", true, kThree, 0.8, {{0, 0}, {0.5f, 0.6f}, {0.8f, 1}}},
      {"one earlier point beyond white goes just below", true, kThree, 0.3, {{0, 0}, {0.296f, 0.6f}, {0.3f, 1}}},
      // Several points beyond the new end step down one gap each instead of
      // landing on one x.
      {"several earlier points step down in turn", true,
       {{0, 0}, {0.4f, 0.3f}, {0.6f, 0.7f}, {1, 1}},
       0.3,
       {{0, 0}, {0.292f, 0.3f}, {0.296f, 0.7f}, {0.3f, 1}}},
      {"a white sample near 0 leaves room for every point", true,
       {{0, 0}, {0.5f, 0.6f}, {1, 1}},
       0.001,
       {{0, 0}, {0.004f, 0.6f}, {0.008f, 1}}},
      // A file with points out of order comes out ascending.
      {"out of order points are put in order", true, {{0.5f, 0}, {0.2f, 0.5f}, {1, 1}}, 0.95,
       {{0.196f, 0}, {0.2f, 0.5f}, {0.95f, 1}}},
  };
  for (const Case& k : cases) {
    VL_CurveControls c = Curve(k.points);
    ASSERT_TRUE(k.white ? CurveSetWhitePointX(&c, k.sample) : CurveSetBlackPointX(&c, k.sample)) << k.story;
    const std::vector<Pt> got = Points(c);
    ASSERT_EQ(got.size(), k.after.size()) << k.story;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_NEAR(got[i].x, k.after[i].x, 1e-6) << k.story << " point " << i;
      EXPECT_FLOAT_EQ(got[i].y, k.after[i].y) << k.story << " point " << i;
    }
    EXPECT_TRUE(Ordered(c)) << k.story;
  }
  // Sixteen points and a white point at 0: all sixteen still fit, 0.004 apart.
  std::vector<Pt> sixteen;
  for (int i = 0; i < 16; ++i) sixteen.push_back({i / 15.0f, i / 15.0f});
  VL_CurveControls full = Curve(sixteen);
  ASSERT_TRUE(CurveSetWhitePointX(&full, 0.0));
  EXPECT_TRUE(Ordered(full));
  EXPECT_NEAR(full.spline.x[15], 0.06f, 1e-6);
}

TEST(CurvePointEdits, GreyTargetIsTheMiddleValue) {
  struct Case {
    float r, g, b, target;
  } cases[] = {
      {0.5f, 0.2f, 0.8f, 0.5f}, {0.2f, 0.5f, 0.8f, 0.5f}, {0.2f, 0.8f, 0.5f, 0.5f},
      {0.4f, 0.4f, 0.4f, 0.4f}, {0.4f, 0.4f, 0.7f, 0.7f}, {0.7f, 0.4f, 0.4f, 0.4f},
  };
  for (const Case& k : cases)
    EXPECT_EQ(CurveGreyTarget(k.r, k.g, k.b), k.target) << k.r << " " << k.g << " " << k.b;
}

}  // namespace
