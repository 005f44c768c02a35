#include "app/window/pane_selectors.h"

#include <algorithm>

#include "app/controls/tab_group.h"
#include "app/library/gallery_pane.h"
#include "app/state/view_state.h"
#include "app/views/analysis_panes.h"
#include "app/views/central_update.h"
#include "app/views/image_pane.h"
#include "app/views/transport_bar.h"
#include "app/window/correction_tabs.h"
#include "app/window/main_window.h"
#include "app/window/main_window_geometry.h"
#include "platform/ui/toolkit.h"
#include "settings/prefs.h"

TKControl* gImagePaneTabs = nullptr;
TKControl* gAnalysisPaneTabs = nullptr;
TKControl* gGalleryControl = nullptr;
TKControl* gImageTransportBars[6] = {};
TKControl* gReferenceTransportBar = nullptr;

const uint32_t kImageViewTransportParts[6] = {kTransportAllParts, kTransportAllParts, 15, 14, 14, kTransportAllParts};

namespace {

constexpr uint32_t kReferenceParts = 15;

}  // namespace

const VFTabEntry kImageViews[6] = {{"Result", 1, 1},       {"Source", 1, 0},    {"Reference", 1, 0},
                                   {"Split Source", 1, 0}, {"Split Ref", 1, 0}, {"Luma Ranges", 1, 0}};

namespace {
// The analysis selector's tabs: the scope kinds' names, the first selected.
struct AnalysisDisplays {
  VFTabEntry entries[kScopeKindCount];
  constexpr AnalysisDisplays() : entries{} {
    for (int32_t i = 0; i < kScopeKindCount; ++i) entries[i] = VFTabEntry{kScopeKinds[i].name, 1, i == 0};
  }
};
constexpr AnalysisDisplays kAnalysisDisplays;

// One image view: the pane it puts in place, the frame sampling reads, and
// whether it shows the split line, uses the preview LUT and is the main image.
struct ImageViewItem {
  ImagePaneMask pane;
  FBFrameStruct** frame;
  bool splitLine;
  bool previewLUT;
  bool mainImage;
};
const ImageViewItem kImageViewItems[6] = {
    {kPaneResult, &gResultFrame, false, true, true},     {kPaneSource, &gSourceFrame, false, true, true},
    {kPaneReference, nullptr, false, true, false},       {kPaneSplitSource, &gResultFrame, true, true, true},
    {kPaneSplitRef, &gResultFrame, true, true, true},    {kPaneLumaRanges, &gResultFrame, false, false, true},
};

}  // namespace

void UsePrimaryPreviewLUT(TKControl* pane) {
  ImagePaneSetLUT(pane, gPrefsSettings.lut[kPFLUTPrimary]);
  ImagePaneSetLUTIndexRef(pane, &gPrefsSettings.lutIndex[kPFLUTPrimary]);
}

QVStatus CreateImagePaneWithBar(TKWindow* window, TKControl* content, const TKRect& paneRect, const TKRect& barRect,
                                uint32_t parts, TKControl** outPane, TKControl** outBar) {
  TKControl* pane = nullptr;
  if (QVStatus status = CreateImagePane(window, paneRect, &pane)) return status;
  // Embedding a control made in the parent's window cannot fail.
  QVIgnoreStatus(TKEmbedControl(pane, content));
  ImagePaneSetTrackingEnabled(pane, true);
  TKControl* bar = nullptr;
  if (QVStatus status = CreateTransportBar(window, barRect, gNextValueControlID++, parts, &bar)) return status;
  // Likewise the bar.
  QVIgnoreStatus(TKEmbedControl(bar, content));
  TransportSetPane(bar, pane);
  ImagePaneSetLinkedControl(pane, bar);
  *outPane = pane;
  if (outBar) *outBar = bar;
  return kQVNoErr;
}

int32_t RestoredImageViewItem(int32_t stored) { return stored >= 1 && stored <= 6 ? stored - 1 : -1; }

int32_t RestoredAnalysisItem(int32_t stored) {
  return stored >= 1 && stored < kScopeKindCount ? stored - 1 : -1;
}

QVStatus BuildImagePaneTabs(TKWindow* window, TKControl* root, const MainWindowGeometry& geometry) {
  TKControl* group = nullptr;
  if (QVStatus status = CreateTabGroup(window, geometry.imageSelector, 6, kImageViews, false, &group)) return status;
  // Embedding a control made in the parent's window cannot fail.
  QVIgnoreStatus(TKEmbedControl(group, root));
  TabGroupSetSwitchProc(group, ImageViewModeSwitchProc);
  gImagePaneTabs = group;
  for (int32_t i = 0; i < 6; ++i) {
    const ImageViewItem& item = kImageViewItems[i];
    TKControl* pane = nullptr;
    if (QVStatus status = CreateImagePaneWithBar(window, TabGroupGetPane(group, i), geometry.imagePane,
                                                 geometry.imageTransport, kImageViewTransportParts[i], &pane,
                                                 &gImageTransportBars[i]))
      return status;
    SetViewPane(item.pane, pane);
    if (item.mainImage) ImagePaneSetRole(pane, 1);
    if (item.previewLUT) UsePrimaryPreviewLUT(pane);
    ImagePaneSetSplitLineShown(pane, item.splitLine);
  }
  // The result pane alone takes the custom cursors.
  ImagePaneSetCustomCursors(GetViewPane(kPaneResult), true, kTKCursorArrow, kTKCursorCrosshair, kTKCursorHand);
  SetMainWindowPanePictures();
  gImageViewMode = kImageViewResult;
  gCurrentImagePane = GetViewPane(kPaneResult);
  const int32_t restored = RestoredImageViewItem(gPrefsSettings.rightPaneDefault);
  if (restored > 0) TabGroupSelect(group, restored);
  return kQVNoErr;
}

