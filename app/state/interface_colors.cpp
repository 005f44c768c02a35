#include "app/state/interface_colors.h"

#include <algorithm>
#include <cmath>

#include "support/colors.h"

QVRGBColor gInterfaceColors[kUIInterfaceColorCount];
QVRGBColor gInterfaceAccentColors[kUIAccentColorCount];

namespace {

// The grey level of every interface colour entry.
constexpr uint16_t kGreyLevels[kUIInterfaceColorCount] = {
    56797, 0,     30583, 56797, 39321, 65535, 56797, 34952, 56797, 56797,  // 0-9
    56797, 56797, 0,     34952, 24248, 48496, 32768, 55705, 48496, 0,      // 10-19
    32768, 0,     34952, 30583, 56797, 39321, 65535, 56797, 0,     32768,  // 20-29
    0,     34952, 17476, 34952, 21845, 30583, 26214, 0,     32768, 10280,  // 30-39
    29000,                                                                 // 40
};

// Text colours drawn on entry 18; inverted when it is dark.
constexpr int kTextEntries[] = {19, 20, 28, 29, 37, 38};
// Below 55 % of full scale the text background counts as dark.
constexpr double kDarkBackground = 36044.25;

struct Accent {
  QVRGBColor color;
  bool desaturated;
};
constexpr Accent kAccents[kUIAccentColorCount] = {
    {{52736, 25344, 0}, true},     {{38912, 18688, 0}, true},     {{65535, 0, 0}, true},
    {{0, 55535, 0}, true},         {{0, 30000, 65535}, true},     {{0, 0, 0}, false},  // 5: from entry 3
    {{65535, 65535, 0}, true},     {{20000, 20000, 20000}, true}, {{0, 0, 0}, true},
    {{65535, 0, 0}, true},         {{0, 65535, 0}, true},         {{0, 26214, 65535}, false},
    {{1285, 20560, 41891}, false},
};

uint16_t Scaled(uint16_t value, float factor) {
  const double v = std::clamp(double(value) * double(factor), 0.0, 65535.0);
  return uint16_t(std::lround(v));  // halves away from zero
}

}  // namespace

void InitInterfaceColors() {
  for (int i = 0; i < kUIInterfaceColorCount; ++i) gInterfaceColors[i] = {kGreyLevels[i], kGreyLevels[i], kGreyLevels[i]};
}

void ApplyInterfaceBrightness(int32_t brightness) {
  const float factor = float(brightness) / 65536.0f;
  InitInterfaceColors();
  for (QVRGBColor& c : gInterfaceColors) {
    c.red = Scaled(c.red, factor);
    c.green = Scaled(c.green, factor);
    c.blue = Scaled(c.blue, factor);
  }
  const QVRGBColor& ref = gInterfaceColors[kUIColorTextFlipReference];
  const int32_t mean = (int32_t(ref.red) + ref.green + ref.blue) / 3;
  if (mean >= kDarkBackground) return;
  for (int entry : kTextEntries) {
    QVRGBColor& c = gInterfaceColors[entry];
    c = {uint16_t(65535 - c.red), uint16_t(65535 - c.green), uint16_t(65535 - c.blue)};
  }
}

void ApplyInterfaceSaturation(int32_t saturation) {
  const float factor = float(saturation) / 65536.0f;
  for (int i = 0; i < kUIAccentColorCount; ++i) {
    gInterfaceAccentColors[i] = kAccents[i].color;
    if (kAccents[i].desaturated) AdjustColorSaturation(&gInterfaceAccentColors[i], factor);
  }
  // The master curve's grey: 1.5 times the Rec. 601 luma of the green accent.
  const QVRGBColor& g = gInterfaceAccentColors[3];
  const double luma = 0.299 * g.red + 0.587 * g.green + 0.114 * g.blue;
  const uint16_t grey = uint16_t(std::clamp(std::lround(98304.0 * luma / 65535.0), 0L, 65535L));
  gInterfaceAccentColors[5] = {grey, grey, grey};
}
