// The luma-range graph's weights in numbers: with a point at x = 0.5 a
// curve's x runs with t, so each column's weight is the Hermite polynomial
// of the point's y worked by hand; and the graph shows the weights the
// engine applies to the picture at the same luma.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/controls/luma_range_weights.h"
#include "core/curves.h"
#include "core/processing_tables.h"

namespace {

struct Weights {
  std::vector<float> shadow, midtone, highlight;
  Weights(float sx, float sy, float hx, float hy, int32_t width)
      : shadow(size_t(width)), midtone(size_t(width)), highlight(size_t(width)) {
    LumaRangeWeights(sx, sy, hx, hy, width, shadow.data(), midtone.data(), highlight.data());
  }
};

// Width 101: column c is luma c / 100. With x = 0.5 both curves have
// X(t) = t, and with y = 0.6 Y(t) = h00 - h10 = (1 - t)^2 (1 + t); with
// y = 0.8 Y(t) = h00; with y = 1 Y(t) = h00 + h10 = 3t^3 - 5t^2 + t + 1. The
// highlight curve is the same read from the right edge.
TEST(LumaRangeWeights, WorkedColumns) {
  struct Column {
    int32_t c;
    float shadow, midtone, highlight;
  };
  struct Case {
    const char* name;
    float sy, hy;
    std::vector<Column> columns;
  } cases[] = {
      {"both points at (0.5, 0.6): room for midtones",
       0.6f,
       0.6f,
       {{0, 1.0f, 0.0f, 0.0f},
        {25, 0.703125f, 0.1875f, 0.109375f},
        {50, 0.375f, 0.25f, 0.375f},
        {75, 0.109375f, 0.1875f, 0.703125f},
        {100, 0.0f, 0.0f, 1.0f}}},
      // The shadow curve rises above 1 near the left edge (clamped) and
      // overlaps the highlight curve everywhere: the shadow gives way.
      {"shadow at (0.5, 1), highlight at (0.5, 0.8): no midtones",
       1.0f,
       0.8f,
       {{10, 0.972f, 0.0f, 0.028f},
        {25, 0.84375f, 0.0f, 0.15625f},
        {50, 0.5f, 0.0f, 0.5f},
        {75, 0.15625f, 0.0f, 0.84375f}}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const Weights w(0.5f, k.sy, 0.5f, k.hy, 101);
    for (const Column& col : k.columns) {
      SCOPED_TRACE(col.c);
      const size_t c = size_t(col.c);
      // A column takes the first sample at or past it: within a sample step.
      EXPECT_NEAR(w.shadow[c], col.shadow, 2e-3);
      EXPECT_NEAR(w.midtone[c], col.midtone, 2e-3);
      EXPECT_NEAR(w.highlight[c], col.highlight, 2e-3);
    }
  }
}

// The graph's columns against the engine's luma-range tables at the same
// luma, for the default points and for points dragged across each other.
TEST(LumaRangeWeights, GraphShowsTheEnginesWeights) {
  struct Case {
    float sx, sy, hx, hy;
  } cases[] = {{0.3f, 0.3831f, 0.7f, 0.3831f}, {0.5f, 0.6f, 0.5f, 0.6f}, {0.8f, 0.9f, 0.2f, 0.7f},
               {0.25f, 0.2f, 0.9f, 0.5f}};
  std::vector<float> shadow(kVLTableSize), midtone(kVLTableSize), highlight(kVLTableSize);
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.sx << " " << k.sy << " " << k.hx << " " << k.hy);
    VL_LumaRangeControls ranges{};
    ranges.lumarange_shadowx = k.sx;
    ranges.lumarange_shadowy = k.sy;
    ranges.lumarange_highlightx = k.hx;
    ranges.lumarange_highlighty = k.hy;
    ASSERT_EQ(VL_CalculateLumaRanges(&ranges, shadow.data(), midtone.data(), highlight.data()), kQVNoErr);
    for (int32_t width : {257, 518, 774}) {
      SCOPED_TRACE(width);
      const Weights w(k.sx, k.sy, k.hx, k.hy, width);
      int32_t off = 0;
      for (int32_t c = 0; c < width; ++c) {
        const size_t at = size_t(std::lround(double(c) * kVLTableLastIndex / (width - 1)));
        const size_t i = size_t(c);
        off += std::fabs(w.shadow[i] - shadow[at]) > 0.01f || std::fabs(w.midtone[i] - midtone[at]) > 0.01f ||
               std::fabs(w.highlight[i] - highlight[at]) > 0.01f;
      }
      EXPECT_EQ(off, 0) << "columns away from the engine's weights";
    }
  }
}

}  // namespace
