// The curve editor's record and what its files share: creation and mouse
// and keyboard editing (curve_editor.cpp), drawing and the readout
// (curve_editor_draw.cpp), the context menu (curve_editor_menu.cpp) and the
// eyedropper procedures (curve_eyedroppers.cpp).
#pragma once

#include <cstdint>
#include <vector>

#include "core/settings_record.h"
#include "platform/ui/ui_draw.h"
#include "platform/ui/ui_types.h"

struct TKControl;
struct TKWindow;
struct TKMenu;

// Geometry and editing constants.
constexpr double kCurvePickRadius = 0.06;      // unit coordinates, Euclidean
constexpr double kCurveKeyStep = 0.001;        // arrows; ten times with Shift
constexpr double kCurveTrackTimeout = 0.02;    // reprocessing during a drag
constexpr int32_t kCurveReadoutGap = 6;        // readout strip below the graph
constexpr int32_t kCurveReadoutHeight = 48;
constexpr int16_t kCurveEditorPart = 128;
constexpr int32_t kCurveCursorOverPoint = 504;
constexpr int32_t kCurveCursorOverGraph = 505;

// Mode flags of a curve section: bit 0 an arbitrary map, bit 1 alone
// straight lines between the points, neither a Catmull-Rom spline.
constexpr uint32_t kCurveFlagMap = 1u;
constexpr uint32_t kCurveFlagLines = 2u;

struct CurveEditor {
  TKControl* pane = nullptr;
  TKWindow* window = nullptr;
  TKControl* label = nullptr;
  TKControl* readoutPane = nullptr;  // the "Input:"/"Output:" strip below the graph
  TKRect bounds;
  TKRect graph;  // bounds inset by 2 px
  int32_t regionID = 0;

  // Set by CurveEditorSetCurve; null while unbound.
  int32_t curveIndex = -1;
  uint32_t* flags = nullptr;
  uint32_t* count = nullptr;
  float* x = nullptr;
  float* y = nullptr;
  float* map = nullptr;

  int32_t hover = -1;
  int32_t selected = -1;
  uint8_t tracking = 0;
  uint8_t readoutShowing = 0;
  uint8_t active = 1;

  // What the readout strip shows.
  bool readoutShown = false;
  float readoutX = 0, readoutY = 0;

  // Built on first draw at the graph's size and kept.
  TKImagePtr background;
  int32_t backgroundKind = -1;
};

// The editor's record, or null for any other control.
CurveEditor* CurveEditorOf(TKControl* control);
// The curve section the editor is bound to, when its pointers are those of
// one section (as the synchroniser binds them); otherwise null.
VL_CurveControls* CurveEditorSection(const CurveEditor* editor);
bool CurveEditorInMapMode(const CurveEditor* editor);
// Byte offset in the record of curve section 0-6: the master, red, green
// and blue curves, then the hue, saturation and lightness curves.
uint32_t CurveSectionOffset(int32_t curveIndex);
// The editor showing curve index 0-6 of the working record, or null.
TKControl* CurveEditorForCurve(int32_t curveIndex);

// Unit coordinates of a point in the window, and back.
void CurveEditorToUnit(const CurveEditor* editor, TKPoint p, double* x, double* y);
// The first point within the pick radius of (x, y), or -1.
int32_t CurveEditorPointNear(const CurveEditor* editor, double x, double y);

// One edit of the working record: an undo snapshot before, the enclosing
// tabs switched on, the editor redrawn and the picture reprocessed, the
// snapshot stored after.
void CurveEditBegin();
void CurveEditEnd();

// Drawing.
void DrawCurveEditor(TKControl* pane, TKContext* ctx);
// The line the editor strokes for a curve in point form, in unit
// coordinates from the left edge to the right edge: straight segments with
// lines, else Catmull-Rom segments sampled a pixel apart (width pixels
// across). Coordinates are clamped to 0..1 (NaN reads as 0) and x never
// goes back; empty for a count outside 2..16.
struct CurvePlotPoint {
  double x, y;
};
std::vector<CurvePlotPoint> CurveEditorPolyline(const float* x, const float* y, uint32_t count, bool lines,
                                                int32_t width);
void DrawCurveReadout(CurveEditor* editor, TKContext* ctx);
// Enables the Curves tab's eyedroppers and "Save..." button in the window
// unless one of the RGB editors shows a map curve, which disables them.
void CurvesTabFollowMapMode(TKWindow* window);

// The context menu of editors 0-3 (menu 200) and 4-6 (menu 205).
constexpr int32_t kCurveMenuRGB = 200;
constexpr int32_t kCurveMenuHSL = 205;
TKMenu* CurveEditorMenu(int32_t curveIndex);
void CurveEditorContextMenu(TKControl* control, int32_t phase, int32_t chosen, TKMenu* menu, int32_t refValue);
// The delete key and menu item: removes the selected point of a curve of 3
// or more points, clears the selection and the window's focus.
bool CurveEditorDeleteSelected(CurveEditor* editor);
