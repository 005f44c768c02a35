// Image panes: fitting, zoom, pan, the drawn picture, colour sampling, the
// split line and its mask, scrubbing, and the registry.
#include <cmath>
#include <cstring>

#include "platform/input_state.h"
#include "tests/app/views/pane_fixture.h"

namespace {

using ImagePaneTest = PaneTest;

TEST(ImagePaneFitTest, PicturesFitTheViewKeepingTheirShape) {
  struct Case {
    int32_t w, h;
    TKRect view;
    float zoom, aspect, originX, originY;
    float scale;
    TKRect source, destination;
    int32_t maxX, maxY;
    float clampedX, clampedY;
  };
  const Case cases[] = {
      // Wide picture in a square view: fitted on the width, centred down.
      {200, 100, TKMakeRect(0, 0, 100, 100), 1.0f, 1.0f, 0, 0, 2.0f, TKMakeRect(0, 0, 200, 100),
       TKMakeRect(0, 25, 100, 50), 0, 0, 0, 0},
      // Tall picture: fitted on the height, centred across.
      {100, 200, TKMakeRect(10, 10, 100, 100), 1.0f, 1.0f, 0, 0, 2.0f, TKMakeRect(0, 0, 100, 200),
       TKMakeRect(35, 10, 50, 100), 0, 0, 0, 0},
      // Square pixels widened twice fill a 2:1 view.
      {100, 100, TKMakeRect(0, 0, 200, 100), 1.0f, 2.0f, 0, 0, 1.0f, TKMakeRect(0, 0, 100, 100),
       TKMakeRect(0, 0, 200, 100), 0, 0, 0, 0},
      // Half the picture shown; a pan past the limit is held at it.
      {200, 100, TKMakeRect(0, 0, 100, 50), 0.5f, 1.0f, 500, -3, 2.0f, TKMakeRect(100, 0, 100, 50),
       TKMakeRect(0, 0, 100, 50), 100, 50, 100, 0},
  };
  for (const Case& c : cases) {
    const ImagePaneFit fit = ImagePaneComputeFit(c.w, c.h, c.view, c.zoom, c.aspect, c.originX, c.originY);
    EXPECT_FLOAT_EQ(fit.scale, c.scale);
    auto same = [](const TKRect& a, const TKRect& b) {
      return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    };
    EXPECT_TRUE(same(fit.source, c.source)) << fit.source.left << "," << fit.source.top << " " << fit.source.right;
    EXPECT_TRUE(same(fit.destination, c.destination)) << fit.destination.left << "," << fit.destination.top;
    EXPECT_EQ(fit.maxOriginX, c.maxX);
    EXPECT_EQ(fit.maxOriginY, c.maxY);
    EXPECT_FLOAT_EQ(fit.originX, c.clampedX);
    EXPECT_FLOAT_EQ(fit.originY, c.clampedY);
  }
}

TEST(ImagePaneZoomTest, ZoomStepsStopAtTheirEndsAndKeepOddValues) {
  struct Case {
    float zoom;
    bool out;
    float next;
  };
  const Case cases[] = {
      {1.0f, false, 0.6667f}, {0.6667f, false, 0.5f},  {0.0833f, false, 0.0625f}, {0.0625f, false, 0.0625f},
      {0.0625f, true, 0.0833f}, {0.5f, true, 0.6667f}, {1.0f, true, 1.0f},        {0.3f, false, 0.3f},
  };
  for (const Case& c : cases) EXPECT_FLOAT_EQ(ImagePaneNextZoom(c.zoom, c.out), c.next) << c.zoom << " " << c.out;
}

TEST_F(ImagePaneTest, TheResultPaneShowsTheFrameFittedWithBackgroundStrips) {
  UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  TKImage* shot = TKRenderWindow(window);
  ASSERT_TRUE(shot);
  // 64x48 into the 396x296 view is relatively taller: fitted on the
  // height, 395 wide, centred.
  ImagePaneRecord* r = ImagePaneRecordOf(GetViewPane(kPaneResult));
  EXPECT_EQ(r->drawnRect.top, 2);
  EXPECT_EQ(TKRectHeight(r->drawnRect), 296);
  EXPECT_EQ(TKRectWidth(r->drawnRect), 395);
  EXPECT_EQ(r->drawnRect.left, 2);
  // The picture's top-right is red and its bottom-left green, as the frame.
  int red, green, blue;
  RGB8(shot, r->drawnRect.right - 4, r->drawnRect.top + 4, &red, &green, &blue);
  EXPECT_GT(red, 240);
  EXPECT_LT(green, 20);
  RGB8(shot, r->drawnRect.left + 4, r->drawnRect.bottom - 4, &red, &green, &blue);
  EXPECT_LT(red, 20);
  EXPECT_GT(green, 240);
}

// The display LUT acts only as the pane draws: the picture keeps its pixels.
TEST_F(ImagePaneTest, TheDisplayLUTAppliesWhenChosenAndOnlyToWhatIsDrawn) {
  UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  TKControl* pane = GetViewPane(kPaneResult);
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  uint8_t invert[768];
  for (int i = 0; i < 768; ++i) invert[i] = uint8_t(255 - i % 256);
  int32_t chosen = 0;
  ImagePaneSetLUT(pane, invert);
  ImagePaneSetLUTIndexRef(pane, &chosen);
  const uint32_t before = TKImageGetPixel(gResultGWorld, kW - 1, 0);
  int red, green, blue;
  TKImage* shot = TKRenderWindow(window);
  RGB8(shot, r->drawnRect.right - 3, r->drawnRect.top + 3, &red, &green, &blue);
  EXPECT_GT(red, 240) << "index 0: no LUT";
  chosen = 2;
  TKInvalidateWindow(window);
  shot = TKRenderWindow(window);
  RGB8(shot, r->drawnRect.right - 3, r->drawnRect.top + 3, &red, &green, &blue);
  EXPECT_LT(red, 15);
  EXPECT_GT(green, 240);
  EXPECT_EQ(TKImageGetPixel(gResultGWorld, kW - 1, 0), before);
}

TEST_F(ImagePaneTest, ZoomClicksKeepThePointUnderTheMouseAndOptionZoomsOut) {
  TKControl* pane = GetViewPane(kPaneResult);
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  ImagePaneSetTool(pane, kImagePaneToolZoom);
  TKRenderWindow(window);
  const TKPoint at{300, 100};
  float x0, y0;
  ImagePaneViewToPicture(r, at, &x0, &y0);
  TKInjectClick(window, at);
  TKRunPending();
  EXPECT_FLOAT_EQ(r->zoom, 0.6667f);
  float x1, y1;
  ImagePaneViewToPicture(r, at, &x1, &y1);
  EXPECT_NEAR(x1, x0, 0.5);
  EXPECT_NEAR(y1, y0, 0.5);
  TKInjectClick(window, at, kTKModOption);
  TKRunPending();
  EXPECT_FLOAT_EQ(r->zoom, 1.0f);
  EXPECT_FLOAT_EQ(r->originX, 0);
}

TEST_F(ImagePaneTest, TheWheelZoomsAPaneWithALinkedControlUpInDownOut) {
  TKControl* pane = GetViewPane(kPaneResult);
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  TKRenderWindow(window);
  TKInjectWheel(window, TKPoint{200, 150}, 1);
  TKRunPending();
  EXPECT_FLOAT_EQ(r->zoom, 1.0f) << "no linked control: the wheel is left alone";
  TKControl* bar = TKNewStaticText(window, TKMakeRect(0, 280, 50, 20), "");
  ImagePaneSetLinkedControl(pane, bar);
  TKInjectWheel(window, TKPoint{200, 150}, 1);
  TKRunPending();
  EXPECT_FLOAT_EQ(r->zoom, 0.6667f);
  TKInjectWheel(window, TKPoint{200, 150}, -1);
  TKRunPending();
  EXPECT_FLOAT_EQ(r->zoom, 1.0f);
}

TEST_F(ImagePaneTest, PanningMovesTheOriginWithinItsLimits) {
  TKControl* pane = GetViewPane(kPaneResult);
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  TKRenderWindow(window);
  r->zoom = 0.5f;
  ImagePaneRefit(r);
  ASSERT_GT(r->maxOriginX, 0);
  ImagePaneSetTool(pane, kImagePaneToolPan);
  TKInjectMouseDown(window, TKPoint{200, 150});
  TKInjectMouseDrag(window, TKPoint{190, 150});
  TKInjectMouseUp(window, TKPoint{190, 150});
  TKRunFor(0.5);
  // Ten pixels left move the view right by 10 x zoom x scale picture pixels.
  EXPECT_NEAR(r->originX, 10 * 0.5f * r->scaleX, 0.01);
  TKInjectMouseDown(window, TKPoint{390, 150});
  TKInjectMouseDrag(window, TKPoint{10, 150});
  TKInjectMouseUp(window, TKPoint{10, 150});
  TKRunFor(0.5);
  EXPECT_FLOAT_EQ(r->originX, float(r->maxOriginX));
}

// Sampling reads 8-bit pictures as value / 255, averages only pixels that
// exist, and keeps to the readout frame's own bounds.
TEST_F(ImagePaneTest, SamplingAveragesOnlyPixelsThatExist) {
  TKControl* pane = GetViewPane(kPaneResult);
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  TKImage* picture = TKImageCreate(8, 8);
  const TKColor orange{1, 128 / 255.0, 0, 1}, blue{0, 0, 1, 1};
  EraseGWorldRect(picture, nullptr, &blue);
  const TKRect corner = TKMakeRect(0, 0, 1, 1);
  EraseGWorldRect(picture, &corner, &orange);
  r->picture = picture;
  r->readoutFrame = nullptr;
  float rgb[3];
  ASSERT_TRUE(ImagePaneSampleAt(r, 0.5f, 0.5f, 0, rgb));
  EXPECT_FLOAT_EQ(rgb[0], 1.0f);
  EXPECT_FLOAT_EQ(rgb[1], 128 / 255.0f);
  EXPECT_FLOAT_EQ(rgb[2], 0.0f);
  // Shift-Option: 9x9 around the corner pixel, of which 5x5 lie inside.
  ASSERT_TRUE(ImagePaneSampleAt(r, 0.5f, 0.5f, kPLModifierShift | kPLModifierOption, rgb));
  EXPECT_FLOAT_EQ(rgb[0], 1.0f / 25);
  EXPECT_FLOAT_EQ(rgb[2], 24.0f / 25);
  EXPECT_FALSE(ImagePaneSampleAt(r, -9.0f, 3.0f, 0, rgb));
  EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 0.0f);
  // A readout frame smaller than the picture is read within its own bounds.
  FBFrameStruct* small = nullptr;
  ASSERT_EQ(FBCreateRGBFrameBuffer(2, 2, &small, kFBPixFormatPlanarFloat), kQVNoErr);
  SetPlanes(small, 1, 1, 0.5f, 0.25f, 2.0f, 0);
  r->readoutFrame = small;
  EXPECT_FALSE(ImagePaneSampleAt(r, 6.0f, 6.0f, 0, rgb));
  ASSERT_TRUE(ImagePaneSampleAt(r, 1.5f, 1.5f, 0, rgb));
  EXPECT_FLOAT_EQ(rgb[2], 2.0f);
  r->readoutFrame = nullptr;
  r->picture = nullptr;
  FBDisposeFrameBuffer(small);
  TKImageDispose(picture);
}

