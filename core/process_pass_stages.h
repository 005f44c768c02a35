// The stages of the processing pass, written once for every vector width as
// a template over a set of vector operations. A kernel of another width is one
// more instantiation with its own operations, in a file built for the
// instruction set they use. Every operation works lane by lane, so each
// pixel's result is the same whatever the width and wherever the pixel falls
// within a vector.
//
// Everything here is a template: instantiated with operations of internal
// linkage, no function built for one instruction set can stand in for one of
// the same name built for another.
#pragma once

#include "core/process_pass.h"
#include "support/color_coding.h"

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <type_traits>

// The vector operations a kernel width provides: V (kLanes floats) with +, -,
// * and /; Mask with & and |; Index, the table indices of a vector. vMin and
// vMax return the second operand when either is NaN (as the SSE instructions
// do); vIndex is truncate(clamp(v, 0, 1) x 16384), NaN giving 0; vConst loads
// a per-pass constant broadcast to the lanes.
template <class O>
concept VLPassVectorOps = requires(typename O::V a, typename O::Mask m, typename O::Index i, const float* p,
                                   float* q, float x, const VLBroadcast& b, const VLPackedEntry* e,
                                   typename O::V* out) {
  { O::kLanes } -> std::convertible_to<size_t>;
  { O::vSet(x) } -> std::same_as<typename O::V>;
  { O::vLoad(p) } -> std::same_as<typename O::V>;
  { O::vStore(q, a) };
  { O::vConst(b) } -> std::same_as<typename O::V>;
  { a + a } -> std::same_as<typename O::V>;
  { a - a } -> std::same_as<typename O::V>;
  { a * a } -> std::same_as<typename O::V>;
  { a / a } -> std::same_as<typename O::V>;
  { O::vMin(a, a) } -> std::same_as<typename O::V>;
  { O::vMax(a, a) } -> std::same_as<typename O::V>;
  { O::vSqrt(a) } -> std::same_as<typename O::V>;
  { O::vAbs(a) } -> std::same_as<typename O::V>;
  { O::vCopySign(a, a) } -> std::same_as<typename O::V>;
  { O::vGE(a, a) } -> std::same_as<typename O::Mask>;
  { O::vGT(a, a) } -> std::same_as<typename O::Mask>;
  { O::vLE(a, a) } -> std::same_as<typename O::Mask>;
  { O::vLT(a, a) } -> std::same_as<typename O::Mask>;
  { m & m } -> std::same_as<typename O::Mask>;
  { m | m } -> std::same_as<typename O::Mask>;
  { O::vAny(m) } -> std::same_as<bool>;
  { O::vSelect(m, a, a) } -> std::same_as<typename O::V>;
  { O::vIndex(a) } -> std::same_as<typename O::Index>;
  { O::vGather(p, i) } -> std::same_as<typename O::V>;
  { O::vGather3(e, i, out) };
};

template <VLPassVectorOps O>
struct VLPassKernel : O {
  using typename O::V;
  using typename O::Mask;
  using typename O::Index;
  using O::kLanes;
  using O::vSet, O::vLoad, O::vStore, O::vConst, O::vMin, O::vMax, O::vSqrt, O::vAbs, O::vCopySign;
  using O::vGE, O::vGT, O::vLE, O::vLT, O::vAny, O::vSelect, O::vIndex, O::vGather, O::vGather3;

  // Secondary preview "red rest" keeps this share of green and blue and lifts
  // red to at least it: the unselected rest reads as a dim red wash.
  static constexpr float kRedRestKeeps = 0.6825f;
  // Smart limiting takes this share of a composite excess out of chroma and
  // the rest by scaling the colour, so limited highlights keep some colour.
  static constexpr float kSmartChromaShare = 0.4f;
  // Vibrance's factor is held to (1 - S) x this + 1: a grey may be pushed to
  // 2.1 times its chroma, a fully saturated colour not beyond itself.
  static constexpr float kVibranceHeadroom = 1.1f;
  // A ratio's divisor smaller than this counts as zero (the lane keeps its
  // value): the quotient of values near 1 stays far inside the float range.
  static constexpr float kRatioDivisorFloor = 1e-30f;
  // The HSL saturation's divisor counts as zero below this (and when
  // negative): at lightness near 0 or past 1 a colour carries no saturation
  // worth dividing out, and a tiny divisor would blow it up.
  static constexpr float kSaturationDivisorFloor = 1e-6f;

  // Far past any picture's values, small enough that no stage's products
  // of it and the held settings overflow.
  static constexpr float kPixelMagnitude = 1e6f;

  struct RGB {
    V r, g, b;
  };
  struct YUV {
    V y, u, v;
  };

  // A coefficient of the colour codings as a vector.
  static V k(double c) { return vSet(float(c)); }
  static V weigh(const RGB& c, double r, double g, double b) { return k(r) * c.r + k(g) * c.g + k(b) * c.b; }
  static RGB decode(const QVLumaChromaCoding& m, V y, V first, V second) {
    return {y + k(m.rFromSecond) * second, y + k(m.gFromFirst) * first + k(m.gFromSecond) * second,
            y + k(m.bFromFirst) * first};
  }

