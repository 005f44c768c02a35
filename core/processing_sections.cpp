// Per-section table and block builders of VL_UpdateProcessingTables.
//
// All arithmetic on table entries is single precision. Values read from the
// record are not trusted: every gamma goes through VLSafeInvGamma, points and
// limits that would divide by zero take the nearest sensible value, so every
// entry written is finite whatever the record holds.
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/processing_tables_internal.h"
#include "core/task_pool.h"
#include "support/color_coding.h"

namespace {

float Clamp(float v, float lo, float hi) { return v > lo ? (v < hi ? v : hi) : lo; }  // NaN gives lo

float X(int i) { return float(i) / float(kVLTableLastIndex); }

// v raised to e. An exponent of 1 (a gamma at its default) gives v itself,
// which is what the power function returns for it, without its cost: most
// tables chain several gammas of which only some are moved.
float Raise(float v, float e) { return e == 1.0f ? v : std::pow(v, e); }

// Calls fill(t, i) for every index i of `tables` tables over the task pool.
template <class Fill>
void ForEachEntry(int tables, Fill fill) {
  VLForEachRun(tables, [&](int t, int from, int to) {
    for (int i = from; i < to; ++i) fill(t, i);
  });
}

// Calls fill(i) for every index of one table, over the task pool.
template <class Fill>
void ForEachIndex(Fill fill) {
  ForEachEntry(1, [&](int, int i) { fill(i); });
}

// The HSL contrast curve at x with k = contrast x 0.01 around centre.
float ContrastCurve(float x, float k, float centre) {
  const float t = x + 0.5f - centre;
  if (k >= 0.0f) {
    const float m = t > 0.5f ? 1.0f - t : t;
    const float e = k == 1.0f ? 127.0f : 1.0f / (1.0f - k);
    const float p = std::pow(2.0f * std::max(m, 0.0f), e) / 2.0f;
    return t > 0.5f ? 1.0f - p : p;
  }
  if (t > 0.5f) return 1.0f - std::pow(2.0f * std::max(1.0f - t, 0.0f), k + 1.0f) / 2.0f;
  return std::pow(2.0f * std::max(t, 0.0f), k + 1.0f) / 2.0f;
}

// Y'UV of an RGB colour.
// The key colours' V takes its green weight from kQVKeyVFromG.
float Weigh(float r, float g, float b, double wr, double wg, double wb) {
  return float(wr) * r + float(wg) * g + float(wb) * b;
}
float LumaOf(float r, float g, float b) { return Weigh(r, g, b, kQVYUV.yR, kQVYUV.yG, kQVYUV.yB); }
float UOf(float r, float g, float b) { return Weigh(r, g, b, kQVYUV.firstR, kQVYUV.firstG, kQVYUV.firstB); }
float VOf(float r, float g, float b) { return Weigh(r, g, b, kQVYUV.secondR, kQVKeyVFromG, kQVYUV.secondB); }

// 1 / (difference), 1e-9 standing in when the difference is 0 and the
// reciprocal kept finite.
float LevelsReciprocal(float difference) {
  if (difference == 0.0f) return 1e-9f;
  return Clamp(1.0f / difference, -1e9f, 1e9f);
}

// The input-gamma exponent of one levels channel from its grey point.
float LevelsExponent(const VL_LevelControls& lv) {
  const float black = VLFiniteOr(lv.inblackpt, 0.0f);
  const float range = VLFiniteOr(lv.inwhitept, 1.0f) - black;
  if (range == 0.0f) return 1.0f;  // no span to place the grey point in
  float r = (VLFiniteOr(lv.ingraypt, 0.5f) - black) / range;
  if (!std::isfinite(r)) return 1.0f;
  if (r < 0.5f) return 1.0f / ((0.5f - r) * 10.0f + 1.0f);
  if (r > 0.5f) {
    r = std::min(r, 1.0f);  // a grey point beyond white acts as grey at white
    const float divisor = 1.0f - 2.0f * (r - 0.5f);
    return divisor == 0.0f ? 1000000.0f : 1.0f / divisor;
  }
  return 1.0f;
}

// Products and sums of record values kept finite: overflow stops at the
// largest float.
float Bounded(float v) {
  if (std::isnan(v)) return 0.0f;
  return Clamp(v, -std::numeric_limits<float>::max(), std::numeric_limits<float>::max());
}

VLTableTop GammaTop(const float* table) {
  return {table[16383], (table[16383] - table[16375]) * 2048.0f};
}

}  // namespace

