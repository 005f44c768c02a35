#include "app/controls/color_readout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// A component clamped to 0..1; NaN reads as 0.
double Clamped(float value) { return std::isnan(value) ? 0.0 : std::clamp(double(value), 0.0, 1.0); }

}  // namespace

void VFFormatValueLabel(float value, int32_t mode, int32_t component, char* out, size_t size) {
  if (!out || size == 0) return;
  const double c = Clamped(value);
  switch (mode) {
    case kVFReadout1023: std::snprintf(out, size, "%ld", long(std::trunc(c * 1023.0))); break;
    case kVFReadout32768: std::snprintf(out, size, "%ld", long(std::trunc(c * 32768.0))); break;
    case kVFReadoutFloat: std::snprintf(out, size, "%1.4f", double(value)); break;
    case kVFReadoutPercent: std::snprintf(out, size, "%1.0f %%", c * 100.0); break;
    case kVFReadoutHSL:
      if (component == 0)
        std::snprintf(out, size, "%1.0f \xA1", double(value));
      else
        std::snprintf(out, size, "%1.0f %%", double(value));
      break;
    case kVFReadoutHex: std::snprintf(out, size, "%02lx", long(std::trunc(c * 255.0))); break;
    default: std::snprintf(out, size, "%ld", long(std::trunc(c * 255.0))); break;
  }
}

void VFColorToHSL(const float rgb[3], double* hue, double* saturation, double* lightness) {
  const double r = Clamped(rgb[0]), g = Clamped(rgb[1]), b = Clamped(rgb[2]);
  const double hi = std::max({r, g, b}), lo = std::min({r, g, b});
  const double l = (hi + lo) / 2.0;
  double h = 0.0, s = 0.0;
  if (hi > lo) {
    const double d = hi - lo;
    s = l > 0.5 ? d / (2.0 - hi - lo) : d / (hi + lo);
    if (hi == r)
      h = (g - b) / d + (g < b ? 6.0 : 0.0);
    else if (hi == g)
      h = (b - r) / d + 2.0;
    else
      h = (r - g) / d + 4.0;
    h /= 6.0;
  }
  if (hue) *hue = h;
  if (saturation) *saturation = s;
  if (lightness) *lightness = l;
}
