#include "core/curves.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "core/curves_internal.h"
#include "tests/core/reference_curves.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

std::unique_ptr<VL_CurveControls> Spline(std::initializer_list<std::pair<float, float>> points) {
  auto c = std::make_unique<VL_CurveControls>();
  std::memset(c.get(), 0, sizeof *c);
  int n = 0;
  for (auto [x, y] : points) {
    c->spline.x[n] = x;
    c->spline.y[n] = y;
    ++n;
  }
  c->spline.pointCount = uint32_t(n);
  return c;
}

std::vector<float> Evaluate(const VL_CurveControls& c) {
  std::vector<float> table(kVLTableSize, -7.0f);
  EXPECT_EQ(kQVNoErr, VL_CalculateCurve(&c, table.data()));
  return table;
}

void ExpectIdentity(const std::vector<float>& t) {
  EXPECT_EQ(0.0f, t[0]);
  for (int i = 0; i < kVLTableSize; i += 97) EXPECT_FLOAT_EQ(float(i) / 16384.0f, t[i]) << i;
  EXPECT_EQ(1.0f, t[16384]);
}

void ExpectBounded(const std::vector<float>& t, float lo, float hi) {
  for (int i = 0; i < kVLTableSize; ++i) {
    ASSERT_TRUE(std::isfinite(t[i])) << i;
    ASSERT_GE(t[i], lo) << i;
    ASSERT_LE(t[i], hi) << i;
  }
}

// Catmull-Rom weights in double precision.
void CatmullRom(double t, double w[4]) {
  w[0] = -0.5 * t * t * t + t * t - 0.5 * t;
  w[1] = 1.5 * t * t * t - 2.5 * t * t + 1.0;
  w[2] = -1.5 * t * t * t + 2.0 * t * t + 0.5 * t;
  w[3] = 0.5 * t * t * t - 0.5 * t * t;
}

// The curve through the points at x, solved on the continuous spline.
double ReferenceCurve(const std::vector<double>& xs, const std::vector<double>& ys, double x) {
  const int n = int(xs.size());
  int s = 0;
  while (s < n - 2 && x >= xs[s + 1]) ++s;
  const int i0 = s > 0 ? s - 1 : 0, i3 = s + 2 < n ? s + 2 : n - 1;
  const double px[4] = {xs[i0], xs[s], xs[s + 1], xs[i3]};
  const double py[4] = {ys[i0], ys[s], ys[s + 1], ys[i3]};
  auto at = [](const double p[4], double t) {
    double w[4];
    CatmullRom(t, w);
    return w[0] * p[0] + w[1] * p[1] + w[2] * p[2] + w[3] * p[3];
  };
  double lo = 0, hi = 1;
  for (int k = 0; k < 60; ++k) {
    const double mid = (lo + hi) / 2;
    (at(px, mid) < x ? lo : hi) = mid;
  }
  return std::clamp(at(py, lo), 0.0, 1.0);
}


}  // namespace

TEST(SplineCurveGen, RowsAreTheBasisPolynomials) {
  std::unique_ptr<float[][4]> rows(new float[kVLBasisRows][4]);
  SplineCurveGen(kVLCatmullRomBasis, rows.get());
  for (int j : {0, 1, 12345, 32767}) {
    double w[4];
    CatmullRom(j / 32768.0, w);
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(w[k], rows[j][k], 1e-6) << j << " " << k;
  }
  SplineCurveGen(kVLHermiteBasis, rows.get());
  EXPECT_FLOAT_EQ(1.0f, rows[0][0]);
  const double t = 20000 / 32768.0;
  EXPECT_NEAR(t * t * t - 2 * t * t + t, rows[20000][2], 1e-6);
}

TEST(Curve, TwoPointsAreLines) {
  ExpectIdentity(Evaluate(*Spline({{0, 0}, {1, 1}})));
  const auto flat = Evaluate(*Spline({{0, 0.5f}, {1, 0.5f}}));
  for (int i = 0; i < kVLTableSize; i += 51) EXPECT_EQ(0.5f, flat[i]);
  // A first point at 0.25 holds its value below it, then the line runs on.
  const auto late = Evaluate(*Spline({{0.25f, 0.2f}, {0.75f, 0.6f}}));
  for (int i = 0; i < 4096; i += 64) EXPECT_EQ(0.2f, late[i]);
  EXPECT_EQ(0.2f, late[4095]);
  EXPECT_NEAR(0.4f, late[8192], 1e-6);
  EXPECT_EQ(0.6f, late[12288]);
  EXPECT_EQ(0.6f, late[16384]);
}

