// Keyframe interpolation of the settings record: the float fields of the
// primary, range and levels sections move from the left keyframe towards the
// right one; everything else keeps the left keyframe's value.
#pragma once

#include "core/settings_record.h"

// result := left, then each differing interpolated field := left + (right - left) x t,
// switching on the enables of the sections whose fields differ.
void VLInterpolateSettings(const VL_SettingsStruct* left, const VL_SettingsStruct* right, double t,
                           VL_SettingsStruct* result);

// One range record of the RGB, CMY or YCbCr section: its enable and the
// section enable of the result record are switched on when a value differs.
void InterpolateRGBControls(VL_RGBControls* result, const VL_RGBControls* left, const VL_RGBControls* right,
                            double t, VL_SettingsStruct* resultSettings);
void InterpolateCMYControls(VL_CMYControls* result, const VL_CMYControls* left, const VL_CMYControls* right,
                            double t, VL_SettingsStruct* resultSettings);
void InterpolateYCbCrControls(VL_YCbCrControls* result, const VL_YCbCrControls* left,
                              const VL_YCbCrControls* right, double t, VL_SettingsStruct* resultSettings);
