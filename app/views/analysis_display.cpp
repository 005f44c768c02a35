// The analysis display of pane layout 2: the shared scope picture, drawing
// the chosen kind into it and the zoom wheels.
#include "app/views/analysis_panes.h"

#include "app/state/view_state.h"
#include "app/state/views_hooks.h"
#include "app/views/histogram.h"
#include "app/views/image_pane.h"
#include "app/views/tone_curve.h"
#include "app/views/transport_bar.h"
#include "app/views/vectorscope.h"
#include "platform/ui/ui_control.h"
#include "platform/ui/ui_draw.h"
#include "settings/prefs.h"

UIImage* gScopePicture = nullptr;
UIControl* gAnalysisPanes[13] = {};

namespace {

// The picture the scopes read in the current view; none for the result
// while the preview movie plays or a rapid preview renders (the scopes then
// show their graticules alone).
UIImage* ScopeInputPicture() {
  if (gImageViewMode == kImageViewSource) return gSourceGWorld;
  if (gImageViewMode == kImageViewReference) return gReferenceGWorld;
  if (gPreviewPlaying || gRapidPreviewRendering) return nullptr;
  return gResultGWorld;
}

UIRect LocalBounds(UIControl* pane) {
  const UIRect b = UIGetControlBounds(pane);
  return UIMakeRect(0, 0, UIRectWidth(b), UIRectHeight(b));
}

}  // namespace

void DrawAnalysisPanes(bool drawNow) {
  if (!gScopePicture) return;
  UIContext* ctx = UIBeginDrawing(gScopePicture);
  UIClear(ctx, UIColor{0, 0, 0, 1});
  UIEndDrawing(ctx);
  UIImage* picture = ScopeInputPicture();
  const int32_t kind = gAnalysisPaneKind;
  if (kind == kAnalysisCombo) {
    DrawComboPane(gScopePicture, nullptr, picture);
  } else if (kind >= kAnalysisLumaWFM && kind <= kAnalysisOverlayWFM) {
    DrawScopeByKind(kind - kAnalysisLumaWFM + kScopeLumaWFM, gScopePicture, nullptr, picture);
  } else if (kind == kAnalysisVectorscope) {
    DrawVectorscopePane(gScopePicture, nullptr, picture, gVectorscopeZoom);
  } else if (kind == kAnalysisHistograms) {
    DrawHistogramPane(gScopePicture, nullptr, picture, true);
  } else if (kind == kAnalysisToneCurve) {
    DrawToneCurvePane(gScopePicture, nullptr, picture, gImageViewMode != kImageViewSource);
  } else {
    return;  // Reference and Gallery are drawn elsewhere
  }
  if (kind >= 0 && kind < 13 && gAnalysisPanes[kind]) DrawOrInvalidateImagePane(gAnalysisPanes[kind], drawNow);
}

QVStatus VectorscopeWheelZoom(UIControl*, int32_t, int32_t, int32_t axis, int32_t delta, uint32_t) {
  if (axis != 1) return kQVErrNotHandled;
  gVectorscopeZoom = WheelZoomStep(gVectorscopeZoom, delta);
  DrawAnalysisPanes(true);
  return kQVNoErr;
}

QVStatus ComboWheelZoom(UIControl* pane, int32_t x, int32_t y, int32_t axis, int32_t delta, uint32_t) {
  if (axis != 1) return kQVErrNotHandled;
  const int32_t quadrant = ComboQuadrantAt(LocalBounds(pane), x, y);
  if (gPrefsSettings.comboQuadrant[quadrant] != kScopeVectorscope) return kQVNoErr;
  gComboVectorscopeZoom = WheelZoomStep(gComboVectorscopeZoom, delta);
  DrawAnalysisPanes(true);
  return kQVNoErr;
}

void InstallAnalysisPanes() {
  ViewsHooksInForce().drawAnalysisPanes = DrawAnalysisPanes;
  if (UIControl* combo = gAnalysisPanes[kAnalysisCombo]) {
    ImagePaneSetWheelProc(combo, ComboWheelZoom);
    ImagePaneSetClickProc(combo, [](UIControl* pane, int32_t x, int32_t y, uint32_t modifiers, int32_t kind) {
      ShowComboQuadrantMenu(pane, x, y, modifiers, kind);
    });
  }
  if (UIControl* vectorscope = gAnalysisPanes[kAnalysisVectorscope]) {
    ImagePaneSetWheelProc(vectorscope, VectorscopeWheelZoom);
    ImagePaneSetClickProc(vectorscope, [](UIControl* pane, int32_t x, int32_t y, uint32_t modifiers, int32_t kind) {
      ShowVectorscopeZoomMenu(pane, x, y, modifiers, kind);
    });
  }
}
