// Gradient backgrounds of the curve displays, drawn pixel by pixel into a
// format-32 frame (one native word per pixel: alpha, red, green, blue from
// the most significant byte down; alpha always 255).
//
// Kinds 0-3, base colours in 16 bits: white (65535, 65535, 65535), red
// (65535, 0, 0), green (0, 55535, 0), blue (0, 30000, 65535). With
// a = 1 - y / height and b = x / width, a channel is (trunc(a b c) >> 8) & 255.
// Kinds 4-6 take an HSL colour per pixel (fractions to 16 bits by truncating
// value x 65535) and keep the high byte of each component:
//   4  hue frac(x / width + 1 - y / height), saturation 39321, lightness 32767
//   5  hue frac(x / width + 0.5), saturation min(1.2 (1 - y / height), 1), lightness 32767
//   6  hue frac(x / width + 0.5), saturation 49151, lightness 1 - y / height
#include "settings/curve_backgrounds.h"

#include <algorithm>
#include <cmath>

#include "settings/prefs.h"
#include "support/colors.h"

namespace {

const QVRGBColor kBaseColours[4] = {{65535, 65535, 65535}, {65535, 0, 0}, {0, 55535, 0}, {0, 30000, 65535}};

uint16_t Fraction16(double value) { return uint16_t(std::clamp(value, 0.0, 1.0) * 65535.0); }

double Frac(double v) { return v - std::floor(v); }

uint32_t Pack(int r, int g, int b) { return 0xFF000000u | uint32_t(r & 255) << 16 | uint32_t(g & 255) << 8 | uint32_t(b & 255); }

}  // namespace

FBFrameStruct* CVCreateBackgroundFrameBuffer(uint32_t width, uint32_t height, int32_t kind) {
  if (kind < 0 || kind > 6 || width == 0 || height == 0) return nullptr;
  FBFrameStruct* frame = nullptr;
  if (FBCreateRGBFrameBuffer(width, height, &frame, kFBPixFormat32ARGB) != kQVNoErr || !frame) return nullptr;
  const float saturation = float(gPrefsSettings.uiSaturation) / 65536.0f;
  QVRGBColor base = kBaseColours[std::min(kind, 3)];
  AdjustColorSaturation(&base, saturation);
  for (uint32_t y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(frame->baseAddr + size_t(y) * frame->rowBytes);
    const double down = 1.0 - double(y) / height;
    for (uint32_t x = 0; x < width; ++x) {
      const double across = double(x) / width;
      if (kind <= 3) {
        const double ab = down * across;
        row[x] = Pack(int(uint32_t(ab * base.red) >> 8), int(uint32_t(ab * base.green) >> 8),
                      int(uint32_t(ab * base.blue) >> 8));
        continue;
      }
      QVHSLColor hsl;
      if (kind == 4) {
        hsl = {Fraction16(Frac(across + 1.0 - double(y) / height)), 39321, 32767};
      } else if (kind == 5) {
        hsl = {Fraction16(Frac(across + 0.5)), Fraction16(std::min(1.2 * down, 1.0)), 32767};
      } else {
        hsl = {Fraction16(Frac(across + 0.5)), 49151, Fraction16(down)};
      }
      QVRGBColor rgb;
      QV_HSL2RGB(&hsl, &rgb);
      AdjustColorSaturation(&rgb, saturation);
      row[x] = Pack(rgb.red >> 8, rgb.green >> 8, rgb.blue >> 8);
    }
  }
  return frame;
}