TEST(Curve, BadPointCountsGiveTheIdentity) {
  for (uint32_t count : {0u, 1u, 17u, 1000u, 0xFFFFFFFFu}) {
    auto c = Spline({{0, 0.3f}, {0.5f, 0.9f}, {1, 0.1f}});
    c->spline.pointCount = count;
    SCOPED_TRACE(count);
    ExpectIdentity(Evaluate(*c));
  }
}

TEST(Curve, SplineFollowsCatmullRom) {
  const std::vector<double> xs = {0.0, 0.3, 0.6, 1.0}, ys = {0.1, 0.5, 0.55, 0.9};
  const auto t = Evaluate(*Spline({{0, 0.1f}, {0.3f, 0.5f}, {0.6f, 0.55f}, {1, 0.9f}}));
  for (int i : {0, 100, 2000, 4915, 6000, 9830, 12000, 16000, 16383, 16384}) {
    EXPECT_NEAR(ReferenceCurve(xs, ys, i / 16384.0), t[i], 1e-4) << i;
  }
}

// Point sets that do not span 0..1 hold their end values outside the points;
// the largest point count walks sixteen points.
TEST(Curve, SplinesHoldTheirEndValuesAndFollowEverySegment) {
  std::vector<std::vector<std::pair<double, double>>> cases = {
      {{0.25, 0.2}, {0.5, 0.7}, {0.75, 0.4}},
      {{0.1, 0.9}, {0.35, 0.6}, {0.6, 0.3}, {0.9, 0.05}},
      {},
  };
  for (int p = 0; p < 16; ++p) cases.back().push_back({p / 15.0, 0.5 + 0.4 * std::sin(p * 0.7)});
  for (size_t n = 0; n < cases.size(); ++n) {
    SCOPED_TRACE(n);
    auto c = std::make_unique<VL_CurveControls>();
    std::memset(c.get(), 0, sizeof *c);
    std::vector<double> xs, ys;
    for (auto [x, y] : cases[n]) {
      c->spline.x[xs.size()] = float(x);
      c->spline.y[xs.size()] = float(y);
      xs.push_back(float(x));
      ys.push_back(float(y));
    }
    c->spline.pointCount = uint32_t(xs.size());
    const auto t = Evaluate(*c);
    const int first = int(std::ceil(xs.front() * 16384));
    for (int i = 0; i < first; i += 7) EXPECT_EQ(float(ys.front()), t[i]) << i;
    const int last = int(xs.back() * 16384);
    for (int i = last + 1; i <= 16384; i += 7) EXPECT_EQ(float(ys.back()), t[i]) << i;
    EXPECT_EQ(float(ys.back()), t[16384]);
    for (int i = first; i <= last; i += 61) EXPECT_NEAR(ReferenceCurve(xs, ys, i / 16384.0), t[i], 1e-4) << i;
  }
}

TEST(Curve, MapFormInterpolatesAndExtendsTheLastStep) {
  auto c = std::make_unique<VL_CurveControls>();
  std::memset(c.get(), 0, sizeof *c);
  c->modeFlags = kVLCurveModeMap;
  for (int k = 0; k < 1024; ++k) c->map[k] = float(k * k) / (1023.0f * 1023.0f);
  const auto t = Evaluate(*c);
  EXPECT_EQ(c->map[1023], t[16384]);
  EXPECT_EQ(0.0f, t[0]);
  // Entry 5000 lies at 5000 x 1023 / 16384 = 312.1582...
  const double p = 5000 * 1023 / 16384.0;
  const int k = int(p);
  EXPECT_NEAR(c->map[k] + (c->map[k + 1] - c->map[k]) * (p - k), t[5000], 1e-6);
  // Entries in the last interval use the slope of the one before it.
  const double q = 16380 * 1023 / 16384.0;
  ASSERT_EQ(1022, int(q));
  EXPECT_NEAR(c->map[1022] + (c->map[1022] - c->map[1021]) * (q - 1022), t[16380], 1e-6);
}

