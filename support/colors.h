// Colour utilities for interface drawing.
#pragma once

#include <cstdint>

#include "support/support_types.h"

// The opaque 32-bit pixel word (A, R, G, B from the high byte down) of a
// colour: the high byte of each 16-bit component.
inline uint32_t QVPackPixelARGB(const QVRGBColor& c) {
  return 0xFF000000u | uint32_t(c.red >> 8) << 16 | uint32_t(c.green >> 8) << 8 | uint32_t(c.blue >> 8);
}

// Moves the colour towards its grey (Rec. 601 luma) by the factor: 1 keeps
// it, 0 gives the grey; components rounded and clamped to 0..65535.
void AdjustColorSaturation(QVRGBColor* color, float factor);
// HSL to RGB on 16-bit components.
void QV_HSL2RGB(const QVHSLColor* hsl, QVRGBColor* rgb);
