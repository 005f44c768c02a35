// What happens when a tab of the main window changes (image view, analysis
// display, levels channel, correction tab), the picture pane, and the
// routines over all image panes.
#include "app/controls/bound_controls.h"
#include "app/controls/composite_controls.h"
#include "app/controls/control_pictures.h"
#include "app/controls/settings_sync.h"
#include "app/controls/tab_group.h"
#include "app/state/interface_colors.h"
#include "app/state/view_state.h"
#include "app/state/views_hooks.h"
#include "app/views/central_update.h"
#include "app/views/histogram.h"
#include "app/views/image_pane.h"
#include "app/views/pictures.h"
#include "app/views/scope_kinds.h"
#include "app/window/main_window.h"
#include "app/window/pane_selectors.h"
#include "core/process_image.h"
#include "core/processing_tables.h"
#include "core/task_pool.h"
#include "core/tonal_preview.h"
#include "platform/ui/toolkit.h"
#include "settings/prefs.h"

int32_t gLevelsTabIndex = 0;

namespace {

constexpr int kPictureFill = 0;
constexpr int kPictureChoiceColor = 19;

constexpr uint32_t kSecondaryGroupBit = 1u << kVLMaskBitSecondary;
constexpr uint32_t kGeometryItemBit = 0x1000;
constexpr int32_t kGeometryPreviewWord = 2;

MainWindowGalleryHooks gGallery;

void ShowGallery(bool shown) {
  if (gGallery.show) gGallery.show(shown);
}

// The split views: the mask from the visible split line, the result (or the
// suspended picture) with the source or reference through the mask.
void ShowSplit(ImageViewMode mode, TKControl* pane) {
  float x1 = 0, y1 = 0, x2 = 1, y2 = 1;
  ImagePaneFitPicture(pane);
  GetVisibleSplitLine(pane, &x1, &y1, &x2, &y2);
  BuildSplitViewMask(gSplitMaskGWorld, x1, y1, x2, y2);
  // Frames and pictures are made together at one size; without them the picture stays as it is.
  QVIgnoreStatus(ConvertFrameToPicture(gSourceFrame, gSourceGWorld));
  if (gUpdatesSuspended)
    DrawUpdatesSuspended(gSplitGWorld);
  else
    QVIgnoreStatus(ConvertFrameToPicture(gResultFrame, gSplitGWorld));
  CopyWithSplitMask(mode == kImageViewSplitSource ? gSourceGWorld : gReferenceGWorld, gSplitGWorld, gSplitMaskGWorld);
}

void ShowLumaRanges() {
  if (gUpdatesSuspended) {
    DrawUpdatesSuspended(gSplitGWorld);
    return;
  }
  if (gSourceFrame && gSplitGWorld && int32_t(gSourceFrame->width) == TKImageWidth(gSplitGWorld) &&
      int32_t(gSourceFrame->height) == TKImageHeight(gSplitGWorld)) {
    ProcessHMSPreview(gSourceFrame, TKImagePixels(gSplitGWorld), uint32_t(TKImageRowBytes(gSplitGWorld)),
                      kFBPixFormat32ARGB, gNumProcessors, &gVLMPMaster);
    TKImageMarkDirty(gSplitGWorld);
  }
}

}  // namespace

MainWindowGalleryHooks& MainWindowGallery() { return gGallery; }

void ImageViewModeSwitchProc(int32_t oldIndex, int32_t newIndex) {
  if (newIndex < kImageViewResult || newIndex > kImageViewLumaRanges) return;
  ViewsHooks& hooks = ViewsHooksInForce();
  const auto mode = ImageViewMode(newIndex);
  gImageViewMode = mode;
  // Source and Luma Ranges leave the result as it was: bring it up to date.
  if (oldIndex == kImageViewSource || oldIndex == kImageViewLumaRanges) {
    // The source and result frames are made together: the pass cannot refuse them.
    QVIgnoreStatus(ProcessFrameWithSettings(gSourceFrame, gResultFrame, &gUISettings));
    RedrawImagePanes(false);
  }
  gCurrentImagePane = GetModeViewPane(mode);
  switch (mode) {
    case kImageViewSource:
      // Frames and pictures are made together at one size; without them the picture stays as it is.
      QVIgnoreStatus(ConvertFrameToPicture(gSourceFrame, gSourceGWorld));
      hooks.drawAnalysisPanes(true);
      break;
    case kImageViewReference:
      hooks.drawAnalysisPanes(true);
      break;
    case kImageViewSplitSource:
    case kImageViewSplitRef:
      ShowSplit(mode, gCurrentImagePane);
      break;
    case kImageViewLumaRanges:
      ShowLumaRanges();
      break;
    default:
      break;
  }
  if (mode != kImageViewSource && mode != kImageViewReference &&
      (oldIndex == kImageViewSource || oldIndex == kImageViewReference) && !gUpdatesSuspended)
    hooks.drawAnalysisPanes(true);
  DrawOrInvalidateImagePane(gCurrentImagePane, false);
  hooks.outputExternalPreviewFrame();
  hooks.updateVideoOutputFrame(gPrefsSettings.externalPreviewDevice);
  hooks.updateSecondaryPreview(true);
}

