// Setters of the composite controls (hue wheels, levels controls, curve
// editors, the luma-range graph, colour sample rows) that the synchroniser
// calls. Until those controls are built the setters do nothing; each takes
// the control found in gSettingsControls and ignores a null one.
#pragma once

#include <cstdint>

struct TKControl;

void HueWheelSetAngle(TKControl* wheel, float degrees, bool redraw);
void HueWheelSetStrength(TKControl* wheel, float strength, bool redraw);

void LevelsSetInBlack(TKControl* levels, float value, bool redraw);
void LevelsSetInGray(TKControl* levels, float value, bool redraw);
void LevelsSetInWhite(TKControl* levels, float value, bool redraw);
void LevelsSetOutBlack(TKControl* levels, float value, bool redraw);
void LevelsSetOutGray(TKControl* levels, float value, bool redraw);
void LevelsSetOutWhite(TKControl* levels, float value, bool redraw);

// Points the editor at a curve section of the working record: its point
// count, x and y arrays, the map that overlays them, and its flags word.
void CurveEditorSetCurve(TKControl* editor, uint32_t* pointCount, float* x, float* y, float* map, uint32_t* flags,
                         bool redraw);

// Points the graph at the shadow and highlight points (x then y each).
void LumaRangeBindPoints(TKControl* graph, float* shadowPoint, float* highlightPoint, bool redraw);

// Shows a colour sample's triple in the swatch of its row.
void VFWriteRGBToSettings(TKControl* checkBox, const float rgb[3], bool redraw);
