#include "support/geometry.h"

#include <gtest/gtest.h>

#include <string>

namespace {

QVRect R(int16_t top, int16_t left, int16_t bottom, int16_t right) { return QVRect{top, left, bottom, right}; }

void ExpectRect(const QVRect& r, int right, int bottom, const char* what) {
  EXPECT_EQ(r.top, 0) << what;
  EXPECT_EQ(r.left, 0) << what;
  EXPECT_EQ(r.right, right) << what;
  EXPECT_EQ(r.bottom, bottom) << what;
}

}  // namespace

TEST(Rects, SizesAndComparisons) {
  QVRect a = R(10, 20, 110, 220);  // 200 x 100
  QVRect b = R(0, 0, 50, 100);     // 100 x 50
  QVRect c = R(0, 0, 150, 100);    // 100 x 150
  EXPECT_EQ(RectWidth(&a), 200);
  EXPECT_EQ(RectHeight(&a), 100);
  EXPECT_TRUE(LargerRectAll(&a, &b));
  EXPECT_FALSE(LargerRectAll(&a, &c));
  EXPECT_TRUE(LargerRect(&a, &c));
  EXPECT_TRUE(SmallerRect(&a, &c));
  EXPECT_FALSE(SmallerRectAll(&a, &c));
  EXPECT_TRUE(SmallerRectAll(&b, &a));
  QVRect moved = R(-5, -5, 95, 195);
  EXPECT_TRUE(SameSizeRect(&a, &moved));
  QVRect out;
  MacIntersectRect(&out, &a, &c);
  EXPECT_EQ(out.top, 10);
  EXPECT_EQ(out.left, 20);
  EXPECT_EQ(out.bottom, 110);
  EXPECT_EQ(out.right, 100);
  QVRect far = R(500, 500, 600, 600);
  MacIntersectRect(&out, &a, &far);  // empty, not detected: bottom < top
  EXPECT_LT(out.bottom, out.top);
  EXPECT_STREQ(QVRectToCString(&a), "[L:20, T:10, R:220, B:110 W:200 H:100]");
}

TEST(Rects, ProportionalAndCropped) {
  struct Case {
    QVRect source, bounds;
    int propRight, propBottom, cropRight, cropBottom;
  };
  const Case cases[] = {
      {R(0, 0, 100, 200), R(0, 0, 100, 100), 100, 50, 200, 100},   // wide source, square bounds
      {R(0, 0, 200, 100), R(0, 0, 100, 100), 50, 100, 100, 200},   // tall source
      {R(0, 0, 100, 100), R(0, 0, 50, 80), 50, 50, 80, 80},        // square source: side min(w, h)
      {R(0, 0, 90, 160), R(0, 0, 100, 100), 100, 56, 177, 100},    // 16:9 in a square
      {R(0, 0, 100, 200), R(0, 0, 200, 300), 300, 150, 400, 200},  // wide source, wide bounds
      {R(0, 0, 100, 200), R(0, 0, 10, 300), 20, 10, 20, 10},       // fit limited by the height
  };
  for (const Case& c : cases) {
    QVRect out;
    ProportionalRect(&c.source, &c.bounds, &out);
    ExpectRect(out, c.propRight, c.propBottom, QVRectToCString(&c.source));
    CroppedRect(&c.source, &c.bounds, &out);
    ExpectRect(out, c.cropRight, c.cropBottom, QVRectToCString(&c.source));
  }
  QVRect empty = R(0, 0, 0, 0), bounds = R(0, 0, 100, 100), out;
  ProportionalRect(&empty, &bounds, &out);  // no overflow on an empty source
  CroppedRect(&empty, &bounds, &out);
}

TEST(Lines, Intersections) {
  struct Case {
    int x1, y1, x2, y2, x3, y3, x4, y4;
    int result, x, y;
  };
  const Case cases[] = {
      {0, 0, 10, 10, 0, 10, 10, 0, 0, 5, 5},
      {0, 0, 10, 0, 0, 5, 10, 5, 1, 0, 0},
      {0, 0, 10, 0, 5, 0, 15, 0, 2, 0, 0},
      {0, 0, 10, 0, 20, -5, 20, 5, 1, 0, 0},  // crosses the line but not the segment
      {0, 0, 3, 0, 1, -1, 2, 2, 0, 1, 0},     // 4/3 rounds to 1
      {0, 0, 0, 10, -5, 7, 5, 8, 0, 0, 8},     // 7.5 rounds away from zero
      {0, 0, 10, 0, 10, 0, 10, 5, 0, 10, 0},  // touching at an end point
  };
  for (const Case& c : cases) {
    int32_t x = -99, y = -99;
    EXPECT_EQ(QVIntersectLines(c.x1, c.y1, c.x2, c.y2, c.x3, c.y3, c.x4, c.y4, &x, &y), c.result)
        << c.x3 << "," << c.y3;
    if (c.result == 0) {
      EXPECT_EQ(x, c.x);
      EXPECT_EQ(y, c.y);
    }
  }
}

TEST(Lines, DistanceToSegment) {
  struct Case {
    int px, py, x1, y1, x2, y2, expect;
  };
  const Case cases[] = {
      {5, 5, 0, 0, 10, 0, 5},
      {20, 5, 0, 0, 10, 0, kQVDistanceOutside},
      {-1, 3, 0, 0, 10, 0, kQVDistanceOutside},
      {0, 7, 0, 0, 10, 0, 7},        // at the end point's foot
      {3, 3, 5, 5, 5, 5, kQVDistanceOutside},  // a zero-length segment
      {0, 10, 0, 0, 10, 10, 7},      // 7.07 truncated
      // Far-apart coordinates: no overflow, the foot still found.
      {0, 5, -2000000000, 0, 2000000000, 0, 5},
      {0, 2000000000, -2000000000, 0, 2000000000, 0, 2000000000},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DistPointToLine(c.px, c.py, c.x1, c.y1, c.x2, c.y2), c.expect) << c.px << "," << c.py;
}