QVStatus BuildAnalysisPaneTabs(TKWindow* window, TKControl* root, const MainWindowGeometry& geometry) {
  TKControl* group = nullptr;
  if (QVStatus status = CreateTabGroup(window, geometry.analysisSelector, kScopeKindCount,
                                       kAnalysisDisplays.entries, false, &group))
    return status;
  // Embedding a control made in the parent's window cannot fail.
  QVIgnoreStatus(TKEmbedControl(group, root));
  TabGroupSetSwitchProc(group, AnalysisPaneSwitchProc);
  gAnalysisPaneTabs = group;
  gAnalysisPaneKind = kAnalysisCombo;

  // The reference pane, drawn together with the image selector's.
  TKControl* reference = nullptr;
  if (QVStatus status =
          CreateImagePaneWithBar(window, TabGroupGetPane(group, kAnalysisReference), geometry.analysisPane,
                                 geometry.analysisTransport, kReferenceParts, &reference, &gReferenceTransportBar))
    return status;
  UsePrimaryPreviewLUT(reference);
  SetViewPane(kPaneReferenceAnalysis, reference);
  // On failure the pane keeps drawing into its window.
  QVIgnoreStatus(SetImagePaneImage(reference, gReferenceGWorld));
  if (TKControl* other = GetViewPane(kPaneReference)) {
    ImagePaneSetSecondLinkedControl(reference, other);
    ImagePaneSetSecondLinkedControl(other, reference);
  }

  // One scope picture for every display, the size of a pane's view area.
  if (gScopePicture) TKImageDispose(gScopePicture);
  const TKRect view = TKRectInset(geometry.analysisPane, 2, 2);
  gScopePicture = TKImageCreate(std::max(1, TKRectWidth(view)), std::max(1, TKRectHeight(view)));
  if (gScopePicture) {
    TKContext* ctx = TKBeginDrawing(gScopePicture);
    TKClear(ctx, TKColor{0, 0, 0, 1});
    TKEndDrawing(ctx);
  }
  // A pane for every kind drawn on the scope picture, the combo's last.
  auto makePane = [&](const ScopeKind& kind) -> QVStatus {
    TKControl* pane = nullptr;
    if (QVStatus status = CreateImagePane(window, geometry.analysisPane, &pane)) return status;
    // Embedding a control made in the parent's window cannot fail.
    QVIgnoreStatus(TKEmbedControl(pane, TabGroupGetPane(group, kind.pane)));
    // Without a scope picture the panes stay empty.
    // On failure the pane keeps drawing into its window.
    if (gScopePicture) QVIgnoreStatus(SetImagePaneImage(pane, gScopePicture));
    gAnalysisPanes[kind.pane] = pane;
    SetViewPane(kind.viewPane, pane);
    return kQVNoErr;
  };
  for (const ScopeKind& kind : kScopeKinds)
    if (kind.viewPane != 0 && kind.pane != kAnalysisCombo)
      if (QVStatus status = makePane(kind)) return status;
  if (QVStatus status = makePane(kScopeKinds[kAnalysisCombo])) return status;
  InstallAnalysisPanes();
  // The gallery sits in the analysis selector's "Gallery" pane.
  gGalleryControl = nullptr;
  if (QVStatus status = CreateGalleryControl(window, geometry.analysisPane, TabGroupGetPane(group, kAnalysisGallery),
                                             gNextValueControlID++, &gGalleryControl))
    return status;

  const int32_t restored = RestoredAnalysisItem(gPrefsSettings.leftPaneDefault);
  if (restored > 0) TabGroupSelect(group, restored);
  return kQVNoErr;
}

void SetMainWindowPanePictures() {
  SetViewPanePictures();
  for (const ImageViewItem& item : kImageViewItems)
    ImagePaneSetFrameBuffer(GetViewPane(item.pane), item.frame ? *item.frame : nullptr);
  ImagePaneSetFrameBuffer(GetLayoutImagePane(1), gResultFrame);
}

void ForgetPaneSelectors() {
  ForgetGalleryPane();
  gImagePaneTabs = gAnalysisPaneTabs = gGalleryControl = gReferenceTransportBar = nullptr;
  for (TKControl*& bar : gImageTransportBars) bar = nullptr;
  for (TKControl*& pane : gAnalysisPanes) pane = nullptr;
  if (gScopePicture) TKImageDispose(gScopePicture);
  gScopePicture = nullptr;
}
