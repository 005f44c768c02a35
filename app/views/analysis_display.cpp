// The analysis display of pane layout 2: the shared scope picture, drawing
// the chosen kind into it and the zoom wheels.
#include "app/views/analysis_panes.h"

#include "app/state/view_state.h"
#include "app/state/views_hooks.h"
#include "app/views/histogram.h"
#include "app/views/image_pane.h"
#include "app/views/scope_backdrop.h"
#include "app/views/tone_curve.h"
#include "app/views/transport_bar.h"
#include "app/views/vectorscope.h"
#include "platform/ui/ui_control.h"
#include "platform/ui/ui_draw.h"
#include "settings/prefs.h"

TKImage* gScopePicture = nullptr;
TKControl* gAnalysisPanes[kScopeKindCount] = {};

namespace {

// The picture the scopes read in the current view; none for the result
// while the preview movie plays or a rapid preview renders (the scopes then
// show their graticules alone).
TKImage* ScopeInputPicture() {
  if (gImageViewMode == kImageViewSource) return gSourceGWorld;
  if (gImageViewMode == kImageViewReference) return gReferenceGWorld;
  if (gPreviewPlaying || gRapidPreviewRendering) return nullptr;
  return gResultGWorld;
}

TKRect LocalBounds(TKControl* pane) {
  const TKRect b = TKGetControlBounds(pane);
  return TKMakeRect(0, 0, TKRectWidth(b), TKRectHeight(b));
}

}  // namespace

void DrawAnalysisPanes(bool drawNow) {
  if (!gScopePicture) return;
  const ScopeKind* kind = ScopeKindOfPane(gAnalysisPaneKind);
  // A kind that fills the picture itself is spared a fill of every pixel
  // that it would only fill again.
  if (!kind || !kind->draw || !kind->clearsRect)
    ScopeFillRect(gScopePicture, TKMakeRect(0, 0, TKImageWidth(gScopePicture), TKImageHeight(gScopePicture)),
                  kScopeBlackPixel);
  if (!kind || !kind->draw) return;  // the reference pane and the gallery are drawn elsewhere
  kind->draw(*kind, gScopePicture, nullptr, ScopeInputPicture(), false);
  if (TKControl* pane = gAnalysisPanes[kind->pane]) DrawOrInvalidateImagePane(pane, drawNow);
}

QVStatus VectorscopeWheelZoom(TKControl*, int32_t, int32_t, int32_t axis, int32_t delta, uint32_t) {
  if (axis != 1) return kQVErrNotHandled;
  gVectorscopeZoom = WheelZoomStep(gVectorscopeZoom, delta);
  DrawAnalysisPanes(true);
  return kQVNoErr;
}

QVStatus ComboWheelZoom(TKControl* pane, int32_t x, int32_t y, int32_t axis, int32_t delta, uint32_t) {
  if (axis != 1) return kQVErrNotHandled;
  const int32_t quadrant = ComboQuadrantAt(LocalBounds(pane), x, y);
  const ScopeKind* kind = ScopeKindOfDisplay(gPrefsSettings.comboQuadrant[quadrant]);
  if (!kind || !kind->zooms) return kQVNoErr;
  gComboVectorscopeZoom = WheelZoomStep(gComboVectorscopeZoom, delta);
  DrawAnalysisPanes(true);
  return kQVNoErr;
}

void InstallAnalysisPanes() {
  ViewsHooksInForce().drawAnalysisPanes = DrawAnalysisPanes;
  if (TKControl* combo = gAnalysisPanes[kAnalysisCombo]) {
    ImagePaneSetWheelProc(combo, ComboWheelZoom);
    ImagePaneSetClickProc(combo, [](TKControl* pane, int32_t x, int32_t y, uint32_t modifiers, int32_t kind) {
      // The menu's choice acts by itself; nothing to report from a click.
      QVIgnoreStatus(ShowComboQuadrantMenu(pane, x, y, modifiers, kind));
    });
  }
  if (TKControl* vectorscope = gAnalysisPanes[kAnalysisVectorscope]) {
    ImagePaneSetWheelProc(vectorscope, VectorscopeWheelZoom);
    ImagePaneSetClickProc(vectorscope, [](TKControl* pane, int32_t x, int32_t y, uint32_t modifiers, int32_t kind) {
      // The menu's choice acts by itself; nothing to report from a click.
      QVIgnoreStatus(ShowVectorscopeZoomMenu(pane, x, y, modifiers, kind));
    });
  }
}
