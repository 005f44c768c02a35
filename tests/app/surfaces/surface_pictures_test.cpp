// The editor's pictures: the key picture paints every part in its key
// colour exactly, the lookup takes exact colours only, and the overlay puts
// the LED, trackball colours and display text where they belong.
#include <gtest/gtest.h>

#include <string>

#include "app/surfaces/surface_pictures.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/ui_draw.h"

namespace {

class SurfacePicturesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(TKInitToolkit(kTKBackendHeadless), kQVNoErr); }
  void TearDown() override { TKShutdownToolkit(); }
};

uint32_t Alpha(TKImage* image, int32_t x, int32_t y) { return TKImageGetPixel(image, x, y) >> 24; }

TEST_F(SurfacePicturesTest, KeyPictureLeadsEveryPartToItsEntry) {
  TKImage* key = SurfaceEditorLoadImage("KnobwellKey.png");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(TKImageWidth(key), kSurfacePictureWidth);
  for (int32_t i = 0; i < kSurfaceKeyCount; ++i) {
    const TKPoint c = SurfaceEditorPartCentre(i);
    const SurfaceKeyEntry* e = SurfaceEditorKeyAt(key, c.x, c.y);
    ASSERT_NE(e, nullptr) << "part " << i;
    EXPECT_EQ(e->controlID, kSurfaceEditorKeyTable[i].controlID) << "part " << i;
    EXPECT_EQ(e->target, kSurfaceEditorKeyTable[i].target);
  }
  // White and points off the picture are nothing.
  EXPECT_EQ(SurfaceEditorKeyAt(key, 2, 2), nullptr);
  for (const TKPoint p : {TKPoint{-1, 10}, TKPoint{10, -1}, TKPoint{kSurfacePictureWidth, 10},
                          TKPoint{10, kSurfacePictureHeight}, TKPoint{100000, 100000}})
    EXPECT_EQ(SurfaceEditorKeyAt(key, p.x, p.y), nullptr);
  EXPECT_EQ(SurfaceEditorKeyAt(nullptr, 10, 10), nullptr);
  TKImageDispose(key);
}

TEST_F(SurfacePicturesTest, LookupTakesExactColoursOnly) {
  EXPECT_EQ(SurfaceEditorKeyLookup(255, 255, 255), nullptr);
  EXPECT_EQ(SurfaceEditorKeyLookup(255, 255, 1), nullptr);
  EXPECT_EQ(SurfaceEditorKeyLookup(255, 255, 35)->controlID, 81u);
  EXPECT_EQ(SurfaceEditorKeyLookup(255, 255, 45)->controlID, 541u);
  EXPECT_EQ(SurfaceEditorKeyLookup(30, 0, 255)->controlID, 123u);
  EXPECT_EQ(SurfaceEditorKeyLookup(60, 255, 0)->target, 3u);
  // The page display's colour stands twice; the last entry answers.
  EXPECT_EQ(SurfaceEditorKeyLookup(255, 0, 255), &kSurfaceEditorKeyTable[43]);
}

TEST_F(SurfacePicturesTest, DisplayLinesAreCentredOnTheirDisplays) {
  struct Case {
    int32_t line, length, x, y;
  };
  const Case cases[] = {{0, 24, 121, 460}, {1, 24, 121, 444}, {2, 24, 366, 460}, {3, 24, 366, 444},
                        {0, 25, 118, 460}, {2, 0, 438, 460}, {1, 1, 190, 444}};
  for (const Case& c : cases) {
    const TKPoint p = SurfaceEditorLineOrigin(c.line, c.length);
    EXPECT_EQ(p.x, c.x) << c.line << " " << c.length;
    EXPECT_EQ(p.y, c.y);
  }
}

TEST_F(SurfacePicturesTest, OverlayShowsThePageAndIsEmptyWhenInactive) {
  TKImage* overlay = TKImageCreate(kSurfacePictureWidth, kSurfacePictureHeight);
  const uint32_t colours[4] = {205, 33, 409, 12345};
  const char* const lines[4] = {"A", "", "\x01\x7F" "B", nullptr};
  SurfaceEditorDrawOverlay(overlay, 5, colours, lines, true);
  // LED of page 5 ("LEDon2.png" at (549, 465) from the bottom: top-left y 25).
  EXPECT_GT(Alpha(overlay, 554, 30), 0u);
  EXPECT_EQ(Alpha(overlay, 39, 30), 0u) << "page 1's LED is dark";
  // Trackball 1 red, 2 black (nothing), 3 blue, 4 unknown (nothing).
  const uint32_t ball1 = TKImageGetPixel(overlay, 134, 267);
  EXPECT_GT(ball1 >> 24, 0u);
  EXPECT_GT((ball1 >> 16) & 0xFF, ball1 & 0xFF);
  EXPECT_EQ(Alpha(overlay, 317, 348), 0u);
  EXPECT_GT(TKImageGetPixel(overlay, 499, 267) & 0xFF, 0u);
  EXPECT_EQ(Alpha(overlay, 687, 348), 0u);
  // "A" centred on the left display: starts at x 190, rows from 500 - 460 - 12.
  bool dots = false;
  for (int32_t x = 190; x < 196; ++x)
    for (int32_t y = 28; y < 40; ++y) dots = dots || Alpha(overlay, x, y) > 0;
  EXPECT_TRUE(dots);
  // The characters outside 32-126 take their places blank; "B" is the third.
  const TKPoint origin = SurfaceEditorLineOrigin(2, 3);
  bool blank = true, b = false;
  for (int32_t x = origin.x; x < origin.x + 12; ++x)
    for (int32_t y = 28; y < 40; ++y) blank = blank && Alpha(overlay, x, y) == 0;
  for (int32_t x = origin.x + 12; x < origin.x + 18; ++x)
    for (int32_t y = 28; y < 40; ++y) b = b || Alpha(overlay, x, y) > 0;
  EXPECT_TRUE(blank);
  EXPECT_TRUE(b);
  // Inactive: cleared.
  SurfaceEditorDrawOverlay(overlay, 5, colours, lines, false);
  for (int32_t y = 0; y < kSurfacePictureHeight; y += 7)
    for (int32_t x = 0; x < kSurfacePictureWidth; x += 7) ASSERT_EQ(Alpha(overlay, x, y), 0u) << x << "," << y;
  TKImageDispose(overlay);
}

TEST_F(SurfacePicturesTest, EveryNamedPictureIsMadeAndOthersAreNot) {
  for (const char* name : {"KnobwellOverhead.png", "Trackball1Red.png", "Trackball4Blue.png", "Trackball3Green.png",
                           "LEDon.png", "LEDon2.png", "DotMatrixTiny.png"}) {
    TKImage* image = SurfaceEditorLoadImage(name);
    EXPECT_NE(image, nullptr) << name;
    TKImageDispose(image);
  }
  EXPECT_EQ(SurfaceEditorLoadImage("Trackball5Red.png"), nullptr);
  EXPECT_EQ(SurfaceEditorLoadImage(""), nullptr);
  EXPECT_EQ(SurfaceEditorLoadImage(nullptr), nullptr);
  TKImage* font = SurfaceEditorCachedImage("DotMatrixTiny.png");
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(TKImageWidth(font), 95 * 6);
  EXPECT_EQ(TKImageHeight(font), 12);
  EXPECT_EQ(SurfaceEditorCachedImage("DotMatrixTiny.png"), font) << "made once";
}

}  // namespace
