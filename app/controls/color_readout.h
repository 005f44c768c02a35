// How picked colours read out in the swatches: the seven readout modes of
// the colour-match group's popup (menu 150) and the hue, saturation and
// lightness of a colour. Pure functions, apart from any window.
#pragma once

#include <cstddef>
#include <cstdint>

// Readout modes (items of menu 150).
enum : int32_t {
  kVFReadout255 = 1,      // whole steps of 255
  kVFReadout1023 = 2,     // whole steps of 1023
  kVFReadout32768 = 3,    // whole steps of 32768
  kVFReadoutFloat = 4,    // the value with four decimals, not clamped
  kVFReadoutPercent = 5,  // whole percent
  kVFReadoutHSL = 6,      // hue in degrees, saturation and lightness in percent
  kVFReadoutHex = 7,      // two hex digits of 255
};
constexpr int32_t kVFReadoutMenuID = 150;
constexpr int32_t kVFReadoutModeCount = 7;

// The text of one value in a mode, in Mac Roman (the degree sign is 0xA1),
// at most size - 1 characters. Modes other than 4 and 6 clamp the value to
// 0..1 first (a NaN counts as 0); in mode 6 the value is already degrees
// (component 0) or percent (1 and 2). An unknown mode reads as mode 1.
void VFFormatValueLabel(float value, int32_t mode, int32_t component, char* out, size_t size);

// Hue (0 up to 1 turn), saturation and lightness (0..1) of a colour whose
// components are clamped to 0..1 first; grey has hue and saturation 0.
void VFColorToHSL(const float rgb[3], double* hue, double* saturation, double* lightness);
