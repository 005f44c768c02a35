#include "plugin/interpolate.h"

#include <cstring>

namespace {

// Interpolates `count` consecutive floats starting at byte `at` of three
// records; true when any differed. Values that compare neither less nor
// greater (equal, or a NaN on either side) keep the left value.
bool lerpFloats(const void* left, const void* right, void* result, size_t at, int count, double t) {
  bool changed = false;
  for (int i = 0; i < count; ++i) {
    float l, r;
    size_t off = at + 4 * size_t(i);
    std::memcpy(&l, static_cast<const uint8_t*>(left) + off, 4);
    std::memcpy(&r, static_cast<const uint8_t*>(right) + off, 4);
    if (!(l < r || l > r)) continue;
    // In double: the difference of two large floats of opposite sign
    // overflows a float, and infinity times a fraction of 0 is NaN.
    float v = float(double(l) + (double(r) - double(l)) * t);
    std::memcpy(static_cast<uint8_t*>(result) + off, &v, 4);
    changed = true;
  }
  return changed;
}

void interpolateRange(VL_PrimaryControls* result, const VL_PrimaryControls* left, const VL_PrimaryControls* right,
                      double t, uint32_t* sectionEnable) {
  if (lerpFloats(left, right, result, 4, 12, t)) {
    result->enable = 1;
    *sectionEnable = 1;
  }
}

}  // namespace

void InterpolateRGBControls(VL_RGBControls* result, const VL_RGBControls* left, const VL_RGBControls* right,
                            double t, VL_SettingsStruct* resultSettings) {
  interpolateRange(result, left, right, t, &resultSettings->rgbEnable);
}

void InterpolateCMYControls(VL_CMYControls* result, const VL_CMYControls* left, const VL_CMYControls* right,
                            double t, VL_SettingsStruct* resultSettings) {
  interpolateRange(result, left, right, t, &resultSettings->cmyEnable);
}

void InterpolateYCbCrControls(VL_YCbCrControls* result, const VL_YCbCrControls* left,
                              const VL_YCbCrControls* right, double t, VL_SettingsStruct* resultSettings) {
  interpolateRange(result, left, right, t, &resultSettings->ycbcrEnable);
}

void VLInterpolateSettings(const VL_SettingsStruct* left, const VL_SettingsStruct* right, double t,
                           VL_SettingsStruct* result) {
  std::memcpy(result, left, sizeof *result);
  for (int r = 0; r < 4; ++r) {
    if (lerpFloats(&left->hsl[r], &right->hsl[r], &result->hsl[r], 4, 9, t)) {
      result->hsl[r].enable = 1;
      result->hslControlsEnable = 1;
      result->hslEnable = 1;
    }
    InterpolateRGBControls(&result->rgb[r], &left->rgb[r], &right->rgb[r], t, result);
    InterpolateCMYControls(&result->cmy[r], &left->cmy[r], &right->cmy[r], t, result);
    InterpolateYCbCrControls(&result->ycbcr[r], &left->ycbcr[r], &right->ycbcr[r], t, result);
  }
  for (int c = 0; c < 5; ++c) {
    if (lerpFloats(&left->levels[c], &right->levels[c], &result->levels[c], 8, 6, t)) {
      result->levels[c].enable = 1;
      result->levelsEnable = 1;
    }
  }
}
