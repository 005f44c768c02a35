// The application's state object: its reset reaches every name the rest of
// the application uses, and disposes what the state owned (the sanitizer
// build's leak check sees a frame or picture left behind).
#include <gtest/gtest.h>

#include <cstring>

#include "app/state/app_state.h"
#include "app/state/ui_state.h"
#include "app/state/undo_ring.h"
#include "platform/ui/ui_draw.h"
#include "settings/prefs.h"

namespace {

TEST(AppState, ResetPutsEveryNameBackAndDisposesWhatItOwned) {
  UIResetState(0);
  // Everything away from its start, through the names the application uses.
  gUISettings.hsl[0].gain = 0.25f;
  gUIDefaultSettings.hsl[0].gain = 2.0f;
  ASSERT_EQ(FBCreateRGBFrameBuffer(8, 8, &gSourceFrame, kFBPixFormatPlanarFloat), kQVNoErr);
  ASSERT_EQ(FBCreateRGBFrameBuffer(8, 8, &gResultFrame, kFBPixFormatPlanarFloat), kQVNoErr);
  ASSERT_EQ(FBCreateRGBFrameBuffer(8, 8, &gUIArrivedFrame, kFBPixFormatPlanarFloat), kQVNoErr);
  gResultGWorld = TKImageCreate(8, 8);
  gSecondaryGWorld = TKImageCreate(8, 8);
  gImageViewMode = kImageViewSplitRef;
  gAnalysisPaneKind = kAnalysisVectorscope;
  gCorrectionTab = kCorrectionTabLimiting;
  gLevelsChannel = kLevelsChannelBlue;
  gPaneLayout = 3;
  gUpdatesSuspended = gImageLoaded = gDragInProgress = gReprocessDeferred = gRedrawRequested = true;
  gUILinearization[3] = 7;
  gUndoBuffer = CreateUndoBuffer(4);
  gLastSavedSettingsSlot = 5;
  gPrefsSettings.undoDepth = 3;
  gSavedSettings.stored[0] = 1;

  UIResetState(12);
  VL_SettingsStruct defaults;
  std::memset(&defaults, 0, sizeof defaults);
  VL_SetDefaultControlValues(&defaults, kVLMaskAll);
  EXPECT_EQ(std::memcmp(&gUISettings, &defaults, sizeof defaults), 0);
  EXPECT_EQ(std::memcmp(&gUIDefaultSettings, &defaults, sizeof defaults), 0);
  EXPECT_EQ(gSourceFrame, nullptr);
  EXPECT_EQ(gResultFrame, nullptr);
  EXPECT_EQ(gUIArrivedFrame, nullptr);
  EXPECT_EQ(gResultGWorld, nullptr);
  EXPECT_EQ(gSecondaryGWorld, nullptr);
  EXPECT_EQ(gImageViewMode, kImageViewResult);
  EXPECT_EQ(gAnalysisPaneKind, kAnalysisCombo);
  EXPECT_EQ(gCorrectionTab, kCorrectionTabHSL);
  EXPECT_EQ(gLevelsChannel, kLevelsChannelMaster);
  EXPECT_EQ(gPaneLayout, 1);
  EXPECT_FALSE(gUpdatesSuspended || gImageLoaded || gDragInProgress || gReprocessDeferred || gRedrawRequested);
  EXPECT_EQ(gUILinearization[3], 0u);
  ASSERT_NE(gUndoBuffer, nullptr);
  EXPECT_EQ(gUndoBuffer->count, 13u);  // 12 steps
  EXPECT_EQ(gLastSavedSettingsSlot, 0);
  PrefsSettings fresh;
  PFLoadDefaultPreferences(&fresh);
  EXPECT_EQ(gPrefsSettings.undoDepth, fresh.undoDepth);
  EXPECT_EQ(gSavedSettings.stored[0], 0);

  UIResetState(0);
  EXPECT_EQ(gUndoBuffer, nullptr);
}

}  // namespace