float VLSafeInvGamma(float gamma) {
  if (!(gamma > 0.0f)) return 1.0f;
  return Clamp(1.0f / gamma, 1e-6f, 1e6f);
}

float VLFiniteOr(float value, float fallback) { return std::isfinite(value) ? value : fallback; }

VLHueOffsetFrameSettings VLHueOffsetVector(float tintangle, float strength) {
  // The wheel's hue as a 16-bit HSL colour at full saturation and half
  // lightness, converted to RGB on the 0..65535 scale (kept unrounded).
  const double angle = std::isfinite(tintangle) ? tintangle : 0.0;
  const double hue16 = (360.0 - angle) * 182.04167;
  double h6 = hue16 / 65535.0 * 6.0;
  h6 -= 6.0 * std::floor(h6 / 6.0);  // floor modulo: negative hues wrap forwards
  if (!(h6 >= 0.0 && h6 < 6.0)) h6 = 0.0;
  const double lightness = 32767.0 / 65535.0;
  const double chroma = 1.0 - std::fabs(2.0 * lightness - 1.0);
  const double second = chroma * (1.0 - std::fabs(std::fmod(h6, 2.0) - 1.0));
  const double base = lightness - chroma / 2.0;
  double r = 0, g = 0, b = 0;
  switch (int(h6)) {
    case 0: r = chroma; g = second; break;
    case 1: r = second; g = chroma; break;
    case 2: g = chroma; b = second; break;
    case 3: g = second; b = chroma; break;
    case 4: r = second; b = chroma; break;
    default: r = chroma; b = second; break;
  }
  const double r16 = (r + base) * 65535.0, g16 = (g + base) * 65535.0, b16 = (b + base) * 65535.0;
  VLHueOffsetFrameSettings out;
  out.u = float((kQVYUV.firstR * r16 + kQVYUV.firstG * g16 + kQVYUV.firstB * b16) / 65535.0);
  out.v = float((kQVYUV.secondR * r16 + kQVKeyVFromG * g16 + kQVYUV.secondB * b16) / 65535.0);
  out.strength = VLFiniteOr(strength, 0.0f) / 3.0f;
  return out;
}

