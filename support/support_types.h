// Small records the support library works on.
#pragma once

#include <cstdint>

#include "platform/file_ref.h"

// A rectangle in pixel coordinates; width = right - left, height = bottom - top.
struct QVRect {
  int16_t top, left, bottom, right;
};

// 16-bit colour components, full scale 65535.
struct QVRGBColor {
  uint16_t red, green, blue;
};

// 16-bit hue, saturation and lightness, full scale 65535 (hue 65535 = one turn).
struct QVHSLColor {
  uint16_t hue, saturation, lightness;
};

// A length-prefixed string: byte 0 the length, then up to 255 characters.
using QVStr255 = unsigned char[256];

// A name of up to 255 UTF-16 units.
struct QVUniStr255 {
  uint16_t length;
  uint16_t unicode[255];
};
