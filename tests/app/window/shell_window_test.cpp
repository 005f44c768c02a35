// The main window's image views: the result pane shows the processed frame,
// and letting go of Caps Lock brings suspended panes up to date.
#include <gtest/gtest.h>

#include "app/state/view_state.h"
#include "app/views/central_update.h"
#include "app/views/image_pane.h"
#include "app/window/shell_window.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/ui_headless.h"

namespace {

TEST(MainWindowPanes, ReleasingCapsLockReprocessesTheSuspendedPanes) {
  TKUseFakeClock(true);
  ASSERT_EQ(TKInitToolkit(kTKBackendHeadless), kQVNoErr);
  ASSERT_EQ(FBCreateRGBFrameBuffer(32, 32, &gSourceFrame, kFBPixFormatPlanarFloat), kQVNoErr);
  ASSERT_EQ(FBCreateRGBFrameBuffer(32, 32, &gResultFrame, kFBPixFormatPlanarFloat), kQVNoErr);
  for (int32_t y = 0; y < 32; ++y)
    for (int32_t x = 0; x < 32; ++x) FBSetRGBPixel(gSourceFrame, x, y, 0.9f, 0.5f, 0.1f, 1);
  for (TKImage** p : {&gResultGWorld, &gSourceGWorld, &gSplitGWorld, &gSplitMaskGWorld, &gReferenceGWorld})
    *p = TKImageCreate(32, 32);
  VL_SetDefaultControlValues(&gUISettings, kVLMaskAll);
  ASSERT_EQ(UIBuildMainWindow(), kQVNoErr);
  SetViewPanePictures();
  UIShowMainWindow(true);

  TKInjectModifiers(kTKModCapsLock);
  TKRunPending();
  UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
  EXPECT_TRUE(gUpdatesSuspended);
  EXPECT_EQ(TKImageGetPixel(gResultGWorld, 16, 16), 0xFF000000u);

  TKInjectModifiers(0);
  TKRunPending();
  EXPECT_FALSE(gUpdatesSuspended);
  const uint32_t shown = TKImageGetPixel(gResultGWorld, 16, 16);
  EXPECT_NEAR(int((shown >> 16) & 0xFF), 230, 1);
  // The window's result pane shows it.
  TKImage* shot = TKRenderWindow(UIMainWindow());
  const TKRect pane = TKGetControlBounds(GetViewPane(kPaneResult));
  const uint32_t centre = TKImageGetPixel(shot, (pane.left + pane.right) / 2, (pane.top + pane.bottom) / 2);
  EXPECT_EQ(centre, shown);

  UIDisposeMainWindow();
  TKShutdownToolkit();
  TKUseFakeClock(false);
  for (TKImage** p : {&gResultGWorld, &gSourceGWorld, &gSplitGWorld, &gSplitMaskGWorld, &gReferenceGWorld}) {
    TKImageDispose(*p);
    *p = nullptr;
  }
  FBDisposeFrameBuffer(gSourceFrame);
  FBDisposeFrameBuffer(gResultFrame);
  gSourceFrame = gResultFrame = nullptr;
}

}  // namespace
