// The curve and hue-wheel displays drawn through the 2D port.
#include "plugin/port_displays.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "settings/curve_files.h"
#include "settings/prefs.h"
#include "support/colors.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct ChannelLook {
  const char* label;
  PPColor strong, light;
};
const ChannelLook kChannels[4] = {
    {"Master", {46988, 46988, 60095}, {65535, 65535, 65535}},
    {"Red", {65535, 0, 0}, {65535, 33422, 33422}},
    {"Green", {0, 55508, 0}, {33422, 65535, 33422}},
    {"Blue", {0, 30015, 65535}, {43449, 43449, 65535}},
};
constexpr PPColor kWhite = {65535, 65535, 65535};
constexpr PPColor kBlack = {0, 0, 0};

// Catmull-Rom basis: the weights of points i - 1, i, i + 1, i + 2 for t^3, t^2, t, 1.
const float kCatmullRom[4][4] = {{-0.5f, 1.0f, -0.5f, 0.0f},
                                 {1.5f, -2.5f, 0.0f, 1.0f},
                                 {-1.5f, 2.0f, 0.5f, 0.0f},
                                 {0.5f, -0.5f, 0.0f, 0.0f}};
constexpr int kSplineSteps = 1000;

const float (&SplineSteps())[kSplineSteps][4] {
  static const struct Table {
    float rows[kSplineSteps][4];
    Table() { SplineCurveGen(kCatmullRom, rows); }
  } table;
  return table.rows;
}

float Unit(float v) { return v >= 0.0f ? (v <= 1.0f ? v : 1.0f) : 0.0f; }  // NaN reads as 0

void SetFore(PPPort* port, const PPColor& c) { port->fore = PortDisplayPixel(c); }
void SetBack(PPPort* port, const PPColor& c) { port->back = PortDisplayPixel(c); }

// The label in white with its baseline a little over one line below the top.
void Label(PPPort* port, const char* text, int32_t left, int32_t top) {
  SetFore(port, kWhite);
  PPDrawText(port, text, left + 10, top + kPPFontAscent + kPPFontDescent / 2);
}

void Restore(PPPort* port) {
  port->fore = PPPixelOf(kBlack);
  port->back = PPPixelOf(kWhite);
}

// The wheel picture, twice the size of the area it is shown in; made once.
std::unique_ptr<PPPort>& WheelImage() {
  static std::unique_ptr<PPPort> image;
  return image;
}

std::unique_ptr<PPPort> MakeWheelImage(int32_t width, int32_t height) {
  auto image = std::make_unique<PPPort>();
  if (!PPNewOffscreen(image.get(), 2 * (width + 20), 2 * (height + 20))) return nullptr;
  const int32_t cx = width + 20, cy = height + 20;
  const double radius = width;
  const uint32_t outside = PPPixelOf(kPortWheelBackground);
  const float saturation = float(gPrefsSettings.uiSaturation) / 65536.0f;
  for (int32_t py = 0; py < image->height; ++py) {
    for (int32_t px = 0; px < image->width; ++px) {
      const double x = px - cx, y = py - cy;
      const double r = std::hypot(x, y) / radius;
      if (!(r < 1.0)) {
        PPSetPixel(image.get(), px, py, outside);
        continue;
      }
      const double degrees = std::atan2(-x, y) * 180.0 / kPi;
      QVHSLColor hsl;
      hsl.hue = uint16_t(int64_t((360.0 - (degrees - 167.0)) * 65535.0 / 360.0) & 0xFFFF);
      hsl.saturation = uint16_t((0.6 * r + 0.4) * 65535.0);
      hsl.lightness = uint16_t(((1.0 - r) * 0.45 + 0.5) * 65535.0);
      QVRGBColor rgb;
      QV_HSL2RGB(&hsl, &rgb);
      AdjustColorSaturation(&rgb, saturation);
      PPSetPixel(image.get(), px, py, PPPixelOf(PPColor{rgb.red, rgb.green, rgb.blue}));
    }
  }
  // The centre square and six ticks from the rim inward, in black.
  image->fore = PPPixelOf(kBlack);
  PPPaintRect(image.get(), PPRect{cx - 4, cy - 4, cx + 4, cy + 4});
  PPSetPenSize(image.get(), 3, 3);
  for (double angle : {317.0, 257.0, 197.0, 137.0, 77.0, 17.0}) {
    const double a = angle * kPi / 180.0;
    PPMoveTo(image.get(), cx + int32_t(radius * std::cos(a)), cy + int32_t(radius * std::sin(a)));
    PPLineTo(image.get(), cx + int32_t((radius - 8) * std::cos(a)), cy + int32_t((radius - 8) * std::sin(a)));
  }
  PPSetPenSize(image.get(), 1, 1);
  return image;
}

}  // namespace

