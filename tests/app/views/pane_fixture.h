// A headless window with the six view panes over a small exchange: a
// gradient source frame (red across, green down, blue a quarter, luma in
// the fourth plane), the result frame and the pictures at the frame's size,
// the working record at its defaults, and hooks that note what they were
// asked to do.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/state/view_state.h"
#include "app/state/views_hooks.h"
#include "app/views/central_update.h"
#include "app/views/histogram.h"
#include "app/views/image_pane.h"
#include "app/views/image_pane_internal.h"
#include "app/views/pictures.h"
#include "core/frame_buffer.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/ui_headless.h"

inline std::vector<std::string>& HookCalls() {
  static std::vector<std::string> calls;
  return calls;
}

class PaneTest : public ::testing::Test {
 protected:
  static constexpr int32_t kW = 64, kH = 48;

  void SetUp() override {
    TKUseFakeClock(true);
    ASSERT_EQ(TKInitToolkit(kTKBackendHeadless), kQVNoErr);
    HookCalls().clear();
    ViewsResetHooks();
    ViewsHooks& h = ViewsHooksInForce();
    SetLevelsHistogramRefresher(
        [](int32_t c, bool, bool) { HookCalls().push_back("levels " + std::to_string(c)); });
    h.drawLumaRangeControl = [] { HookCalls().push_back("luma range"); };
    h.drawColorMatchGroup = [](bool) { HookCalls().push_back("colour match"); };
    h.drawAnalysisPanes = [](bool) { HookCalls().push_back("analysis"); };
    h.outputExternalPreviewFrame = [] { HookCalls().push_back("external"); };
    h.updateVideoOutputFrame = [](uint32_t) { HookCalls().push_back("video"); };
    h.updateSecondaryPreview = [](bool) { HookCalls().push_back("secondary"); };

    ASSERT_EQ(FBCreateRGBFrameBuffer(kW, kH, &gSourceFrame, kFBPixFormatPlanarFloat), kQVNoErr);
    ASSERT_EQ(FBCreateRGBFrameBuffer(kW, kH, &gResultFrame, kFBPixFormatPlanarFloat), kQVNoErr);
    for (int32_t y = 0; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x) {
        const float r = float(x) / (kW - 1), g = float(y) / (kH - 1), b = 0.25f;
        SetPlanes(gSourceFrame, x, y, r, g, b, 0.299f * r + 0.587f * g + 0.114f * b);
      }
    FBClearFrameBufferToBlack(gResultFrame);
    for (TKImage** p : {&gResultGWorld, &gSourceGWorld, &gReferenceGWorld, &gSplitGWorld, &gSplitMaskGWorld})
      *p = TKImageCreate(kW, kH);
    const TKColor green{0, 1, 0, 1};
    EraseGWorldRect(gReferenceGWorld, nullptr, &green);
    BuildSplitViewMask(gSplitMaskGWorld, 0.5f, 0, 0.5f, 1);
    VL_SetDefaultControlValues(&gUISettings, kVLMaskAll);
    gCorrectionTab = kCorrectionTabHSL;
    gAnalysisPaneKind = kAnalysisCombo;
    gPaneLayout = 1;

    window = TKCreateWindow(kTKWindowPlain, TKMakeRect(40, 40, 400, 300), "panes");
    for (ImagePaneMask bit : {kPaneResult, kPaneSource, kPaneReference, kPaneSplitSource, kPaneSplitRef,
                              kPaneLumaRanges}) {
      TKControl* pane = nullptr;
      ASSERT_EQ(CreateImagePane(window, TKMakeRect(0, 0, 400, 300), &pane), kQVNoErr);
      SetViewPane(bit, pane);
    }
    SetViewPanePictures();
    TKShowWindow(window);
    SetImageViewMode(kImageViewResult);
    HookCalls().clear();
  }

  void TearDown() override {
    ClearViewPanes();
    ViewsResetHooks();
    SetLevelsHistogramRefresher(nullptr);
    TKShutdownToolkit();
    TKUseFakeClock(false);
    for (TKImage** p : {&gResultGWorld, &gSourceGWorld, &gReferenceGWorld, &gSplitGWorld, &gSplitMaskGWorld}) {
      TKImageDispose(*p);
      *p = nullptr;
    }
    FBDisposeFrameBuffer(gSourceFrame);
    FBDisposeFrameBuffer(gResultFrame);
    gSourceFrame = gResultFrame = nullptr;
    gImageViewMode = kImageViewResult;
    gUpdatesSuspended = false;
  }

  static float* Plane(FBFrameStruct* f, int plane, int32_t x, int32_t y) {
    return reinterpret_cast<float*>(f->baseAddr + size_t(plane) * f->planeBytes + size_t(y) * f->rowBytes) + x;
  }
  static void SetPlanes(FBFrameStruct* f, int32_t x, int32_t y, float r, float g, float b, float luma) {
    const float v[4] = {r, g, b, luma};
    for (int p = 0; p < 4; ++p) *Plane(f, p, x, y) = v[p];
  }

  // A picture's pixel as 8-bit red, green, blue.
  static void RGB8(TKImage* picture, int32_t x, int32_t y, int* r, int* g, int* b) {
    const uint32_t v = TKImageGetPixel(picture, x, y);
    *r = int((v >> 16) & 0xFF), *g = int((v >> 8) & 0xFF), *b = int(v & 0xFF);
  }

  // Holds Caps Lock (or lets it go) as the event system sees it.
  static void CapsLock(bool down) {
    TKInjectModifiers(down ? uint32_t(kTKModCapsLock) : 0u);
    TKRunPending();
  }

  TKWindow* window = nullptr;
};
