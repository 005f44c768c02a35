#include "tests/core/process_reference.h"

#include <cmath>

namespace {

struct C {
  float r, g, b;
};

float luma(const C& c) { return 0.299f * c.r + 0.587f * c.g + 0.114f * c.b; }
float chromaU(const C& c) { return -0.147407f * c.r - 0.289391f * c.g + 0.436798f * c.b; }
float chromaV(const C& c) { return 0.614777f * c.r - 0.514799f * c.g - 0.099978f * c.b; }
C fromYUV(float y, float u, float v) { return {y + 1.140251f * v, y - 0.393931f * u - 0.580809f * v, y + 2.028398f * u}; }
float chromaCb(const C& c) { return -0.168736f * c.r - 0.331264f * c.g + 0.5f * c.b; }
float chromaCr(const C& c) { return 0.5f * c.r - 0.418688f * c.g - 0.081312f * c.b; }
C fromYCC(float y, float cb, float cr) { return {y + 1.402f * cr, y - 0.344136f * cb - 0.714136f * cr, y + 1.772f * cb}; }

int indexOf(float v) {
  if (!(v > 0.0f)) return 0;
  if (v >= 1.0f) return 16384;
  return int(v * 16384.0f);
}

float at(const float* table, float v) { return table[indexOf(v)]; }

float look(const float* table, VLTableTop top, float v) {
  if (v > 1.0f) return (v - 1.0f) * top.slope + top.value;
  return at(table, v);
}

C rotate(const C& c, float degrees) {
  float a = degrees * 0.01745329f, y = luma(c), u = chromaU(c), v = chromaV(c);
  return fromYUV(y, u * std::cos(a) - v * std::sin(a), u * std::sin(a) + v * std::cos(a));
}

C vibrance(const C& c, float amount) {
  float mx = std::fmax(std::fmax(c.r, c.g), c.b), mn = std::fmin(std::fmin(c.r, c.g), c.b);
  float d = mx - mn, l = (mx + mn) / 2, s;
  if (d <= 0) {
    s = d;
  } else if (l <= 0) {
    s = 0;
  } else if (l <= 0.5f) {
    s = d / (mx + mn);
  } else {
    s = 2 - mx - mn > 0 ? d / (2 - mx - mn) : 0;  // super-whites count as unsaturated
  }
  float f = (1 - s) * 1.1f + 1, a = std::fmin(f, amount), y = luma(c);
  return {a * c.r + (1 - a) * y, a * c.g + (1 - a) * y, a * c.b + (1 - a) * y};
}

C mix3(const float w[3], const C x[3]) {
  return {w[0] * x[0].r + w[1] * x[1].r + w[2] * x[2].r, w[0] * x[0].g + w[1] * x[1].g + w[2] * x[2].g,
          w[0] * x[0].b + w[1] * x[1].b + w[2] * x[2].b};
}

float& channel(C& c, int i) { return i == 0 ? c.r : (i == 1 ? c.g : c.b); }

// Scales the colour so its luma becomes target, when luma is not zero.
void scaleTo(C& c, float factorNumerator, float y) {
  if (y == 0) return;
  float f = factorNumerator / y;
  c = {c.r * f, c.g * f, c.b * f};
}

void hslCurves(const VLFrameSettings& F, C& c) {
  float mx = std::fmax(std::fmax(c.r, c.g), c.b), mn = std::fmin(std::fmin(c.r, c.g), c.b);
  float d = mx - mn, l = (mx + mn) / 2, h = 0, s = 0;
  if (d > 0) {
    if (c.r >= mx) {
      h = (c.g - c.b) / d;
      if (h < 0) h += 6;
    } else if (c.g >= mx) {
      h = (c.b - c.r) / d + 2;
    } else {
      h = (c.r - c.g) / d + 4;
    }
    h /= 6;
    float den = l <= 0.5f ? mx + mn : 2 - mx - mn;
    s = den >= 1e-6f ? d / den : 0;  // a tiny or negative divisor: grey
  }
  float shifted = h + 0.5f;
  if (shifted > 1) shifted -= 1;
  h += at(F.tables.curveH, shifted);
  s *= at(F.tables.curveS, shifted);
  l *= at(F.tables.curveL, shifted);
  float q = l <= 0.5f ? l * (1 + s) : l + s - l * s, p = 2 * l - q;
  auto one = [&](float t) {
    t -= std::floor(t);
    if (t < 1.0f / 6) return p + (q - p) * 6 * t;
    if (t < 0.5f) return q;
    if (t < 2.0f / 3) return p + (q - p) * (2.0f / 3 - t) * 6;
    return p;
  };
  c = {one(h + 1.0f / 3), one(h), one(h - 1.0f / 3)};
}

void secondary(const VLSecondaryFrameSettings& K, const float* gammaTable, C& c) {
  float y = luma(c), u = chromaU(c), v = chromaV(c);
  float soft2 = K.softness * K.softness, key = 0;
  for (const VLKeyColour& s : K.key) {
    if (!s.inUse) continue;
    float du = s.u - u, dv = s.v - v, dy = s.y - y;
    float ct = soft2 > 1e-20f ? 1 - (du * du + dv * dv - K.chromatol * K.chromatol) / soft2
                              : (du * du + dv * dv - K.chromatol * K.chromatol <= 0 ? 1.0f : 0.0f);
    float lt = soft2 > 1e-20f ? 1 - (std::fabs(dy) - K.lumatol) / soft2 : (std::fabs(dy) - K.lumatol <= 0 ? 1.0f : 0.0f);
    ct = std::fmin(std::fmax(ct, 0.0f), 1.0f);
    lt = std::fmin(std::fmax(lt, 0.0f), 1.0f);
    key = std::fmax(key, std::fmax(ct * lt, 0.0f));
  }
  float cor[3] = {y, u, v}, unc[3] = {y, u, v};
  switch (K.previewMode) {
    case 0: {
      float a = K.hue * 0.01745329f;
      float u1 = u * std::cos(a) - v * std::sin(a), v1 = u * std::sin(a) + v * std::cos(a);
      float y1 = K.gain * y + K.pedestal;
      if (K.invGamma != 1.0f) y1 = look(gammaTable, K.top, y1);
      float s = K.saturation, k = K.hueOffset.strength;
      cor[0] = y1;
      cor[1] = (K.hueOffset.u - s * u1) * k + s * u1;
      cor[2] = (K.hueOffset.v - s * v1) * k + s * v1;
      break;
    }
    case 1:
      unc[1] = unc[2] = 0;
      break;
    case 2: {
      C tint = {std::fmax(c.r, 0.6825f), 0.6825f * c.g, 0.6825f * c.b};
      unc[0] = luma(tint), unc[1] = chromaU(tint), unc[2] = chromaV(tint);
      break;
    }
    case 3:
      cor[0] = 1, cor[1] = cor[2] = 0;
      unc[0] = unc[1] = unc[2] = 0;
      break;
    default:
      return;
  }
  float out[3];
  for (int i = 0; i < 3; ++i)
    out[i] = K.invert ? cor[i] * (1 - key) + unc[i] * key : unc[i] * (1 - key) + cor[i] * key;
  c = fromYUV(out[0], out[1], out[2]);
}

void limiter(const VLFrameSettings& F, C& c) {
  const VLLimiterFrameSettings& L = F.limiter;
  bool preview = F.gates.limiterPreview;
  if (L.softclipEnable) {
    float y = luma(c), k = L.softclipKnee;
    if (y >= k) scaleTo(c, (y - k) * L.softclipInvRange * (L.softclipWhite - k) + k, y);
  }
  float y = luma(c);
  if (y >= L.lumaMax) scaleTo(c, L.lumaMax, y);
  y = luma(c);
  float u = chromaU(c), v = chromaV(c);
  float chroma = std::sqrt(std::fmax((100 * u) * (100 * u) + (100 * v) * (100 * v), 1.0f));
  float a = 100 * y + chroma, mx = L.chromaMax;
  if (a >= mx) {
    if (preview) {
      c = {0, 0, 0};
    } else if (L.clipMethod == 1 || L.clipMethod == 3) {
      float f = std::fmax((chroma - (L.clipMethod == 3 ? 0.4f : 1.0f) * (a - mx)) / chroma, 0.0f);
      c = fromYUV(y, u * f, v * f);
      if (L.clipMethod == 3 && a != 0) c = {c.r * (mx / a), c.g * (mx / a), c.b * (mx / a)};
    } else if (L.clipMethod == 2 && a != 0) {
      c = {c.r * (mx / a), c.g * (mx / a), c.b * (mx / a)};
    }
  }
  y = luma(c), u = chromaU(c), v = chromaV(c);
  chroma = std::sqrt(std::fmax((100 * u) * (100 * u) + (100 * v) * (100 * v), 1.0f));
  float b = 100 * y - chroma, mn = L.chromaMin;
  if (b <= mn) {
    if (preview) {
      c = {0, 0, 0};
    } else if (L.clipMethod == 1 || L.clipMethod == 3) {
      float f = (b - mn + chroma) / chroma;
      c = fromYUV(y, u * f, v * f);
    } else if (L.clipMethod == 2 && b != 0) {
      c = {c.r * (mn / b), c.g * (mn / b), c.b * (mn / b)};
    }
  }
}

}  // namespace

