// Corrections the peer tests export: the neutral one and a strong one.
#pragma once

#include <cstring>

#include "core/settings_record.h"

inline VL_SettingsStruct PeerNeutralCorrection() {
  VL_SettingsStruct s;
  std::memset(&s, 0, sizeof s);
  VL_SetDefaultControlValues(&s, kVLMaskAll);
  return s;
}

// Channel gains, gammas and pedestals of the RGB master, more saturation
// and a hue turn in the HSL master.
inline VL_SettingsStruct PeerStrongCorrection() {
  VL_SettingsStruct s = PeerNeutralCorrection();
  s.rgbEnable = 1;
  VL_RGBControls& rgb = s.rgb[kVLRangeMaster];
  rgb.enable = 1;
  const float gain[3] = {1.3f, 0.9f, 0.7f}, gamma[3] = {0.8f, 1.25f, 1.0f}, ped[3] = {0.02f, -0.03f, 0.05f};
  for (int c = 0; c < 3; ++c) {
    rgb.channel[c].gain = gain[c];
    rgb.channel[c].gamma = gamma[c];
    rgb.channel[c].ped = ped[c];
  }
  s.hslEnable = 1;
  s.hslControlsEnable = 1;
  s.hsl[kVLRangeMaster].enable = 1;
  s.hsl[kVLRangeMaster].saturation = 140.0f;
  s.hsl[kVLRangeMaster].hue = 20.0f;
  return s;
}
