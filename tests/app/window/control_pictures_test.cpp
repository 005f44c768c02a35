// The pictures and cursors the program draws for itself: every id the
// controls ask for resolves to a drawn picture of its size, the curve
// eyedroppers differ by their liquid, the cursors are defined and shown, and
// the buttons and panes really show the pictures.
#include "app/controls/control_pictures.h"

#include "app/controls/curve_editor.h"
#include "app/views/image_pane.h"
#include "app/views/pictures.h"
#include "app/window/correction_tabs.h"
#include "main_window_fixture.h"

#include <algorithm>
#include <vector>

namespace {

// Pixels of the rectangle whose alpha is above zero.
int32_t CoveredPixels(TKImage* image, const TKRect& r) {
  int32_t n = 0;
  for (int32_t y = r.top; y < r.bottom; ++y)
    for (int32_t x = r.left; x < r.right; ++x) n += (TKImageGetPixel(image, x, y) >> 24) != 0;
  return n;
}

// Distinct colours inside the rectangle, up to a few.
int32_t DistinctColours(TKImage* image, const TKRect& r) {
  std::vector<uint32_t> seen;
  for (int32_t y = r.top; y < r.bottom; ++y)
    for (int32_t x = r.left; x < r.right; ++x) {
      const uint32_t p = TKImageGetPixel(image, x, y);
      if (std::find(seen.begin(), seen.end(), p) == seen.end()) seen.push_back(p);
    }
  return int32_t(seen.size());
}

// Each case starts with no pictures registered.
class ControlPicturesTest : public MainWindowTest {
 protected:
  void SetUp() override {
    TKForgetPictures();
    MainWindowTest::SetUp();
  }
  void TearDown() override {
    MainWindowTest::TearDown();
    TKForgetPictures();
  }
};

TEST_F(ControlPicturesTest, EveryPictureTheControlsAskForIsDrawnAtItsSize) {
  Build();
  struct Case {
    int32_t id;
    int32_t width, height;
  };
  const Case cases[] = {
      {128, kVFIconSide, kVFIconSide},
      {129, kVFIconSide, kVFIconSide},
      {130, kVFIconSide, kVFIconSide},
      {131, kVFIconSide, kVFIconSide},
      {201, kVFPaneArtworkWidth, kVFPaneArtworkHeight},
      {202, kVFPaneArtworkWidth, kVFPaneArtworkHeight},
      {kUpdatesSuspendedPictureID, kVFSuspendedLabelWidth, kVFSuspendedLabelHeight},
      {500, kVFIconSide, kVFIconSide},
      {501, kVFIconSide, kVFIconSide},
      {502, kVFIconSide, kVFIconSide},
      {503, kVFIconSide, kVFIconSide},
      {504, kVFIconSide, kVFIconSide},
      {505, kVFIconSide, kVFIconSide},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    TKImage* picture = TKGetPicture(c.id);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(TKImageWidth(picture), c.width);
    EXPECT_EQ(TKImageHeight(picture), c.height);
    const TKRect all = TKMakeRect(0, 0, c.width, c.height);
    EXPECT_GT(CoveredPixels(picture, all), c.width * c.height / 20) << "something is drawn";
    EXPECT_GE(DistinctColours(picture, all), 3) << "more than a flat fill";
  }
}

TEST_F(ControlPicturesTest, CurveEyedroppersHoldBlackGreyAndWhite) {
  VFRegisterControlPictures();
  // A pixel inside the tube, halfway between bulb and tip.
  struct Case {
    int32_t id;
    int32_t lowest, highest;  // of the red channel
  };
  const Case cases[] = {{129, 0, 30}, {130, 100, 160}, {131, 230, 255}, {501, 0, 30}, {503, 230, 255}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const uint32_t pixel = TKImageGetPixel(TKGetPicture(c.id), 6, 9);
    EXPECT_EQ(pixel >> 24, 255u);
    const int32_t red = int32_t((pixel >> 16) & 0xFF);
    EXPECT_GE(red, c.lowest);
    EXPECT_LE(red, c.highest);
  }
}

TEST_F(ControlPicturesTest, DrawnCursorsAreDefinedAndShownForTheirIds) {
  Build();
  // Cursor pixels are opaque or clear, never part-covered.
  for (int32_t id = 500; id <= 505; ++id) {
    TKImage* picture = TKGetPicture(id);
    ASSERT_NE(picture, nullptr);
    for (int32_t y = 0; y < kVFIconSide; ++y)
      for (int32_t x = 0; x < kVFIconSide; ++x) {
        const uint32_t alpha = TKImageGetPixel(picture, x, y) >> 24;
        ASSERT_TRUE(alpha == 0 || alpha == 255) << id << " at " << x << "," << y;
      }
  }
  for (int32_t id = 500; id <= 505; ++id) EXPECT_TRUE(TKCursorDefined(id)) << id;
  EXPECT_FALSE(TKCursorDefined(509));
  struct Case {
    int32_t requested, shown;
  };
  const Case cases[] = {{501, 501}, {504, 504}, {505, 505},
                        {509, kTKCursorCrosshair},  // no drawn cursor: the nearest the toolkit has
                        {0, kTKCursorArrow}};
  for (const Case& c : cases) {
    gRequestedCursor = c.requested;
    InstallRequestedCursor();
    EXPECT_EQ(TKGetCursor(), c.shown) << c.requested;
  }
  gRequestedCursor = 0;
}

TEST_F(ControlPicturesTest, CurveEyedropperButtonsShowTheirIcons) {
  Build();
  TabGroupSelect(gCorrectionTabs, kCorrectionTabCurves);
  TKRunPending();
  TKImage* window = TKRenderWindow(UIMainWindow());
  ASSERT_NE(window, nullptr);
  const uint32_t ids[] = {kVFIDBlackEyedropper, kVFIDGrayEyedropper, kVFIDWhiteEyedropper};
  for (uint32_t id : ids) {
    TKControl* button = TKFindControlByID(UIMainWindow(), TKControlID{kVFCreatorControls, int32_t(id)});
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(TKIsControlVisible(button));
    // The face inside the bevel: a plain face has few colours, the icon's
    // outline and liquid add many.
    const TKRect face = TKRectInset(TKGetControlBounds(button), 3, 3);
    EXPECT_GE(DistinctColours(window, face), 6) << std::hex << id;
  }
}

TEST_F(ControlPicturesTest, SuspendedPictureCarriesItsLabel) {
  VFRegisterControlPictures();
  TKImagePtr target(TKImageCreate(400, 300));
  DrawUpdatesSuspended(target.get());
  // The label sits just inside the frame's lower left corner.
  const TKRect label = TKMakeRect(40 + 8, 270 - 7 - kVFSuspendedLabelHeight, kVFSuspendedLabelWidth,
                                  kVFSuspendedLabelHeight);
  int32_t red = 0;
  for (int32_t y = label.top; y < label.bottom; ++y)
    for (int32_t x = label.left; x < label.right; ++x) red += ((TKImageGetPixel(target.get(), x, y) >> 16) & 0xFF) > 128;
  EXPECT_GT(red, 100);
}

}  // namespace