// Values from files, hosts and panels arrive unchecked: none of these may
// write outside the table, divide by zero or leave a value outside 0..1.
TEST(Curve, HostileControlValuesStayBounded) {
  const std::vector<std::vector<std::pair<float, float>>> cases = {
      {{kNaN, kNaN}, {kNaN, 2.0f}},
      {{0.5f, 0.2f}, {0.5f, 0.8f}},                        // equal x
      {{0.8f, 0.2f}, {0.2f, 0.8f}},                        // reversed x
      {{0.3f, 0.1f}, {0.3f, 0.9f}, {0.3f, 0.5f}},          // all x equal
      {{0.9f, 0.0f}, {0.1f, 1.0f}, {0.5f, 0.3f}, {0.0f, 1.0f}},
      {{-5.0f, -1.0f}, {1e30f, 1e30f}, {-1e30f, 3.0f}},
      {{1.0f, 0.7f}, {1.0f, 0.2f}},
  };
  for (size_t n = 0; n < cases.size(); ++n) {
    SCOPED_TRACE(n);
    auto c = std::make_unique<VL_CurveControls>();
    std::memset(c.get(), 0, sizeof *c);
    c->spline.pointCount = uint32_t(cases[n].size());
    for (size_t p = 0; p < cases[n].size(); ++p) {
      c->spline.x[p] = cases[n][p].first;
      c->spline.y[p] = cases[n][p].second;
    }
    const auto t = Evaluate(*c);
    ExpectBounded(t, 0.0f, 1.0f);
    if (n == 1) {
      EXPECT_EQ(0.2f, t[8191]);
      EXPECT_EQ(0.8f, t[8192]);
    }
  }
  auto m = std::make_unique<VL_CurveControls>();
  std::memset(m.get(), 0, sizeof *m);
  m->modeFlags = kVLCurveModeMap | 0xF0u;
  for (int k = 0; k < 1024; ++k) m->map[k] = k % 3 == 0 ? kNaN : (k % 3 == 1 ? 1e30f : -1e30f);
  ExpectBounded(Evaluate(*m), -1.0f, 2.0f);
}

TEST(LumaRanges, DefaultsSplitLumaIntoThreeWeights) {
  VL_LumaRangeControls r = {0, 0, 0.3f, 0.3831f, 0.7f, 0.3831f};
  std::vector<float> s(kVLTableSize), m(kVLTableSize), h(kVLTableSize);
  ASSERT_EQ(kQVNoErr, VL_CalculateLumaRanges(&r, s.data(), m.data(), h.data()));
  EXPECT_EQ(1.0f, s[0]);
  EXPECT_EQ(0.0f, h[0]);
  EXPECT_EQ(1.0f, h[16384]);
  EXPECT_EQ(0.0f, s[16384]);
  for (int i = 0; i < kVLTableSize; ++i) {
    ASSERT_NEAR(1.0f, s[i] + m[i] + h[i], 1e-6) << i;
    ASSERT_GE(m[i], 0.0f);
  }
  // Shadow: x tangent 2 x 0.3, y tangent 5 x 0.3831 - 4; highlight mirrored.
  for (int i : {0, 500, 1638, 4000, 8192}) {
    EXPECT_NEAR(ReferenceRangeCurve(0.3, 5 * 0.3831 - 4, i / 16384.0), s[i], 1e-4) << i;
  }
  for (int i : {16384, 15000, 12000, 9000}) {
    EXPECT_NEAR(ReferenceRangeCurve(0.3, 5 * 0.3831 - 4, (16384 - i) / 16384.0), h[i], 1e-4) << i;
  }
}

TEST(LumaRanges, OverlapLowersTheShadowWeight) {
  VL_LumaRangeControls r = {0, 0, 1.0f, 1.0f, 0.0f, 1.0f};
  std::vector<float> s(kVLTableSize), m(kVLTableSize), h(kVLTableSize);
  ASSERT_EQ(kQVNoErr, VL_CalculateLumaRanges(&r, s.data(), m.data(), h.data()));
  const double sx = ReferenceRangeCurve(1.0, 1.0, 0.5), hx = ReferenceRangeCurve(1.0, 1.0, 0.5);
  ASSERT_GT(sx + hx, 1.0);
  EXPECT_NEAR(hx, h[8192], 1e-4);
  EXPECT_NEAR(1.0 - hx, s[8192], 1e-4);
  EXPECT_EQ(0.0f, m[8192]);
}

TEST(LumaRanges, HostileControlValuesStayBounded) {
  const VL_LumaRangeControls cases[] = {
      {0, 0, kNaN, kNaN, kNaN, kNaN},
      {0, 0, 1e30f, -1e30f, -1e30f, 1e30f},
      {0, 0, 0.0f, 0.0f, 1.0f, 0.0f},
      {0, 0, std::numeric_limits<float>::infinity(), 2.0f, -std::numeric_limits<float>::infinity(), -2.0f},
  };
  for (const VL_LumaRangeControls& r : cases) {
    std::vector<float> s(kVLTableSize, kNaN), m(kVLTableSize, kNaN), h(kVLTableSize, kNaN);
    ASSERT_EQ(kQVNoErr, VL_CalculateLumaRanges(&r, s.data(), m.data(), h.data()));
    ExpectBounded(s, 0.0f, 1.0f);
    ExpectBounded(m, 0.0f, 1.0f);
    ExpectBounded(h, 0.0f, 1.0f);
  }
}
