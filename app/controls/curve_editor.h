// The curve editor's operations beyond its creation (composite_controls.h)
// and binding (special_setters.h): setting a point from outside, the Curves
// tab's black, white and grey eyedropper procedures, dropping the focus, the
// readout, and the Curves tab's own controls.
#pragma once

#include <cstdint>

#include "platform/fourcc.h"

struct TKControl;

// Control ID signature of the editors ('VFcv' and the control number).
constexpr uint32_t kVFSigCurveEditor = QVFourCC("VFcv");

// Sets a point of the editor's curve at (x, y) (a point of exactly this x
// takes the y; a point on the identity line is ignored; at most 16 points)
// and clears the selection. No undo, no redraw: the caller does both.
void CurveSetPoint(TKControl* editor, float x, float y);

// Eyedropper procedures on the red, green and blue curves with a sampled
// colour: the first point becomes (channel, 0), the last (channel, 1), or the
// grey balance sets (channel, middle of the three) on each curve. Each is one
// undo step, switches the Curves tabs on and, with redraw, redraws the three
// editors and reprocesses.
void CurvesSetBlackPoint(TKControl* eyedropper, const float rgb[3], bool redraw);
void CurvesSetWhitePoint(TKControl* eyedropper, const float rgb[3], bool redraw);
void CurvesSetGrayPoint(TKControl* eyedropper, const float rgb[3], bool redraw);

// Drops the keyboard focus of the control's window; a focused curve editor
// loses its selected point and is redrawn.
void CurveEditorFocus(TKControl* control);

// Shows (x, y) in the editor's "Input:"/"Output:" readout, or clears it.
void CurveEditorDrawReadout(TKControl* editor, bool show, float x, float y);

// The Curves tab: its sub-tab group ("RGB", "HSL") and the controls that a
// map curve disables (the three eyedroppers and "Save...").
extern TKControl* gCurveSetTabs;
struct VFCurvesTabControls {
  TKControl* blackEyedropper = nullptr;
  TKControl* grayEyedropper = nullptr;
  TKControl* whiteEyedropper = nullptr;
  TKControl* saveButton = nullptr;
  TKControl* loadButton = nullptr;
};
extern VFCurvesTabControls gCurvesTabControls;
// Commands and control IDs (signature 'QVc3') of the Curves tab's buttons.
constexpr uint32_t kVFCommandSaveCurves = QVFourCC("VLsc");
constexpr uint32_t kVFCommandLoadCurves = QVFourCC("VLlc");
constexpr uint32_t kVFIDBlackEyedropper = QVFourCC("VLbs");
constexpr uint32_t kVFIDGrayEyedropper = QVFourCC("VLgs");
constexpr uint32_t kVFIDWhiteEyedropper = QVFourCC("VLws");
