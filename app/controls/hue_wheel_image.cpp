// The generated picture of the hue wheel, drawn at twice the wheel's size so
// that scaling it into the wheel smooths its edge.
#include <cmath>
#include <cstdint>

#include "app/controls/hue_wheel.h"
#include "app/controls/hue_wheel_math.h"
#include "platform/ui/ui_draw.h"

namespace {

constexpr int32_t kCentreMark = 9;
constexpr int32_t kTickLength = 8;
constexpr double kTickPen = 3;
constexpr double kTickDegrees[] = {17, 77, 137, 197, 257, 317};  // screen angles, y downwards
constexpr double kPi = 3.14159265358979323846;

}  // namespace

TKImage* BuildHueWheelImage(const TKRect& wheelRect, int32_t radius, float saturationFactor) {
  const int32_t width = 2 * TKRectWidth(wheelRect), height = 2 * TKRectHeight(wheelRect);
  if (width <= 0 || height <= 0) return nullptr;
  TKImage* image = TKImageCreate(width, height);
  if (!image) return nullptr;
  uint8_t* pixels = TKImagePixels(image);
  const int32_t rowBytes = TKImageRowBytes(image);
  const int32_t cx = width / 2, cy = height / 2;
  for (int32_t py = 0; py < height; ++py) {
    uint8_t* p = pixels + size_t(py) * size_t(rowBytes);
    for (int32_t px = 0; px < width; ++px, p += 4) {
      const QVRGBColor c = HueWheelImageColor(px - cx, py - cy, radius, saturationFactor);
      p[0] = uint8_t(c.blue >> 8);
      p[1] = uint8_t(c.green >> 8);
      p[2] = uint8_t(c.red >> 8);
      p[3] = 255;
    }
  }
  TKImageMarkDirty(image);

  TKContext* ctx = TKBeginDrawing(image);
  if (!ctx) return image;
  const TKColor black = TKColorRGB(0, 0, 0);
  TKSetFillColor(ctx, black);
  TKFillRect(ctx, TKMakeRect(cx - kCentreMark / 2, cy - kCentreMark / 2, kCentreMark, kCentreMark));
  if (radius > kTickLength) {
    // The rim of the doubled picture lies at twice the radius.
    const double rim = 2.0 * radius;
    TKSetStrokeColor(ctx, black);
    TKSetLineWidth(ctx, kTickPen);
    for (double degrees : kTickDegrees) {
      const double a = degrees * kPi / 180.0;
      const double c = std::cos(a), s = std::sin(a);
      TKDrawLine(ctx, cx + (rim - kTickLength) * c, cy + (rim - kTickLength) * s, cx + rim * c, cy + rim * s);
    }
  }
  TKEndDrawing(ctx);
  return image;
}
