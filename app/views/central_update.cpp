#include "app/views/central_update.h"

#include <cstring>

#include "app/state/views_hooks.h"
#include "app/views/histogram.h"
#include "app/views/image_pane.h"
#include "app/views/pictures.h"
#include "core/process_image.h"
#include "core/processing_tables.h"
#include "core/task_pool.h"
#include "core/tonal_preview.h"
#include "platform/input_state.h"
#include "settings/prefs.h"

namespace {

TKControl* gMaskPanes[kImagePaneMaskBits] = {};
TKControl* gLayoutPanes[2] = {};     // layouts 1 and 3
TKControl* gReferencePanes[2] = {};  // slots 1 and 2

int32_t bitIndex(ImagePaneMask bit) {
  for (int32_t i = 0; i < kImagePaneMaskBits; ++i)
    if (bit == (ImagePaneMask(1) << i)) return i;
  return -1;
}

void feedOutputs(bool drawNow) {
  ViewsHooks& hooks = ViewsHooksInForce();
  hooks.outputExternalPreviewFrame();
  hooks.updateVideoOutputFrame(gPrefsSettings.externalPreviewDevice);
  hooks.updateSecondaryPreview(drawNow);
}

// Caps Lock down: the result stays as it is and the suspended picture takes
// its place in the view of the current mode.
void showSuspended(bool drawNow) {
  DrawUpdatesSuspended(gResultGWorld);
  ImagePaneMask pane = 0;
  switch (gImageViewMode) {
    case kImageViewSplitSource:
    case kImageViewSplitRef:
      // The source (or reference) side of the split stays live.
      DrawUpdatesSuspended(gSplitGWorld);
      CopyWithSplitMask(gImageViewMode == kImageViewSplitSource ? gSourceGWorld : gReferenceGWorld, gSplitGWorld,
                        gSplitMaskGWorld);
      pane = gImageViewMode == kImageViewSplitSource ? kPaneSplitSource : kPaneSplitRef;
      break;
    case kImageViewResult:
      pane = kPaneResult;
      break;
    case kImageViewLumaRanges:
      DrawUpdatesSuspended(gSplitGWorld);
      pane = kPaneLumaRanges;
      break;
    default:
      break;
  }
  if (pane) InvalidateImagePanes(pane, drawNow);
  feedOutputs(drawNow);
  ViewsHooksInForce().drawAnalysisPanes(drawNow);
}

}  // namespace

void SetViewPane(ImagePaneMask bit, TKControl* pane) {
  const int32_t i = bitIndex(bit);
  if (i >= 0) gMaskPanes[i] = pane;
}

TKControl* GetViewPane(ImagePaneMask bit) {
  const int32_t i = bitIndex(bit);
  return i >= 0 ? gMaskPanes[i] : nullptr;
}

void SetLayoutImagePane(int32_t layout, TKControl* pane) {
  if (layout == 1 || layout == 3) gLayoutPanes[layout == 3] = pane;
}

TKControl* GetLayoutImagePane(int32_t layout) {
  return layout == 1 || layout == 3 ? gLayoutPanes[layout == 3] : nullptr;
}

void SetReferenceImagePane(int32_t slot, TKControl* pane) {
  if (slot == 1 || slot == 2) gReferencePanes[slot - 1] = pane;
}

TKControl* GetReferenceImagePane(int32_t slot) { return slot == 1 || slot == 2 ? gReferencePanes[slot - 1] : nullptr; }

void ClearViewPanes() {
  for (TKControl*& pane : gMaskPanes) pane = nullptr;
  gLayoutPanes[0] = gLayoutPanes[1] = nullptr;
  gReferencePanes[0] = gReferencePanes[1] = nullptr;
  gCurrentImagePane = nullptr;
}

namespace {

struct PanePicture {
  ImagePaneMask pane;
  TKImage** picture;
  FBFrameStruct** readout;
};
const PanePicture kPanePictures[] = {
    {kPaneSource, &gSourceGWorld, &gSourceFrame},      {kPaneResult, &gResultGWorld, &gResultFrame},
    {kPaneReference, &gReferenceGWorld, nullptr},      {kPaneSplitSource, &gSplitGWorld, nullptr},
    {kPaneSplitRef, &gSplitGWorld, nullptr},           {kPaneLumaRanges, &gSplitGWorld, nullptr},
    {kPaneReferenceAnalysis, &gReferenceGWorld, nullptr},
};

// The view pane of each mode.
const ImagePaneMask kModePane[] = {kPaneResult,      kPaneSource,   kPaneReference,
                                   kPaneSplitSource, kPaneSplitRef, kPaneLumaRanges};

}  // namespace

