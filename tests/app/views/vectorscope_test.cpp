// The vectorscope: where dots land, how they brighten, what is sampled,
// and the graticule rectangle.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/views/scope_tables.h"
#include "app/views/vectorscope.h"
#include "app/views/vectorscope_internal.h"
#include "scope_test_frames.h"
#include "settings/prefs.h"

namespace {

struct Dot {
  int32_t x, y;
  uint32_t pixel;
};

VectorscopeParams Params(TKImage* target, TKImage* source, bool targets75, int32_t matrix = kScopeMatrix601) {
  VectorscopeParams p{};
  p.target = target;
  p.pixels = source ? TKImagePixels(source) : nullptr;
  p.width = source ? TKImageWidth(source) : 720;
  p.height = source ? TKImageHeight(source) : 486;
  p.rowBytes = source ? TKImageRowBytes(source) : 0;
  p.flags = source ? uint32_t(kVSFlagTrace) : 0u;
  p.matrix = matrix;
  p.zoom = 1;
  p.whiteLevel = 255;
  p.blackLevel = 0;
  p.targets75 = targets75 ? 1 : 0;
  p.saturation = 0x10000;
  return p;
}

// The pixels where a render with the trace differs from the same render without it.
std::vector<Dot> TraceDots(const VectorscopeParams& withTrace) {
  TKImage* target = withTrace.target;
  VectorscopeParams bare = withTrace;
  bare.flags &= ~kVSFlagTrace;
  TKImage* empty = TKImageCreate(TKImageWidth(target), TKImageHeight(target));
  bare.target = empty;
  DrawVectorscope(&bare);
  DrawVectorscope(&withTrace);
  std::vector<Dot> dots;
  for (int32_t y = 0; y < TKImageHeight(target); ++y)
    for (int32_t x = 0; x < TKImageWidth(target); ++x)
      if (TKImageGetPixel(target, x, y) != TKImageGetPixel(empty, x, y))
        dots.push_back({x, y, TKImageGetPixel(target, x, y)});
  TKImageDispose(empty);
  return dots;
}

// The six trace levels at full saturation, brightest first.
const uint32_t kLevels[6] = {0xFF6DFFB9, 0xFF00FF84, 0xFF00CC6A, 0xFF00984E, 0xFF006635, 0xFF003219};

}  // namespace

// One pixel of each colour on a 640 x 480 graticule: its dot lies where
// the colour's B-Y and R-Y (from the standard Rec. 601 weights) put it,
// 4/3 further out with 75% calibration, and greys sit on the centre.
TEST(Vectorscope, DotsOfPureColoursAndGreyLandAtTheirColourDifference) {
  struct Case {
    uint8_t r, g, b;
  } colours[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {0, 255, 255}, {255, 0, 255},
                 {191, 0, 0}, {0, 191, 191}, {191, 191, 0}, {128, 128, 128}, {0, 0, 0}, {255, 255, 255}};
  TKImage* target = TKImageCreate(640, 480);
  TKImage* source = TKImageCreate(1, 1);
  const double unit = 19325.0 * 480 / (120 * 65536.0);  // pixels per code value at 100%
  for (bool targets75 : {false, true}) {
    for (const Case& c : colours) {
      SCOPED_TRACE(testing::Message() << int(c.r) << "," << int(c.g) << "," << int(c.b) << (targets75 ? " 75%" : " 100%"));
      FillPicture(source, c.r, c.g, c.b);
      std::vector<Dot> dots = TraceDots(Params(target, source, targets75));
      double y = 0.299 * c.r + 0.587 * c.g + 0.114 * c.b;
      double u = 0.872 * 0.5 * (c.b - y) / 0.886, v = 1.23 * 0.5 * (c.r - y) / 0.701;
      double gain = unit * (targets75 ? 4.0 / 3.0 : 1.0);
      double ex = 320 + u * gain, ey = 240 - v * gain;
      if (ex < 0 || ex >= 640 || ey < 0 || ey >= 480) {
        EXPECT_TRUE(dots.empty());  // off the graticule: dropped
        continue;
      }
      ASSERT_EQ(dots.size(), 1u);
      // The sub-pixel offset of the first dot moves it by up to one pixel.
      EXPECT_NEAR(dots[0].x, ex, 1.5);
      EXPECT_NEAR(dots[0].y, ey, 1.5);
      EXPECT_EQ(dots[0].pixel, kLevels[5]);  // one hit: the dimmest level
    }
  }
  TKImageDispose(source);
  TKImageDispose(target);
}