  static V lumaOf(const RGB& c) { return weigh(c, kQVYUV.yR, kQVYUV.yG, kQVYUV.yB); }
  static V uOf(const RGB& c) { return weigh(c, kQVYUV.firstR, kQVYUV.firstG, kQVYUV.firstB); }
  static V vOf(const RGB& c) { return weigh(c, kQVYUV.secondR, kQVYUV.secondG, kQVYUV.secondB); }
  static YUV toYUV(const RGB& c) { return {lumaOf(c), uOf(c), vOf(c)}; }
  static RGB fromYUV(V y, V u, V v) { return decode(kQVYUV, y, u, v); }

  static V cbOf(const RGB& c) { return weigh(c, kQVYCbCr601.firstR, kQVYCbCr601.firstG, kQVYCbCr601.firstB); }
  static V crOf(const RGB& c) { return weigh(c, kQVYCbCr601.secondR, kQVYCbCr601.secondG, kQVYCbCr601.secondB); }
  static RGB fromYCC(V y, V cb, V cr) { return decode(kQVYCbCr601, y, cb, cr); }

  // Table value at truncate(clamp(v, 0, 1) x 16384), with no extension.
  static V tableAt(const float* table, V v) { return vGather(table, vIndex(v)); }

  // Table lookup; values above 1.0 follow the line from the table's end.
  static V lookup(const VLTableRef& t, V v) {
    V r = tableAt(t.table, v);
    Mask above = vGT(v, vSet(1.0f));
    if (vAny(above)) r = vSelect(above, (v - vSet(1.0f)) * vSet(t.slope) + vSet(t.end), r);
    return r;
  }

  static V blend(const V w[3], V s, V m, V h) { return w[0] * s + w[1] * m + w[2] * h; }

  // The ranges of a group a tile must look up: those weighted somewhere in
  // the tile, and those whose zero-weight term might not be exactly +0.
  static uint32_t rangesToRead(const VLPackedRef& t, uint32_t weighted) { return weighted | (~t.nonNegative & 7u); }

  // The three tonal-range tables looked up at the same value and blended by
  // the weights: all three from one packed entry, or only the ranges in
  // `read` from their own tables. A range left out stands at +0 below 1.0:
  // its weight is +0 in every lane of the tile and its entries are finite
  // and free of a sign bit, so its term is +0 either way and the blend keeps
  // every bit. Above 1.0 every range takes its extension as before. Always
  // inlined, so that the three values stay in registers.
  template <bool kAll>
  [[gnu::always_inline]] static V lookupBlend(const VLPackedRef& t, V v, const V w[3], uint32_t read) {
    V r[3];
    const Index i = vIndex(v);
    if (kAll || read == 7u) {
      vGather3(t.table, i, r);
    } else {
      for (int k = 0; k < 3; ++k) r[k] = read >> k & 1u ? vGather(t.single[k], i) : vSet(0.0f);
    }
    Mask above = vGT(v, vSet(1.0f));
    if (vAny(above)) {
      V over = v - vSet(1.0f);
      r[0] = vSelect(above, over * vSet(t.slope[0]) + vSet(t.end[0]), r[0]);
      r[1] = vSelect(above, over * vSet(t.slope[1]) + vSet(t.end[1]), r[1]);
      r[2] = vSelect(above, over * vSet(t.slope[2]) + vSet(t.end[2]), r[2]);
    }
    return blend(w, r[0], r[1], r[2]);
  }

  // Multiplies the colour by factor in the selected lanes only.
  static void scaleLanes(RGB& c, Mask mask, V factor) {
    c.r = vSelect(mask, c.r * factor, c.r);
    c.g = vSelect(mask, c.g * factor, c.g);
    c.b = vSelect(mask, c.b * factor, c.b);
  }

  // A factor num / den that is 1 where den is 0 (the lane then keeps its value).
  static V safeRatio(V num, V den) {
    Mask zero = vGE(vAbs(den), vSet(kRatioDivisorFloor));
    return vSelect(zero, num / vSelect(zero, den, vSet(1.0f)), vSet(1.0f));
  }

  // The vibrance factor's limit by saturation: (1 - S) x 1.1 + 1. Above
  // lightness 0.5 the denominator 2 - max - min reaches zero and turns negative
  // for super-whites; those count as unsaturated.
  static V vibranceLimit(const RGB& c) {
    const V zero = vSet(0.0f), one = vSet(1.0f);
    V mx = vMax(vMax(c.r, c.g), c.b), mn = vMin(vMin(c.r, c.g), c.b);
    V d = mx - mn, sum = mx + mn, l = sum * vSet(0.5f);
    V den = vSelect(vLE(l, vSet(0.5f)), sum, vSet(2.0f) - sum);
    Mask usable = vGT(den, zero);
    V s = vSelect(usable, d / vSelect(usable, den, one), zero);
    s = vSelect(vLE(l, zero), zero, s);
    s = vSelect(vLE(d, zero), d, s);
    return (one - s) * vSet(kVibranceHeadroom) + one;
  }

  // Vibrance with weight 1: the colour pulled from its luma by min(limit, amount).
  static RGB vibrance(const RGB& c, V y, V limit, V amount) {
    V a = vMin(limit, amount), rest = vSet(1.0f) - a;
    return {a * c.r + rest * y, a * c.g + rest * y, a * c.b + rest * y};
  }

  static RGB rotateHue(const RGB& c, V y, V cosA, V sinA) {
    V u = uOf(c), v = vOf(c);
    return fromYUV(y, u * cosA - v * sinA, u * sinA + v * cosA);
  }