void SetViewPanePictures() {
  for (const PanePicture& p : kPanePictures) {
    TKControl* pane = GetViewPane(p.pane);
    if (!pane) continue;
    // On failure the pane keeps drawing into its window.
    QVIgnoreStatus(SetImagePaneImage(pane, *p.picture));
    ImagePaneSetFrameBuffer(pane, p.readout ? *p.readout : nullptr);
  }
  // On failure the pane keeps drawing into its window.
  for (int32_t layout : {1, 3}) QVIgnoreStatus(SetImagePaneImage(GetLayoutImagePane(layout), gResultGWorld));
}

void SetViewPanesPixelAspect(float aspect) {
  for (TKControl* pane : gMaskPanes) ImagePaneSetPixelAspect(pane, aspect);
  for (TKControl* pane : gLayoutPanes) ImagePaneSetPixelAspect(pane, aspect);
}

TKControl* GetModeViewPane(ImageViewMode mode) {
  return mode >= kImageViewResult && mode <= kImageViewLumaRanges ? GetViewPane(kModePane[mode]) : nullptr;
}

void SetImageViewMode(ImageViewMode mode) {
  if (mode < kImageViewResult || mode > kImageViewLumaRanges) return;
  gImageViewMode = mode;
  gCurrentImagePane = GetModeViewPane(mode);
  for (ImagePaneMask bit : kModePane)
    if (TKControl* pane = GetViewPane(bit)) TKSetControlVisible(pane, pane == gCurrentImagePane);
  const bool split = mode == kImageViewSplitSource || mode == kImageViewSplitRef;
  ImagePaneSetSplitLineShown(gCurrentImagePane, split);
  RedrawImagePanes(true);
}

void UpdatePreview(FBFrameStruct* source, FBFrameStruct* result, const VL_SettingsStruct* settings, bool drawNow) {
  if (PLGetKeyboardModifiers() & kPLModifierCapsLock) {
    gUpdatesSuspended = true;
    showSuspended(drawNow);
    return;
  }
  gUpdatesSuspended = false;
  if (settings && source && result && VL_UpdateProcessingTables(settings) == kQVNoErr)
    // The frames are made together at one size: the pass cannot refuse them.
    QVIgnoreStatus(ProcessImage(source, result, 0, 0));
  RedrawImagePanes(drawNow);
}

void RedrawImagePanes(bool drawNow) {
  ViewsHooks& hooks = ViewsHooksInForce();
  // Frames and pictures are made together at one size; before the first frame
  // there is nothing to convert and the picture stays as it is.
  QVIgnoreStatus(ConvertFrameToPicture(gResultFrame, gResultGWorld));
  ImagePaneMask mask = 0;
  switch (gImageViewMode) {
    case kImageViewSplitSource:
      QVIgnoreStatus(ConvertFrameToPicture(gSourceFrame, gSourceGWorld));
      QVIgnoreStatus(ConvertFrameToPicture(gResultFrame, gSplitGWorld));
      CopyWithSplitMask(gSourceGWorld, gSplitGWorld, gSplitMaskGWorld);
      mask = kPaneSplitSource;
      break;
    case kImageViewReference:
      mask = kPaneReference;
      break;
    case kImageViewSplitRef:
      QVIgnoreStatus(ConvertFrameToPicture(gResultFrame, gSplitGWorld));
      CopyWithSplitMask(gReferenceGWorld, gSplitGWorld, gSplitMaskGWorld);
      mask = kPaneSplitRef;
      break;
    case kImageViewSource:
      QVIgnoreStatus(ConvertFrameToPicture(gSourceFrame, gSourceGWorld));
      mask = kPaneSource;
      break;
    case kImageViewResult:
      mask = kPaneResult;
      break;
    case kImageViewLumaRanges:
      if (gSourceFrame && gSplitGWorld && int32_t(gSourceFrame->width) == TKImageWidth(gSplitGWorld) &&
          int32_t(gSourceFrame->height) == TKImageHeight(gSplitGWorld)) {
        ProcessHMSPreview(gSourceFrame, TKImagePixels(gSplitGWorld), uint32_t(TKImageRowBytes(gSplitGWorld)),
                          kFBPixFormat32ARGB, gNumProcessors, &gVLMPMaster);
        TKImageMarkDirty(gSplitGWorld);
      }
      mask = kPaneLumaRanges;
      break;
  }
  if (gCorrectionTab == kCorrectionTabLevels) RefreshLevelsHistograms(gLevelsChannel, true, true);
  if (gCorrectionTab == kCorrectionTabLumaRange) {
    hooks.drawLumaRangeControl();
    mask |= kPaneLumaRanges;
  }
  if (gAnalysisPaneKind == kAnalysisReference) mask |= kPaneReferenceAnalysis;
  hooks.drawColorMatchGroup(drawNow);
  if (gPaneLayout == 3 || gPaneLayout == 1) DrawOrInvalidateImagePane(GetLayoutImagePane(gPaneLayout), drawNow);
  if (gPaneLayout == 2) hooks.drawAnalysisPanes(drawNow);
  InvalidateImagePanes(mask, drawNow);
  feedOutputs(drawNow);
}

