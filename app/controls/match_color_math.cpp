#include "app/controls/match_color_math.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "core/settings_record.h"
#include "support/color_coding.h"

namespace {

constexpr double kDegrees = 57.29578778556937;

template <size_t N>
bool In(int32_t mode, const int32_t (&set)[N]) {
  return std::find(set, set + N, mode) != set + N;
}

// Modes of the HSL and Secondary tabs' popups.
constexpr int32_t kHueModes[] = {1, 2, 5, 6};
constexpr int32_t kSaturationModes[] = {1, 3, 5, 7};
constexpr int32_t kLumaModes[] = {1, 4, 6, 7};
// Modes of the channel tabs' popups: item 2 the luma alone, then each channel.
constexpr int32_t kLumaOnlyMode = 2;
constexpr int32_t kChannelModes[3][4] = {{1, 3, 6, 7}, {1, 4, 6, 8}, {1, 5, 7, 8}};

constexpr uint32_t Offset(size_t offset) { return uint32_t(offset); }

void AddField(VFColorMatch* m, uint32_t offset, double value) {
  if (std::isfinite(value) && m->fieldCount < kVFMatchMaxFields) m->fields[m->fieldCount++] = {offset, float(value)};
}
void AddRatio(VFColorMatch* m, uint32_t offset, double numerator, double denominator) {
  if (denominator != 0.0) AddField(m, offset, numerator / denominator);
}
void AddEnable(VFColorMatch* m, uint32_t offset) {
  if (m->enableCount < kVFMatchMaxEnables) m->enableFrom[m->enableCount++] = offset;
}

// The hue turn from target to source in degrees, the short way round
// (-180..180), so it stays inside the hue control's range.
double HueTurn(const float source[3], const float target[3]) {
  double turn = std::fmod((VFMatchHueAngle(source) - VFMatchHueAngle(target)) * kDegrees, 360.0);
  if (turn > 180.0) turn -= 360.0;
  if (turn < -180.0) turn += 360.0;
  return turn;
}

// The RGB, CMY and YCbCr tabs: the master block's gain for the luma, and the
// three channel gains.
struct ChannelTab {
  int32_t tab;
  uint32_t gain;        // the master block's own gain
  uint32_t channel[3];  // the master block's channel gains
  enum Kind { kRatios, kComplements, kYCbCr } kind;
};
constexpr ChannelTab kChannelTabs[] = {
    {1, Offset(offsetof(VL_SettingsStruct, rgb[0].gain)),
     {Offset(offsetof(VL_SettingsStruct, rgb[0].channel[0].gain)),
      Offset(offsetof(VL_SettingsStruct, rgb[0].channel[1].gain)),
      Offset(offsetof(VL_SettingsStruct, rgb[0].channel[2].gain))},
     ChannelTab::kRatios},
    {2, Offset(offsetof(VL_SettingsStruct, cmy[0].gain)),
     {Offset(offsetof(VL_SettingsStruct, cmy[0].channel[0].gain)),
      Offset(offsetof(VL_SettingsStruct, cmy[0].channel[1].gain)),
      Offset(offsetof(VL_SettingsStruct, cmy[0].channel[2].gain))},
     ChannelTab::kComplements},
    {3, Offset(offsetof(VL_SettingsStruct, ycbcr[0].gain)),
     {Offset(offsetof(VL_SettingsStruct, ycbcr[0].channel[0].gain)),
      Offset(offsetof(VL_SettingsStruct, ycbcr[0].channel[1].gain)),
      Offset(offsetof(VL_SettingsStruct, ycbcr[0].channel[2].gain))},
     ChannelTab::kYCbCr},
};

void MatchChannels(const ChannelTab& t, int32_t mode, const float s[3], const float d[3], VFColorMatch* m) {
  if (mode == kLumaOnlyMode) AddRatio(m, t.gain, VFMatchLuma(d), VFMatchLuma(s));
  double value[3] = {};
  bool defined[3] = {};
  switch (t.kind) {
    case ChannelTab::kRatios:
      for (int i = 0; i < 3; ++i) {
        defined[i] = s[i] != 0.0f;
        value[i] = defined[i] ? double(d[i]) / double(s[i]) : 0.0;
      }
      break;
    case ChannelTab::kComplements: {
      // With the channel ratios r, g, b and k = sqrt(1 / (r g b)): cyan
      // g b k, magenta r b k, yellow r g k, all from the same r, g, b, k.
      double ratio[3];
      bool all = true;
      for (int i = 0; i < 3; ++i) {
        all = all && s[i] != 0.0f;
        ratio[i] = s[i] != 0.0f ? double(d[i]) / double(s[i]) : 0.0;
      }
      const double product = ratio[0] * ratio[1] * ratio[2];
      const double k = all && product > 0.0 ? std::sqrt(1.0 / product) : 0.0;
      for (int i = 0; i < 3; ++i) {
        defined[i] = all && product > 0.0;
        value[i] = ratio[(i + 1) % 3] * ratio[(i + 2) % 3] * k;
      }
      break;
    }
    case ChannelTab::kYCbCr: {
      const double num[3] = {VFMatchLuma(d), VFMatchCb(d), VFMatchCr(d)};
      const double den[3] = {VFMatchLuma(s), VFMatchCb(s), VFMatchCr(s)};
      for (int i = 0; i < 3; ++i) {
        defined[i] = den[i] != 0.0;
        value[i] = defined[i] ? num[i] / den[i] : 0.0;
      }
      break;
    }
  }
  for (int i = 0; i < 3; ++i)
    if (In(mode, kChannelModes[i]) && defined[i]) AddField(m, t.channel[i], value[i]);
  AddEnable(m, t.channel[0]);
}

void MatchHSL(int32_t mode, const float s[3], const float d[3], VFColorMatch* m) {
  if (In(mode, kHueModes)) AddField(m, Offset(offsetof(VL_SettingsStruct, hsl[0].hue)), HueTurn(s, d));
  if (In(mode, kSaturationModes))
    AddRatio(m, Offset(offsetof(VL_SettingsStruct, hsl[0].saturation)), VFMatchSaturation(d) * 100.0,
             VFMatchSaturation(s));
  if (In(mode, kLumaModes))
    AddRatio(m, Offset(offsetof(VL_SettingsStruct, hsl[0].gain)), VFMatchLuma(d), VFMatchLuma(s));
  AddEnable(m, Offset(offsetof(VL_SettingsStruct, hsl[0].hue)));
}

void MatchCurves(int32_t mode, const float s[3], const float d[3], VFColorMatch* m) {
  const uint32_t master = Offset(offsetof(VL_SettingsStruct, rgbCurves[0]));
  const uint32_t curveBytes = uint32_t(sizeof(VL_CurveControls));
  if (mode == kLumaOnlyMode && m->pointCount < kVFMatchMaxPoints)
    m->points[m->pointCount++] = {master, float(VFMatchLuma(s)), float(VFMatchLuma(d))};
  for (int i = 0; i < 3; ++i)
    if (In(mode, kChannelModes[i])) m->points[m->pointCount++] = {master + curveBytes * uint32_t(i + 1), s[i], d[i]};
  AddEnable(m, master + curveBytes);
}

void MatchSecondaries(int32_t mode, const float s[3], const float d[3], VFColorMatch* m) {
  const double turn = HueTurn(s, d);
  for (int n = 0; n < 6; ++n) {
    const uint32_t block = Offset(offsetof(VL_SettingsStruct, secondary)) + uint32_t(sizeof(VL_SecondaryControls)) * n;
    if (In(mode, kHueModes)) AddField(m, block + Offset(offsetof(VL_SecondaryControls, hue)), turn);
    if (In(mode, kSaturationModes))
      AddRatio(m, block + Offset(offsetof(VL_SecondaryControls, saturation)), VFMatchSaturation(d) * 100.0,
               VFMatchSaturation(s));
    AddEnable(m, block + Offset(offsetof(VL_SecondaryControls, hue)));
  }
}

}  // namespace