// The 75% bars sit on the Rec. 601 targets (radius as a fraction of the
// 180-unit circle, angle counter-clockwise from B-Y) with 75% calibration,
// and the full bars do with 100%.
TEST(Vectorscope, BarsLandOnTheirTargetsAtTheirCalibration) {
  struct Target {
    uint8_t r, g, b;
    double radius, angle;
  } targets[] = {{1, 0, 1, 0.82, 61}, {1, 0, 0, 0.88, 103}, {1, 1, 0, 0.62, 167},
                 {0, 1, 0, 0.82, 241}, {0, 1, 1, 0.88, 283}, {0, 0, 1, 0.62, 347}};
  TKImage* target = TKImageCreate(640, 480);
  TKImage* source = TKImageCreate(1, 1);
  const double circle = 180 * 19325.0 * 480 / (120 * 65536.0);
  for (bool targets75 : {false, true}) {
    uint8_t level = targets75 ? 191 : 255;
    for (const Target& t : targets) {
      FillPicture(source, t.r * level, t.g * level, t.b * level);
      std::vector<Dot> dots = TraceDots(Params(target, source, targets75));
      ASSERT_EQ(dots.size(), 1u);
      double dx = dots[0].x - 320, dy = 240 - dots[0].y;
      double angle = std::atan2(dy, dx) * 180 / M_PI;
      if (angle < 0) angle += 360;
      EXPECT_NEAR(std::hypot(dx, dy) / circle, t.radius, 0.02) << t.angle;
      EXPECT_NEAR(angle, t.angle, 1.0) << t.angle;
    }
  }
  TKImageDispose(source);
  TKImageDispose(target);
}

// The steps a pixel has climbed: 0 for black, 1 for the dimmest level, 6
// for the brightest.
int32_t StepsClimbed(uint32_t pixel) {
  for (int32_t i = 0; i < 6; ++i)
    if (pixel == kLevels[i]) return 6 - i;
  return -1;
}

// n pixels of one colour land n hits on a few neighbouring pixels (the
// sub-pixel offsets spread them); every hit climbs one level until the
// brightest, so the steps add up to n until a pixel tops out.
TEST(Vectorscope, EveryHitClimbsOneLevelUpToTheBrightest) {
  TKImage* target = TKImageCreate(640, 480);
  for (int32_t count : {1, 2, 3, 5, 7, 14, 40}) {
    TKImage* source = TKImageCreate(count, 1);
    FillPicture(source, 120, 90, 90);  // lands clear of the graticule lines
    std::vector<Dot> dots = TraceDots(Params(target, source, true));
    ASSERT_FALSE(dots.empty());
    int32_t steps = 0, top = 0;
    for (const Dot& d : dots) {
      int32_t s = StepsClimbed(d.pixel);
      ASSERT_GE(s, 1) << std::hex << d.pixel;
      steps += s;
      top = std::max(top, s);
    }
    if (top < 6)
      EXPECT_EQ(steps, count);
    else
      EXPECT_LE(steps, count);
    EXPECT_EQ(top == 6, count >= 14) << count << " pixels";
    TKImageDispose(source);
  }
  TKImageDispose(target);
}

// With no saturation the levels are greys, and the thresholds still read
// their blue bytes: grey level 3 (0x84) already passes the threshold of
// level 1, so level 2 is never shown.
TEST(Vectorscope, LevelsJudgeTheDesaturatedBlueAgainstFixedThresholds) {
  TKImage* target = TKImageCreate(640, 480);
  TKImage* source = TKImageCreate(40, 1);
  FillPicture(source, 120, 90, 90);
  VectorscopeParams p = Params(target, source, true);
  p.saturation = 0;
  std::vector<Dot> dots = TraceDots(p);
  ASSERT_FALSE(dots.empty());
  uint32_t brightest = 0;
  for (const Dot& d : dots) {
    uint32_t grey = d.pixel & 0xFF;
    EXPECT_EQ(grey, (d.pixel >> 8) & 0xFF);
    EXPECT_TRUE(grey == 0x20 || grey == 0x42 || grey == 0x62 || grey == 0x84 || grey == 0xCC) << std::hex << grey;
    brightest = std::max(brightest, grey);
  }
  EXPECT_EQ(brightest, 0xCCu);
  TKImageDispose(source);
  TKImageDispose(target);
}

