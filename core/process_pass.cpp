// The per-pixel stages of the processing pass, four pixels at a time.
#include "core/process_pass.h"

#include "core/pixel_vector.h"
#include "core/process_image.h"

namespace {

using V = FBPixelFloatVector;

constexpr float kTableScale = 16384.0f;

struct RGB {
  V r, g, b;
};
struct YUV {
  V y, u, v;
};

inline V lumaOf(const RGB& c) { return vSet(0.299f) * c.r + vSet(0.587f) * c.g + vSet(0.114f) * c.b; }

inline YUV toYUV(const RGB& c) {
  return {lumaOf(c), vSet(-0.147407f) * c.r - vSet(0.289391f) * c.g + vSet(0.436798f) * c.b,
          vSet(0.614777f) * c.r - vSet(0.514799f) * c.g - vSet(0.099978f) * c.b};
}
inline RGB fromYUV(V y, V u, V v) {
  return {y + vSet(1.140251f) * v, y - vSet(0.393931f) * u - vSet(0.580809f) * v, y + vSet(2.028398f) * u};
}
inline V uOf(const RGB& c) { return vSet(-0.147407f) * c.r - vSet(0.289391f) * c.g + vSet(0.436798f) * c.b; }
inline V vOf(const RGB& c) { return vSet(0.614777f) * c.r - vSet(0.514799f) * c.g - vSet(0.099978f) * c.b; }

inline V cbOf(const RGB& c) { return vSet(-0.168736f) * c.r - vSet(0.331264f) * c.g + vSet(0.5f) * c.b; }
inline V crOf(const RGB& c) { return vSet(0.5f) * c.r - vSet(0.418688f) * c.g - vSet(0.081312f) * c.b; }
inline RGB fromYCC(V y, V cb, V cr) {
  return {y + vSet(1.402f) * cr, y - vSet(0.344136f) * cb - vSet(0.714136f) * cr, y + vSet(1.772f) * cb};
}

// Table value at truncate(clamp(v, 0, 1) x 16384), with no extension.
inline V tableAt(const float* table, V v) {
  int32_t i[4];
  vIndices(v, kTableScale, i);
  return vSet4(table[i[0]], table[i[1]], table[i[2]], table[i[3]]);
}

// Table lookup; values above 1.0 follow the line from the table's end.
inline V lookup(const VLTableRef& t, V v) {
  V r = tableAt(t.table, v);
  FBPixelMask above = vGT(v, vSet(1.0f));
  if (vAny(above)) r = vSelect(above, (v - vSet(1.0f)) * vSet(t.slope) + vSet(t.end), r);
  return r;
}

inline V blend(const V w[3], V s, V m, V h) { return w[0] * s + w[1] * m + w[2] * h; }

inline V gather(const float* table, const int32_t i[4]) { return vSet4(table[i[0]], table[i[1]], table[i[2]], table[i[3]]); }

// The three tonal-range tables looked up at the same value (one index
// computation for all three) and blended by the weights.
inline V lookupBlend(const VLTableRef t[3], V v, const V w[3]) {
  int32_t i[4];
  vIndices(v, kTableScale, i);
  V r[3] = {gather(t[0].table, i), gather(t[1].table, i), gather(t[2].table, i)};
  FBPixelMask above = vGT(v, vSet(1.0f));
  if (vAny(above)) {
    V over = v - vSet(1.0f);
    for (int k = 0; k < 3; ++k) r[k] = vSelect(above, over * vSet(t[k].slope) + vSet(t[k].end), r[k]);
  }
  return blend(w, r[0], r[1], r[2]);
}

// Multiplies the colour by factor in the selected lanes only.
inline void scaleLanes(RGB& c, FBPixelMask mask, V factor) {
  c.r = vSelect(mask, c.r * factor, c.r);
  c.g = vSelect(mask, c.g * factor, c.g);
  c.b = vSelect(mask, c.b * factor, c.b);
}

// A factor num / den that is 1 where den is 0 (the lane then keeps its value).
inline V safeRatio(V num, V den) {
  FBPixelMask zero = vGE(vAbs(den), vSet(1e-30f));
  return vSelect(zero, num / vSelect(zero, den, vSet(1.0f)), vSet(1.0f));
}

// The vibrance factor's limit by saturation: (1 - S) x 1.1 + 1. Above
// lightness 0.5 the denominator 2 - max - min reaches zero and turns negative
// for super-whites; those count as unsaturated.
inline V vibranceLimit(const RGB& c) {
  const V zero = vSet(0.0f), one = vSet(1.0f);
  V mx = vMax(vMax(c.r, c.g), c.b), mn = vMin(vMin(c.r, c.g), c.b);
  V d = mx - mn, sum = mx + mn, l = sum * vSet(0.5f);
  V den = vSelect(vLE(l, vSet(0.5f)), sum, vSet(2.0f) - sum);
  FBPixelMask usable = vGT(den, zero);
  V s = vSelect(usable, d / vSelect(usable, den, one), zero);
  s = vSelect(vLE(l, zero), zero, s);
  s = vSelect(vLE(d, zero), d, s);
  return (one - s) * vSet(1.1f) + one;
}

// Vibrance with weight 1: the colour pulled from its luma by min(limit, amount).
inline RGB vibrance(const RGB& c, V y, V limit, V amount) {
  V a = vMin(limit, amount), rest = vSet(1.0f) - a;
  return {a * c.r + rest * y, a * c.g + rest * y, a * c.b + rest * y};
}

RGB rotateHue(const RGB& c, V y, V cosA, V sinA) {
  V u = uOf(c), v = vOf(c);
  return fromYUV(y, u * cosA - v * sinA, u * sinA + v * cosA);
}

void levelsInput(const VLPassSetup& S, RGB& c) {
  if (S.inputRecovery) {
    V t = S.recoveryThreshold.v, y = lumaOf(c);
    // Lanes at or above the threshold, with a luma to divide by.
    FBPixelMask hit = vGE(y, t) & vGT(vAbs(y), vSet(0.0f));
    scaleLanes(c, hit, safeRatio((y - t) * vSet(0.5f) + t, y));
  }
  c.r = S.inGain[0].v * c.r + S.inOffset[0].v;
  c.g = S.inGain[1].v * c.g + S.inOffset[1].v;
  c.b = S.inGain[2].v * c.b + S.inOffset[2].v;
  if (S.inGrey) {
    c.r = lookup(S.inGamma[0], c.r);
    c.g = lookup(S.inGamma[1], c.g);
    c.b = lookup(S.inGamma[2], c.b);
  }
}

// The tonal-range blends below are written in their expanded form: a blend
// of linear results equals the linear result of the blended parameters, so
// each is formed once instead of once per range.
void hslRanges(const VLPassSetup& S, RGB& c, const V w[3]) {
  if (S.rangeHue) {
    // sum of w x (Y'UV inverse of Y and the rotated chroma) = the inverse of
    // (sum of w) x Y and the blended rotated chroma.
    V y = lumaOf(c), u = uOf(c), v = vOf(c), bu = vSet(0.0f), bv = vSet(0.0f);
    for (int k = 0; k < 3; ++k) {
      bu = bu + w[k] * (u * S.rangeCos[k].v - v * S.rangeSin[k].v);
      bv = bv + w[k] * (u * S.rangeSin[k].v + v * S.rangeCos[k].v);
    }
    V wy = (w[0] + w[1] + w[2]) * y;
    c = fromYUV(wy, bu, bv);
  }
  if (S.rangeGain) {
    V g = blend(w, S.rangeGainValue[0].v, S.rangeGainValue[1].v, S.rangeGainValue[2].v);
    c = {c.r * g, c.g * g, c.b * g};
  }
  if (S.rangePedestal) {
    V p = blend(w, S.rangePedestalValue[0].v, S.rangePedestalValue[1].v, S.rangePedestalValue[2].v);
    c = {c.r + p, c.g + p, c.b + p};
  }
  V* ch[3] = {&c.r, &c.g, &c.b};
  for (V* x : ch)
    *x = lookupBlend(S.rangeCBG, *x, w);
  if (S.rangeSaturation) {
    // sum of w x (s c + (1 - s) Y) = c x (sum of w s) + Y x (sum of w (1 - s)).
    V y = lumaOf(c), one = vSet(1.0f);
    V onC = blend(w, S.rangeSaturationValue[0].v, S.rangeSaturationValue[1].v, S.rangeSaturationValue[2].v);
    V onY = blend(w, one - S.rangeSaturationValue[0].v, one - S.rangeSaturationValue[1].v,
                  one - S.rangeSaturationValue[2].v);
    for (V* x : ch) *x = *x * onC + y * onY;
  }
  if (S.rangeVibrance) {
    // The saturation limit depends only on the colour; each range's factor
    // a = min(limit, amount) then blends like the saturation above.
    V y = lumaOf(c), limit = vibranceLimit(c), one = vSet(1.0f), a[3];
    for (int k = 0; k < 3; ++k) a[k] = vMin(limit, S.rangeVibranceValue[k].v);
    V onC = blend(w, a[0], a[1], a[2]), onY = blend(w, one - a[0], one - a[1], one - a[2]);
    for (V* x : ch) *x = *x * onC + y * onY;
  }
}

void hslMaster(const VLPassSetup& S, RGB& c) {
  if (S.masterHue) c = rotateHue(c, lumaOf(c), S.masterCos.v, S.masterSin.v);
  if (S.masterGainPedestal) {
    V g = S.masterGain.v, p = S.masterPedestal.v;
    c = {g * c.r + p, g * c.g + p, g * c.b + p};
  }
  if (S.masterCBG)
    c = {lookup(S.masterCBGTable, c.r), lookup(S.masterCBGTable, c.g), lookup(S.masterCBGTable, c.b)};
  if (S.masterSaturation) {
    V y = lumaOf(c), s = S.masterSaturationValue.v, rest = vSet(1.0f) - s;
    c = {s * c.r + rest * y, s * c.g + rest * y, s * c.b + rest * y};
  }
  if (S.masterVibrance) c = vibrance(c, lumaOf(c), vibranceLimit(c), S.masterVibranceValue.v);
}

void hueOffsets(const VLPassSetup& S, RGB& c, const V w[3]) {
  YUV p = toYUV(c);
  for (int k = 0; k < 4; ++k) {
    V strength = k < 3 ? S.offsetStrength[k].v * w[k] : S.offsetStrength[3].v;
    p.u = p.u + (S.offsetU[k].v - p.u) * strength;
    p.v = p.v + (S.offsetV[k].v - p.v) * strength;
  }
  c = fromYUV(p.y, p.u, p.v);
}

void rgbRanges(const VLPassSetup& S, RGB& c, const V w[3]) {
  V* ch[3] = {&c.r, &c.g, &c.b};
  for (int i = 0; i < 3; ++i) {
    V gain = blend(w, S.rgbRangeGain[0][i].v, S.rgbRangeGain[1][i].v, S.rgbRangeGain[2][i].v);
    V offset = blend(w, S.rgbRangeOffset[0][i].v, S.rgbRangeOffset[1][i].v, S.rgbRangeOffset[2][i].v);
    *ch[i] = *ch[i] * gain + offset;
  }
  if (S.rgbRangeGamma)
    for (int i = 0; i < 3; ++i)
      *ch[i] = lookupBlend(S.rgbRangeTable[i], *ch[i], w);
}

// Chroma through a gamma table on its doubled magnitude, halved and signed.
inline V chromaLookup(const VLTableRef& t, V x) {
  return vCopySign(lookup(t, vAbs(x) * vSet(2.0f)) * vSet(0.5f), x);
}

void yccRanges(const VLPassSetup& S, RGB& c, const V w[3]) {
  V x[3] = {lumaOf(c), cbOf(c), crOf(c)};
  for (int i = 0; i < 3; ++i) {
    V gain = blend(w, S.yccRangeGain[0][i].v, S.yccRangeGain[1][i].v, S.yccRangeGain[2][i].v);
    V offset = blend(w, S.yccRangeOffset[0][i].v, S.yccRangeOffset[1][i].v, S.yccRangeOffset[2][i].v);
    x[i] = x[i] * gain + offset;
  }
  if (S.yccRangeGamma) {
    x[0] = lookupBlend(S.yccRangeTable[0], x[0], w);
    for (int i = 1; i < 3; ++i)
      x[i] = vCopySign(lookupBlend(S.yccRangeTable[i], vAbs(x[i]) * vSet(2.0f), w) * vSet(0.5f), x[i]);
  }
  c = fromYCC(x[0], x[1], x[2]);
}

void rgbMaster(const VLPassSetup& S, RGB& c) {
  V* ch[3] = {&c.r, &c.g, &c.b};
  for (int i = 0; i < 3; ++i) {
    *ch[i] = S.rgbMasterGain[i].v * *ch[i] + S.rgbMasterOffset[i].v;
    if (S.rgbMasterGamma) *ch[i] = lookup(S.rgbMasterTable[i], *ch[i]);
  }
}

void yccMaster(const VLPassSetup& S, RGB& c) {
  V x[3] = {lumaOf(c), cbOf(c), crOf(c)};
  for (int i = 0; i < 3; ++i) x[i] = S.yccMasterGain[i].v * x[i] + S.yccMasterOffset[i].v;
  if (S.yccMasterGamma) {
    x[0] = lookup(S.yccMasterTable[0], x[0]);
    x[1] = chromaLookup(S.yccMasterTable[1], x[1]);
    x[2] = chromaLookup(S.yccMasterTable[2], x[2]);
  }
  c = fromYCC(x[0], x[1], x[2]);
}

// Saturation by the HSL rule; a denominator of zero (a pure super-white at
// lightness 1, or colours summing to zero) counts as grey instead of dividing.
inline V hslSaturation(V d, V sum, V lightness) {
  V den = vSelect(vLE(lightness, vSet(0.5f)), sum, vSet(2.0f) - sum);
  FBPixelMask usable = vGE(vAbs(den), vSet(1e-6f));
  return vSelect(usable, d / vSelect(usable, den, vSet(1.0f)), vSet(0.0f));
}

// Wraps a hue into 0..1 (hues here stay within two turns of that range;
// anything else, NaN included, ends up clamped).
inline V wrapHue(V t) {
  const V one = vSet(1.0f), zero = vSet(0.0f);
  for (int i = 0; i < 2; ++i) {
    t = vSelect(vGE(t, one), t - one, t);
    t = vSelect(vLT(t, zero), t + one, t);
  }
  return vMin(vMax(t, zero), one);
}

// One channel of the HSL inverse at hue t (already wrapped).
inline V hueChannel(V p, V q, V t) {
  V six = vSet(6.0f), rising = p + (q - p) * six * t, falling = p + (q - p) * (vSet(2.0f / 3.0f) - t) * six;
  return vSelect(vLT(t, vSet(1.0f / 6.0f)), rising,
                 vSelect(vLT(t, vSet(0.5f)), q, vSelect(vLT(t, vSet(2.0f / 3.0f)), falling, p)));
}

void hslCurves(const VLPassSetup& S, RGB& c) {
  V mx = vMax(vMax(c.r, c.g), c.b), mn = vMin(vMin(c.r, c.g), c.b);
  V d = mx - mn, sum = mx + mn, l = sum * vSet(0.5f);
  FBPixelMask colour = vGT(d, vSet(0.0f));
  V safeD = vSelect(colour, d, vSet(1.0f));
  V hr = (c.g - c.b) / safeD;
  hr = vSelect(vLT(hr, vSet(0.0f)), hr + vSet(6.0f), hr);
  V hg = (c.b - c.r) / safeD + vSet(2.0f), hb = (c.r - c.g) / safeD + vSet(4.0f);
  V h = vSelect(vGE(c.r, mx), hr, vSelect(vGE(c.g, mx), hg, hb)) * vSet(1.0f / 6.0f);
  h = vSelect(colour, h, vSet(0.0f));
  V s = vSelect(colour, hslSaturation(d, sum, l), vSet(0.0f));

  V shifted = h + vSet(0.5f);
  shifted = vSelect(vGT(shifted, vSet(1.0f)), shifted - vSet(1.0f), shifted);
  h = h + tableAt(S.curveHue, shifted);
  s = s * tableAt(S.curveSaturation, shifted);
  l = l * tableAt(S.curveLuma, shifted);

  V q = vSelect(vLE(l, vSet(0.5f)), l * (vSet(1.0f) + s), l + s - l * s);
  V p = vSet(2.0f) * l - q;
  c = {hueChannel(p, q, wrapHue(h + vSet(1.0f / 3.0f))), hueChannel(p, q, wrapHue(h)),
       hueChannel(p, q, wrapHue(h - vSet(1.0f / 3.0f)))};
}

void secondary(const VLPassSecondary& K, RGB& c) {
  YUV p = toYUV(c);
  V key = vSet(0.0f);
  for (int i = 0; i < K.keyCount; ++i) {
    V du = K.keyU[i].v - p.u, dv = K.keyV[i].v - p.v, dy = K.keyY[i].v - p.y;
    V chroma = vSet(1.0f) - (du * du + dv * dv - K.chromaTolSquared.v) * K.invSoftSquared.v;
    V luma = vSet(1.0f) - (vAbs(dy) - K.lumaTol.v) * K.invSoftSquared.v;
    chroma = vMin(vMax(chroma, vSet(0.0f)), vSet(1.0f));
    luma = vMin(vMax(luma, vSet(0.0f)), vSet(1.0f));
    key = vMax(vMax(chroma * luma, vSet(0.0f)), key);
  }
  // With no lane keyed the plain correction leaves every lane uncorrected:
  // unkeyed x 1 + corrected x 0 is exactly unkeyed for finite values.
  if (K.previewMode == 0 && !K.invert && !vAny(vGT(key, vSet(0.0f)))) {
    c = fromYUV(p.y, p.u, p.v);
    return;
  }
  YUV corrected = p, uncorrected = p;
  switch (K.previewMode) {
    case 0: {
      V u = p.u * K.cosHue.v - p.v * K.sinHue.v, v = p.u * K.sinHue.v + p.v * K.cosHue.v;
      V y = K.hasGainPedestal ? K.gain.v * p.y + K.pedestal.v : p.y;
      if (K.gamma) y = lookup(K.gammaTable, y);
      V s = K.saturation.v, strength = K.strength.v;
      corrected = {y, (K.targetU.v - s * u) * strength + s * u, (K.targetV.v - s * v) * strength + s * v};
      break;
    }
    case 1:
      uncorrected = {p.y, vSet(0.0f), vSet(0.0f)};
      break;
    case 2:
      uncorrected = toYUV({vMax(c.r, vSet(0.6825f)), vSet(0.6825f) * c.g, vSet(0.6825f) * c.b});
      break;
    case 3:
      corrected = {vSet(1.0f), vSet(0.0f), vSet(0.0f)};
      uncorrected = {vSet(0.0f), vSet(0.0f), vSet(0.0f)};
      break;
    default:
      return;
  }
  if (K.invert) {
    YUV t = corrected;
    corrected = uncorrected;
    uncorrected = t;
  }
  V rest = vSet(1.0f) - key;
  c = fromYUV(uncorrected.y * rest + corrected.y * key, uncorrected.u * rest + corrected.u * key,
              uncorrected.v * rest + corrected.v * key);
}

// Composite chroma magnitude in percent units, never below 1.
inline V compositeChroma(V u, V v) {
  V hu = vSet(100.0f) * u, hv = vSet(100.0f) * v;
  return vSqrt(vMax(hu * hu + hv * hv, vSet(1.0f)));
}

void limiter(const VLPassSetup& S, RGB& c) {
  const V zero = vSet(0.0f);
  if (S.softClip) {
    V y = lumaOf(c), k = S.knee.v;
    FBPixelMask hit = vGE(y, k);
    if (vAny(hit)) scaleLanes(c, hit, safeRatio((y - k) * S.invMaxMinusKnee.v * S.whiteMinusKnee.v + k, y));
  }
  {
    V y = lumaOf(c), m = S.lumaMax.v;
    FBPixelMask hit = vGE(y, m);
    if (vAny(hit)) scaleLanes(c, hit, safeRatio(m, y));
  }
  {
    YUV p = toYUV(c);
    V chroma = compositeChroma(p.u, p.v), a = vSet(100.0f) * p.y + chroma, maxV = S.compositeMax.v;
    FBPixelMask hit = vGE(a, maxV);
    if (vAny(hit)) {
      RGB out = c;
      if (S.limiterPreview) {
        out = {zero, zero, zero};
      } else if (S.clipMethod == 1 || S.clipMethod == 3) {
        V over = a - maxV;
        if (S.clipMethod == 3) over = vSet(0.4f) * over;
        V f = vMax((chroma - over) / chroma, zero);
        out = fromYUV(p.y, p.u * f, p.v * f);
        if (S.clipMethod == 3) scaleLanes(out, hit, safeRatio(maxV, a));
      } else if (S.clipMethod == 2) {
        scaleLanes(out, hit, safeRatio(maxV, a));
      }
      c = {vSelect(hit, out.r, c.r), vSelect(hit, out.g, c.g), vSelect(hit, out.b, c.b)};
    }
  }
  {
    YUV p = toYUV(c);
    V chroma = compositeChroma(p.u, p.v), b = vSet(100.0f) * p.y - chroma, minV = S.compositeMin.v;
    FBPixelMask hit = vLE(b, minV);
    if (vAny(hit)) {
      RGB out = c;
      if (S.limiterPreview) {
        out = {zero, zero, zero};
      } else if (S.clipMethod == 1 || S.clipMethod == 3) {
        V f = (b - minV + chroma) / chroma;
        out = fromYUV(p.y, p.u * f, p.v * f);
      } else if (S.clipMethod == 2) {
        scaleLanes(out, hit, safeRatio(minV, b));
      }
      c = {vSelect(hit, out.r, c.r), vSelect(hit, out.g, c.g), vSelect(hit, out.b, c.b)};
    }
  }
}

// Vectors carried through the stages together. Each stage runs over the
// whole tile before the next starts, so the processor overlaps the
// independent vectors' table lookups instead of waiting on one chain; every
// vector still meets the stages in the same order.
constexpr size_t kTileVectors = 16;

void runTile(const VLPassSetup& S, bool tonal, const float* const src[3], float* const dst[4], size_t n) {
  RGB c[kTileVectors];
  V w[kTileVectors][3];
  for (size_t j = 0; j < n; ++j) c[j] = {vLoad(src[0] + 4 * j), vLoad(src[1] + 4 * j), vLoad(src[2] + 4 * j)};
  if (tonal) {
    for (size_t j = 0; j < n; ++j) {
      int32_t i[4];
      vIndices(lumaOf(c[j]), kTableScale, i);
      for (int k = 0; k < 3; ++k) w[j][k] = gather(S.weight[k], i);
    }
  }
  if (S.levels)
    for (size_t j = 0; j < n; ++j) levelsInput(S, c[j]);
  if (S.hslRanges)
    for (size_t j = 0; j < n; ++j) hslRanges(S, c[j], w[j]);
  if (S.hslMaster)
    for (size_t j = 0; j < n; ++j) hslMaster(S, c[j]);
  if (S.hueOffsets)
    for (size_t j = 0; j < n; ++j) hueOffsets(S, c[j], w[j]);
  if (S.rgbRanges)
    for (size_t j = 0; j < n; ++j) rgbRanges(S, c[j], w[j]);
  if (S.yccRanges)
    for (size_t j = 0; j < n; ++j) yccRanges(S, c[j], w[j]);
  if (S.rgbMaster)
    for (size_t j = 0; j < n; ++j) rgbMaster(S, c[j]);
  if (S.yccMaster)
    for (size_t j = 0; j < n; ++j) yccMaster(S, c[j]);
  if (S.rgbCurves)
    for (size_t j = 0; j < n; ++j)
      c[j] = {lookup(S.curve[0], c[j].r), lookup(S.curve[1], c[j].g), lookup(S.curve[2], c[j].b)};
  if (S.hslCurves)
    for (size_t j = 0; j < n; ++j) hslCurves(S, c[j]);
  if (S.levels)
    for (size_t j = 0; j < n; ++j)
      c[j] = {S.outGain[0].v * c[j].r + S.outOffset[0].v, S.outGain[1].v * c[j].g + S.outOffset[1].v,
              S.outGain[2].v * c[j].b + S.outOffset[2].v};
  for (const VLPassSecondary& K : S.secondary)
    if (K.on)
      for (size_t j = 0; j < n; ++j) secondary(K, c[j]);
  if (S.limiter)
    for (size_t j = 0; j < n; ++j) limiter(S, c[j]);
  for (size_t j = 0; j < n; ++j) {
    vStore(dst[0] + 4 * j, c[j].r);
    vStore(dst[1] + 4 * j, c[j].g);
    vStore(dst[2] + 4 * j, c[j].b);
    vStore(dst[3] + 4 * j, lumaOf(c[j]));
  }
}

}  // namespace