void VLBuildHSLTables(const VL_SettingsStruct& s, VLFrameSettings* fs) {
  struct Tone {
    float k, centre, bright, invGamma;
  } tones[4];
  for (int tone = 0; tone < 4; ++tone) {
    const VL_HSLControls& c = s.hsl[kVLToneToRecordRange[tone]];
    tones[tone].k = Clamp(VLFiniteOr(c.contrast, 0.0f) * 0.01f, -1.0f, 1.0f);
    tones[tone].centre = VLFiniteOr(c.contrastCenter, 0.5f);
    tones[tone].bright = Clamp(VLFiniteOr(c.brightness, 0.0f) * 0.005f, -1.0f, 1.0f);
    tones[tone].invGamma = VLSafeInvGamma(c.gamma);
  }
  const Tone(&t)[4] = tones;
  if (VLTableNeedsBuild(&gVLTableInputs.hsl,
                        {t[0].k, t[0].centre, t[0].bright, t[0].invGamma, t[1].k, t[1].centre, t[1].bright,
                         t[1].invGamma, t[2].k, t[2].centre, t[2].bright, t[2].invGamma, t[3].k, t[3].centre,
                         t[3].bright, t[3].invGamma})) {
    // Each range's contrast curve takes the previous range's contrast value
    // as its input: master from x, shadows from master, midtones from
    // shadows, highlights from midtones. The chain runs per index, so one
    // pass over the pool builds all four tables.
    ForEachIndex([&](int i) {
      float x = X(i);
      for (int tone = 0; tone < 4; ++tone) {
        const float k = t[tone].k, centre = t[tone].centre, bright = t[tone].bright, invGamma = t[tone].invGamma;
        const float cv = ContrastCurve(x, k, centre);
        const float v = bright >= 0.0f ? (1.0f - cv) * bright + cv : (bright + 1.0f) * cv;
        gVLTableStorage.hslCBG[tone][i] = Raise(v, invGamma);
        x = cv;
      }
    });
    gVLTableInputs.packedHSLRange = false;
  }
  for (int tone = 0; tone < 4; ++tone) {
    const VL_HSLControls& c = s.hsl[kVLToneToRecordRange[tone]];
    VLHSLFrameSettings& out = fs->hsl[tone];
    const float vibrance = VLFiniteOr(c.vibrance, 0.0f);
    out.hue = VLFiniteOr(c.hue, 0.0f);
    out.invGamma = t[tone].invGamma;
    out.contrast = t[tone].k;
    out.contrastCenter = t[tone].centre;
    out.brightness = t[tone].bright;
    out.saturation = VLFiniteOr(c.saturation, 100.0f) * 0.01f;
    out.vibrance = vibrance >= 0.0f ? 1.0f + vibrance * 0.01f : ((vibrance + 100.0f) * 0.63f + 37.0f) * 0.01f;
    out.gain = VLFiniteOr(c.gain, 1.0f);
    out.pedestal = VLFiniteOr(c.pedestal, 0.0f);
    out.top = GammaTop(gVLTableStorage.hslCBG[tone]);
  }
}

void VLBuildHueOffsets(const VL_SettingsStruct& s, VLFrameSettings* fs) {
  for (int w = 0; w < 4; ++w) {
    const VL_HueWheelControls& wheel = s.hueOffsets.wheel[w];
    fs->hueOffset[w] = VLHueOffsetVector(wheel.tintangle, wheel.strength);
  }
}

