// Two colour utilities for interface drawing.
#pragma once

#include "support/support_types.h"

// Moves the colour towards its grey (Rec. 601 luma) by the factor: 1 keeps
// it, 0 gives the grey; components rounded and clamped to 0..65535.
void AdjustColorSaturation(QVRGBColor* color, float factor);
// HSL to RGB on 16-bit components.
void QV_HSL2RGB(const QVHSLColor* hsl, QVRGBColor* rgb);
