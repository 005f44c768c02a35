#include "support/colors.h"

#include "support/color_coding.h"

#include <algorithm>
#include <cmath>

namespace {

uint16_t Component(double v) {
  double scaled = std::round(v * 65535.0);
  return uint16_t(std::clamp(scaled, 0.0, 65535.0));
}

double HueChannel(double p, double q, double t) {
  if (t < 0.0) t += 1.0;
  if (t > 1.0) t -= 1.0;
  if (t < 1.0 / 6.0) return p + (q - p) * 6.0 * t;
  if (t < 0.5) return q;
  if (t < 2.0 / 3.0) return p + (q - p) * 6.0 * (2.0 / 3.0 - t);
  return p;
}

uint16_t Truncated(double v) { return uint16_t(std::clamp(v * 65535.0, 0.0, 65535.0)); }

}  // namespace

void AdjustColorSaturation(QVRGBColor* color, float factor) {
  if (color == nullptr) return;
  double r = color->red / 65535.0, g = color->green / 65535.0, b = color->blue / 65535.0;
  double y = kQVYUV.yR * r + kQVYUV.yG * g + kQVYUV.yB * b;
  double f = factor;
  color->red = Component(r * f + (1.0 - f) * y);
  color->green = Component(g * f + (1.0 - f) * y);
  color->blue = Component(b * f + (1.0 - f) * y);
}

void QV_HSL2RGB(const QVHSLColor* hsl, QVRGBColor* rgb) {
  if (hsl == nullptr || rgb == nullptr) return;
  double h = hsl->hue / 65535.0, s = hsl->saturation / 65535.0, l = hsl->lightness / 65535.0;
  if (hsl->saturation == 0) {
    rgb->red = rgb->green = rgb->blue = hsl->lightness;
    return;
  }
  double q = l < 0.5 ? l * (1.0 + s) : l + s - l * s;
  double p = 2.0 * l - q;
  rgb->red = Truncated(HueChannel(p, q, h + 1.0 / 3.0));
  rgb->green = Truncated(HueChannel(p, q, h));
  rgb->blue = Truncated(HueChannel(p, q, h - 1.0 / 3.0));
}
