// The Curves tab's eyedropper procedures: black point, white point and grey
// balance on the red, green and blue curves from a sampled colour. Each is
// one undo step; points stay in ascending x (see curve_point_edits.h).
#include <cstring>

#include "app/controls/bound_controls.h"
#include "app/controls/color_swatch.h"
#include "app/controls/curve_editor.h"
#include "app/controls/curve_editor_internal.h"
#include "app/controls/curve_point_edits.h"
#include "app/controls/tab_group.h"
#include "app/state/view_state.h"
#include "platform/ui/toolkit.h"

namespace {

using ChannelEdit = void (*)(VL_CurveControls* curve, TKControl* editor, float value, float target);

// An eyedropper that takes its own undo step around the pick (and so
// around the colour it stores) holds the edit in that step.
bool PickMakesUndoStep(TKControl* eyedropper) {
  uint8_t undo = 0;
  return eyedropper && TKGetControlProperty(eyedropper, kVFCreator, kVFPropUndo, &undo, 1, nullptr) == kQVNoErr &&
         undo != 0;
}

void EditChannels(TKControl* eyedropper, const float rgb[3], bool redraw, float target, ChannelEdit edit) {
  // Called without its button, the procedure drops the focus of the editors' window.
  CurveEditorFocus(eyedropper ? eyedropper : CurveEditorForCurve(kVLCurveRed));
  const bool ownStep = !PickMakesUndoStep(eyedropper);
  if (ownStep) CurveEditBegin();
  for (int32_t c = kVLCurveRed; c <= kVLCurveBlue; ++c)
    edit(&gUISettings.rgbCurves[c], CurveEditorForCurve(c), rgb[c - kVLCurveRed], target);
  if (TKControl* red = CurveEditorForCurve(kVLCurveRed)) EnableEnclosingTabs(red, 1, true);
  if (redraw) {
    for (int32_t c = kVLCurveRed; c <= kVLCurveBlue; ++c)
      if (TKControl* editor = CurveEditorForCurve(c)) TKDrawControl(editor);
    VFUpdatePreview();
  }
  if (ownStep) CurveEditEnd();
}

}  // namespace

void CurvesSetBlackPoint(TKControl* eyedropper, const float rgb[3], bool redraw) {
  EditChannels(eyedropper, rgb, redraw, 0.0f,
               [](VL_CurveControls* curve, TKControl*, float value, float) { CurveSetBlackPointX(curve, value); });
}

void CurvesSetWhitePoint(TKControl* eyedropper, const float rgb[3], bool redraw) {
  EditChannels(eyedropper, rgb, redraw, 1.0f,
               [](VL_CurveControls* curve, TKControl*, float value, float) { CurveSetWhitePointX(curve, value); });
}

void CurvesSetGrayPoint(TKControl* eyedropper, const float rgb[3], bool redraw) {
  EditChannels(eyedropper, rgb, redraw, CurveGreyTarget(rgb[0], rgb[1], rgb[2]),
               [](VL_CurveControls* curve, TKControl* editor, float value, float target) {
                 if (editor)
                   CurveSetPoint(editor, value, target);
                 else
                   CurveSetPointAt(curve, value, target);
               });
}
