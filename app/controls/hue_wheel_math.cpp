#include "app/controls/hue_wheel_math.h"

#include <algorithm>
#include <cmath>

#include "support/colors.h"

namespace {

constexpr double kDegreesToRadians = 0.017453293005625408;
constexpr double kOffsetRadians = 1.7976891994476318;
constexpr double kRadiansToDegrees = 57.29577791868204;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kHue16PerDegree = 182.04166666666669;

}  // namespace

HueWheelPoint HueWheelPointFor(float angle, float strength, int32_t radius) {
  const double theta = (double(angle) - kHueWheelAngleOffsetDegrees) * kDegreesToRadians;
  const double length = double(radius) * double(strength);
  const double x = length * std::cos(theta);
  const double y = length * std::sin(theta);
  // A non-finite value (a corrupt record) lands on the centre.
  auto whole = [](double v) { return std::isfinite(v) ? int32_t(std::clamp(std::trunc(v), -32768.0, 32767.0)) : 0; };
  return HueWheelPoint{whole(x), whole(y)};
}

HueWheelPolar HueWheelPolarAt(double x, double y, int32_t radius) {
  double angle = std::atan2(y, x) + kOffsetRadians;
  if (angle < 0) angle += kTwoPi;
  if (angle > kTwoPi) angle -= kTwoPi;
  float degrees = float(angle * kRadiansToDegrees);
  if (degrees >= 360.0f) degrees -= 360.0f;
  float strength = 0;
  if (radius > 0) strength = float(std::min(std::hypot(x, y), double(radius)) / radius);
  return HueWheelPolar{degrees, strength};
}

float HueWheelWrapAngle(float angle, float delta) {
  if (!std::isfinite(delta)) return angle;
  if (!std::isfinite(angle)) angle = 0;  // a corrupt record turns from 0
  double turned = std::fmod(double(angle) + double(delta), 360.0);
  if (turned < 0) turned += 360.0;
  float result = float(turned);
  if (result >= 360.0f) result = 0.0f;
  return result;
}

void HueWheelClampToRim(double* x, double* y, int32_t radius) {
  const double length = std::hypot(*x, *y);
  if (length <= radius || length == 0) return;
  const double scale = std::max(radius, 0) / length;
  *x *= scale;
  *y *= scale;
}

QVRGBColor HueWheelImageColor(double x, double y, int32_t radius, float saturationFactor) {
  QVRGBColor black{0, 0, 0};
  if (radius <= 0) return black;
  const double d = std::hypot(x, y) / (2.0 * radius);
  if (d >= 1) return black;
  double hueDegrees = std::fmod(257.0 - std::atan2(y, x) * kRadiansToDegrees, 360.0);
  if (hueDegrees < 0) hueDegrees += 360.0;
  QVHSLColor hsl;
  hsl.hue = uint16_t(std::min(hueDegrees * kHue16PerDegree, 65535.0));
  hsl.saturation = uint16_t((0.6 * d + 0.4) * 65535.0);
  hsl.lightness = uint16_t(((1 - d) * 0.45 + 0.5) * 65535.0);
  QVRGBColor rgb;
  QV_HSL2RGB(&hsl, &rgb);
  AdjustColorSaturation(&rgb, saturationFactor);
  return rgb;
}