  [[gnu::always_inline]] static void levelsInput(const VLPassSetup& S, RGB& c) {
    if (S.inputRecovery) {
      V t = vConst(S.recoveryThreshold), y = lumaOf(c);
      // Lanes at or above the threshold, with a luma to divide by.
      Mask hit = vGE(y, t) & vGT(vAbs(y), vSet(0.0f));
      if (vAny(hit)) scaleLanes(c, hit, safeRatio((y - t) * vSet(0.5f) + t, y));
    }
    c.r = vConst(S.inGain[0]) * c.r + vConst(S.inOffset[0]);
    c.g = vConst(S.inGain[1]) * c.g + vConst(S.inOffset[1]);
    c.b = vConst(S.inGain[2]) * c.b + vConst(S.inOffset[2]);
    if (S.inGrey) {
      c.r = lookup(S.inGamma[0], c.r);
      c.g = lookup(S.inGamma[1], c.g);
      c.b = lookup(S.inGamma[2], c.b);
    }
  }

  // The tonal-range blends below are written in their expanded form: a blend
  // of linear results equals the linear result of the blended parameters, so
  // each is formed once instead of once per range.
  // `read`: the ranges of the group to look up on this tile (rangesToRead).
  template <bool kAll>
  [[gnu::always_inline]] static void hslRanges(const VLPassSetup& S, RGB& c, const V w[3], uint32_t read) {
    if (S.rangeHue) {
      // sum of w x (Y'UV inverse of Y and the rotated chroma) = the inverse of
      // (sum of w) x Y and the blended rotated chroma.
      V y = lumaOf(c), u = uOf(c), v = vOf(c), bu = vSet(0.0f), bv = vSet(0.0f);
      for (int k = 0; k < 3; ++k) {
        bu = bu + w[k] * (u * vConst(S.rangeCos[k]) - v * vConst(S.rangeSin[k]));
        bv = bv + w[k] * (u * vConst(S.rangeSin[k]) + v * vConst(S.rangeCos[k]));
      }
      V wy = (w[0] + w[1] + w[2]) * y;
      c = fromYUV(wy, bu, bv);
    }
    if (S.rangeGain) {
      V g = blend(w, vConst(S.rangeGainValue[0]), vConst(S.rangeGainValue[1]), vConst(S.rangeGainValue[2]));
      c = {c.r * g, c.g * g, c.b * g};
    }
    if (S.rangePedestal) {
      V p = blend(w, vConst(S.rangePedestalValue[0]), vConst(S.rangePedestalValue[1]), vConst(S.rangePedestalValue[2]));
      c = {c.r + p, c.g + p, c.b + p};
    }
    V* ch[3] = {&c.r, &c.g, &c.b};
    for (V* x : ch) *x = lookupBlend<kAll>(S.rangeCBG, *x, w, read);
    if (S.rangeSaturation) {
      // sum of w x (s c + (1 - s) Y) = c x (sum of w s) + Y x (sum of w (1 - s)).
      V y = lumaOf(c), one = vSet(1.0f);
      V onC = blend(w, vConst(S.rangeSaturationValue[0]), vConst(S.rangeSaturationValue[1]), vConst(S.rangeSaturationValue[2]));
      V onY = blend(w, one - vConst(S.rangeSaturationValue[0]), one - vConst(S.rangeSaturationValue[1]),
                    one - vConst(S.rangeSaturationValue[2]));
      for (V* x : ch) *x = *x * onC + y * onY;
    }
    if (S.rangeVibrance) {
      // The saturation limit depends only on the colour; each range's factor
      // a = min(limit, amount) then blends like the saturation above.
      V y = lumaOf(c), limit = vibranceLimit(c), one = vSet(1.0f), a[3];
      for (int k = 0; k < 3; ++k) a[k] = vMin(limit, vConst(S.rangeVibranceValue[k]));
      V onC = blend(w, a[0], a[1], a[2]), onY = blend(w, one - a[0], one - a[1], one - a[2]);
      for (V* x : ch) *x = *x * onC + y * onY;
    }
  }

  [[gnu::always_inline]] static void hslMaster(const VLPassSetup& S, RGB& c) {
    if (S.masterHue) c = rotateHue(c, lumaOf(c), vConst(S.masterCos), vConst(S.masterSin));
    if (S.masterGainPedestal) {
      V g = vConst(S.masterGain), p = vConst(S.masterPedestal);
      c = {g * c.r + p, g * c.g + p, g * c.b + p};
    }
    if (S.masterCBG)
      c = {lookup(S.masterCBGTable, c.r), lookup(S.masterCBGTable, c.g), lookup(S.masterCBGTable, c.b)};
    if (S.masterSaturation) {
      V y = lumaOf(c), s = vConst(S.masterSaturationValue), rest = vSet(1.0f) - s;
      c = {s * c.r + rest * y, s * c.g + rest * y, s * c.b + rest * y};
    }
    if (S.masterVibrance) c = vibrance(c, lumaOf(c), vibranceLimit(c), vConst(S.masterVibranceValue));
  }

  [[gnu::always_inline]] static void hueOffsets(const VLPassSetup& S, RGB& c, const V w[3]) {
    YUV p = toYUV(c);
    for (int k = 0; k < 4; ++k) {
      V strength = k < 3 ? vConst(S.offsetStrength[k]) * w[k] : vConst(S.offsetStrength[3]);
      p.u = p.u + (vConst(S.offsetU[k]) - p.u) * strength;
      p.v = p.v + (vConst(S.offsetV[k]) - p.v) * strength;
    }
    c = fromYUV(p.y, p.u, p.v);
  }