uint32_t PortDisplayPixel(const PPColor& color) {
  QVRGBColor rgb{color.red, color.green, color.blue};
  AdjustColorSaturation(&rgb, float(gPrefsSettings.uiSaturation) / 65536.0f);
  return PPPixelOf(PPColor{rgb.red, rgb.green, rgb.blue});
}

void MacDrawCurveDisplay(PPPort* port, int16_t left, int16_t top, int32_t height, int32_t width,
                         const VL_CurveControls* curve, const int32_t* selected, int32_t channel) {
  if (!port || !curve || width <= 0 || height <= 0) return;
  const bool known = channel >= 0 && channel < 4;
  const ChannelLook& look = kChannels[known ? channel : 0];
  char label[48];
  if (known) std::snprintf(label, sizeof label, "%s", look.label);
  else std::snprintf(label, sizeof label, "%ld Out of Range\n", long(channel));

  SetBack(port, kPortCurveBackground);
  PPEraseRect(port, PPRect{left, top, left + width + 20, top + height + 26});
  const PPRect box{left + 10, top + 16, left + width + 10, top + height + 16};
  SetFore(port, kPortCurveGrid);
  PPFrameRect(port, box);
  const float stepY = float(height) / 8.0f, stepX = float(width) / 8.0f;
  float gy = float(box.top), gx = float(box.left);
  for (int k = 1; k < 8; ++k) {
    gy += stepY;
    gx += stepX;
    PPMoveTo(port, box.left + 1, int32_t(gy));
    PPLineTo(port, box.right - 2, int32_t(gy));
    PPMoveTo(port, int32_t(gx), box.top + 1);
    PPLineTo(port, int32_t(gx), box.bottom - 2);
  }
  // The label is drawn before the curve; a newline in it draws nothing.
  for (char* c = label; *c; ++c)
    if (*c == '\n') *c = '\0';
  Label(port, label, left, top);

  SetFore(port, look.strong);
  SetBack(port, look.strong);
  auto X = [&](float x) { return box.left + int32_t(float(width - 1) * x); };
  auto Y = [&](float y) { return box.bottom - 1 - int32_t(float(height - 1) * y); };

  if (curve->modeFlags & kVLCurveModeMap) {
    // Each column takes the map entry at its share of 1,023 (rounded up from
    // 0.01 past a whole entry); one column has no share to take.
    if (width >= 2) {
      PPMoveTo(port, box.left, Y(Unit(curve->map[0])));
      for (int32_t c = 0; c <= width - 2; ++c) {
        int32_t index = int32_t(double(c) * 1023.0 / double(width - 1) + 0.99);
        if (index > kVLCurveMapCount - 1) index = kVLCurveMapCount - 1;
        PPLineTo(port, box.left + c, Y(Unit(curve->map[index])));
      }
    }
    Restore(port);
    return;
  }

  // The count comes from the host's data: more than the record holds is held
  // to what it holds.
  const int32_t count = int32_t(curve->spline.pointCount > uint32_t(kVLCurveMaxPoints) ? uint32_t(kVLCurveMaxPoints)
                                                                                     : curve->spline.pointCount);
  auto px = [&](int32_t i) { return Unit(curve->spline.x[i < 0 ? 0 : i >= count ? count - 1 : i]); };
  auto py = [&](int32_t i) { return Unit(curve->spline.y[i < 0 ? 0 : i >= count ? count - 1 : i]); };
  if (count >= 1) {
    PPMoveTo(port, box.left, Y(py(0)));
    if (px(0) != 0.0f) PPLineTo(port, X(px(0)), Y(py(0)));
    if (count == 2) {
      PPLineTo(port, X(px(1)), Y(py(1)));
    } else if (count >= 3) {
      const auto& steps = SplineSteps();
      int32_t column = X(px(0));
      for (int32_t i = 0; i < count; ++i) {
        for (int step = 0; step < kSplineSteps; ++step) {
          const float* w = steps[step];
          const float x = Unit(w[0] * px(i - 1) + w[1] * px(i) + w[2] * px(i + 1) + w[3] * px(i + 2));
          const float y = Unit(w[0] * py(i - 1) + w[1] * py(i) + w[2] * py(i + 1) + w[3] * py(i + 2));
          if (X(x) > column) {
            column = X(x);
            PPLineTo(port, column, Y(y));
          }
        }
      }
    }
    // A single point has nothing to join: its level runs across the box.
    if (px(count - 1) != 1.0f) {
      PPLineTo(port, X(px(count - 1)), Y(py(count - 1)));
      PPLineTo(port, box.right - 1, Y(py(count - 1)));
    }
  }
  const int32_t chosen = selected ? *selected : -1;
  for (int32_t i = 0; i < count; ++i) {
    const PPRect square{X(px(i)) - 2, Y(py(i)) - 2, X(px(i)) + 2, Y(py(i)) + 2};
    if (i == chosen) {
      SetFore(port, look.light);
      PPPaintRect(port, square);
      SetFore(port, look.strong);
    } else {
      PPFrameRect(port, square);
    }
  }
  Restore(port);
}