void InvalidateImagePanes(ImagePaneMask mask, bool drawNow) {
  for (int32_t i = 0; i < kImagePaneMaskBits; ++i)
    if (mask & (ImagePaneMask(1) << i)) DrawOrInvalidateImagePane(gMaskPanes[i], drawNow);
}

QVStatus ProcessFrameWithSettings(FBFrameStruct* source, FBFrameStruct* result, const VL_SettingsStruct* settings) {
  if (!source || !result || !settings) return kQVErrParam;
  // The tables are rebuilt unless they already hold this very correction:
  // the same address may hold another record by now.
  if (!VL_ProcessingTablesBuiltFrom(settings))
    if (QVStatus status = VL_UpdateProcessingTables(settings)) return status;
  return ProcessImage(source, result, 0, 0);
}

QVStatus ProcessFrameIntoGWorld(FBFrameStruct* source, FBFrameStruct* result, TKImage* target,
                                const VL_SettingsStruct* settings, bool drawNow) {
  if (QVStatus status = ProcessFrameWithSettings(source, result, settings)) return status;
  ShowProcessedFrame(result, target, drawNow);
  return kQVNoErr;
}

void ShowProcessedFrame(const FBFrameStruct* frame, TKImage* target, bool drawNow) {
  // A frame and its picture are made together at one size; without them the picture stays as it is.
  QVIgnoreStatus(ConvertFrameToPicture(frame, target));
  if (drawNow) {
    DrawOrInvalidateImagePane(gReferencePanes[0], true);
    DrawOrInvalidateImagePane(gReferencePanes[1], true);
    DrawOrInvalidateImagePane(gCurrentImagePane, true);
  } else {
    DrawOrInvalidateImagePane(gReferencePanes[0], false);
    DrawOrInvalidateImagePane(gReferencePanes[1], false);
  }
  if (frame && frame == gResultFrame) feedOutputs(drawNow);
}

void ProcessColorSample(float* red, float* green, float* blue, float* luma, const VL_SettingsStruct* settings) {
  FBFrameStruct* frame = nullptr;
  if (!red || !green || !blue || !settings || FBCreateRGBFrameBuffer(4, 1, &frame, kFBPixFormatPlanarFloat)) {
    for (float* out : {red, green, blue, luma})
      if (out) *out = 0;
    return;
  }
  const float in[4] = {*red, *green, *blue, 0.299f * *red + 0.587f * *green + 0.114f * *blue};
  for (uint32_t plane = 0; plane < 4; ++plane) {
    float* row = reinterpret_cast<float*>(frame->baseAddr + size_t(plane) * frame->planeBytes);
    for (int x = 0; x < 4; ++x) row[x] = in[plane];
  }
  float out[4] = {0, 0, 0, 0};
  if (ProcessFrameWithSettings(frame, frame, settings) == kQVNoErr) {
    for (uint32_t plane = 0; plane < 4; ++plane)
      out[plane] = reinterpret_cast<const float*>(frame->baseAddr + size_t(plane) * frame->planeBytes)[0];
  }
  FBDisposeFrameBuffer(frame);
  *red = out[0];
  *green = out[1];
  *blue = out[2];
  if (luma) *luma = out[3];
}
