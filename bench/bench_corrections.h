// The corrections and the frame the benchmarks run: every section off, a typical grade
// (primaries, curves and one secondary) and a full correction with every
// section on at non-default values.
#pragma once

#include <cstring>
#include <random>

#include "core/frame_buffer.h"
#include "core/settings_record.h"
#include "bench/bench_status.h"

namespace bench {

inline void curve(VL_CurveControls& c, float y0, float ym, float y1) {
  c.modeFlags = 0;
  c.spline.pointCount = 3;
  c.spline.x[0] = 0, c.spline.x[1] = 0.5f, c.spline.x[2] = 1;
  c.spline.y[0] = y0, c.spline.y[1] = ym, c.spline.y[2] = y1;
}

enum Workload : int64_t { kEverySectionOff = 0, kTypicalGrade = 1, kFullCorrection = 2 };

inline VL_SettingsStruct everySectionOff() {
  VL_SettingsStruct s;
  std::memset(&s, 0, sizeof s);
  VL_SetDefaultControlValues(&s, kVLMaskAll);
  s.limiter_enable = 0;
  return s;
}

// A secondary keyed on four samples of one hue, as a colourist picks them.
inline void secondary(VL_SecondaryControls& k, int n) {
  k.enable = 1;
  k.hue = 20.0f;
  k.saturation = 110.0f;
  k.hueoffset_tintangle = 60.0f * n;
  k.hueoffset_strength = 0.3f;
  k.gain = 1.05f;
  k.gamma = 1.1f;
  k.ped = 0.01f;
  for (int i = 0; i < 4; ++i) k.sample[i] = {1, 0.2f * i, 0.5f, 0.3f + 0.1f * n};
}

// Lift, gamma and gain on the RGB primaries, the RGB curves and one secondary.
inline VL_SettingsStruct typicalGrade() {
  VL_SettingsStruct s = everySectionOff();
  s.rgbEnable = 1;
  for (int r = 0; r < 4; ++r)
    s.rgb[r] = {1, 1.02f, 1.05f, 0.01f, {{1.01f, 0.95f, 0.0f}, {0.99f, 1.02f, 0.01f}, {1.0f, 1.1f, -0.01f}}};
  s.curvesEnable = s.rgbCurvesEnable = 1;
  for (int c = 0; c < 4; ++c) curve(s.rgbCurves[c], 0.01f, 0.52f, 0.98f);
  s.secondaryEnable = s.secondaryKeyerEnable = 1;
  secondary(s.secondary[0], 0);
  return s;
}

inline VL_SettingsStruct fullCorrection() {
  VL_SettingsStruct s = everySectionOff();
  s.hslEnable = s.hslControlsEnable = s.rgbEnable = s.cmyEnable = s.ycbcrEnable = 1;
  for (int r = 0; r < 4; ++r) {
    s.hsl[r] = {1, 10.0f + r, 110.0f, 20.0f, 5.0f, 12.0f, 0.45f, 1.03f, 1.1f, 0.01f};
    for (VL_PrimaryControls* p : {&s.rgb[r], &s.cmy[r], &s.ycbcr[r]})
      *p = {1, 1.02f, 1.05f, 0.01f, {{1.01f, 0.95f, 0.0f}, {0.99f, 1.02f, 0.01f}, {1.0f, 1.1f, -0.01f}}};
  }
  s.hueOffsetEnable = 1;
  for (VL_HueWheelControls& w : s.hueOffsets.wheel) w.tintangle = 120.0f, w.strength = 0.2f;
  s.levelsEnable = 1;
  for (int c = 0; c < 4; ++c) s.levels[c] = {0, 1, 0.02f, 0.45f, 0.97f, 0.01f, 0.5f, 0.98f};
  s.input.inputControls_highlight_recovery = 0.3f;
  s.curvesEnable = s.rgbCurvesEnable = s.hslCurvesEnable = 1;
  for (int c = 0; c < 4; ++c) curve(s.rgbCurves[c], 0.01f, 0.52f, 0.98f);
  for (int c = 0; c < 3; ++c) curve(s.hslCurves[c], 0.5f, 0.55f, 0.5f);
  s.lumaRangesEnable = 1;
  s.secondaryEnable = s.secondaryKeyerEnable = 1;
  for (int n = 0; n < 6; ++n) secondary(s.secondary[n], n);
  s.limiter_enable = 1;
  s.limiter.limiter_softclip_enable = 1;
  return s;
}

inline VL_SettingsStruct workload(int64_t w) {
  switch (w) {
    case kTypicalGrade:
      return typicalGrade();
    case kFullCorrection:
      return fullCorrection();
    default:
      return everySectionOff();
  }
}

// A picture-like frame: smooth colour gradients with a little grain, so
// neighbouring pixels look up neighbouring table entries as in real footage.
inline FBFrameStruct* pictureFrame(uint32_t width, uint32_t height) {
  FBFrameStruct* in = nullptr;
  BenchRequire(FBCreateRGBFrameBuffer(width, height, &in, kFBPixFormatPlanarFloat), "FBCreateRGBFrameBuffer");
  std::mt19937 rng(1);
  std::uniform_real_distribution<float> grain(-0.01f, 0.01f);
  for (int p = 0; p < 3; ++p)
    for (uint32_t y = 0; y < height; ++y) {
      float* row = reinterpret_cast<float*>(in->baseAddr + size_t(p) * in->planeBytes + size_t(y) * in->rowBytes);
      for (uint32_t x = 0; x < in->rowBytes / 4; ++x) {
        float fx = float(x) / width, fy = float(y) / height;
        float v = p == 0 ? fx : (p == 1 ? fy : 0.5f * (fx + fy));
        row[x] = v * 1.05f + grain(rng);
      }
    }
  return in;
}

// A picture-like source frame and a cleared destination of one size, for a
// pass benchmark, disposed together.
struct PassFrames {
  FBFrameStruct* in = nullptr;
  FBFrameStruct* out = nullptr;
  PassFrames(uint32_t width, uint32_t height) : in(pictureFrame(width, height)) {
    BenchRequire(FBCreateRGBFrameBuffer(width, height, &out, kFBPixFormatPlanarFloat), "FBCreateRGBFrameBuffer");
    std::memset(out->baseAddr, 0, size_t(out->planeBytes) * 4);
  }
  ~PassFrames() {
    FBDisposeFrameBuffer(in);
    FBDisposeFrameBuffer(out);
  }
  PassFrames(const PassFrames&) = delete;
  PassFrames& operator=(const PassFrames&) = delete;
};

}  // namespace bench