int32_t MacDrawHueOffsetDisplay(PPPort* port, int16_t left, int16_t top, int32_t width, int32_t height,
                                const VL_HSLOffsetControls* offsets, int32_t wheel) {
  if (!port || !offsets || width <= 0 || height <= 0) return 0;
  std::unique_ptr<PPPort>& image = WheelImage();
  if (!image) image = MakeWheelImage(width, height);
  port->fore = PPPixelOf(kBlack);
  port->back = PPPixelOf(kWhite);
  if (image)
    PPCopyHalving(*image, PPRect{0, 0, image->width, image->height}, port,
                  PPRect{left, top, left + height + 20, top + width + 20});

  static const char* const kNames[4] = {"Master", "Shadows", "Midtones", "Highlights"};
  const bool known = wheel >= 0 && wheel < 4;
  const VL_HueWheelControls& w = offsets->wheel[known ? wheel : 0];
  // The marker: from the centre, strength x half the width along the tint
  // angle turned back by 103 degrees, ending in a small square.
  const int32_t cx = left + height / 2 + 10, cy = top + width / 2 + 10;
  const double length = double(w.strength) * (width / 2);
  const double a = (double(w.tintangle) - 103.0) * kPi / 180.0;
  const double dx = length * std::cos(a), dy = length * std::sin(a);
  // A damaged record's values must not throw the line across the picture.
  const bool finite = std::isfinite(dx) && std::isfinite(dy) && std::fabs(dx) <= 4.0 * width &&
                      std::fabs(dy) <= 4.0 * width;
  const int32_t ex = cx + (finite ? int32_t(dx) : 0), ey = cy + (finite ? int32_t(dy) : 0);
  port->fore = PPPixelOf(kBlack);
  PPMoveTo(port, cx, cy);
  PPLineTo(port, ex, ey);
  PPPaintRect(port, PPRect{ex - 1, ey - 1, ex + 2, ey + 2});
  Label(port, known ? kNames[wheel] : "Default Error", left, top);
  Restore(port);
  return 0;
}