TEST_F(ImagePaneTest, TheTimerSamplesUnderTheMouseOnlyInTheForeground) {
  UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  TKControl* pane = GetViewPane(kPaneResult);
  float rgb[3] = {-1, -1, -1};
  uint8_t done = 0;
  ImagePaneSetColorSampleTarget(pane, rgb, &done);
  TKRenderWindow(window);
  TKInjectMouseMove(window, TKPoint{390, 150});
  TKRunFor(0.35);
  EXPECT_EQ(done, 1);
  EXPECT_GT(rgb[0], 0.95f) << "the right edge of the frame is red";
  EXPECT_EQ(gRequestedCursor, 500);
  // Out of the view the sample is over.
  TKInjectMouseMove(window, TKPoint{399, 299});
  TKRunFor(0.25);
  EXPECT_EQ(done, 0);
  EXPECT_EQ(gRequestedCursor, 0);
  // In the background nothing is sampled.
  static const PLInputHooks background{nullptr, nullptr, [] { return false; }, nullptr};
  PLSetInputHooks(&background);
  rgb[0] = -1;
  TKInjectMouseMove(window, TKPoint{100, 150});
  TKRunFor(1.0);
  EXPECT_EQ(rgb[0], -1);
  PLSetInputHooks(nullptr);
}