void ReferencePixel(const VLFrameSettings& F, const float in[3], float out[4]) {
  const VLFrameGates& G = F.gates;
  const VLTablePointers& T = F.tables;
  C c = {in[0], in[1], in[2]};
  float y0 = luma(c);
  const float w[3] = {at(T.yToShadow, y0), at(T.yToMidtone, y0), at(T.yToHighlight, y0)};

  // Levels in.
  if (G.levels) {
    if (G.inputHighlightRecovery) {
      float t = F.inputHighlightFactor, y = luma(c);
      if (y >= t) scaleTo(c, (y - t) * 0.5f + t, y);
    }
    for (int i = 0; i < 3; ++i) channel(c, i) = F.levels.inScale[i] * channel(c, i) + F.levels.inOffset[i];
    if (F.derived.levelsInGrey)
      for (int i = 0; i < 3; ++i) channel(c, i) = look(T.levelsIn[i], F.levels.inTop[i], channel(c, i));
  }

  // HSL ranges; the block's ranges 1..3 are shadows, midtones, highlights.
  if (G.hsl[1] || G.hsl[2] || G.hsl[3]) {
    const VLHSLFrameSettings* R = &F.hsl[1];
    bool hue = false, gain = false, ped = false, sat = false, vib = false;
    for (int k = 0; k < 3; ++k) {
      hue |= R[k].hue != 0, gain |= R[k].gain != 1, ped |= R[k].pedestal != 0;
      sat |= R[k].saturation != 1, vib |= R[k].vibrance != 1;
    }
    if (hue) {
      C x[3] = {rotate(c, R[0].hue), rotate(c, R[1].hue), rotate(c, R[2].hue)};
      c = mix3(w, x);
    }
    if (gain) {
      float g = w[0] * R[0].gain + w[1] * R[1].gain + w[2] * R[2].gain;
      c = {c.r * g, c.g * g, c.b * g};
    }
    if (ped) {
      float p = w[0] * R[0].pedestal + w[1] * R[1].pedestal + w[2] * R[2].pedestal;
      c = {c.r + p, c.g + p, c.b + p};
    }
    for (int i = 0; i < 3; ++i) {
      float v = channel(c, i), sum = 0;
      for (int k = 0; k < 3; ++k) sum += w[k] * look(T.hslCBG[1 + k], R[k].top, v);
      channel(c, i) = sum;
    }
    if (sat) {
      float y = luma(c);
      for (int i = 0; i < 3; ++i) {
        float v = channel(c, i), sum = 0;
        for (int k = 0; k < 3; ++k) sum += w[k] * (R[k].saturation * v + (1 - R[k].saturation) * y);
        channel(c, i) = sum;
      }
    }
    if (vib) {
      C x[3] = {vibrance(c, R[0].vibrance), vibrance(c, R[1].vibrance), vibrance(c, R[2].vibrance)};
      c = mix3(w, x);
    }
  }

  // HSL master.
  if (G.hsl[0]) {
    const VLHSLFrameSettings& M = F.hsl[0];
    if (M.hue != 0) c = rotate(c, M.hue);
    c = {M.gain * c.r + M.pedestal, M.gain * c.g + M.pedestal, M.gain * c.b + M.pedestal};
    if (!(M.contrast == 0 && M.contrastCenter == 0.5f && M.invGamma == 1 && M.brightness == 0))
      for (int i = 0; i < 3; ++i) channel(c, i) = look(T.hslCBG[0], M.top, channel(c, i));
    if (M.saturation != 1) {
      float y = luma(c);
      for (int i = 0; i < 3; ++i) channel(c, i) = M.saturation * channel(c, i) + (1 - M.saturation) * y;
    }
    if (M.vibrance != 1) c = vibrance(c, M.vibrance);
  }

  // Hue offsets: wheels shadows, midtones, highlights, then master.
  if (G.hueOffsets) {
    float y = luma(c), u = chromaU(c), v = chromaV(c);
    const int order[4] = {1, 2, 3, 0};
    for (int n = 0; n < 4; ++n) {
      const VLHueOffsetFrameSettings& h = F.hueOffset[order[n]];
      float k = order[n] == 0 ? h.strength : h.strength * w[order[n] - 1];
      u = u + (h.u - u) * k;
      v = v + (h.v - v) * k;
    }
    c = fromYUV(y, u, v);
  }

  // RGB and CMY ranges.
  if (F.derived.rgbRangesOn || F.derived.cmyRangesOn) {
    for (int i = 0; i < 3; ++i) {
      float g = 0, o = 0;
      for (int k = 0; k < 3; ++k) {
        const VLPrimaryFrameSettings& P = F.rgb[1 + k];
        g += w[k] * (P.gain * P.channelGain[i]);
        o += w[k] * (P.pedestal + P.channelPedestal[i]);
      }
      channel(c, i) = channel(c, i) * g + o;
    }
    if (F.derived.rgbRangeGamma || F.derived.cmyRangeGamma)
      for (int i = 0; i < 3; ++i) {
        float v = channel(c, i), sum = 0;
        for (int k = 0; k < 3; ++k) sum += w[k] * look(T.rgbRange[i][k], F.rgb[1 + k].top[i], v);
        channel(c, i) = sum;
      }
  }

  auto chromaLook = [](const float* table, VLTableTop top, float x) {
    float m = look(table, top, 2 * std::fabs(x)) * 0.5f;
    return std::copysign(m, x);
  };

  // Y'CbCr ranges.
  if (F.derived.ycbcrRangesOn) {
    float x[3] = {luma(c), chromaCb(c), chromaCr(c)};
    for (int i = 0; i < 3; ++i) {
      float g = 0, o = 0;
      for (int k = 0; k < 3; ++k) g += w[k] * F.ycbcr[1 + k].channelGain[i], o += w[k] * F.ycbcr[1 + k].channelPedestal[i];
      x[i] = x[i] * g + o;
    }
    if (F.derived.ycbcrRangeGamma) {
      float sum[3] = {0, 0, 0};
      for (int k = 0; k < 3; ++k) {
        sum[0] += w[k] * look(T.ycbcrRange[0][k], F.ycbcr[1 + k].top[0], x[0]);
        for (int i = 1; i < 3; ++i) sum[i] += w[k] * chromaLook(T.ycbcrRange[i][k], F.ycbcr[1 + k].top[i], x[i]);
      }
      for (int i = 0; i < 3; ++i) x[i] = sum[i];
    }
    c = fromYCC(x[0], x[1], x[2]);
  }

  // RGB and CMY master.
  if (G.rgb[0] || G.cmy[0]) {
    const VLPrimaryFrameSettings& P = F.rgb[0];
    for (int i = 0; i < 3; ++i) {
      channel(c, i) = (P.gain * P.channelGain[i]) * channel(c, i) + (P.pedestal + P.channelPedestal[i]);
      if (F.derived.rgbMasterGamma || F.derived.cmyMasterGamma)
        channel(c, i) = look(T.rgbMaster[i], P.top[i], channel(c, i));
    }
  }

  // Y'CbCr master.
  if (G.ycbcr[0]) {
    const VLPrimaryFrameSettings& P = F.ycbcr[0];
    float x[3] = {luma(c), chromaCb(c), chromaCr(c)};
    for (int i = 0; i < 3; ++i) x[i] = (P.gain * P.channelGain[i]) * x[i] + (P.pedestal + P.channelPedestal[i]);
    if (F.derived.ycbcrMasterGamma) {
      x[0] = look(T.ycbcrMaster[0], P.top[0], x[0]);
      for (int i = 1; i < 3; ++i) x[i] = chromaLook(T.ycbcrMaster[i], P.top[i], x[i]);
    }
    c = fromYCC(x[0], x[1], x[2]);
  }

  if (G.rgbCurves)
    for (int i = 0; i < 3; ++i) channel(c, i) = look(T.curveRGB[i], F.curveTop[i], channel(c, i));
  if (G.hslCurves) hslCurves(F, c);

  if (G.levels)
    for (int i = 0; i < 3; ++i) channel(c, i) = F.levels.outScale[i] * channel(c, i) + F.levels.outOffset[i];

  for (int n = 0; n < 6; ++n)
    if (G.secondary[n]) secondary(F.secondary[n], T.secondaryGamma[n], c);

  if (G.limiter) limiter(F, c);

  out[0] = c.r;
  out[1] = c.g;
  out[2] = c.b;
  out[3] = luma(c);
}
