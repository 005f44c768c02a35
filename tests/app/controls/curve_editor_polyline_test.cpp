// The line the curve editor strokes: through its points, left to right from
// edge to edge, and never looping back or leaving the graph, whatever the
// record holds (files may carry points out of order, NaN or out of range).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "app/controls/curve_editor_internal.h"

namespace {

constexpr int32_t kWidth = 200;

// The polyline's y at x (linear between its vertices).
double YAt(const std::vector<CurvePlotPoint>& line, double x) {
  for (size_t i = 1; i < line.size(); ++i)
    if (line[i].x >= x && line[i - 1].x <= x) {
      const double span = line[i].x - line[i - 1].x;
      return span > 0 ? line[i - 1].y + (line[i].y - line[i - 1].y) * (x - line[i - 1].x) / span : line[i].y;
    }
  return std::numeric_limits<double>::quiet_NaN();
}

::testing::AssertionResult EdgeToEdgeRightwards(const std::vector<CurvePlotPoint>& line) {
  if (line.size() < 2) return ::testing::AssertionFailure() << "no line";
  if (line.front().x != 0.0 || line.back().x != 1.0) return ::testing::AssertionFailure() << "not edge to edge";
  for (size_t i = 0; i < line.size(); ++i) {
    const CurvePlotPoint& p = line[i];
    if (!(p.x >= 0 && p.x <= 1 && p.y >= 0 && p.y <= 1))
      return ::testing::AssertionFailure() << "vertex " << i << " (" << p.x << ", " << p.y << ") outside the graph";
    if (i && p.x < line[i - 1].x) return ::testing::AssertionFailure() << "vertex " << i << " goes back";
  }
  return ::testing::AssertionSuccess();
}

TEST(CurveEditorPolyline, ASplineRunsThroughItsPoints) {
  const float x[] = {0.1f, 0.3f, 0.7f, 0.9f};
  const float y[] = {0.2f, 0.5f, 0.4f, 0.8f};
  const std::vector<CurvePlotPoint> line = CurveEditorPolyline(x, y, 4, false, kWidth);
  ASSERT_TRUE(EdgeToEdgeRightwards(line));
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(YAt(line, x[i]), y[i], 0.01) << "point " << i;
  // Flat beyond the end points.
  EXPECT_DOUBLE_EQ(YAt(line, 0.05), y[0]);
  EXPECT_DOUBLE_EQ(YAt(line, 0.95), y[3]);
  // A bend, not straight lines: halfway between points 1 and 2 the spline
  // lies above their chord (it comes up from 0.2 and goes on to 0.8).
  EXPECT_GT(std::fabs(YAt(line, 0.5) - 0.45), 0.005);
  // Samples a pixel apart or more between the lead-in and the lead-out.
  for (size_t i = 3; i + 2 < line.size(); ++i) EXPECT_GE(line[i].x - line[i - 1].x, 1.0 / kWidth - 1e-9) << i;
}

TEST(CurveEditorPolyline, LinesJoinThePointsStraight) {
  const float x[] = {0.0f, 0.5f, 1.0f};
  const float y[] = {0.0f, 0.9f, 0.3f};
  const std::vector<CurvePlotPoint> line = CurveEditorPolyline(x, y, 3, true, kWidth);
  ASSERT_TRUE(EdgeToEdgeRightwards(line));
  EXPECT_NEAR(YAt(line, 0.25), 0.45, 1e-6);
  EXPECT_NEAR(YAt(line, 0.75), 0.6, 1e-6);
  // Two points are a straight line in either mode.
  const float x2[] = {0.2f, 0.8f}, y2[] = {0.1f, 0.7f};
  for (bool lines : {false, true}) EXPECT_NEAR(YAt(CurveEditorPolyline(x2, y2, 2, lines, kWidth), 0.5), 0.4, 1e-6);
}

TEST(CurveEditorPolyline, HostilePointsStayInTheGraphAndGoRightwards) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* story;
    std::vector<float> x, y;
  } cases[] = {
      {"out of order", {0.0f, 0.8f, 0.2f, 1.0f}, {0.0f, 0.9f, 0.1f, 1.0f}},
      {"reversed", {1.0f, 0.6f, 0.3f, 0.0f}, {0.0f, 0.5f, 0.2f, 1.0f}},
      {"same x", {0.0f, 0.5f, 0.5f, 1.0f}, {0.0f, 0.1f, 0.9f, 1.0f}},
      {"NaN", {0.0f, nan, 0.6f, 1.0f}, {nan, 0.5f, 0.4f, 1.0f}},
      {"outside 0..1", {-3.0f, 0.5f, 7.0f}, {2.0f, -1.0f, 0.5f}},
      {"overshooting bends", {0.0f, 0.45f, 0.55f, 1.0f}, {0.0f, 1.0f, 0.0f, 1.0f}},
      {"two points reversed", {0.9f, 0.1f}, {0.2f, 0.8f}},
  };
  for (const Case& k : cases)
    for (bool lines : {false, true})
      EXPECT_TRUE(EdgeToEdgeRightwards(CurveEditorPolyline(k.x.data(), k.y.data(), uint32_t(k.x.size()), lines, kWidth)))
          << k.story << (lines ? " as lines" : " as a spline");
  const float x[16] = {}, y[16] = {};
  for (uint32_t count : {0u, 1u, 17u, 4000000000u}) EXPECT_TRUE(CurveEditorPolyline(x, y, count, false, kWidth).empty()) << count;
}

}  // namespace