void vec_vibrance(FBPixelFloatVector r, FBPixelFloatVector g, FBPixelFloatVector b, FBPixelFloatVector amount,
                  FBPixelFloatVector weight, FBPixelFloatVector* outR, FBPixelFloatVector* outG,
                  FBPixelFloatVector* outB) {
  RGB c = {r, g, b};
  V y = lumaOf(c), a = vMin(vibranceLimit(c), amount * weight), rest = vSet(1.0f) - a;
  *outR = a * r + rest * y;
  *outG = a * g + rest * y;
  *outB = a * b + rest * y;
}

void VL_RunPass(const VLPassSetup& shared, const float* const source[3], float* const destination[4], size_t count) {
  // A private copy: the stores into the planes cannot alias it, so nothing
  // needs reloading after them.
  const VLPassSetup setup = shared;
  // The weights are looked up only when a tonal-range stage will read them.
  const bool tonal = setup.hslRanges || setup.hueOffsets || setup.rgbRanges || setup.yccRanges;
  size_t whole = count / 4 * 4;
  for (size_t i = 0; i < whole; i += 4 * kTileVectors) {
    size_t n = (whole - i) / 4 < kTileVectors ? (whole - i) / 4 : kTileVectors;
    const float* src[3] = {source[0] + i, source[1] + i, source[2] + i};
    float* dst[4] = {destination[0] + i, destination[1] + i, destination[2] + i, destination[3] + i};
    runTile(setup, tonal, src, dst, n);
  }
  size_t rest = count - whole;
  if (rest) {
    // A last partial vector goes through a padded copy so nothing past count
    // is read or written.
    float in[3][4] = {}, out[4][4];
    for (int p = 0; p < 3; ++p)
      for (size_t k = 0; k < rest; ++k) in[p][k] = source[p][whole + k];
    const float* src[3] = {in[0], in[1], in[2]};
    float* dst[4] = {out[0], out[1], out[2], out[3]};
    runTile(setup, tonal, src, dst, 1);
    for (int p = 0; p < 4; ++p)
      for (size_t k = 0; k < rest; ++k) destination[p][whole + k] = out[p][k];
  }
}