void VLBuildRGBTables(const VL_SettingsStruct& s, bool buildTables, VLFrameSettings* fs) {
  // The tables whose exponents changed, built together at the end.
  struct Build {
    float* table;
    float exponents[5];
  } builds[12];
  int buildCount = 0;
  for (int tone = 0; tone < 4; ++tone) {
    const int r = kVLToneToRecordRange[tone];
    const VL_RGBControls& rgb = s.rgb[r];
    const VL_CMYControls& cmy = s.cmy[r];
    VLPrimaryFrameSettings& out = fs->rgb[tone];
    // The CMY range folds into the RGB range: gains multiply, pedestals add.
    // Cyan acts on green and blue, magenta on red and blue, yellow on red and green.
    out.gain = Bounded(VLFiniteOr(rgb.gain, 1.0f) * VLFiniteOr(cmy.gain, 1.0f));
    out.pedestal = Bounded(VLFiniteOr(rgb.pedestal, 0.0f) + VLFiniteOr(cmy.pedestal, 0.0f));
    out.invGamma = VLSafeInvGamma(rgb.gamma);
    out.cmyInvGamma[0] = VLSafeInvGamma(cmy.gamma);
    for (int k = 0; k < 3; ++k) out.cmyInvGamma[k + 1] = VLSafeInvGamma(cmy.channel[k].gamma);
    for (int c = 0; c < 3; ++c) {
      float gain = VLFiniteOr(rgb.channel[c].gain, 1.0f);
      float ped = VLFiniteOr(rgb.channel[c].ped, 0.0f);
      float inv = VLSafeInvGamma(rgb.channel[c].gamma);
      for (int k = 0; k < 3; ++k) {
        if (k == c) continue;
        gain = Bounded(gain * VLFiniteOr(cmy.channel[k].gain, 1.0f));
        ped = Bounded(ped + VLFiniteOr(cmy.channel[k].ped, 0.0f));
        inv *= out.cmyInvGamma[k + 1];
      }
      out.channelGain[c] = gain;
      out.channelPedestal[c] = ped;
      out.channelInvGamma[c] = inv;

      float* table = tone == kVLToneMaster ? gVLTableStorage.rgbMaster[c] : gVLTableStorage.rgbRange[c][tone - 1];
      if (buildTables) {
        // x ^ (1 / channel gamma) ^ (1 / range gamma), raised further by the
        // CMY range gamma and the two CMY channel gammas that act on c.
        float exponents[5];
        int count = 0;
        exponents[count++] = VLSafeInvGamma(rgb.channel[c].gamma);
        exponents[count++] = out.invGamma;
        exponents[count++] = out.cmyInvGamma[0];
        for (int k = 0; k < 3; ++k) {
          if (k != c) exponents[count++] = out.cmyInvGamma[k + 1];
        }
        static_assert(sizeof exponents / sizeof exponents[0] == 5);
        if (VLTableNeedsBuild(&gVLTableInputs.rgb[tone][c],
                              {exponents[0], exponents[1], exponents[2], exponents[3], exponents[4]})) {
          Build& b = builds[buildCount++];
          b.table = table;
          std::copy(exponents, exponents + count, b.exponents);
          if (tone != kVLToneMaster)
            gVLTableInputs.packedRGBRange[c] = false;
          else
            gVLTableInputs.rgbMasterCurve[c] = false;
        }
      }
    }
  }
  ForEachEntry(buildCount, [&](int t, int i) {
    float v = X(i);
    for (float e : builds[t].exponents) v = Raise(v, e);
    builds[t].table[i] = v;
  });
  for (int tone = 0; tone < 4; ++tone)
    for (int c = 0; c < 3; ++c)
      fs->rgb[tone].top[c] =
          GammaTop(tone == kVLToneMaster ? gVLTableStorage.rgbMaster[c] : gVLTableStorage.rgbRange[c][tone - 1]);
}

void VLBuildYCbCrTables(const VL_SettingsStruct& s, bool buildTables, VLFrameSettings* fs) {
  // The tables whose gammas changed, built together at the end.
  struct Build {
    float* table;
    float inv;
    bool luma;       // the Y table, which takes the range gamma too
    float rangeInv;
  } builds[12];
  int buildCount = 0;
  for (int tone = 0; tone < 4; ++tone) {
    const VL_YCbCrControls& y = s.ycbcr[kVLToneToRecordRange[tone]];
    VLPrimaryFrameSettings& out = fs->ycbcr[tone];
    const float rangeGain = VLFiniteOr(y.gain, 1.0f);
    const float rangePed = VLFiniteOr(y.pedestal, 0.0f);
    out.invGamma = VLSafeInvGamma(y.gamma);
    for (int c = 0; c < 3; ++c) {
      out.channelGain[c] = VLFiniteOr(y.channel[c].gain, 1.0f);
      out.channelPedestal[c] = VLFiniteOr(y.channel[c].ped, 0.0f);
      out.channelInvGamma[c] = VLSafeInvGamma(y.channel[c].gamma);
    }
    for (float& inv : out.cmyInvGamma) inv = 1.0f;
    // Every range, the master included, applies per-component values only:
    // its own gain and pedestal go into Y, as its own gamma goes into the Y
    // table, so a pedestal lifts greys without tinting them.
    out.gain = 1.0f;
    out.pedestal = 0.0f;
    out.channelGain[0] = Bounded(out.channelGain[0] * rangeGain);
    out.channelPedestal[0] = Bounded(out.channelPedestal[0] + rangePed);
    for (int c = 0; c < 3; ++c) {
      float* table = tone == kVLToneMaster ? gVLTableStorage.ycbcrMaster[c] : gVLTableStorage.ycbcrRange[c][tone - 1];
      const float inv = out.channelInvGamma[c];
      // Only the Y table takes the range gamma.
      if (buildTables && VLTableNeedsBuild(&gVLTableInputs.ycbcr[tone][c], {inv, c == 0 ? out.invGamma : 1.0f})) {
        builds[buildCount++] = {table, inv, c == 0, out.invGamma};
        if (tone != kVLToneMaster) gVLTableInputs.packedYCbCrRange[c] = false;
      }
    }
  }
  ForEachEntry(buildCount, [&](int t, int i) {
    const Build& b = builds[t];
    const float v = Raise(X(i), b.inv);
    b.table[i] = b.luma ? Raise(v, b.rangeInv) : v;
  });
  for (int tone = 0; tone < 4; ++tone)
    for (int c = 0; c < 3; ++c)
      fs->ycbcr[tone].top[c] =
          GammaTop(tone == kVLToneMaster ? gVLTableStorage.ycbcrMaster[c] : gVLTableStorage.ycbcrRange[c][tone - 1]);
}

