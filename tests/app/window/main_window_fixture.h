// The application's main window built headless over a 1600 x 1000 display,
// on a small colour ramp, with the controls' hooks installed and the
// exchange's clip played by a fake host (frames at times 0, 10, ... 90).
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "app/commands/controls_install.h"
#include "app/controls/bound_controls.h"
#include "app/controls/settings_sync.h"
#include "app/controls/tab_group.h"
#include "app/shell/least_hooks.h"
#include "app/state/app_state.h"
#include "app/state/interface_colors.h"
#include "app/state/service_hooks.h"
#include "app/state/undo_ring.h"
#include "app/state/view_state.h"
#include "app/state/views_hooks.h"
#include "app/views/analysis_panes.h"
#include "app/views/central_update.h"
#include "app/views/image_pane.h"
#include "app/window/main_window.h"
#include "app/window/pane_selectors.h"
#include "app/window/shell_window.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/ui_headless.h"
#include "settings/prefs.h"

// The Limiting tab's fields, in the order of its controls down the columns.
inline const size_t kLimitingFields[] = {offsetof(VL_SettingsStruct, limiter.limiter_softclip_enable),
                                         offsetof(VL_SettingsStruct, limiter.limiter_softclip_knee),
                                         offsetof(VL_SettingsStruct, limiter.limiter_softclip_white_level),
                                         offsetof(VL_SettingsStruct, limiter.limiter_softclip_max_level),
                                         offsetof(VL_SettingsStruct, limiter.limiter_luma_max),
                                         offsetof(VL_SettingsStruct, limiter.limiter_chroma_max),
                                         offsetof(VL_SettingsStruct, limiter.limiter_chroma_min),
                                         offsetof(VL_SettingsStruct, limiter.limiter_clip_method),
                                         offsetof(VL_SettingsStruct, limiter.limiter_system),
                                         offsetof(VL_SettingsStruct, limiter_preview)};

class MainWindowTest : public ::testing::Test {
 protected:
  static inline int32_t hostTime = 0;
  static inline int32_t framesLoaded = 0;
  static inline int32_t galleryShown = -1;

  void SetUp() override {
    TKUseFakeClock(true);
    ASSERT_EQ(TKInitToolkit(kTKBackendHeadless), kQVNoErr);
    TKSetHeadlessDisplays({TKMakeRect(0, 0, 1600, 1000)});
    UIResetHooks();
    ViewsResetHooks();
    VFInstallControls();
    InitInterfaceColors();
    ApplyInterfaceBrightness(22282);
    ApplyInterfaceSaturation(26214);
    UIResetState(20);
    MakeFrames();
    hostTime = 0;
    framesLoaded = 0;
    galleryShown = -1;
    ViewsHooks& views = ViewsHooksInForce();
    views.hostFrameTimes = [](int32_t* current, int32_t* step, int32_t* last) -> bool {
      *current = hostTime;
      *step = 10;
      *last = 90;
      return true;
    };
    views.hostLoadFrameAt = [](int32_t time) -> QVStatus {
      hostTime = time;
      ++framesLoaded;
      return kQVNoErr;
    };
    MainWindowGallery().show = [](bool shown) { galleryShown = shown; };
  }

  void TearDown() override {
    DisposeMainWindow();
    MainWindowGallery() = MainWindowGalleryHooks{};
    TKShutdownToolkit();
    TKUseFakeClock(false);
    UIResetHooks();
    ViewsResetHooks();
    UIResetState(0);
  }

  void MakeFrames() {
    ASSERT_EQ(FBCreateRGBFrameBuffer(32, 24, &gSourceFrame, kFBPixFormatPlanarFloat), kQVNoErr);
    ASSERT_EQ(FBCreateRGBFrameBuffer(32, 24, &gResultFrame, kFBPixFormatPlanarFloat), kQVNoErr);
    for (int32_t y = 0; y < 24; ++y)
      for (int32_t x = 0; x < 32; ++x) FBSetRGBPixel(gSourceFrame, x, y, x / 31.0f, 0.5f, 1.0f - y / 23.0f, 1);
    for (TKImage** p : {&gResultGWorld, &gSourceGWorld, &gSplitGWorld, &gSplitMaskGWorld, &gReferenceGWorld})
      *p = TKImageCreate(32, 24);
  }

  // Builds and shows the window as start-up does, through the hooks.
  void Build() {
    ASSERT_EQ(UIHooks().buildMainWindow(), kQVNoErr);
    UIHooks().showMainWindow(true);
    TKRunPending();
  }

  // A correction that darkens the picture: the HSL master gain at one half.
  static void HalveMasterGain() {
    gUISettings.hslEnable = 1;
    gUISettings.hslControlsEnable = 1;
    gUISettings.hsl[0].enable = 1;
    gUISettings.hsl[0].gain = 0.5f;
  }

  void Key(uint32_t charCode, uint32_t modifiers = 0) {
    TKInjectKey(charCode, modifiers);
    TKRunPending();
  }
  void FunctionKey(uint32_t keyCode, uint32_t modifiers = 0) {
    TKInjectFunctionKey(keyCode, modifiers);
    TKRunPending();
  }
};
