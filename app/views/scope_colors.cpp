#include "app/views/scope_colors.h"

namespace {

// The accent table at full saturation.
constexpr QVRGBColor kDefaultAccents[kScopeAccentCount] = {
    {0x9999, 0x9999, 0x9999},  // frame
    {0x4000, 0x4000, 0x4000},  // grid
    {0xE666, 0x3333, 0x3333},  // red
    {0x3333, 0xCCCC, 0x3333},  // green
    {0x4CCC, 0x6666, 0xFFFF},  // blue
    {0xCCCC, 0xCCCC, 0xCCCC},  // master and luma
    {0xFFFF, 0xCCCC, 0x3333},  // luma-range markers
    {0xFFFF, 0xFFFF, 0xFFFF}, {0xFFFF, 0xFFFF, 0xFFFF}, {0xFFFF, 0xFFFF, 0xFFFF},
    {0xFFFF, 0xFFFF, 0xFFFF}, {0xFFFF, 0xFFFF, 0xFFFF}, {0xFFFF, 0xFFFF, 0xFFFF},
};

const QVRGBColor* gAccents = nullptr;

}  // namespace

void ScopeSetAccentColors(const QVRGBColor* table) { gAccents = table; }

QVRGBColor ScopeAccentRGB(int32_t index) {
  if (index < 0 || index >= kScopeAccentCount) index = kScopeAccentFrame;
  return (gAccents ? gAccents : kDefaultAccents)[index];
}

TKColor ScopeAccentColor(int32_t index) {
  QVRGBColor c = ScopeAccentRGB(index);
  return TKColor{c.red / 65535.0, c.green / 65535.0, c.blue / 65535.0, 1.0};
}

uint32_t ScopeAccentPixel(int32_t index) {
  QVRGBColor c = ScopeAccentRGB(index);
  return 0xFF000000u | uint32_t(c.red >> 8) << 16 | uint32_t(c.green >> 8) << 8 | uint32_t(c.blue >> 8);
}