TEST(SplitMaskTest, TheSourceSideIsBlackAndEdgeLinesShowAllOrNothing) {
  struct Case {
    float x1, y1, x2, y2;
    int blackAt[2][2];  // two pixels that must be black (x, y); -1: none
    int whiteAt[2][2];
  };
  const Case cases[] = {
      {0.5f, 0, 0.5f, 1, {{2, 5}, {15, 15}}, {{17, 5}, {30, 15}}},
      {0, 0, 1, 1, {{1, 14}, {10, 15}}, {{14, 1}, {30, 2}}},   // diagonal: the bottom-left half
      {0, 0, 0, 1, {{-1, -1}, {-1, -1}}, {{0, 0}, {31, 15}}},  // the left edge: all result
      {1, 0, 1, 1, {{0, 0}, {31, 15}}, {{-1, -1}, {-1, -1}}},  // the right edge: all source
  };
  TKImage* mask = TKImageCreate(32, 16);
  for (const Case& c : cases) {
    BuildSplitViewMask(mask, c.x1, c.y1, c.x2, c.y2);
    for (auto& p : c.blackAt)
      if (p[0] >= 0) {
        EXPECT_EQ(TKImageGetPixel(mask, p[0], p[1]), 0xFF000000u) << c.x1 << c.y1 << c.x2 << c.y2;
      }
    for (auto& p : c.whiteAt)
      if (p[0] >= 0) {
        EXPECT_EQ(TKImageGetPixel(mask, p[0], p[1]), 0xFFFFFFFFu) << c.x1 << c.y1 << c.x2 << c.y2;
      }
  }
  TKImageDispose(mask);
}