  template <bool kAll>
  [[gnu::always_inline]] static void rgbRanges(const VLPassSetup& S, RGB& c, const V w[3], const uint32_t read[3]) {
    V* ch[3] = {&c.r, &c.g, &c.b};
    for (int i = 0; i < 3; ++i) {
      V gain = blend(w, vConst(S.rgbRangeGain[0][i]), vConst(S.rgbRangeGain[1][i]), vConst(S.rgbRangeGain[2][i]));
      V offset = blend(w, vConst(S.rgbRangeOffset[0][i]), vConst(S.rgbRangeOffset[1][i]), vConst(S.rgbRangeOffset[2][i]));
      *ch[i] = *ch[i] * gain + offset;
    }
    if (S.rgbRangeGamma)
      for (int i = 0; i < 3; ++i)
        *ch[i] = lookupBlend<kAll>(S.rgbRangeTable[i], *ch[i], w, read[i]);
  }

  // Chroma through a gamma table on its doubled magnitude, halved and signed.
  static V chromaLookup(const VLTableRef& t, V x) {
    return vCopySign(lookup(t, vAbs(x) * vSet(2.0f)) * vSet(0.5f), x);
  }

  template <bool kAll>
  [[gnu::always_inline]] static void yccRanges(const VLPassSetup& S, RGB& c, const V w[3], const uint32_t read[3]) {
    V x[3] = {lumaOf(c), cbOf(c), crOf(c)};
    for (int i = 0; i < 3; ++i) {
      V gain = blend(w, vConst(S.yccRangeGain[0][i]), vConst(S.yccRangeGain[1][i]), vConst(S.yccRangeGain[2][i]));
      V offset = blend(w, vConst(S.yccRangeOffset[0][i]), vConst(S.yccRangeOffset[1][i]), vConst(S.yccRangeOffset[2][i]));
      x[i] = x[i] * gain + offset;
    }
    if (S.yccRangeGamma) {
      x[0] = lookupBlend<kAll>(S.yccRangeTable[0], x[0], w, read[0]);
      for (int i = 1; i < 3; ++i)
        x[i] = vCopySign(lookupBlend<kAll>(S.yccRangeTable[i], vAbs(x[i]) * vSet(2.0f), w, read[i]) * vSet(0.5f), x[i]);
    }
    c = fromYCC(x[0], x[1], x[2]);
  }

  [[gnu::always_inline]] static void rgbMaster(const VLPassSetup& S, RGB& c) {
    V* ch[3] = {&c.r, &c.g, &c.b};
    for (int i = 0; i < 3; ++i) {
      *ch[i] = vConst(S.rgbMasterGain[i]) * *ch[i] + vConst(S.rgbMasterOffset[i]);
      if (S.rgbMasterGamma) *ch[i] = lookup(S.rgbMasterTable[i], *ch[i]);
    }
  }

  [[gnu::always_inline]] static void yccMaster(const VLPassSetup& S, RGB& c) {
    V x[3] = {lumaOf(c), cbOf(c), crOf(c)};
    for (int i = 0; i < 3; ++i) x[i] = vConst(S.yccMasterGain[i]) * x[i] + vConst(S.yccMasterOffset[i]);
    if (S.yccMasterGamma) {
      x[0] = lookup(S.yccMasterTable[0], x[0]);
      x[1] = chromaLookup(S.yccMasterTable[1], x[1]);
      x[2] = chromaLookup(S.yccMasterTable[2], x[2]);
    }
    c = fromYCC(x[0], x[1], x[2]);
  }

  // Saturation by the HSL rule. A denominator below kSaturationDivisorFloor,
  // negative included (a super-white past lightness 1, or colours summing to
  // zero or less), counts as grey instead of dividing.
  static V hslSaturation(V d, V sum, V lightness) {
    V den = vSelect(vLE(lightness, vSet(0.5f)), sum, vSet(2.0f) - sum);
    Mask usable = vGE(den, vSet(kSaturationDivisorFloor));
    return vSelect(usable, d / vSelect(usable, den, vSet(1.0f)), vSet(0.0f));
  }

  // Wraps a hue into 0..1 (hues here stay within two turns of that range;
  // anything else, NaN included, ends up clamped).
  static V wrapHue(V t) {
    const V one = vSet(1.0f), zero = vSet(0.0f);
    for (int i = 0; i < 2; ++i) {
      t = vSelect(vGE(t, one), t - one, t);
      t = vSelect(vLT(t, zero), t + one, t);
    }
    return vMin(vMax(t, zero), one);
  }

  // One channel of the HSL inverse at hue t (already wrapped).
  static V hueChannel(V p, V q, V t) {
    V six = vSet(6.0f), rising = p + (q - p) * six * t, falling = p + (q - p) * (vSet(2.0f / 3.0f) - t) * six;
    return vSelect(vLT(t, vSet(1.0f / 6.0f)), rising,
                   vSelect(vLT(t, vSet(0.5f)), q, vSelect(vLT(t, vSet(2.0f / 3.0f)), falling, p)));
  }