void AnalysisPaneSwitchProc(int32_t, int32_t newIndex) {
  if (!ScopeKindOfPane(newIndex)) return;
  // Against the kind last recorded: the old index given may be stale.
  if (gAnalysisPaneKind == kAnalysisGallery && newIndex != kAnalysisGallery) ShowGallery(false);
  if (gAnalysisPaneKind != kAnalysisGallery && newIndex == kAnalysisGallery) ShowGallery(true);
  gAnalysisPaneKind = AnalysisPaneKind(newIndex);
  ViewsHooksInForce().drawAnalysisPanes(false);
}

void LevelsChannelSwitchProc(int32_t, int32_t newIndex) {
  if (newIndex >= 0 && newIndex <= 3) gLevelsChannel = kLevelsChannelMaster + newIndex;
  RefreshLevelsHistograms(gLevelsChannel, true, false);
  gLevelsTabIndex = newIndex;
}

void CorrectionTabSwitchProc(int32_t oldIndex, int32_t newIndex) {
  if (oldIndex == kCorrectionTabSecondary) {
    // Previews of the secondaries show only while their tab does.
    for (uint32_t n = 0; n < 6; ++n) {
      if (!gUISettings.secondary[n].preview) continue;
      gUISettings.secondary[n].preview = 0;
      SyncControlsWithSettings(&gUISettings, kSecondaryGroupBit << n, 0, nullptr, 0);
      UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
    }
    for (uint32_t n = 0; n < 6; ++n) {
      uint32_t& preview = gUISettings.secondaryGeometry[n].head[kGeometryPreviewWord];
      if (!preview) continue;
      preview = 0;
      SyncControlsWithSettings(&gUISettings, 0, kGeometryItemBit << n, nullptr, 0);
      UpdatePreview(gSourceFrame, gResultFrame, &gUISettings, true);
    }
  }
  if (newIndex == kCorrectionTabLevels) RefreshLevelsHistograms(gLevelsChannel, true, true);
  SetMatchColorMode(newIndex);
  gCorrectionTab = newIndex;
}

void DrawPicturePane(TKControl* pane, TKContext* ctx) {
  const TKRect b = TKGetControlBounds(pane);
  TKSetFillColor(ctx, VFColor(kPictureFill));
  TKFillRect(ctx, b);
  const int32_t id = gInterfaceColors[kPictureChoiceColor].red <= 32768 ? kVFPaneArtworkDarkID : kVFPaneArtworkLightID;
  if (TKImage* picture = TKGetPicture(id)) {
    const int32_t height = TKImageHeight(picture);
    TKDrawImage(ctx, picture, nullptr, TKRect{b.bottom - height, b.left, b.bottom, b.right}, true);
  }
}

void SetMainWindowPaneLayout(int32_t layout) {
  if (layout != 1 && layout != 2) return;
  const bool large = layout == 1;
  gPaneLayout = layout;
  if (gLargeImageFrame) TKSetControlVisible(gLargeImageFrame, large);
  if (!large) ViewsHooksInForce().drawAnalysisPanes(true);
  for (TKControl* selector : {gImagePaneTabs, gAnalysisPaneTabs})
    if (selector) TKSetControlVisible(selector, !large);
  if (large) DrawOrInvalidateImagePane(gLargeImagePane, false);
}

void ShowPaneLayoutControls(bool shown) {
  if (shown) {
    SetMainWindowPaneLayout(gPaneLayout);
    return;
  }
  for (TKControl* control : {gLargeImageFrame, gImagePaneTabs, gAnalysisPaneTabs})
    if (control) TKSetControlVisible(control, false);
}

void SetCorrectionTabsEnabled(bool enable) {
  TKControl* groups[] = {gCorrectionTabs,          gVFTabGroups.hslSubTabs,     gVFTabGroups.ranges[0],
                         gVFTabGroups.ranges[1],   gVFTabGroups.ranges[2],      gVFTabGroups.ranges[3],
                         gVFTabGroups.levelsChannels, gVFTabGroups.secondaries};
  for (TKControl* group : groups)
    if (group) TabGroupSetActive(group, enable, true, true);
}

void SetPanesPixelAspect(float aspect) {
  for (ImagePaneMask bit : {kPaneResult, kPaneSource, kPaneSplitSource, kPaneSplitRef, kPaneLumaRanges})
    ImagePaneSetPixelAspect(GetViewPane(bit), aspect);
  ImagePaneSetPixelAspect(gLargeImagePane, aspect);
}

void ShowImagePanes(bool redraw) {
  for (ImagePaneMask bit : {kPaneResult, kPaneSource, kPaneSplitSource, kPaneSplitRef})
    ImagePaneResetView(GetViewPane(bit));
  ImagePaneResetView(gLargeImagePane);
  if (!redraw || gPaneLayout != 2) return;
  if (TKControl* bar = ImagePaneGetLinkedControl(gCurrentImagePane)) TKDrawControl(bar);
  if (gAnalysisPaneKind == kAnalysisReference)
    if (TKControl* bar = ImagePaneGetLinkedControl(GetViewPane(kPaneReferenceAnalysis))) TKDrawControl(bar);
}