void VLBuildLevels(const VL_SettingsStruct& s, VLFrameSettings* fs) {
  const bool on = s.levelsEnable != 0;
  const VL_LevelControls& m = s.levels[kVLLevelsMaster];
  const float mBlack = VLFiniteOr(m.inblackpt, 0.0f);
  const float sm = LevelsReciprocal(VLFiniteOr(m.inwhitept, 1.0f) - mBlack);
  const float mOutBlack = VLFiniteOr(m.outblackpt, 0.0f);
  float mOutRange = VLFiniteOr(m.outwhitept, 1.0f) - mOutBlack;
  if (mOutRange == 0.0f) mOutRange = 1e-9f;
  const float fm = on && m.enable != 0 ? LevelsExponent(m) : 1.0f;
  VLLevelsFrameSettings& out = fs->levels;
  // The input tables whose exponents changed, built together at the end.
  struct Build {
    int channel;
    float fc, fm;
  } builds[3];
  int buildCount = 0;
  for (int c = 0; c < 3; ++c) {
    const VL_LevelControls& lv = s.levels[kVLLevelsRed + c];
    const float black = VLFiniteOr(lv.inblackpt, 0.0f);
    const float sc = LevelsReciprocal(VLFiniteOr(lv.inwhitept, 1.0f) - black);
    out.inScale[c] = sm * sc;
    out.inOffset[c] = Bounded(-mBlack * sm - black * sc);
    const float outBlack = VLFiniteOr(lv.outblackpt, 0.0f);
    float outRange = VLFiniteOr(lv.outwhitept, 1.0f) - outBlack;
    if (outRange == 0.0f) outRange = 1e-9f;
    out.outScale[c] = Bounded(mOutRange * outRange);
    out.outOffset[c] = Bounded(mOutBlack + outBlack);
    const float fc = on && lv.enable != 0 ? LevelsExponent(lv) : 1.0f;
    out.inExponent[c] = fc * fm;
    if (on && VLTableNeedsBuild(&gVLTableInputs.levelsIn[c], {fc, fm})) builds[buildCount++] = {c, fc, fm};
  }
  ForEachEntry(buildCount, [&](int t, int i) {
    gVLTableStorage.levelsIn[builds[t].channel][i] = Raise(Raise(X(i), builds[t].fc), builds[t].fm);
  });
  for (int c = 0; c < 3; ++c) out.inTop[c] = GammaTop(gVLTableStorage.levelsIn[c]);
}