  [[gnu::always_inline]] static void hslCurves(const VLPassSetup& S, RGB& c) {
    V mx = vMax(vMax(c.r, c.g), c.b), mn = vMin(vMin(c.r, c.g), c.b);
    V d = mx - mn, sum = mx + mn, l = sum * vSet(0.5f);
    Mask colour = vGT(d, vSet(0.0f));
    V safeD = vSelect(colour, d, vSet(1.0f));
    // One division: the difference of the other two channels, taken for the
    // largest channel, then that channel's sixth of the turn added.
    Mask rMax = vGE(c.r, mx), gMax = vGE(c.g, mx);
    V t = vSelect(rMax, c.g - c.b, vSelect(gMax, c.b - c.r, c.r - c.g)) / safeD;
    V h = vSelect(rMax, vSelect(vLT(t, vSet(0.0f)), t + vSet(6.0f), t), t + vSelect(gMax, vSet(2.0f), vSet(4.0f)));
    h = h * vSet(1.0f / 6.0f);
    h = vSelect(colour, h, vSet(0.0f));
    V s = vSelect(colour, hslSaturation(d, sum, l), vSet(0.0f));

    V shifted = h + vSet(0.5f);
    shifted = vSelect(vGT(shifted, vSet(1.0f)), shifted - vSet(1.0f), shifted);
    V k[3];  // all three curves are functions of hue
    vGather3(S.hslCurveTable, vIndex(shifted), k);
    h = h + k[0];
    s = s * k[1];
    l = l * k[2];

    V q = vSelect(vLE(l, vSet(0.5f)), l * (vSet(1.0f) + s), l + s - l * s);
    V p = vSet(2.0f) * l - q;
    c = {hueChannel(p, q, wrapHue(h + vSet(1.0f / 3.0f))), hueChannel(p, q, wrapHue(h)),
         hueChannel(p, q, wrapHue(h - vSet(1.0f / 3.0f)))};
  }

  // The keys of a secondary that may select a pixel of the tile, one bit per
  // key. Each lane takes the bounds of its Y, U and V over the tile's
  // vectors (NaN left out: a NaN pixel's terms clamp to zero), and a key's
  // chroma and luma terms are formed at the nearest point of those bounds by
  // the very operations the pixels' terms use. Every one of them rounds
  // monotonically, so no pixel within the bounds has a larger term than that
  // point: where either term is at most zero, every pixel's term clamps to
  // exactly zero and leaving the key out of the maximum changes no bit.
  [[gnu::always_inline]] static uint32_t liveKeys(const VLPassSetup& S, const VLPassSecondary& K, const YUV p[], size_t n) {
    const uint32_t all = (1u << K.keyCount) - 1u;
    if (!S.tileRejection) return all;
    const V zero = vSet(0.0f), huge = vSet(3.0e38f), one = vSet(1.0f);
    V lo[3] = {huge, huge, huge}, hi[3] = {zero - huge, zero - huge, zero - huge};
    for (size_t j = 0; j < n; ++j) {
      const V x[3] = {p[j].y, p[j].u, p[j].v};
      for (int a = 0; a < 3; ++a) lo[a] = vMin(x[a], lo[a]), hi[a] = vMax(x[a], hi[a]);
    }
    // The distance of the key from the bounds, as the pixels' differences
    // round it at least.
    auto gap = [&](int a, V key) { return vMax(vMax(lo[a] - key, key - hi[a]), zero); };
    uint32_t live = 0;
    for (int i = 0; i < K.keyCount; ++i) {
      V du = gap(1, vConst(K.keyU[i])), dv = gap(2, vConst(K.keyV[i])), dy = gap(0, vConst(K.keyY[i]));
      V chroma = one - (du * du + dv * dv - vConst(K.chromaTolSquared)) * vConst(K.invSoftSquared);
      V luma = one - (dy - vConst(K.lumaTol)) * vConst(K.invSoftSquared);
      if (vAny(vGT(chroma, zero) & vGT(luma, zero))) live |= 1u << i;
    }
    return live;
  }