TEST_F(ImagePaneTest, DraggingASplitEndAlongTheTopMovesTheMaskAndKeepsTheEndOnTheEdge) {
  SetImageViewMode(kImageViewSplitSource);
  TKControl* pane = GetViewPane(kPaneSplitSource);
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  ASSERT_TRUE(r->splitShown);
  TKRenderWindow(window);
  // End 1 sits at the middle of the top edge; the timer marks it hot.
  const int32_t x = r->viewRect.left + TKRectWidth(r->viewRect) / 2;
  TKInjectMouseMove(window, TKPoint{x, r->viewRect.top + 1});
  TKRunFor(0.3);
  ASSERT_TRUE(r->splitEnd1Hot);
  EXPECT_EQ(gRequestedCursor, 507);
  TKInjectMouseDown(window, TKPoint{x, r->viewRect.top + 1});
  TKInjectMouseDrag(window, TKPoint{x + 99, r->viewRect.top + 40});
  TKInjectMouseUp(window, TKPoint{x + 99, r->viewRect.top + 40});
  TKRunFor(0.5);
  EXPECT_NEAR(r->splitX1, 0.75f, 0.01f);
  EXPECT_EQ(r->splitY1, 0.0f);
  EXPECT_FALSE(r->splitDragging || r->splitEnd1Hot);
  // The line now runs from three quarters along the top to the middle of
  // the bottom: a point at two thirds across near the top is on the source side.
  EXPECT_EQ(TKImageGetPixel(gSplitMaskGWorld, kW * 2 / 3, 1), 0xFF000000u);
  EXPECT_EQ(TKImageGetPixel(gSplitMaskGWorld, kW * 2 / 3, kH - 2), 0xFFFFFFFFu);
}

