// Corrections shared by the engine's tests: the default record and one with
// every section on and every value away from its default.
#pragma once

#include "core/settings_record.h"

#include <cstring>
#include <initializer_list>
#include <utility>

inline VL_SettingsStruct defaults() {
  VL_SettingsStruct s;
  memset(&s, 0, sizeof s);
  VL_SetDefaultControlValues(&s, kVLMaskAll);
  return s;
}

inline void setCurve(VL_CurveControls& c, std::initializer_list<std::pair<float, float>> points) {
  c.modeFlags = 0;
  c.spline.pointCount = uint32_t(points.size());
  int i = 0;
  for (auto [x, y] : points) c.spline.x[i] = x, c.spline.y[i] = y, ++i;
}

// A correction with every section on and every value away from its default.
// Gammas stay below 1 so that no table is steep near black, where one table
// step would exceed the comparison's tolerance.
inline VL_SettingsStruct fullCorrection(int clipMethod = 3, bool secondaryPreviews = false) {
  VL_SettingsStruct s = defaults();
  s.hslEnable = s.hslControlsEnable = 1;
  for (int r = 0; r < 4; ++r) {
    VL_HSLControls& h = s.hsl[r];
    h.enable = 1;
    h.hue = 8.0f + 5 * r;
    h.saturation = 105.0f + 4 * r;
    h.vibrance = r == 2 ? -20.0f : 15.0f + r;
    h.brightness = 4.0f - 2 * r;
    h.contrast = 10.0f + 3 * r;
    h.contrastCenter = 0.48f;
    h.gain = 1.02f + 0.01f * r;
    h.gamma = 0.95f;
    h.pedestal = 0.01f * (r - 1);
  }
  s.rgbEnable = s.cmyEnable = s.ycbcrEnable = 1;
  for (int r = 0; r < 4; ++r) {
    for (VL_PrimaryControls* p : {&s.rgb[r], &s.cmy[r], &s.ycbcr[r]}) {
      p->enable = 1;
      p->gain = 1.0f + 0.02f * r;
      p->gamma = 0.97f;
      p->pedestal = 0.005f * r;
      for (int c = 0; c < 3; ++c) {
        p->channel[c].gain = 0.98f + 0.015f * c;
        p->channel[c].gamma = 0.96f + 0.01f * c;
        p->channel[c].ped = 0.003f * (c - 1);
      }
    }
  }
  s.hueOffsetEnable = 1;
  for (int w = 0; w < 4; ++w) s.hueOffsets.wheel[w].tintangle = 40.0f + 70 * w, s.hueOffsets.wheel[w].strength = 0.2f;
  s.levelsEnable = 1;
  for (int c = 0; c < 4; ++c) {
    VL_LevelControls& l = s.levels[c];
    l.enable = 1;
    l.inblackpt = 0.02f + 0.01f * c;
    l.ingraypt = 0.45f;
    l.inwhitept = 0.97f;
    l.outblackpt = 0.01f;
    l.outwhitept = 0.98f;
  }
  s.input.inputControls_highlight_recovery = 0.5f;
  s.curvesEnable = s.rgbCurvesEnable = s.hslCurvesEnable = 1;
  setCurve(s.rgbCurves[kVLCurveMaster], {{0, 0.02f}, {0.5f, 0.53f}, {1, 0.97f}});
  setCurve(s.rgbCurves[kVLCurveRed], {{0, 0}, {0.4f, 0.42f}, {1, 1}});
  setCurve(s.rgbCurves[kVLCurveGreen], {{0, 0.01f}, {1, 0.99f}});
  setCurve(s.rgbCurves[kVLCurveBlue], {{0, 0}, {0.6f, 0.58f}, {1, 1}});
  setCurve(s.hslCurves[kVLCurveHue], {{0, 0.5f}, {0.3f, 0.53f}, {0.7f, 0.48f}, {1, 0.5f}});
  setCurve(s.hslCurves[kVLCurveSaturation], {{0, 0.5f}, {0.5f, 0.58f}, {1, 0.5f}});
  setCurve(s.hslCurves[kVLCurveLuma], {{0, 0.5f}, {0.4f, 0.47f}, {1, 0.5f}});
  s.lumaRangesEnable = 1;
  s.lumaRanges.lumarange_shadowx = 0.25f;
  s.lumaRanges.lumarange_highlightx = 0.75f;
  s.secondaryEnable = s.secondaryKeyerEnable = 1;
  for (int n = 0; n < 6; ++n) {
    VL_SecondaryControls& k = s.secondary[n];
    k.enable = 1;
    k.lumatol = 0.1f;
    k.chromatol = 0.05f;
    k.softness = 0.3f;
    k.hue = 15.0f * (n + 1);
    k.saturation = 90.0f + 5 * n;
    k.hueoffset_tintangle = 60.0f * n;
    k.hueoffset_strength = 0.3f;
    k.gain = 1.05f;
    k.gamma = 0.9f;
    k.ped = 0.01f;
    k.invert = n == 1 || n == 4;
    k.sample[0] = {1, 0.8f, 0.3f, 0.2f};
    k.sample[1] = {n % 2u, 0.2f, 0.5f, 0.7f};
    k.sample[3] = {1, 0.3f + 0.1f * n, 0.6f, 0.3f};
    // Modes 1, 2 and 3; a mode-3 matte shows the key itself, so a softer edge
    // keeps upstream rounding from being magnified.
    if (secondaryPreviews && n >= 3) k.preview = 1, k.previewMode = uint32_t(n - 2), k.softness = 0.6f;
  }
  s.limiter_enable = 1;
  s.limiter.limiter_softclip_enable = 1;
  s.limiter.limiter_softclip_knee = 85.0f;
  s.limiter.limiter_chroma_max = 105.0f;
  s.limiter.limiter_chroma_min = -10.0f;
  s.limiter.limiter_luma_max = 100.0f;
  s.limiter.limiter_clip_method = uint32_t(clipMethod);
  return s;
}
