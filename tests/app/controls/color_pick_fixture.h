// The correction window with colour controls beside a picture window of
// image panes that show the source ramp: one pane per layout slot, each
// sampling the frame's float pixels, and helpers that script a pick.
#pragma once

#include <cstring>

#include "app/controls/color_swatch.h"
#include "app/controls/composite_controls.h"
#include "app/state/view_state.h"
#include "app/state/views_hooks.h"
#include "app/views/central_update.h"
#include "app/views/image_pane.h"
#include "tests/app/controls/correction_window.h"

class ColorPickTest : public CorrectionWindowTest {
 protected:
  TKWindow* pictureWindow = nullptr;
  // Layout 1's pane, then layout 3's pane and the two reference panes.
  TKControl* panes[4] = {};
  TKImage* picture = nullptr;

  void SetUp() override {
    CorrectionWindowTest::SetUp();
    ViewsResetHooks();
    picture = TKImageCreate(16, 4);
    pictureWindow = TKCreateWindow(kTKWindowPlain, TKMakeRect(700, 40, 400, 200), "Picture");
    // Each view is 160 x 40: ten view pixels a frame pixel, no border.
    const TKRect frames[4] = {TKMakeRect(0, 0, 164, 44), TKMakeRect(0, 60, 164, 44), TKMakeRect(200, 0, 164, 44),
                              TKMakeRect(200, 60, 164, 44)};
    for (int i = 0; i < 4; ++i) {
      ASSERT_EQ(CreateImagePane(pictureWindow, frames[i], &panes[i]), kQVNoErr);
      EXPECT_EQ(kQVNoErr, SetImagePaneImage(panes[i], picture));
      ImagePaneSetFrameBuffer(panes[i], gSourceFrame);
    }
    SetLayoutImagePane(1, panes[0]);
    SetLayoutImagePane(3, panes[1]);
    SetReferenceImagePane(1, panes[2]);
    SetReferenceImagePane(2, panes[3]);
    gPaneLayout = 1;
    TKShowWindow(pictureWindow);
    TKRenderWindow(pictureWindow);
    TKSelectWindow(window);
  }

  void TearDown() override {
    ClearViewPanes();
    gPaneLayout = 1;
    ViewsResetHooks();
    CorrectionWindowTest::TearDown();
    TKImageDispose(picture);
  }

  // The window point over frame pixel (x, y) of a pane.
  TKPoint Over(int pane, int x, int y) const {
    const TKRect b = TKGetControlBounds(panes[pane]);
    return TKPoint{b.left + 2 + 10 * x + 5, b.top + 2 + 10 * y + 5};
  }
  static void Pixel(int x, int y, float rgb[3]) {
    float p[4];
    FBGetRGBPixel(gSourceFrame, x, y, p);
    std::memcpy(rgb, p, 3 * sizeof(float));
  }
  static float* Triple(uint32_t offset) {
    return reinterpret_cast<float*>(reinterpret_cast<uint8_t*>(&gUISettings) + offset);
  }

  // Clicks the eyedropper, then goes over the points of the picture window
  // 0.3 s apart, pressing at the first and letting go at the last.
  void PickAlong(TKControl* eyedropper, std::initializer_list<TKPoint> path, uint32_t modifiers = 0) {
    double at = TKNow() + 0.3;
    TKInjectClick(window, Centre(eyedropper), modifiers);
    const TKPoint* points = path.begin();
    const size_t n = path.size();
    TKInjectMouseMove(pictureWindow, points[0], at);
    at += 0.3;
    TKInjectMouseDown(pictureWindow, points[0], 0, at);
    for (size_t i = 1; i < n; ++i) {
      at += 0.3;
      TKInjectMouseDrag(pictureWindow, points[i], 0, at);
    }
    at += 0.3;
    TKInjectMouseUp(pictureWindow, points[n - 1], 0, at);
    TKRunPending();
  }

  // The colour at the centre of a control in the window as drawn.
  void DrawnColour(TKControl* control, int* r, int* g, int* b, int dx = 0) {
    TKImage* shot = TKRenderWindow(window);
    const TKPoint c = Centre(control);
    const uint32_t v = TKImageGetPixel(shot, c.x + dx, c.y);
    *r = (v >> 16) & 0xFF;
    *g = (v >> 8) & 0xFF;
    *b = v & 0xFF;
  }
};