// The split line follows the zoom and pan into picture fractions; a view
// that shows only one side of it gives the picture's edge on that side.
TEST_F(ImagePaneTest, TheVisibleSplitLineFollowsZoomAndPan) {
  TKControl* pane = GetViewPane(kPaneSplitSource);
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  SetImageViewMode(kImageViewSplitSource);
  TKRenderWindow(window);
  struct Case {
    float zoom, originX;
    float line[4];     // in view fractions
    float picture[4];  // expected, in picture fractions
  };
  const Case cases[] = {
      {1.0f, 0, {0.5f, 0, 0.5f, 1}, {0.5f, 0, 0.5f, 1}},
      {0.5f, 0, {0.5f, 0, 0.5f, 1}, {0.25f, 0, 0.25f, 0.5f}},
      {0.25f, 1e6f, {0, 0, 0, 1}, {0, 0, 0, 1}},      // the view shows only the result side
      {0.25f, 0, {1, 0, 1, 1}, {1, 0, 1, 1}},         // only the source side
  };
  for (const Case& c : cases) {
    r->zoom = c.zoom;
    r->originX = c.originX;
    r->originY = 0;
    ImagePaneRefit(r);
    ImagePaneSetSplitLine(pane, c.line[0], c.line[1], c.line[2], c.line[3]);
    float got[4];
    GetVisibleSplitLine(pane, &got[0], &got[1], &got[2], &got[3]);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], c.picture[i], 0.01f) << "zoom " << c.zoom << " value " << i;
  }
}

struct FakeClip {
  int64_t frame = 8, count = 10;
  int32_t reloads = 0;
};
FakeClip gClip;
int32_t gHostTime = 0, gHostLoaded = -1;

TEST_F(ImagePaneTest, ScrubbingIsHeldToTheClipAndToTheHostsFrames) {
  ViewsHooks& h = ViewsHooksInForce();
  h.clipPosition = [](void* clip, int64_t* frame, int64_t* count) {
    *frame = static_cast<FakeClip*>(clip)->frame, *count = static_cast<FakeClip*>(clip)->count;
    return true;
  };
  h.clipSetPosition = [](void* clip, int64_t frame) { static_cast<FakeClip*>(clip)->frame = frame; };
  h.clipReloadFrame = [](void* clip) {
    ++static_cast<FakeClip*>(clip)->reloads;
    return false;
  };
  h.hostFrameTimes = [](int32_t* current, int32_t* step, int32_t* last) {
    *current = gHostTime, *step = 100, *last = 900;
    return true;
  };
  h.hostLoadFrameAt = [](int32_t time) -> QVStatus {
    gHostLoaded = gHostTime = time;
    return kQVNoErr;
  };
  TKControl* pane = GetViewPane(kPaneResult);
  ImagePaneSetTrackingEnabled(pane, true);
  ImagePaneSetClipRef(pane, &gClip);
  ImagePaneSetRole(pane, 0);
  TKRenderWindow(window);
  TKInjectMouseDown(window, TKPoint{100, 100});
  TKInjectMouseDrag(window, TKPoint{150, 100});
  TKInjectMouseUp(window, TKPoint{150, 100});
  TKRunFor(0.5);
  EXPECT_EQ(gClip.frame, 9) << "fifty frames on from 8 of 10 stops at the last";
  EXPECT_GE(gClip.reloads, 1);
  TKInjectMouseDown(window, TKPoint{100, 100});
  TKInjectMouseDrag(window, TKPoint{0, 100});
  TKInjectMouseUp(window, TKPoint{0, 100});
  TKRunFor(0.5);
  EXPECT_EQ(gClip.frame, 0);

  ImagePaneSetClipRef(pane, nullptr);
  gHostTime = 300;
  TKInjectMouseDown(window, TKPoint{100, 100});
  TKInjectMouseDrag(window, TKPoint{104, 100});
  TKInjectMouseUp(window, TKPoint{104, 100});
  TKRunFor(0.5);
  EXPECT_EQ(gHostLoaded, 700);
  TKInjectMouseDown(window, TKPoint{100, 100});
  TKInjectMouseDrag(window, TKPoint{200, 100});
  TKInjectMouseUp(window, TKPoint{200, 100});
  TKRunFor(0.5);
  EXPECT_EQ(gHostLoaded, 900);
}