void VLBuildSecondaries(const VL_SettingsStruct& s, VLFrameSettings* fs) {
  // The gamma tables whose gamma changed, built together at the end.
  struct Build {
    int secondary;
    float invGamma;
  } builds[6];
  int buildCount = 0;
  for (int n = 0; n < 6; ++n) {
    const VL_SecondaryControls& sec = s.secondary[n];
    VLSecondaryFrameSettings& out = fs->secondary[n];
    out.previewMode = sec.preview != 0 ? sec.previewMode : uint32_t(kVLPreviewCorrection);
    out.invert = sec.invert;
    out.lumatol = VLFiniteOr(sec.lumatol, 0.05f);
    out.chromatol = VLFiniteOr(sec.chromatol, 0.1f);
    out.softness = VLFiniteOr(sec.softness, 0.05f);
    out.hue = VLFiniteOr(sec.hue, 0.0f);
    out.saturation = VLFiniteOr(sec.saturation, 100.0f) * 0.01f;
    out.gain = VLFiniteOr(sec.gain, 1.0f);
    out.invGamma = VLSafeInvGamma(sec.gamma);
    out.pedestal = VLFiniteOr(sec.ped, 0.0f);
    out.hueOffset = VLHueOffsetVector(sec.hueoffset_tintangle, sec.hueoffset_strength);
    for (int k = 0; k < 4; ++k) {
      const VL_KeyColourSample& sample = sec.sample[k];
      const float r = VLFiniteOr(sample.red, 0.0f);
      const float g = VLFiniteOr(sample.green, 0.0f);
      const float b = VLFiniteOr(sample.blue, 0.0f);
      out.key[k] = {Bounded(LumaOf(r, g, b)), Bounded(UOf(r, g, b)), Bounded(VOf(r, g, b)), sample.inUse};
    }
    if (fs->gates.secondary[n] && VLTableNeedsBuild(&gVLTableInputs.secondary[n], {out.invGamma}))
      builds[buildCount++] = {n, out.invGamma};
  }
  ForEachEntry(buildCount, [&](int t, int i) {
    gVLTableStorage.secondaryGamma[builds[t].secondary][i] = Raise(X(i), builds[t].invGamma);
  });
  for (int n = 0; n < 6; ++n) fs->secondary[n].top = GammaTop(gVLTableStorage.secondaryGamma[n]);
}

void VLBuildLimiter(const VL_SettingsStruct& s, VLFrameSettings* fs) {
  // Video levels are integers; they are kept to a 16-bit scale here.
  const float black = Clamp(float(int32_t(s.videoBlackLevel)), 0.0f, 65535.0f);
  const float white = Clamp(float(int32_t(s.videoWhiteLevel)), 0.0f, 65535.0f);
  const float maximum = Clamp(float(int32_t(s.videoMaxLevel)), 0.0f, 65535.0f);
  const bool setup = s.videoBlackSetup != 0;
  const float pedestal = setup ? 0.075f : 0.0f;
  const float offset = setup ? 7.5f : 0.0f;
  const float divisor = setup ? 0.925f : 1.0f;
  float scale, base;
  if (maximum == 0.0f) {
    // No maximum level to scale by: the limits stay on the full scale.
    scale = 1.0f / divisor;
    base = 0.0f;
  } else {
    scale = ((white - black) / maximum) / divisor;
    base = black / maximum;
  }
  const VL_LimiterControls& lim = s.limiter;
  auto percent = [](float v, float fallback) { return Clamp(VLFiniteOr(v, fallback), -1e6f, 1e6f); };
  auto chroma = [&](float v) { return (v - offset) * scale + base * 100.0f; };
  auto level = [&](float v) { return (v * 0.01f - pedestal) * scale + base; };
  VLLimiterFrameSettings& out = fs->limiter;
  out.chromaMax = chroma(percent(lim.limiter_chroma_max, 110.0f));
  out.chromaMin = chroma(percent(lim.limiter_chroma_min, -30.0f));
  out.lumaMax = level(percent(lim.limiter_luma_max, 120.0f));
  out.softclipEnable = lim.limiter_softclip_enable;
  out.softclipKnee = level(percent(lim.limiter_softclip_knee, 90.0f));
  out.softclipWhite = level(percent(lim.limiter_softclip_white_level, 100.0f));
  out.softclipMax = level(percent(lim.limiter_softclip_max_level, 130.0f));
  out.clipMethod = lim.limiter_clip_method;
  out.system = lim.limiter_system;
  // The soft-clip ramp maps knee..max onto knee..white; a ramp of no width
  // passes values through (or clips at the knee when white is the knee too).
  const float width = out.softclipMax - out.softclipKnee;
  const float rise = out.softclipWhite - out.softclipKnee;
  if (width != 0.0f) {
    out.softclipInvRange = 1.0f / width;
  } else {
    out.softclipInvRange = rise != 0.0f ? 1.0f / rise : 1.0f;
  }
  if (!std::isfinite(out.softclipInvRange)) out.softclipInvRange = 1.0f;
}

