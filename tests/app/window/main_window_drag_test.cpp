// A drag in the main window as the screen shows it: the slider, its value,
// the picture and the scopes follow the hand before the button is let go.
#include <cstddef>

#include "main_window_fixture.h"
#include "platform/ui/ui_internal.h"

namespace {

uint32_t ShownPixel(TKWindow* window, TKPoint p) {
  TKImage* shown = TKHeadlessPresentedImage(window);
  return shown ? TKImageGetPixel(shown, p.x, p.y) : 0;
}

TKPoint Middle(const TKRect& r) { return TKPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

TEST_F(MainWindowTest, ADragShowsThePictureBeforeTheButtonIsLetGo) {
  Build();
  TKWindow* window = UIMainWindow();
  ASSERT_NE(window, nullptr);
  TKSetHeadlessPresenting(true);
  TKRunPending();
  TKControl* gain = VFControlAtOffset(uint32_t(offsetof(VL_SettingsStruct, hsl[0].gain)));
  ASSERT_NE(gain, nullptr);
  ASSERT_TRUE(TKIsControlVisible(gain));
  const TKRect thumb = TKSliderThumbRect(gain);
  const TKPoint picture = Middle(TKGetControlBounds(gCurrentImagePane));
  const uint32_t pictureBefore = ShownPixel(window, picture);
  const uint32_t thumbBefore = ShownPixel(window, Middle(thumb));
  const float gainBefore = gUISettings.hsl[0].gain;

  // The button goes down on the thumb and moves right in three steps; a
  // look at the screen comes between the moves and the release.
  const TKPoint down = Middle(thumb);
  const double t0 = TKNow();
  TKInjectMouseDown(window, down);
  for (int step = 1; step <= 3; ++step)
    TKInjectMouseDrag(window, TKPoint{down.x + 20 * step, down.y}, 0, t0 + 0.1 * step);
  TKInjectMouseUp(window, TKPoint{down.x + 60, down.y}, 0, t0 + 1.0);
  uint32_t pictureDuring = 0, thumbDuring = 0;
  float gainDuring = gainBefore;
  int64_t presentsDuring = 0;
  const int64_t presentsBefore = TKHeadlessPresentCount();
  TKTimer* look = TKInstallTimer(0.6, 10, [&](TKTimer*) {
    pictureDuring = ShownPixel(window, picture);
    thumbDuring = ShownPixel(window, Middle(thumb));
    gainDuring = gUISettings.hsl[0].gain;
    presentsDuring = TKHeadlessPresentCount() - presentsBefore;
  });
  TKRunFor(1.2);
  TKRemoveTimer(look);
  TKSetHeadlessPresenting(false);

  EXPECT_GT(gainDuring, gainBefore) << "the edit is made while the button is down";
  EXPECT_NE(pictureDuring, pictureBefore) << "the screen shows the new picture during the drag";
  EXPECT_NE(thumbDuring, thumbBefore) << "the thumb has left its place on the screen";
  EXPECT_GE(presentsDuring, 3) << "one picture for each move at least";
}

// Moves that queue up while a step is drawn make one edit, to the latest place.
TEST_F(MainWindowTest, MovesQueuedDuringADragMakeOneEdit) {
  Build();
  TKWindow* window = UIMainWindow();
  TKControl* gain = VFControlAtOffset(uint32_t(offsetof(VL_SettingsStruct, hsl[0].gain)));
  ASSERT_NE(gain, nullptr);
  const TKPoint down = Middle(TKSliderThumbRect(gain));
  int edits = 0;
  TKInstallControlHandler(gain, [&](TKEvent& e) {
    if (e.kind == kTKEventValueChanged) ++edits;
    return kQVErrNotHandled;
  });
  TKInjectMouseDown(window, down);
  for (int step = 1; step <= 10; ++step) TKInjectMouseDrag(window, TKPoint{down.x + 5 * step, down.y});
  TKInjectMouseUp(window, TKPoint{down.x + 50, down.y});
  TKRunPending();
  EXPECT_EQ(edits, 1);
  EXPECT_GT(gUISettings.hsl[0].gain, gUIDefaultSettings.hsl[0].gain);
}

}  // namespace
