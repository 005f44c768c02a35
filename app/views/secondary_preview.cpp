// The secondary monitor: a borderless window over a second display whose
// image pane shows the current view through the "Secondary LUT".
#include "app/state/view_state.h"
#include "app/views/central_update.h"
#include "app/views/image_pane.h"
#include "app/views/pictures.h"
#include "app/views/preview_outputs.h"
#include "app/views/preview_outputs_internal.h"
#include "core/task_pool.h"
#include "core/tonal_preview.h"
#include "platform/ui/toolkit.h"
#include "settings/prefs.h"

namespace {

TKWindow* gSecondaryWindow = nullptr;
TKControl* gSecondaryPane = nullptr;

bool sameSize(const FBFrameStruct* frame, TKImage* picture) {
  return frame && picture && int32_t(frame->width) == TKImageWidth(picture) &&
         int32_t(frame->height) == TKImageHeight(picture);
}

// A frame converted into the secondary picture, when the sizes agree (the
// only refusal, checked first).
void convertInto(const FBFrameStruct* frame) {
  if (sameSize(frame, gSecondaryGWorld)) QVIgnoreStatus(ConvertFrameToPicture(frame, gSecondaryGWorld));
}

}  // namespace

void UpdateSecondaryPreview(bool drawNow) {
  if (!gSecondaryGWorld || !gSecondaryPane) return;
  // A new exchange may bring frames of another size: the picture follows.
  if (gResultGWorld && (TKImageWidth(gResultGWorld) != TKImageWidth(gSecondaryGWorld) ||
                        TKImageHeight(gResultGWorld) != TKImageHeight(gSecondaryGWorld))) {
    TKImage* resized = TKImageCreate(TKImageWidth(gResultGWorld), TKImageHeight(gResultGWorld));
    if (!resized) return;
    // A pane whose floating window will not open keeps drawing in its own.
    QVIgnoreStatus(SetImagePaneImage(gSecondaryPane, resized));
    TKImageDispose(gSecondaryGWorld);
    gSecondaryGWorld = resized;
  }
  switch (gImageViewMode) {
    case kImageViewReference:
      if (gReferenceGWorld) {
        // A copy between pictures always succeeds.
        QVIgnoreStatus(CopyGWorldRect(gReferenceGWorld, gSecondaryGWorld,
                                      TKMakeRect(0, 0, TKImageWidth(gReferenceGWorld), TKImageHeight(gReferenceGWorld)),
                                      TKMakeRect(0, 0, TKImageWidth(gSecondaryGWorld), TKImageHeight(gSecondaryGWorld)),
                                      kCopyModeSource));
      } else {
        const TKColor background = PreviewPaneBackground();
        EraseGWorldRect(gSecondaryGWorld, nullptr, &background);
      }
      break;
    case kImageViewSource:
      convertInto(gSourceFrame);
      break;
    default:
      if (gUpdatesSuspended)
        DrawUpdatesSuspended(gSecondaryGWorld);
      else
        convertInto(gResultFrame);
      break;
  }
  if (gImageViewMode == kImageViewLumaRanges && !gUpdatesSuspended && sameSize(gSourceFrame, gSecondaryGWorld)) {
    ProcessHMSPreview(gSourceFrame, TKImagePixels(gSecondaryGWorld), uint32_t(TKImageRowBytes(gSecondaryGWorld)),
                      kFBPixFormat32ARGB, gNumProcessors, &gVLMPMaster);
    TKImageMarkDirty(gSecondaryGWorld);
  } else if (gImageViewMode == kImageViewSplitSource) {
    CopyWithSplitMask(gSourceGWorld, gSecondaryGWorld, gSplitMaskGWorld);
  } else if (gImageViewMode == kImageViewSplitRef) {
    CopyWithSplitMask(gReferenceGWorld, gSecondaryGWorld, gSplitMaskGWorld);
  }
  DrawOrInvalidateImagePane(gSecondaryPane, drawNow);
}

void OpenSecondaryPreviewWindow(int32_t display) {
  CloseSecondaryPreviewWindow();
  // Displays count from 1 in the system's order; the main display is never
  // the secondary one.
  const int32_t index = display - 1;
  if (display <= 0 || index >= TKDisplayCount() || index == TKGetMainDisplay()) return;
  const TKRect bounds = TKGetDisplayBounds(index);
  if (TKRectEmpty(bounds)) return;
  // The secondary picture has the result's size.
  const int32_t width = gResultGWorld ? TKImageWidth(gResultGWorld) : 0;
  const int32_t height = gResultGWorld ? TKImageHeight(gResultGWorld) : 0;
  if (width <= 0 || height <= 0) return;
  TKImage* picture = TKImageCreate(width, height);
  if (!picture) return;
  TKWindow* window = TKCreateWindow(kTKWindowBorderless, bounds, "Secondary Preview");
  TKControl* pane = nullptr;
  if (!window || CreateImagePane(window, TKMakeRect(0, 0, TKRectWidth(bounds), TKRectHeight(bounds)), &pane) != kQVNoErr) {
    if (window) TKDisposeWindow(window);
    TKImageDispose(picture);
    return;
  }
  TKSetWindowContentColor(window, TKColor{0, 0, 0, 1});
  ImagePaneResetViewRect(pane, false);
  EraseGWorld(picture, nullptr);
  gSecondaryGWorld = picture;
  QVIgnoreStatus(SetImagePaneImage(pane, picture));  // a pane without floating has nothing to fail
  ImagePaneSetPixelAspect(pane, ImagePaneGetPixelAspect(GetViewPane(kPaneResult)));
  ImagePaneSetLUT(pane, gPrefsSettings.lut[kPFLUTSecondary]);
  ImagePaneSetLUTIndexRef(pane, &gPrefsSettings.lutIndex[kPFLUTSecondary]);
  gSecondaryWindow = window;
  gSecondaryPane = pane;
  TKShowWindow(window);
  UpdateSecondaryPreview(true);
}

void CloseSecondaryPreviewWindow() {
  if (gSecondaryWindow) {
    TKHideWindow(gSecondaryWindow);
    // Taking the picture away opens no window and cannot fail.
    if (gSecondaryPane) QVIgnoreStatus(SetImagePaneImage(gSecondaryPane, nullptr));
    TKDisposeWindow(gSecondaryWindow);
  }
  gSecondaryWindow = nullptr;
  gSecondaryPane = nullptr;
  TKImageDispose(gSecondaryGWorld);
  gSecondaryGWorld = nullptr;
}

void ShowSecondaryPreviewWindow(bool shown) {
  if (!gSecondaryWindow) return;
  if (shown)
    TKShowWindow(gSecondaryWindow);
  else
    TKHideWindow(gSecondaryWindow);
}

TKWindow* SecondaryPreviewWindow() { return gSecondaryWindow; }
TKControl* SecondaryPreviewPane() { return gSecondaryPane; }
