// The geometry of a hue wheel, apart from any window: a tint angle in
// degrees and a strength 0..1 as a point (pixels from the centre, y
// downwards) and back, the wrap of a turned angle, and the colours of the
// generated wheel image.
#pragma once

#include <cstdint>

#include "support/support_types.h"

// Angle 103 points right, 193 down, 283 left, 13 up.
constexpr double kHueWheelAngleOffsetDegrees = 103.0;

struct HueWheelPoint {
  int32_t x, y;  // truncated toward zero
};
HueWheelPoint HueWheelPointFor(float angle, float strength, int32_t radius);

struct HueWheelPolar {
  float angle;     // degrees, 0 up to 360
  float strength;  // 0..1
};
// Beyond the radius the strength stays 1; a wheel without a radius (0 or
// less) answers strength 0 at the point's angle.
HueWheelPolar HueWheelPolarAt(double x, double y, int32_t radius);

// angle + delta wrapped into [0, 360); a delta that is not finite leaves
// the angle as it is, an angle that is not finite turns from 0.
float HueWheelWrapAngle(float angle, float delta);

// Pulls (x, y) back onto the circle of the radius along its direction when
// it lies beyond it.
void HueWheelClampToRim(double* x, double* y, int32_t radius);

// The colour of a pixel of the generated wheel at (x, y) from the centre of
// an image drawn for `radius` at twice the size, desaturated by factor
// (1 keeps it); black outside the rim.
QVRGBColor HueWheelImageColor(double x, double y, int32_t radius, float saturationFactor);
