#include "app/controls/special_setters.h"

// Nothing to set while these controls do not exist.
void HueWheelSetAngle(UIControl*, float, bool) {}
void HueWheelSetStrength(UIControl*, float, bool) {}
void LevelsSetInBlack(UIControl*, float, bool) {}
void LevelsSetInGray(UIControl*, float, bool) {}
void LevelsSetInWhite(UIControl*, float, bool) {}
void LevelsSetOutBlack(UIControl*, float, bool) {}
void LevelsSetOutGray(UIControl*, float, bool) {}
void LevelsSetOutWhite(UIControl*, float, bool) {}
void CurveEditorSetCurve(UIControl*, uint32_t*, float*, float*, float*, uint32_t*, bool) {}
void LumaRangeBindPoints(UIControl*, float*, float*, bool) {}
void VFWriteRGBToSettings(UIControl*, const float*, bool) {}
