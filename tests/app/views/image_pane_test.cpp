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
    UIRect view;
    float zoom, aspect, originX, originY;
    float scale;
    UIRect source, destination;
    int32_t maxX, maxY;
    float clampedX, clampedY;
  };
  const Case cases[] = {
      // Wide picture in a square view: fitted on the width, centred down.
      {200, 100, UIMakeRect(0, 0, 100, 100), 1.0f, 1.0f, 0, 0, 2.0f, UIMakeRect(0, 0, 200, 100),
       UIMakeRect(0, 25, 100, 50), 0, 0, 0, 0},
      // Tall picture: fitted on the height, centred across.
      {100, 200, UIMakeRect(10, 10, 100, 100), 1.0f, 1.0f, 0, 0, 2.0f, UIMakeRect(0, 0, 100, 200),
       UIMakeRect(35, 10, 50, 100), 0, 0, 0, 0},
      // Square pixels widened twice fill a 2:1 view.
      {100, 100, UIMakeRect(0, 0, 200, 100), 1.0f, 2.0f, 0, 0, 1.0f, UIMakeRect(0, 0, 100, 100),
       UIMakeRect(0, 0, 200, 100), 0, 0, 0, 0},
      // Half the picture shown; a pan past the limit is held at it.
      {200, 100, UIMakeRect(0, 0, 100, 50), 0.5f, 1.0f, 500, -3, 2.0f, UIMakeRect(100, 0, 100, 50),
       UIMakeRect(0, 0, 100, 50), 100, 50, 100, 0},
  };
  for (const Case& c : cases) {
    const ImagePaneFit fit = ImagePaneComputeFit(c.w, c.h, c.view, c.zoom, c.aspect, c.originX, c.originY);
    EXPECT_FLOAT_EQ(fit.scale, c.scale);
    auto same = [](const UIRect& a, const UIRect& b) {
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
  UIImage* shot = UIRenderWindow(window);
  ASSERT_TRUE(shot);
  // 64x48 into the 396x296 view is relatively taller: fitted on the
  // height, 395 wide, centred.
  ImagePaneRecord* r = ImagePaneRecordOf(GetViewPane(kPaneResult));
  EXPECT_EQ(r->drawnRect.top, 2);
  EXPECT_EQ(UIRectHeight(r->drawnRect), 296);
  EXPECT_EQ(UIRectWidth(r->drawnRect), 395);
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
  UIControl* pane = GetViewPane(kPaneResult);
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  uint8_t invert[768];
  for (int i = 0; i < 768; ++i) invert[i] = uint8_t(255 - i % 256);
  int32_t chosen = 0;
  ImagePaneSetLUT(pane, invert);
  ImagePaneSetLUTIndexRef(pane, &chosen);
  const uint32_t before = UIImageGetPixel(gResultGWorld, kW - 1, 0);
  int red, green, blue;
  UIImage* shot = UIRenderWindow(window);
  RGB8(shot, r->drawnRect.right - 3, r->drawnRect.top + 3, &red, &green, &blue);
  EXPECT_GT(red, 240) << "index 0: no LUT";
  chosen = 2;
  UIInvalidateWindow(window);
  shot = UIRenderWindow(window);
  RGB8(shot, r->drawnRect.right - 3, r->drawnRect.top + 3, &red, &green, &blue);
  EXPECT_LT(red, 15);
  EXPECT_GT(green, 240);
  EXPECT_EQ(UIImageGetPixel(gResultGWorld, kW - 1, 0), before);
}

TEST_F(ImagePaneTest, ZoomClicksKeepThePointUnderTheMouseAndOptionZoomsOut) {
  UIControl* pane = GetViewPane(kPaneResult);
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  ImagePaneSetTool(pane, kImagePaneToolZoom);
  UIRenderWindow(window);
  const UIPoint at{300, 100};
  float x0, y0;
  ImagePaneViewToPicture(r, at, &x0, &y0);
  UIInjectClick(window, at);
  UIRunPending();
  EXPECT_FLOAT_EQ(r->zoom, 0.6667f);
  float x1, y1;
  ImagePaneViewToPicture(r, at, &x1, &y1);
  EXPECT_NEAR(x1, x0, 0.5);
  EXPECT_NEAR(y1, y0, 0.5);
  UIInjectClick(window, at, kUIModOption);
  UIRunPending();
  EXPECT_FLOAT_EQ(r->zoom, 1.0f);
  EXPECT_FLOAT_EQ(r->originX, 0);
}

TEST_F(ImagePaneTest, TheWheelZoomsAPaneWithALinkedControlUpInDownOut) {
  UIControl* pane = GetViewPane(kPaneResult);
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  UIRenderWindow(window);
  UIInjectWheel(window, UIPoint{200, 150}, 1);
  UIRunPending();
  EXPECT_FLOAT_EQ(r->zoom, 1.0f) << "no linked control: the wheel is left alone";
  UIControl* bar = UINewStaticText(window, UIMakeRect(0, 280, 50, 20), "");
  ImagePaneSetLinkedControl(pane, bar);
  UIInjectWheel(window, UIPoint{200, 150}, 1);
  UIRunPending();
  EXPECT_FLOAT_EQ(r->zoom, 0.6667f);
  UIInjectWheel(window, UIPoint{200, 150}, -1);
  UIRunPending();
  EXPECT_FLOAT_EQ(r->zoom, 1.0f);
}

TEST_F(ImagePaneTest, PanningMovesTheOriginWithinItsLimits) {
  UIControl* pane = GetViewPane(kPaneResult);
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  UIRenderWindow(window);
  r->zoom = 0.5f;
  ImagePaneRefit(r);
  ASSERT_GT(r->maxOriginX, 0);
  ImagePaneSetTool(pane, kImagePaneToolPan);
  UIInjectMouseDown(window, UIPoint{200, 150});
  UIInjectMouseDrag(window, UIPoint{190, 150});
  UIInjectMouseUp(window, UIPoint{190, 150});
  UIRunFor(0.5);
  // Ten pixels left move the view right by 10 x zoom x scale picture pixels.
  EXPECT_NEAR(r->originX, 10 * 0.5f * r->scaleX, 0.01);
  UIInjectMouseDown(window, UIPoint{390, 150});
  UIInjectMouseDrag(window, UIPoint{10, 150});
  UIInjectMouseUp(window, UIPoint{10, 150});
  UIRunFor(0.5);
  EXPECT_FLOAT_EQ(r->originX, float(r->maxOriginX));
}

// Sampling reads 8-bit pictures as value / 255, averages only pixels that
// exist, and keeps to the readout frame's own bounds.
TEST_F(ImagePaneTest, SamplingAveragesOnlyPixelsThatExist) {
  UIControl* pane = GetViewPane(kPaneResult);
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  UIImage* picture = UIImageCreate(8, 8);
  const UIColor orange{1, 128 / 255.0, 0, 1}, blue{0, 0, 1, 1};
  EraseGWorldRect(picture, nullptr, &blue);
  const UIRect corner = UIMakeRect(0, 0, 1, 1);
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
  UIImageDispose(picture);
}

TEST_F(ImagePaneTest, TheTimerSamplesUnderTheMouseOnlyInTheForeground) {
  UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  UIControl* pane = GetViewPane(kPaneResult);
  float rgb[3] = {-1, -1, -1};
  uint8_t done = 0;
  ImagePaneSetColorSampleTarget(pane, rgb, &done);
  UIRenderWindow(window);
  UIInjectMouseMove(window, UIPoint{390, 150});
  UIRunFor(0.35);
  EXPECT_EQ(done, 1);
  EXPECT_GT(rgb[0], 0.95f) << "the right edge of the frame is red";
  EXPECT_EQ(gRequestedCursor, 500);
  // Out of the view the sample is over.
  UIInjectMouseMove(window, UIPoint{399, 299});
  UIRunFor(0.25);
  EXPECT_EQ(done, 0);
  EXPECT_EQ(gRequestedCursor, 0);
  // In the background nothing is sampled.
  static const PLInputHooks background{nullptr, nullptr, [] { return false; }, nullptr};
  PLSetInputHooks(&background);
  rgb[0] = -1;
  UIInjectMouseMove(window, UIPoint{100, 150});
  UIRunFor(1.0);
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
  UIImage* mask = UIImageCreate(32, 16);
  for (const Case& c : cases) {
    BuildSplitViewMask(mask, c.x1, c.y1, c.x2, c.y2);
    for (auto& p : c.blackAt)
      if (p[0] >= 0) {
        EXPECT_EQ(UIImageGetPixel(mask, p[0], p[1]), 0xFF000000u) << c.x1 << c.y1 << c.x2 << c.y2;
      }
    for (auto& p : c.whiteAt)
      if (p[0] >= 0) {
        EXPECT_EQ(UIImageGetPixel(mask, p[0], p[1]), 0xFFFFFFFFu) << c.x1 << c.y1 << c.x2 << c.y2;
      }
  }
  UIImageDispose(mask);
}

TEST_F(ImagePaneTest, DraggingASplitEndAlongTheTopMovesTheMaskAndKeepsTheEndOnTheEdge) {
  SetImageViewMode(kImageViewSplitSource);
  UIControl* pane = GetViewPane(kPaneSplitSource);
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  ASSERT_TRUE(r->splitShown);
  UIRenderWindow(window);
  // End 1 sits at the middle of the top edge; the timer marks it hot.
  const int32_t x = r->viewRect.left + UIRectWidth(r->viewRect) / 2;
  UIInjectMouseMove(window, UIPoint{x, r->viewRect.top + 1});
  UIRunFor(0.3);
  ASSERT_TRUE(r->splitEnd1Hot);
  EXPECT_EQ(gRequestedCursor, 507);
  UIInjectMouseDown(window, UIPoint{x, r->viewRect.top + 1});
  UIInjectMouseDrag(window, UIPoint{x + 99, r->viewRect.top + 40});
  UIInjectMouseUp(window, UIPoint{x + 99, r->viewRect.top + 40});
  UIRunFor(0.5);
  EXPECT_NEAR(r->splitX1, 0.75f, 0.01f);
  EXPECT_EQ(r->splitY1, 0.0f);
  EXPECT_FALSE(r->splitDragging || r->splitEnd1Hot);
  // The line now runs from three quarters along the top to the middle of
  // the bottom: a point at two thirds across near the top is on the source side.
  EXPECT_EQ(UIImageGetPixel(gSplitMaskGWorld, kW * 2 / 3, 1), 0xFF000000u);
  EXPECT_EQ(UIImageGetPixel(gSplitMaskGWorld, kW * 2 / 3, kH - 2), 0xFFFFFFFFu);
}

// The split line follows the zoom and pan into picture fractions; a view
// that shows only one side of it gives the picture's edge on that side.
TEST_F(ImagePaneTest, TheVisibleSplitLineFollowsZoomAndPan) {
  UIControl* pane = GetViewPane(kPaneSplitSource);
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  SetImageViewMode(kImageViewSplitSource);
  UIRenderWindow(window);
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
  UIControl* pane = GetViewPane(kPaneResult);
  ImagePaneSetTrackingEnabled(pane, true);
  ImagePaneSetClipRef(pane, &gClip);
  ImagePaneSetRole(pane, 0);
  UIRenderWindow(window);
  UIInjectMouseDown(window, UIPoint{100, 100});
  UIInjectMouseDrag(window, UIPoint{150, 100});
  UIInjectMouseUp(window, UIPoint{150, 100});
  UIRunFor(0.5);
  EXPECT_EQ(gClip.frame, 9) << "fifty frames on from 8 of 10 stops at the last";
  EXPECT_GE(gClip.reloads, 1);
  UIInjectMouseDown(window, UIPoint{100, 100});
  UIInjectMouseDrag(window, UIPoint{0, 100});
  UIInjectMouseUp(window, UIPoint{0, 100});
  UIRunFor(0.5);
  EXPECT_EQ(gClip.frame, 0);

  ImagePaneSetClipRef(pane, nullptr);
  gHostTime = 300;
  UIInjectMouseDown(window, UIPoint{100, 100});
  UIInjectMouseDrag(window, UIPoint{104, 100});
  UIInjectMouseUp(window, UIPoint{104, 100});
  UIRunFor(0.5);
  EXPECT_EQ(gHostLoaded, 700);
  UIInjectMouseDown(window, UIPoint{100, 100});
  UIInjectMouseDrag(window, UIPoint{200, 100});
  UIInjectMouseUp(window, UIPoint{200, 100});
  UIRunFor(0.5);
  EXPECT_EQ(gHostLoaded, 900);
}

TEST_F(ImagePaneTest, AFloatingPaneDrawsAndTakesClicksInItsOwnWindow) {
  UIControl* pane = nullptr;
  ASSERT_EQ(CreateImagePane(window, UIMakeRect(20, 30, 200, 150), &pane), kQVNoErr);
  ImagePaneSetFloatingAllowed(pane, true);
  UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  ASSERT_EQ(SetImagePaneImage(pane, gResultGWorld), kQVNoErr);
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  ASSERT_NE(r->floatingWindow, nullptr);
  const UIRect placed = UIGetWindowBounds(r->floatingWindow);
  const UIRect owner = UIGetWindowBounds(window);
  EXPECT_EQ(placed.left, owner.left + 20);
  EXPECT_EQ(placed.top, owner.top + 30);
  EXPECT_TRUE(UIIsWindowVisible(r->floatingWindow));
  int red, green, blue;
  UIImage* shot = UIRenderWindow(r->floatingWindow);
  RGB8(shot, r->drawnRect.right - 3, r->drawnRect.top + 3, &red, &green, &blue);
  EXPECT_GT(red, 240);
  ImagePaneSetTool(pane, kImagePaneToolZoom);
  UIInjectClick(r->floatingWindow, UIPoint{100, 75});
  UIRunPending();
  EXPECT_FLOAT_EQ(r->zoom, 0.6667f);
  UISetControlVisible(pane, false);
  UIRunPending();
  EXPECT_FALSE(UIIsWindowVisible(r->floatingWindow));
}

TEST_F(ImagePaneTest, CreationReportsAStatusAndTheRegistryHoldsThreeHundred) {
  UIControl* pane = reinterpret_cast<UIControl*>(1);
  EXPECT_EQ(CreateImagePane(nullptr, UIMakeRect(0, 0, 10, 10), &pane), kQVErrParam);
  EXPECT_EQ(pane, nullptr);
  while (ImagePaneRegisteredCount() < kImagePaneMaxRegistered)
    ASSERT_EQ(CreateImagePane(window, UIMakeRect(0, 0, 10, 10), &pane), kQVNoErr);
  ASSERT_EQ(CreateImagePane(window, UIMakeRect(0, 0, 10, 10), &pane), kQVNoErr);
  EXPECT_EQ(ImagePaneRegisteredCount(), kImagePaneMaxRegistered);
  EXPECT_NE(ImagePaneRegistered(kImagePaneMaxRegistered - 1), pane);
  // An unregistered pane still works.
  ImagePaneSetCornerLabel(pane, std::string(300, 'x').c_str(), 2);
  EXPECT_EQ(std::strlen(ImagePaneRecordOf(pane)->labels[2]), 127u);
  ImagePaneSetCornerLabel(pane, "late", 4);
  EXPECT_FLOAT_EQ(ImagePaneGetPixelAspect(nullptr), 1.0f);
}

}  // namespace