TEST_F(ImagePaneTest, AFloatingPaneDrawsAndTakesClicksInItsOwnWindow) {
  TKControl* pane = nullptr;
  ASSERT_EQ(CreateImagePane(window, TKMakeRect(20, 30, 200, 150), &pane), kQVNoErr);
  ImagePaneSetFloatingAllowed(pane, true);
  UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  ASSERT_EQ(SetImagePaneImage(pane, gResultGWorld), kQVNoErr);
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  ASSERT_NE(r->floatingWindow, nullptr);
  const TKRect placed = TKGetWindowBounds(r->floatingWindow);
  const TKRect owner = TKGetWindowBounds(window);
  EXPECT_EQ(placed.left, owner.left + 20);
  EXPECT_EQ(placed.top, owner.top + 30);
  EXPECT_TRUE(TKIsWindowVisible(r->floatingWindow));
  int red, green, blue;
  TKImage* shot = TKRenderWindow(r->floatingWindow);
  RGB8(shot, r->drawnRect.right - 3, r->drawnRect.top + 3, &red, &green, &blue);
  EXPECT_GT(red, 240);
  ImagePaneSetTool(pane, kImagePaneToolZoom);
  TKInjectClick(r->floatingWindow, TKPoint{100, 75});
  TKRunPending();
  EXPECT_FLOAT_EQ(r->zoom, 0.6667f);
  TKSetControlVisible(pane, false);
  TKRunPending();
  EXPECT_FALSE(TKIsWindowVisible(r->floatingWindow));
}

TEST_F(ImagePaneTest, CreationReportsAStatusAndTheRegistryHoldsThreeHundred) {
  TKControl* pane = reinterpret_cast<TKControl*>(1);
  EXPECT_EQ(CreateImagePane(nullptr, TKMakeRect(0, 0, 10, 10), &pane), kQVErrParam);
  EXPECT_EQ(pane, nullptr);
  while (ImagePaneRegisteredCount() < kImagePaneMaxRegistered)
    ASSERT_EQ(CreateImagePane(window, TKMakeRect(0, 0, 10, 10), &pane), kQVNoErr);
  ASSERT_EQ(CreateImagePane(window, TKMakeRect(0, 0, 10, 10), &pane), kQVNoErr);
  EXPECT_EQ(ImagePaneRegisteredCount(), kImagePaneMaxRegistered);
  EXPECT_NE(ImagePaneRegistered(kImagePaneMaxRegistered - 1), pane);
  // An unregistered pane still works.
  ImagePaneSetCornerLabel(pane, std::string(300, 'x').c_str(), 2);
  EXPECT_EQ(std::strlen(ImagePaneRecordOf(pane)->labels[2]), 127u);
  ImagePaneSetCornerLabel(pane, "late", 4);
  EXPECT_FLOAT_EQ(ImagePaneGetPixelAspect(nullptr), 1.0f);
}

}  // namespace
