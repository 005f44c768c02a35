// The Tone Curve display: what the current correction does to a grey ramp
// from 0 to 1, one curve per output plane (red, green, blue, luma) in a
// square graph scaled 0.0 to 1.0. The ramp goes through the same processing
// as the picture, so the curves show the processing tables as they stand.
#pragma once

#include "platform/ui/ui_draw.h"

// Where the graph lies in a rect: inset by 3% of the rect's height, made
// square on its height and centred horizontally.
TKRect ToneCurvePlotRect(const TKRect& rect);

// Draws into rect of target (null: all of it). With a picture and while
// updates are not suspended the curves are drawn: through the processing
// tables when the picture is the processed result, else the identity (the
// scopes then read an unprocessed picture).
void DrawToneCurvePane(TKImage* target, const TKRect* rect, TKImage* picture, bool pictureIsResult);