  [[gnu::always_inline]] static void secondary(const VLPassSecondary& K, RGB& c, const YUV& p, uint32_t live) {
    V key = vSet(0.0f);
    for (int i = 0; i < K.keyCount; ++i) {
      if (!(live >> i & 1u)) continue;
      V du = vConst(K.keyU[i]) - p.u, dv = vConst(K.keyV[i]) - p.v, dy = vConst(K.keyY[i]) - p.y;
      V chroma = vSet(1.0f) - (du * du + dv * dv - vConst(K.chromaTolSquared)) * vConst(K.invSoftSquared);
      V luma = vSet(1.0f) - (vAbs(dy) - vConst(K.lumaTol)) * vConst(K.invSoftSquared);
      chroma = vMin(vMax(chroma, vSet(0.0f)), vSet(1.0f));
      luma = vMin(vMax(luma, vSet(0.0f)), vSet(1.0f));
      key = vMax(chroma * luma, key);  // both terms lie in 0..1, NaN never survives the clamps
    }
    // The plain correction leaves unkeyed lanes exactly as they are, so a
    // vector with no lane keyed skips the correction altogether.
    const bool plain = K.previewMode == kVLPreviewCorrection && !K.invert;
    Mask keyed = vGT(key, vSet(0.0f));
    if (plain && !vAny(keyed)) {
      c = fromYUV(p.y, p.u, p.v);
      return;
    }
    YUV corrected = p, uncorrected = p;
    switch (K.previewMode) {
      case kVLPreviewCorrection: {
        V u = p.u * vConst(K.cosHue) - p.v * vConst(K.sinHue), v = p.u * vConst(K.sinHue) + p.v * vConst(K.cosHue);
        V y = K.hasGainPedestal ? vConst(K.gain) * p.y + vConst(K.pedestal) : p.y;
        if (K.gamma) y = lookup(K.gammaTable, y);
        V s = vConst(K.saturation), strength = vConst(K.strength);
        corrected = {y, (vConst(K.targetU) - s * u) * strength + s * u, (vConst(K.targetV) - s * v) * strength + s * v};
        break;
      }
      case kVLPreviewGreyRest:
        uncorrected = {p.y, vSet(0.0f), vSet(0.0f)};
        break;
      case kVLPreviewRedRest: {
        const V keep = vSet(kRedRestKeeps);
        uncorrected = toYUV({vMax(c.r, keep), keep * c.g, keep * c.b});
        break;
      }
      case kVLPreviewMatte:
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
    YUV out = {uncorrected.y * rest + corrected.y * key, uncorrected.u * rest + corrected.u * key,
               uncorrected.v * rest + corrected.v * key};
    if (plain) out = {vSelect(keyed, out.y, p.y), vSelect(keyed, out.u, p.u), vSelect(keyed, out.v, p.v)};
    c = fromYUV(out.y, out.u, out.v);
  }

  // Composite chroma magnitude in percent units, never below 1.
  static V compositeChroma(V u, V v) {
    V hu = vSet(100.0f) * u, hv = vSet(100.0f) * v;
    return vSqrt(vMax(hu * hu + hv * hv, vSet(1.0f)));
  }

  // Each step works from the luma, chroma and composite magnitude of the colour
  // it is given; they are recomputed only after a step changed a lane.
  [[gnu::always_inline]] static void limiter(const VLPassSetup& S, RGB& c) {
    const V zero = vSet(0.0f);
    V y = lumaOf(c);
    if (S.softClip) {
      V k = vConst(S.knee);
      Mask hit = vGE(y, k);
      if (vAny(hit)) {
        scaleLanes(c, hit, safeRatio((y - k) * vConst(S.invMaxMinusKnee) * vConst(S.whiteMinusKnee) + k, y));
        y = lumaOf(c);
      }
    }
    {
      V m = vConst(S.lumaMax);
      Mask hit = vGE(y, m);
      if (vAny(hit)) {
        scaleLanes(c, hit, safeRatio(m, y));
        y = lumaOf(c);
      }
    }
    YUV p = {y, uOf(c), vOf(c)};
    V chroma = compositeChroma(p.u, p.v);
    {
      V a = vSet(100.0f) * p.y + chroma, maxV = vConst(S.compositeMax);
      Mask hit = vGE(a, maxV);
      if (vAny(hit)) {
        RGB out = c;
        if (S.limiterPreview) {
          out = {zero, zero, zero};
        } else if (S.clipMethod == kVLLimitReduceChroma || S.clipMethod == kVLLimitSmart) {
          V over = a - maxV;
          if (S.clipMethod == kVLLimitSmart) over = vSet(kSmartChromaShare) * over;
          V f = vMax((chroma - over) / chroma, zero);
          out = fromYUV(p.y, p.u * f, p.v * f);
          if (S.clipMethod == kVLLimitSmart) scaleLanes(out, hit, safeRatio(maxV, a));
        } else if (S.clipMethod == kVLLimitReduceLuma) {
          scaleLanes(out, hit, safeRatio(maxV, a));
        }
        c = {vSelect(hit, out.r, c.r), vSelect(hit, out.g, c.g), vSelect(hit, out.b, c.b)};
        p = toYUV(c);
        chroma = compositeChroma(p.u, p.v);
      }
    }
    {
      V b = vSet(100.0f) * p.y - chroma, minV = vConst(S.compositeMin);
      Mask hit = vLE(b, minV);
      if (vAny(hit)) {
        RGB out = c;
        if (S.limiterPreview) {
          out = {zero, zero, zero};
        } else if (S.clipMethod == kVLLimitReduceChroma || S.clipMethod == kVLLimitSmart) {
          V f = (b - minV + chroma) / chroma;
          out = fromYUV(p.y, p.u * f, p.v * f);
        } else if (S.clipMethod == kVLLimitReduceLuma) {
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
  static constexpr size_t kTileVectors = 16;

  // Every stage starts from values within +-kPixelMagnitude: a finite pixel
  // of any size, or one a stage pushed far out, cannot overflow the squares
  // and products of the next stage. NaN passes as it is.
  static V held(V x) { return vMin(vSet(kPixelMagnitude), vMax(vSet(-kPixelMagnitude), x)); }
  static RGB held(const RGB& c) { return {held(c.r), held(c.g), held(c.b)}; }

  // The tile the stages work on: its colours, their tonal weights and the
  // ranges weighted somewhere in it.
  struct Tile {
    RGB c[kTileVectors];
    V w[kTileVectors][3];
    size_t n;
    uint32_t weighted;
  };

  // One stage over a whole tile. A pass runs the stages it needs, chosen once
  // from kStages, so a correction pays only for the sections it has on.
  using Stage = void (*)(const VLPassSetup& S, Tile& __restrict t);

  // Runs f on each colour of the tile and holds the result.
  template <class F>
  [[gnu::always_inline]] static void eachColour(Tile& __restrict t, F f) {
    for (size_t j = 0; j < t.n; ++j) f(t.c[j], t.w[j]), t.c[j] = held(t.c[j]);
  }

  static void levelsInStage(const VLPassSetup& S, Tile& __restrict t) {
    eachColour(t, [&](RGB& c, const V*) { levelsInput(S, c); });
  }
  static void hslRangesStage(const VLPassSetup& S, Tile& __restrict t) {
    const uint32_t read = rangesToRead(S.rangeCBG, t.weighted);
    if (read == 7u)
      eachColour(t, [&](RGB& c, const V* w) { hslRanges<true>(S, c, w, read); });
    else
      eachColour(t, [&](RGB& c, const V* w) { hslRanges<false>(S, c, w, read); });
  }
  static void hslMasterStage(const VLPassSetup& S, Tile& __restrict t) {
    eachColour(t, [&](RGB& c, const V*) { hslMaster(S, c); });
  }
  static void hueOffsetsStage(const VLPassSetup& S, Tile& __restrict t) {
    eachColour(t, [&](RGB& c, const V* w) { hueOffsets(S, c, w); });
  }
  // Looks up, on this tile, only the ranges of each channel's group that can
  // weigh one of its pixels; a tile that reads them all takes the path
  // without the per-range tests.
  template <class Ranges>
  [[gnu::always_inline]] static void rangesStage(const VLPackedRef (&tables)[3], Tile& __restrict t, Ranges ranges) {
    const uint32_t read[3] = {rangesToRead(tables[0], t.weighted), rangesToRead(tables[1], t.weighted),
                              rangesToRead(tables[2], t.weighted)};
    if ((read[0] & read[1] & read[2]) == 7u)
      eachColour(t, [&](RGB& c, const V* w) { ranges(std::true_type{}, c, w, read); });
    else
      eachColour(t, [&](RGB& c, const V* w) { ranges(std::false_type{}, c, w, read); });
  }
  static void rgbRangesStage(const VLPassSetup& S, Tile& __restrict t) {
    rangesStage(S.rgbRangeTable, t, [&](auto all, RGB& c, const V* w, const uint32_t* read) {
      rgbRanges<decltype(all)::value>(S, c, w, read);
    });
  }
  static void yccRangesStage(const VLPassSetup& S, Tile& __restrict t) {
    rangesStage(S.yccRangeTable, t, [&](auto all, RGB& c, const V* w, const uint32_t* read) {
      yccRanges<decltype(all)::value>(S, c, w, read);
    });
  }
  static void rgbMasterStage(const VLPassSetup& S, Tile& __restrict t) {
    eachColour(t, [&](RGB& c, const V*) { rgbMaster(S, c); });
  }
  static void yccMasterStage(const VLPassSetup& S, Tile& __restrict t) {
    eachColour(t, [&](RGB& c, const V*) { yccMaster(S, c); });
  }
  // The RGB master stage and the RGB curves in one: below 1.0 a channel's
  // two lookups are one of the composed table at the master value's index;
  // above it the master's extension is held and looked up in the curve as
  // the two stages would.
  static void rgbMasterCurvesStage(const VLPassSetup& S, Tile& __restrict t) {
    eachColour(t, [&](RGB& c, const V*) {
      V* ch[3] = {&c.r, &c.g, &c.b};
      for (int i = 0; i < 3; ++i) {
        const V v = vConst(S.rgbMasterGain[i]) * *ch[i] + vConst(S.rgbMasterOffset[i]);
        V r = tableAt(S.rgbMasterCurveTable[i], v);
        Mask above = vGT(v, vSet(1.0f));
        if (vAny(above)) {
          const VLTableRef& m = S.rgbMasterTable[i];
          r = vSelect(above, lookup(S.curve[i], held((v - vSet(1.0f)) * vSet(m.slope) + vSet(m.end))), r);
        }
        *ch[i] = r;
      }
    });
  }
  static void rgbCurvesStage(const VLPassSetup& S, Tile& __restrict t) {
    eachColour(t, [&](RGB& c, const V*) {
      c = {lookup(S.curve[0], c.r), lookup(S.curve[1], c.g), lookup(S.curve[2], c.b)};
    });
  }
  static void hslCurvesStage(const VLPassSetup& S, Tile& __restrict t) {
    eachColour(t, [&](RGB& c, const V*) { hslCurves(S, c); });
  }
  static void levelsOutStage(const VLPassSetup& S, Tile& __restrict t) {
    eachColour(t, [&](RGB& c, const V*) {
      c = {vConst(S.outGain[0]) * c.r + vConst(S.outOffset[0]), vConst(S.outGain[1]) * c.g + vConst(S.outOffset[1]),
           vConst(S.outGain[2]) * c.b + vConst(S.outOffset[2])};
    });
  }
  template <int i>
  static void secondaryStage(const VLPassSetup& S, Tile& __restrict t) {
    const VLPassSecondary& K = S.secondary[i];
    YUV p[kTileVectors];
    for (size_t j = 0; j < t.n; ++j) p[j] = toYUV(t.c[j]);
    const uint32_t live = liveKeys(S, K, p, t.n);
    if (live == 0 && K.previewMode == kVLPreviewCorrection && !K.invert) {
      // No key selects a pixel of the tile: the plain correction leaves
      // each as its Y'UV round trip.
      for (size_t j = 0; j < t.n; ++j) t.c[j] = held(fromYUV(p[j].y, p[j].u, p[j].v));
      return;
    }
    for (size_t j = 0; j < t.n; ++j) secondary(K, t.c[j], p[j], live), t.c[j] = held(t.c[j]);
  }
  static void limiterStage(const VLPassSetup& S, Tile& __restrict t) {
    eachColour(t, [&](RGB& c, const V*) { limiter(S, c); });
  }

  // Every stage in the order the pass runs them, with whether a pass needs it.
  struct StageRow {
    bool (*on)(const VLPassSetup& S);
    Stage run;
  };
  static constexpr StageRow kStages[] = {
      {[](const VLPassSetup& S) { return S.levels; }, levelsInStage},
      {[](const VLPassSetup& S) { return S.hslRanges; }, hslRangesStage},
      {[](const VLPassSetup& S) { return S.hslMaster; }, hslMasterStage},
      {[](const VLPassSetup& S) { return S.hueOffsets; }, hueOffsetsStage},
      {[](const VLPassSetup& S) { return S.rgbRanges; }, rgbRangesStage},
      {[](const VLPassSetup& S) { return S.yccRanges; }, yccRangesStage},
      {[](const VLPassSetup& S) { return S.rgbMaster && !S.rgbMasterCurves; }, rgbMasterStage},
      {[](const VLPassSetup& S) { return S.rgbMasterCurves; }, rgbMasterCurvesStage},
      {[](const VLPassSetup& S) { return S.yccMaster; }, yccMasterStage},
      {[](const VLPassSetup& S) { return S.rgbCurves && !S.rgbMasterCurves; }, rgbCurvesStage},
      {[](const VLPassSetup& S) { return S.hslCurves; }, hslCurvesStage},
      {[](const VLPassSetup& S) { return S.levels; }, levelsOutStage},
      {[](const VLPassSetup& S) { return S.secondary[0].on; }, secondaryStage<0>},
      {[](const VLPassSetup& S) { return S.secondary[1].on; }, secondaryStage<1>},
      {[](const VLPassSetup& S) { return S.secondary[2].on; }, secondaryStage<2>},
      {[](const VLPassSetup& S) { return S.secondary[3].on; }, secondaryStage<3>},
      {[](const VLPassSetup& S) { return S.secondary[4].on; }, secondaryStage<4>},
      {[](const VLPassSetup& S) { return S.secondary[5].on; }, secondaryStage<5>},
      {[](const VLPassSetup& S) { return S.limiter; }, limiterStage},
  };
  static constexpr size_t kStageCount = sizeof kStages / sizeof kStages[0];

  static void runTile(const VLPassSetup& S, const Stage* stages, size_t stageCount, bool tonal,
                      const float* const src[3], float* const dst[4], Tile& t) {
    const size_t n = t.n;
    for (size_t j = 0; j < n; ++j)
      t.c[j] = held({vLoad(src[0] + kLanes * j), vLoad(src[1] + kLanes * j), vLoad(src[2] + kLanes * j)});
    // The ranges with weight in some pixel of the tile. With every weight
    // finite and free of a sign bit, a range left out has weight +0
    // throughout.
    t.weighted = 7u;
    if (tonal) {
      for (size_t j = 0; j < n; ++j) vGather3(S.weights, vIndex(lumaOf(t.c[j])), t.w[j]);
      if (S.tileRejection && S.weightsNonNegative) {
        // The largest weight of each range over the tile's lanes.
        V most[3] = {t.w[0][0], t.w[0][1], t.w[0][2]};
        for (size_t j = 1; j < n; ++j)
          for (int k = 0; k < 3; ++k) most[k] = vMax(t.w[j][k], most[k]);
        t.weighted = 0;
        for (int k = 0; k < 3; ++k) t.weighted |= vAny(vGT(most[k], vSet(0.0f))) ? 1u << k : 0u;
      }
    }
    for (size_t s = 0; s < stageCount; ++s) stages[s](S, t);
    for (size_t j = 0; j < n; ++j) {
      vStore(dst[0] + kLanes * j, t.c[j].r);
      vStore(dst[1] + kLanes * j, t.c[j].g);
      vStore(dst[2] + kLanes * j, t.c[j].b);
      vStore(dst[3] + kLanes * j, lumaOf(t.c[j]));
    }
  }

  // Fills out[begin, end) with `then` looked up at each held entry of
  // `first`: the lanes of a vector are independent, so the entries come out
  // as any kernel's lookups of those values do.
  static void compose(const float* first, const VLTableRef& then, float* out, size_t begin, size_t end) {
    size_t i = begin;
    for (; i + kLanes <= end; i += kLanes) vStore(out + i, lookup(then, held(vLoad(first + i))));
    if (i == end) return;
    float in[kLanes] = {}, last[kLanes];
    for (size_t k = i; k < end; ++k) in[k - i] = first[k];
    vStore(last, lookup(then, held(vLoad(in))));
    for (size_t k = i; k < end; ++k) out[k] = last[k - i];
  }

  // Runs the stages over `count` floats of each plane, a multiple of kLanes.
  static void runSpan(const VLPassSetup& S, const float* const source[3], float* const destination[4], size_t count) {
    Stage stages[kStageCount];
    size_t stageCount = 0;
    for (const StageRow& row : kStages)
      if (row.on(S)) stages[stageCount++] = row.run;
    // The weights are looked up only when a tonal-range stage will read them.
    const bool tonal = S.hslRanges || S.hueOffsets || S.rgbRanges || S.yccRanges;
    Tile t;
    for (size_t i = 0; i < count; i += kLanes * kTileVectors) {
      t.n = (count - i) / kLanes < kTileVectors ? (count - i) / kLanes : kTileVectors;
      const float* src[3] = {source[0] + i, source[1] + i, source[2] + i};
      float* dst[4] = {destination[0] + i, destination[1] + i, destination[2] + i, destination[3] + i};
      runTile(S, stages, stageCount, tonal, src, dst, t);
    }
  }
};