double VFMatchLuma(const float c[3]) { return kQVYUV.yR * c[0] + kQVYUV.yG * c[1] + kQVYUV.yB * c[2]; }

double VFMatchSaturation(const float c[3]) {
  const double hi = std::max({c[0], c[1], c[2]}), lo = std::min({c[0], c[1], c[2]});
  return hi == 0.0 ? 0.0 : (hi - lo) / hi;
}

double VFMatchHueAngle(const float c[3]) {
  const double u = kQVYUV.firstR * c[0] + kQVYUV.firstG * c[1] + kQVYUV.firstB * c[2];
  const double v = kQVYUV.secondR * c[0] + kQVYUV.secondG * c[1] + kQVYUV.secondB * c[2];
  return std::atan2(u, v);
}

double VFMatchCb(const float c[3]) {
  return kQVYCbCr601.firstR * c[0] + kQVYCbCr601.firstG * c[1] + kQVYCbCr601.firstB * c[2];
}
double VFMatchCr(const float c[3]) {
  return kQVYCbCr601.secondR * c[0] + kQVYCbCr601.secondG * c[1] + kQVYCbCr601.secondB * c[2];
}

VFColorMatch VFComputeColorMatch(int32_t tab, int32_t hslSubTab, int32_t mode, const float source[3],
                                 const float target[3]) {
  VFColorMatch m;
  if (tab == 0 && hslSubTab == 0) MatchHSL(mode, source, target, &m);
  for (const ChannelTab& t : kChannelTabs)
    if (t.tab == tab) MatchChannels(t, mode, source, target, &m);
  if (tab == 4) MatchCurves(mode, source, target, &m);
  if (tab == 7) MatchSecondaries(mode, source, target, &m);
  return m;
}