TEST(Vectorscope, NoSourceOrEqualLevelsDrawOnlyTheGraticule) {
  TKImage* target = TKImageCreate(400, 300);
  TKImage* bars = MakeColourBars(70, 20);
  VectorscopeParams p = Params(target, nullptr, true);
  EXPECT_TRUE(TraceDots(p).empty());
  p = Params(target, bars, true);
  p.whiteLevel = p.blackLevel = 64;
  EXPECT_TRUE(TraceDots(p).empty());
  p.flags = 0;
  EXPECT_TRUE(TraceDots(p).empty());
  TKImageDispose(bars);
  TKImageDispose(target);
}

// Through the pane: a picture of more than 576 rows is read every second
// row, one of 576 rows every row. Odd rows are red, even rows grey.
TEST(Vectorscope, TallPicturesAreSampledEverySecondRow) {
  PFLoadDefaultPreferences(&gPrefsSettings);
  TKImage* target = TKImageCreate(400, 300);
  TKImage* empty = TKImageCreate(400, 300);
  DrawVectorscopePane(empty, nullptr, nullptr, 1);
  for (int32_t rows : {1080, 577, 576, 486}) {
    TKImage* source = TKImageCreate(8, rows);
    for (int32_t y = 0; y < rows; ++y)
      for (int32_t x = 0; x < 8; ++x) y % 2 ? SetPixel(source, x, y, 191, 0, 0) : SetPixel(source, x, y, 60, 60, 60);
    DrawVectorscopePane(target, nullptr, source, 1);
    int32_t awayFromCentre = 0;
    for (int32_t y = 0; y < 300; ++y)
      for (int32_t x = 0; x < 400; ++x)
        if (TKImageGetPixel(target, x, y) != TKImageGetPixel(empty, x, y) && std::abs(y - 150) > 10) ++awayFromCentre;
    EXPECT_EQ(awayFromCentre > 0, rows <= 576) << rows << " rows";
    TKImageDispose(source);
  }
  TKImageDispose(empty);
  TKImageDispose(target);
}

// Changing the calibration moves no target: the Rec. 601 arcs are fixed and
// the Rec. 709 boxes mark the bars of each calibration at the same place.
// Only the caption changes.
TEST(Vectorscope, CalibrationLeavesTheTargetsInPlace) {
  for (int32_t matrix : {kScopeMatrix601, kScopeMatrix709, kScopeMatrix240M}) {
    TKImage* full = TKImageCreate(640, 480);
    TKImage* three = TKImageCreate(640, 480);
    VectorscopeParams p = Params(full, nullptr, false, matrix);
    DrawVectorscope(&p);
    p = Params(three, nullptr, true, matrix);
    DrawVectorscope(&p);
    int32_t outsideCaption = 0;
    for (int32_t y = 0; y < 440; ++y)
      for (int32_t x = 0; x < 640; ++x) outsideCaption += TKImageGetPixel(full, x, y) != TKImageGetPixel(three, x, y);
    // The 75% bars lie a quarter code value short of three quarters of the
    // full ones, which may move a box outline by one pixel; a box of the
    // wrong size or place would change several hundred.
    EXPECT_LE(outsideCaption, 120) << "matrix " << matrix;
    TKImageDispose(full);
    TKImageDispose(three);
  }
}

TEST(VectorscopeGraticuleRect, KeepsFourByThreeInsideTheInsetBounds) {
  struct Case {
    TKRect bounds, expected;
  } cases[] = {
      {TKMakeRect(0, 0, 800, 600), TKMakeRect(16, 12, 768, 576)},     // inset 12, 4 x (576 / 3) wide
      {TKMakeRect(100, 50, 1000, 400), TKMakeRect(356, 66, 488, 368)}, // wide: centred across
      {TKMakeRect(0, 0, 60, 800), TKMakeRect(0, 377, 60, 45)},         // tall and narrow: centred down
      {TKMakeRect(0, 0, 3, 3), TKMakeRect(1, 1, 0, 0)},                // too small for any area
  };
  for (const Case& c : cases) {
    TKRect r = VectorscopeGraticuleRect(c.bounds);
    EXPECT_EQ(r.left, c.expected.left);
    EXPECT_EQ(r.top, c.expected.top);
    EXPECT_EQ(TKRectWidth(r), TKRectWidth(c.expected));
    EXPECT_EQ(TKRectHeight(r), TKRectHeight(c.expected));
  }
}