void VLBuildLinearization(const VL_SettingsStruct& s, VLFrameSettings* fs) {
  float* forward = gVLTableStorage.linGamma;
  float* inverse = gVLTableStorage.linGammaInverse;
  // A gamma at or below 0 (or NaN) linearizes nothing: identity tables.
  const bool usable = s.linearizationGamma > 0.0f;
  const float g = usable ? Clamp(s.linearizationGamma, 1e-6f, 1e6f) : 1.0f;
  const float inv = 1.0f / g;
  const float black = float(std::min<uint32_t>(s.logBlackPoint, 1023));
  const float white = float(std::min<uint32_t>(s.logWhitePoint, 1023));
  // The kind of transfer as 0 (video), 1 (log), 2 (tables left alone),
  // 3 (power) or 4 (nothing written).
  const float kind = s.linearizeVideoGamma != 0 ? 0.0f
                     : s.linearizeLog != 0      ? 1.0f
                     : s.linearizeSelector3 != 0 ? 2.0f
                     : s.linearizeSelector4 == 0 ? 3.0f
                                                 : 4.0f;
  if (fs->gates.inputLinearization && VLTableNeedsBuild(&gVLTableInputs.linearization, {kind, g, black, white})) {
    if (s.linearizeVideoGamma != 0) {
      // Video transfer: a power segment above 0.018 and a line below it.
      const float knee = std::pow(0.018f, inv);
      if (g >= 1.0f) {
        const float a = (g - 1.0f) * 0.0811f;
        const float k = ((1.0f + a) * knee - a) / 0.018f;
        ForEachIndex([&](int i) {
          const float x = X(i);
          inverse[i] = x >= 0.018f ? (1.0f + a) * std::pow(x, inv) - a : x * k;
        });
      } else {
        const float a = (1.0f - g) * 0.0811f;
        float below = (1.0f + a) * knee - a;
        // When that leaves no slope, the line meets the power segment at 0.018.
        if (below == 0.0f || !std::isfinite(0.018f / below)) below = (1.0f - a) * knee + a;
        ForEachIndex([&](int i) {
          const float x = X(i);
          inverse[i] = x >= 0.018f ? (1.0f - a) * std::pow(x, inv) + a : x * 0.018f / below;
        });
      }
    } else if (s.linearizeLog != 0) {
      // Log transfer from 10-bit codes: 1 at the white point, 0 at the black
      // point and below it.
      const float perCode = 0.002f / 0.6f / 1.7f;
      float gain = 1.0f;
      if (black < white) gain = 1.0f / (1.0f - std::pow(10.0f, (black - white) * perCode));
      ForEachIndex([&](int i) {
        const float code = float(i) * 1023.0f / float(kVLTableLastIndex);
        forward[i] = code <= black ? 0.0f : gain * std::pow(10.0f, (code - white) * perCode) - (gain - 1.0f);
      });
    } else if (s.linearizeSelector3 != 0) {
      // Both tables stay as they are.
    } else if (s.linearizeSelector4 == 0) {
      ForEachIndex([&](int i) {
        inverse[i] = Raise(X(i), inv);
        forward[i] = Raise(X(i), g);
      });
    }
  }
  fs->linTop = GammaTop(forward);
  fs->linInverseTop = GammaTop(inverse);
}
