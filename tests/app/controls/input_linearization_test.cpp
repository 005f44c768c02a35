// Input linearization tables: each curve type at points worked out by hand,
// finite entries for hostile records, and frames mapped per channel with the
// table built once per record.
#include "app/controls/input_linearization.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "core/frame_buffer.h"
#include "tests/app/controls/input_linearization_record.h"

namespace {

std::vector<float> Table(const InputLinearization& r) {
  std::vector<float> t(kInputLinTableEntries, -7.0f);
  EXPECT_TRUE(InputLinearizationFillTable(r, t.data()));
  return t;
}

int32_t Index(double x) { return int32_t(std::lround(x * 16384)); }

TEST(InputLinearization, EachTypeAtWorkedPoints) {
  struct Point {
    double x;       // input
    double expect;  // table entry
  };
  struct Case {
    const char* name;
    InputLinearization record;
    std::vector<Point> points;
    double tolerance;
  } cases[] = {
      {"levels 16..235", ActiveInputLinRecord(1, 16, 235), {{16 / 255.0, 0}, {235 / 255.0, 1}, {0, -16.0 / 219}, {5, (5 * 255 - 16) / 219.0}}, 1e-3},
      {"levels and power", ActiveInputLinRecord(2, 0, 255, 2.0f), {{0.5, 0.25}, {1, 1}, {2, 4}}, 1e-3},
      // Below black the base is held at 0, so no negative base is raised.
      {"power below black", ActiveInputLinRecord(2, 64, 255, 0.5f), {{0, 0}, {32 / 255.0, 0}, {1, 1}}, 1e-3},
      {"inverse Rec. 709", ActiveInputLinRecord(3, 0, 255), {{0.05, 0.05 / 4.5}, {1, 1}, {0.5, std::pow((0.5 + 0.099) / 1.099, 1 / 0.45)}}, 1e-4},
      {"inverse Rec. 709, type 4", ActiveInputLinRecord(4, 0, 255), {{0.05, 0.05 / 4.5}, {1, 1}}, 1e-4},
      // The black and white code values land on 0 and 1 (c = x * 1023).
      {"log to linear", ActiveInputLinRecord(5, 95, 685, 1.7f), {{95 / 1023.0, 0}, {685 / 1023.0, 1}}, 2e-3},
      {"log 12-bit code", ActiveInputLinRecord(6, 64, 4040), {{0, (37 - 64) / 3976.0}, {5, (4095 - 64) / 3976.0}, {0.5, (std::floor(36.84342 * std::pow(10, 1.023) + 0.5) - 64) / 3976.0}}, 1e-4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<float> t = Table(c.record);
    for (const Point& p : c.points) EXPECT_NEAR(t[size_t(Index(p.x))], p.expect, c.tolerance) << "x " << p.x;
  }
}

TEST(InputLinearization, HostileRecordsGiveFiniteTablesOrNone) {
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  const InputLinearization finite[] = {
      ActiveInputLinRecord(2, 0, 255, nan), ActiveInputLinRecord(2, 0, 255, -3.0f), ActiveInputLinRecord(2, 0, 255, inf), ActiveInputLinRecord(5, 95, 685, 0.0f),
      ActiveInputLinRecord(5, 1022, 1023, 1e-9f), ActiveInputLinRecord(5, 0, 4000000000u, 5.0f), ActiveInputLinRecord(6, 0, 1), ActiveInputLinRecord(1, 0, 1),
  };
  for (const InputLinearization& r : finite) {
    std::vector<float> t = Table(r);
    size_t bad = 0;
    for (float v : t) bad += !std::isfinite(v);
    EXPECT_EQ(bad, 0u) << "type " << InputLinearizationType(r) << " black " << r.black << " gamma " << r.gamma;
  }
  // White at or below black, no type, inactive, or the identity: no table.
  InputLinearization none = ActiveInputLinRecord(2, 0, 255);
  none.flags = int32_t(kInputLinearizationActive);
  InputLinearization inactive = ActiveInputLinRecord(2, 0, 255);
  inactive.flags &= ~int32_t(kInputLinearizationActive);
  const InputLinearization refused[] = {ActiveInputLinRecord(2, 100, 100), ActiveInputLinRecord(5, 700, 600), none, inactive, ActiveInputLinRecord(1, 0, 255)};
  for (const InputLinearization& r : refused) {
    std::vector<float> t(kInputLinTableEntries, -7.0f);
    EXPECT_FALSE(InputLinearizationFillTable(r, t.data()));
    EXPECT_EQ(t[0], -7.0f);
  }
  // The highest type bit wins.
  InputLinearization both = ActiveInputLinRecord(5, 95, 685);
  both.flags |= 1;
  EXPECT_EQ(InputLinearizationType(both), 5);
}

// A planar float frame with the given red values (green 0.5, blue 1, plane 3 at 9).
FBFrameStruct* PlanarFrame(const std::vector<float>& red) {
  FBFrameStruct* f = nullptr;
  EXPECT_EQ(FBCreateRGBFrameBuffer(uint32_t(red.size()), 1, &f, kFBPixFormatPlanarFloat), kQVNoErr);
  float* planes[4];
  for (int p = 0; p < 4; ++p) planes[p] = reinterpret_cast<float*>(f->baseAddr + size_t(p) * f->planeBytes);
  for (size_t i = 0; i < red.size(); ++i) {
    planes[0][i] = red[i];
    planes[1][i] = 0.5f;
    planes[2][i] = 1.0f;
    planes[3][i] = 9.0f;
  }
  return f;
}

float At(FBFrameStruct* f, int plane, int x) {
  return reinterpret_cast<float*>(f->baseAddr + size_t(plane) * f->planeBytes)[x];
}

TEST(InputLinearization, FramesMapPerChannelWithTheInputHeldToFive) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  InputLinearization square = ActiveInputLinRecord(2, 0, 255, 2.0f);
  FBFrameStruct* f = PlanarFrame({0.5f, 7.0f, -1.0f, nan, 5.0f});
  const uint32_t before = InputLinearizationBuildCount();
  ApplyInputLinearization(f, &square);
  EXPECT_FLOAT_EQ(At(f, 0, 0), 0.25f);
  EXPECT_FLOAT_EQ(At(f, 0, 1), 25.0f);  // held to 5
  EXPECT_FLOAT_EQ(At(f, 0, 2), 0.0f);
  EXPECT_FLOAT_EQ(At(f, 0, 3), 0.0f);
  EXPECT_FLOAT_EQ(At(f, 0, 4), 25.0f);
  EXPECT_FLOAT_EQ(At(f, 1, 0), 0.25f);
  EXPECT_FLOAT_EQ(At(f, 2, 0), 1.0f);
  EXPECT_FLOAT_EQ(At(f, 3, 0), 9.0f);  // not a colour plane
  // The same record again maps again without building; another builds.
  ApplyInputLinearization(f, &square);
  EXPECT_FLOAT_EQ(At(f, 0, 0), 0.0625f);
  EXPECT_EQ(InputLinearizationBuildCount(), before + 1);
  InputLinearization changed = square;
  changed.reserved[2] = 1;
  ApplyInputLinearization(f, &changed);
  EXPECT_EQ(InputLinearizationBuildCount(), before + 2);
  FBDisposeFrameBuffer(f);

  // Records that take no effect touch neither the frame nor the table.
  InputLinearization identity = ActiveInputLinRecord(1, 0, 255), inactive = square;
  inactive.flags = int32_t(1u << 1);
  for (const InputLinearization* r : {&identity, &inactive}) {
    FBFrameStruct* g = PlanarFrame({0.5f});
    ApplyInputLinearization(g, r);
    EXPECT_FLOAT_EQ(At(g, 0, 0), 0.5f);
    FBDisposeFrameBuffer(g);
  }
  EXPECT_EQ(InputLinearizationBuildCount(), before + 2);
  EXPECT_FLOAT_EQ(InputLinearizationLookup(0.5f), 0.25f);  // still the last table built (same curve)
}

TEST(InputLinearization, InterleavedFloatFramesMapColourButNotAlpha) {
  InputLinearization square = ActiveInputLinRecord(2, 0, 255, 2.0f);
  struct Case {
    FBPixFormat format;
    int alpha;  // the alpha float's place
  } cases[] = {{kFBPixFormatFloatARGB, 0}, {kFBPixFormatFloatRGBA, 3}, {kFBPixFormatFloatBGRA, 3}};
  for (const Case& c : cases) {
    FBFrameStruct* f = nullptr;
    ASSERT_EQ(FBCreateRGBFrameBuffer(1, 1, &f, c.format), kQVNoErr);
    float* px = reinterpret_cast<float*>(f->baseAddr);
    for (int i = 0; i < 4; ++i) px[i] = 0.5f;
    ApplyInputLinearization(f, &square);
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(px[i], i == c.alpha ? 0.5f : 0.25f) << c.format << " " << i;
    FBDisposeFrameBuffer(f);
  }
  // Words of the communication block and back.
  uint32_t words[8];
  InputLinearization r = ActiveInputLinRecord(5, 95, 685, 1.7f);
  r.softClip = 1;
  r.reserved[1] = 0xDEADBEEF;
  InputLinearizationToWords(r, words);
  EXPECT_EQ(words[0], 0x80000010u);
  InputLinearization back = InputLinearizationFromWords(words);
  EXPECT_EQ(std::memcmp(&back, &r, sizeof r), 0);
}

}  // namespace
