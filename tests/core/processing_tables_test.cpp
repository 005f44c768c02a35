// Processing tables against values worked out from the formulas in double
// precision, independently of the builder.
#include "core/processing_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "tests/core/reference_curves.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr double kGammaTol = 2e-6;
constexpr double kCurveTol = 1e-4;
const int kProbe[] = {0, 1, 700, 4096, 6553, 8192, 11111, 16000, 16383, 16384};

double X(int i) { return i / 16384.0; }

// Within tol, relative for magnitudes above 1 (block values in percent units).
void ExpectClose(double expected, double actual, double tol, const char* what, int at = -1) {
  EXPECT_NEAR(expected, actual, tol * std::max(1.0, std::fabs(expected))) << what << " at " << at;
}

class Tables : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = VL_GetSettingsPreferenceWords();
    VL_SetSettingsPreferenceWords(VLSettingsPreferenceWords{});
    s_ = std::make_unique<VL_SettingsStruct>();
    std::memset(s_.get(), 0, sizeof *s_);
    VL_SetDefaultControlValues(s_.get(), kVLMaskAll);
  }
  void TearDown() override { VL_SetSettingsPreferenceWords(saved_); }
  void Build() { EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(s_.get())); }

  VLSettingsPreferenceWords saved_;
  std::unique_ptr<VL_SettingsStruct> s_;
};

void ExpectPower(const VLTable& table, double exponent, const char* what) {
  for (int i : kProbe) ExpectClose(std::pow(X(i), exponent), table[i], kGammaTol, what, i);
}

void ExpectGammaTop(const VLTable& table, const VLTableTop& top, const char* what) {
  EXPECT_EQ(table[16383], top.value) << what;
  EXPECT_FLOAT_EQ((table[16383] - table[16375]) * 2048.0f, top.slope) << what;
}

// Y'UV chroma of the hue-offset target for a tint angle: a standard HSL to RGB
// conversion at full saturation and lightness 32767 / 65535.
void HueTarget(double angle, double* u, double* v) {
  double h = (360 - angle) * 182.04167 / 65535.0;
  h -= std::floor(h);
  const double l = 32767.0 / 65535.0, q = l * 2, p = 2 * l - q;
  auto channel = [&](double t) {
    t -= std::floor(t);
    if (t < 1.0 / 6) return p + (q - p) * 6 * t;
    if (t < 0.5) return q;
    if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
  };
  const double r = channel(h + 1.0 / 3), g = channel(h), b = channel(h - 1.0 / 3);
  *u = -0.147407 * r - 0.289391 * g + 0.436798 * b;
  *v = 0.614777 * r - 0.5147996 * g - 0.099978 * b;
}


const VLTable* const kAllTables[] = {
    &gHSL_CBG_Lookup, &gHSL_CBG_S_Lookup, &gHSL_CBG_M_Lookup, &gHSL_CBG_H_Lookup, &gRGBGammaLookup,
    &gRGBGammaRLookup, &gRGBGammaGLookup, &gRGBGammaBLookup, &gRGB_Gamma_R_S_Lookup, &gRGB_Gamma_R_M_Lookup,
    &gRGB_Gamma_R_H_Lookup, &gRGB_Gamma_G_S_Lookup, &gRGB_Gamma_G_M_Lookup, &gRGB_Gamma_G_H_Lookup,
    &gRGB_Gamma_B_S_Lookup, &gRGB_Gamma_B_M_Lookup, &gRGB_Gamma_B_H_Lookup, &gYCbCrGammaLookup,
    &gYCbCrGammaYLookup, &gYCbCrGammaCbLookup, &gYCbCrGammaCrLookup, &gYCbCr_Gamma_Y_S_Lookup,
    &gYCbCr_Gamma_Y_M_Lookup, &gYCbCr_Gamma_Y_H_Lookup, &gYCbCr_Gamma_Cb_S_Lookup, &gYCbCr_Gamma_Cb_M_Lookup,
    &gYCbCr_Gamma_Cb_H_Lookup, &gYCbCr_Gamma_Cr_S_Lookup, &gYCbCr_Gamma_Cr_M_Lookup, &gYCbCr_Gamma_Cr_H_Lookup,
    &gLevelsInGammaRLookup, &gLevelsInGammaGLookup, &gLevelsInGammaBLookup, &gLevelsOutGammaRLookup,
    &gLevelsOutGammaGLookup, &gLevelsOutGammaBLookup, &gCurve_R_Lookup, &gCurve_G_Lookup, &gCurve_B_Lookup,
    &gCurve_H_Lookup, &gCurve_S_Lookup, &gCurve_L_Lookup, &gYtoShadow, &gYtoMidtone, &gYtoHighlight,
    &gSecondaryKeyer_GammaLookup[0], &gSecondaryKeyer_GammaLookup[1], &gSecondaryKeyer_GammaLookup[2],
    &gSecondaryKeyer_GammaLookup[3], &gSecondaryKeyer_GammaLookup[4], &gSecondaryKeyer_GammaLookup[5],
    &gLinGammaLookup, &gLinGammaInverseLookup,
};

}  // namespace

TEST_F(Tables, DefaultRecordSwitchesEveryStageOff) {
  Build();
  const auto* gates = reinterpret_cast<const uint8_t*>(&gFrameSettings.gates);
  for (size_t i = 0; i < sizeof(VLFrameGates); ++i) EXPECT_EQ(0, gates[i]) << i;
  const auto* derived = reinterpret_cast<const uint8_t*>(&gFrameSettings.derived);
  for (size_t i = 0; i < sizeof(VLFrameDerived); ++i) EXPECT_EQ(0, derived[i]) << i;
  ExpectPower(gHSL_CBG_Lookup, 1, "hsl master");
  ExpectPower(gHSL_CBG_H_Lookup, 1, "hsl highlights");
  EXPECT_EQ(1.0f, gYtoShadow[0]);
  EXPECT_EQ(1.0f, gYtoHighlight[16384]);
  EXPECT_EQ(1.0f, gFrameSettings.inputHighlightFactor);
  EXPECT_EQ(gHSL_CBG_Lookup, gFrameSettings.tables.hslCBG[kVLToneMaster]);
  EXPECT_EQ(gSecondaryKeyer_GammaLookup[5], gFrameSettings.tables.secondaryGamma[5]);

  // The limiter follows the "Limiter Default" preference.
  VLSettingsPreferenceWords words;
  words.limiterDefault = 1;
  VL_SetSettingsPreferenceWords(words);
  VL_SetDefaultControlValues(s_.get(), kVLMaskAll);
  Build();
  EXPECT_EQ(1, gFrameSettings.gates.limiter);
  EXPECT_EQ(0, gFrameSettings.gates.limiterPreview);
}

// Contrast, brightness and gamma at points worked out by hand. Master:
// contrast 50 (exponent 2) about 0.5, so 0.25 -> 2 * 0.25^2 = 0.125 and
// 0.75 -> 0.875; brightness 100 lifts c to 0.5 + c / 2; gamma 0.5 squares
// it. Shadows take the master's c: contrast -50 (exponent 0.5), 0.125 ->
// sqrt(0.25) / 2 = 0.25, 0.875 -> 0.75; brightness -100 halves it. Midtones,
// switched off, pass the shadows' c through. Highlights: contrast 50 about
// 0.75, so t = c - 0.25: 0.25 -> 0, 0.5 -> 0.125, 0.75 -> 0.5, 1 -> 0.875.
TEST_F(Tables, HSLContrastChainsThroughTheRanges) {
  s_->hslEnable = s_->hslControlsEnable = 1;
  VL_HSLControls& m = s_->hsl[kVLRangeMaster];
  m = {1, 10.0f, 120.0f, -50.0f, 100.0f, 50.0f, 0.5f, 1.1f, 0.5f, 0.02f};
  VL_HSLControls& sh = s_->hsl[kVLRangeShadows];
  sh = {1, 0.0f, 100.0f, 40.0f, -100.0f, -50.0f, 0.5f, 1.0f, 1.0f, 0.0f};
  // Midtones are switched off: their values are not used.
  s_->hsl[kVLRangeMidtones] = {0, 0.0f, 100.0f, 0.0f, 50.0f, 80.0f, 0.2f, 1.0f, 3.0f, 0.0f};
  VL_HSLControls& hi = s_->hsl[kVLRangeHighlights];
  hi = {1, 0.0f, 100.0f, 0.0f, 0.0f, 50.0f, 0.75f, 1.0f, 1.0f, 0.0f};
  Build();
  struct Point {
    int i;  // x = i / 16384
    double master, shadows, midtones, highlights;
  } points[] = {
      {0, 0.25, 0.0, 0.0, 0.0},
      {4096, 0.31640625, 0.125, 0.25, 0.0},
      {8192, 0.5625, 0.25, 0.5, 0.125},
      {12288, 0.87890625, 0.375, 0.75, 0.5},
      {16384, 1.0, 0.5, 1.0, 0.875},
  };
  for (const Point& p : points) {
    ExpectClose(p.master, gHSL_CBG_Lookup[p.i], kGammaTol, "master", p.i);
    ExpectClose(p.shadows, gHSL_CBG_S_Lookup[p.i], kGammaTol, "shadows", p.i);
    ExpectClose(p.midtones, gHSL_CBG_M_Lookup[p.i], kGammaTol, "midtones", p.i);
    ExpectClose(p.highlights, gHSL_CBG_H_Lookup[p.i], kGammaTol, "highlights", p.i);
  }
  const VLHSLFrameSettings& fm = gFrameSettings.hsl[kVLToneMaster];
  ExpectClose(10.0, fm.hue, kGammaTol, "hue");
  ExpectClose(2.0, fm.invGamma, kGammaTol, "1/gamma");
  ExpectClose(0.5, fm.contrast, kGammaTol, "contrast");
  ExpectClose(0.5, fm.brightness, kGammaTol, "brightness");
  ExpectClose(1.2, fm.saturation, kGammaTol, "saturation");
  ExpectClose(0.685, fm.vibrance, kGammaTol, "vibrance");  // (50 x 0.63 + 37) / 100
  ExpectClose(1.4, gFrameSettings.hsl[kVLToneShadows].vibrance, kGammaTol, "vibrance +");
  ExpectClose(1.1, fm.gain, kGammaTol, "gain");
  ExpectClose(0.02, fm.pedestal, kGammaTol, "pedestal");
  ExpectGammaTop(gHSL_CBG_Lookup, fm.top, "master top");
  EXPECT_EQ(1, gFrameSettings.gates.hsl[kVLToneMaster]);
  EXPECT_EQ(0, gFrameSettings.gates.hsl[kVLToneMidtones]);
  EXPECT_EQ(1.0f, gFrameSettings.hsl[kVLToneMidtones].invGamma);
}

// Contrast 100 raises to the power 127: 0.5 stays, 0.25 and 0.75 go to the
// ends, and 8100 / 16384 gives (16200 / 16384)^127 / 2 = 0.119136 (a power of
// 100 would give 0.1616; 1 / (1 - k) would divide by zero).
TEST_F(Tables, FullContrastUsesExponent127) {
  s_->hslEnable = s_->hslControlsEnable = 1;
  s_->hsl[kVLRangeMaster] = {1, 0.0f, 100.0f, 0.0f, 0.0f, 100.0f, 0.5f, 1.0f, 1.0f, 0.0f};
  Build();
  const std::pair<int, double> points[] = {{0, 0.0},   {4096, 0.0},  {8100, 0.119136},
                                           {8192, 0.5}, {12288, 1.0}, {16384, 1.0}};
  for (auto [i, expected] : points) ExpectClose(expected, gHSL_CBG_Lookup[i], kGammaTol, "contrast 100", i);
}

TEST_F(Tables, RGBFoldsInCMY) {
  s_->rgbEnable = s_->cmyEnable = 1;
  VL_RGBControls& rgb = s_->rgb[kVLRangeMaster];
  rgb = {1, 1.1f, 1.25f, 0.01f, {{0.9f, 2.0f, 0.03f}, {1.0f, 1.0f, 0.0f}, {1.0f, 1.0f, 0.0f}}};
  VL_CMYControls& cmy = s_->cmy[kVLRangeMaster];
  cmy = {1, 0.95f, 1.1f, 0.02f, {{0.8f, 0.8f, 0.04f}, {1.0f, 1.3f, 0.0f}, {1.2f, 1.0f, -0.01f}}};
  // RGB shadows pedestal with only the CMY highlights switched on among the ranges.
  s_->rgb[kVLRangeShadows].enable = 1;
  s_->rgb[kVLRangeShadows].pedestal = 0.1f;
  s_->cmy[kVLRangeHighlights].enable = 1;
  s_->cmy[kVLRangeHighlights].pedestal = 0.05f;
  s_->cmy[kVLRangeShadows].pedestal = 0.3f;  // switched off: adds nothing
  Build();
  const VLPrimaryFrameSettings& f = gFrameSettings.rgb[kVLToneMaster];
  ExpectClose(1.1 * 0.95, f.gain, kGammaTol, "gain");
  ExpectClose(0.03, f.pedestal, kGammaTol, "pedestal");
  ExpectClose(0.9 * 1.2, f.channelGain[0], kGammaTol, "red gain");
  ExpectClose(0.8 * 1.2, f.channelGain[1], kGammaTol, "green gain");
  ExpectClose(0.8, f.channelGain[2], kGammaTol, "blue gain");
  ExpectClose(0.02, f.channelPedestal[0], kGammaTol, "red ped");
  ExpectClose(0.03, f.channelPedestal[1], kGammaTol, "green ped");
  ExpectClose(0.04, f.channelPedestal[2], kGammaTol, "blue ped");
  ExpectClose(1 / 1.25, f.invGamma, kGammaTol, "range 1/gamma");
  ExpectClose(1 / 1.1, f.cmyInvGamma[0], kGammaTol, "cmy 1/gamma");
  const double base = 1 / 1.25 / 1.1;
  ExpectPower(gRGBGammaRLookup, 0.5 * base / 1.3, "red");
  ExpectPower(gRGBGammaGLookup, base / 0.8, "green");
  ExpectPower(gRGBGammaBLookup, base / 0.8 / 1.3, "blue");
  ExpectGammaTop(gRGBGammaBLookup, f.top[2], "blue top");
  ExpectClose(0.1, gFrameSettings.rgb[kVLToneShadows].pedestal, kGammaTol, "shadows ped");
  ExpectClose(0.05, gFrameSettings.rgb[kVLToneHighlights].pedestal, kGammaTol, "highlights ped");
  EXPECT_EQ(1, gFrameSettings.derived.rgbMasterGamma);
  EXPECT_EQ(1, gFrameSettings.derived.cmyMasterGamma);
  EXPECT_EQ(1, gFrameSettings.derived.rgbRangesOn);
  EXPECT_EQ(1, gFrameSettings.derived.cmyRangesOn);
  EXPECT_EQ(0, gFrameSettings.derived.rgbRangeGamma);
  EXPECT_EQ(0, gFrameSettings.derived.cmyRangeGamma);

  // A range's own gamma alone switches the range gamma step on.
  s_->rgb[kVLRangeShadows].gamma = 2.0f;
  s_->cmy[kVLRangeHighlights].gamma = 0.5f;
  Build();
  EXPECT_EQ(1, gFrameSettings.derived.rgbRangeGamma);
  EXPECT_EQ(1, gFrameSettings.derived.cmyRangeGamma);
  ExpectPower(gRGB_Gamma_G_S_Lookup, 0.5, "green shadows");
  ExpectPower(gRGB_Gamma_R_H_Lookup, 2.0, "red highlights");
  ExpectPower(gRGB_Gamma_B_M_Lookup, 1.0, "blue midtones");
}

TEST_F(Tables, YCbCrRangeAndMasterValuesGoIntoY) {
  s_->ycbcrEnable = 1;
  VL_YCbCrControls& sh = s_->ycbcr[kVLRangeShadows];
  sh = {1, 1.2f, 2.0f, 0.05f, {{0.9f, 1.5f, 0.01f}, {1.0f, 0.7f, 0.0f}, {1.0f, 1.0f, 0.0f}}};
  VL_YCbCrControls& m = s_->ycbcr[kVLRangeMaster];
  m = {1, 1.1f, 1.6f, 0.02f, {{1.0f, 1.0f, 0.0f}, {1.0f, 1.0f, 0.0f}, {0.5f, 1.0f, 0.03f}}};
  Build();
  const VLPrimaryFrameSettings& fs = gFrameSettings.ycbcr[kVLToneShadows];
  EXPECT_EQ(1.0f, fs.gain);
  EXPECT_EQ(0.0f, fs.pedestal);
  ExpectClose(0.9 * 1.2, fs.channelGain[0], kGammaTol, "Y gain");
  ExpectClose(0.06, fs.channelPedestal[0], kGammaTol, "Y ped");
  ExpectClose(1.0, fs.channelGain[1], kGammaTol, "Cb gain");
  ExpectPower(gYCbCr_Gamma_Y_S_Lookup, 1 / 1.5 / 2.0, "Y shadows");
  ExpectPower(gYCbCr_Gamma_Cb_S_Lookup, 1 / 0.7, "Cb shadows");
  ExpectPower(gYCbCr_Gamma_Cr_S_Lookup, 1.0, "Cr shadows");
  ExpectGammaTop(gYCbCr_Gamma_Y_S_Lookup, fs.top[0], "Y shadows top");
  const VLPrimaryFrameSettings& fm = gFrameSettings.ycbcr[kVLToneMaster];
  EXPECT_EQ(1.0f, fm.gain);
  EXPECT_EQ(0.0f, fm.pedestal);
  ExpectClose(1.1, fm.channelGain[0], kGammaTol, "master Y gain");
  ExpectClose(0.02, fm.channelPedestal[0], kGammaTol, "master Y ped");
  ExpectClose(1.0, fm.channelGain[1], kGammaTol, "master Cb gain");
  ExpectClose(0.0, fm.channelPedestal[1], kGammaTol, "master Cb ped");
  ExpectClose(0.5, fm.channelGain[2], kGammaTol, "Cr gain");
  ExpectClose(0.03, fm.channelPedestal[2], kGammaTol, "Cr ped");
  ExpectPower(gYCbCrGammaYLookup, 1 / 1.6, "Y master");
  EXPECT_EQ(1, gFrameSettings.derived.ycbcrRangesOn);
  EXPECT_EQ(1, gFrameSettings.derived.ycbcrRangeGamma);
  EXPECT_EQ(1, gFrameSettings.derived.ycbcrMasterGamma);
}

TEST_F(Tables, HueOffsetTargets) {
  s_->hslEnable = s_->hueOffsetEnable = 1;
  const float angles[4] = {0.0f, 120.0f, -30.0f, 725.0f};
  for (int w = 0; w < 4; ++w) {
    s_->hueOffsets.wheel[w].tintangle = angles[w];
    s_->hueOffsets.wheel[w].strength = 0.3f * float(w + 1);
  }
  Build();
  EXPECT_EQ(1, gFrameSettings.gates.hueOffsets);
  for (int w = 0; w < 4; ++w) {
    double u, v;
    HueTarget(angles[w], &u, &v);
    ExpectClose(u, gFrameSettings.hueOffset[w].u, kGammaTol, "U", w);
    ExpectClose(v, gFrameSettings.hueOffset[w].v, kGammaTol, "V", w);
    ExpectClose(0.1 * (w + 1), gFrameSettings.hueOffset[w].strength, kGammaTol, "strength", w);
  }
  // Switched off by the HSL enable: no pull at all.
  s_->hslEnable = 0;
  Build();
  EXPECT_EQ(0, gFrameSettings.gates.hueOffsets);
  EXPECT_EQ(0.0f, gFrameSettings.hueOffset[3].strength);
}

TEST_F(Tables, LevelsScalesOffsetsAndGreyExponents) {
  s_->levelsEnable = 1;
  VL_LevelControls& m = s_->levels[kVLLevelsMaster];
  m.enable = 1;
  m.inblackpt = 0.1f, m.ingraypt = 0.4f, m.inwhitept = 0.9f;
  m.outblackpt = 0.01f, m.outwhitept = 0.99f;
  VL_LevelControls& r = s_->levels[kVLLevelsRed];
  r.enable = 1;
  r.inblackpt = 0.05f, r.ingraypt = 0.7f, r.inwhitept = 0.95f;
  r.outblackpt = 0.02f, r.outwhitept = 0.98f;
  VL_LevelControls& g = s_->levels[kVLLevelsGreen];
  g.enable = 1;
  g.inblackpt = 0.0f, g.ingraypt = 1.0f, g.inwhitept = 1.0f;  // grey at white
  VL_LevelControls& b = s_->levels[kVLLevelsBlue];
  b.enable = 1;
  b.inblackpt = 0.5f, b.ingraypt = 0.5f, b.inwhitept = 0.5f;  // white at black
  Build();
  const VLLevelsFrameSettings& f = gFrameSettings.levels;
  const double fm = 1 / ((0.5 - 0.3 / 0.8) * 10 + 1);
  const double fr = 1 / (1 - 2 * (0.65 / 0.9 - 0.5));
  ExpectClose(1 / 0.8 / 0.9, f.inScale[0], kGammaTol, "red scale");
  ExpectClose(-0.1 / 0.8 - 0.05 / 0.9, f.inOffset[0], kGammaTol, "red offset");
  ExpectClose(0.98 * 0.96, f.outScale[0], kGammaTol, "red out scale");
  ExpectClose(0.03, f.outOffset[0], kGammaTol, "red out offset");
  for (int i : kProbe) {
    ExpectClose(std::pow(std::pow(X(i), fr), fm), gLevelsInGammaRLookup[i], kGammaTol, "red", i);
    ExpectClose(std::pow(std::pow(X(i), 1e6), fm), gLevelsInGammaGLookup[i], kGammaTol, "green", i);
  }
  ExpectGammaTop(gLevelsInGammaRLookup, f.inTop[0], "red top");
  ExpectClose(1 / 0.8 * 1e-9, f.inScale[2], kGammaTol, "blue scale");
  ExpectPower(gLevelsInGammaBLookup, fm, "blue");  // no span: the identity before the master
  EXPECT_EQ(1, gFrameSettings.derived.levelsInGrey);
  EXPECT_EQ(0, gFrameSettings.derived.levelsOutGrey);

  // A channel whose enable is 0 is reset.
  r.enable = 0;
  Build();
  ExpectClose(1 / 0.8, f.inScale[0], kGammaTol, "red off scale");
  ExpectPower(gLevelsInGammaRLookup, fm, "red off");
}

TEST_F(Tables, HighlightRecoveryGateReadsTheRecordButTheValueTheResetCopy) {
  s_->input.inputControls_highlight_recovery = 0.5f;
  s_->input.outputControls_highlight_recovery = 0.25f;
  s_->levelsEnable = 1;  // master channel enable 0: the master reset clears both values
  Build();
  EXPECT_EQ(1, gFrameSettings.gates.inputHighlightRecovery);
  EXPECT_EQ(1.0f, gFrameSettings.inputHighlightFactor);
  s_->levels[kVLLevelsMaster].enable = 1;
  Build();
  ExpectClose(0.8, gFrameSettings.inputHighlightFactor, kGammaTol, "input");
  ExpectClose(0.9, gFrameSettings.outputHighlightFactor, kGammaTol, "output");
}

TEST_F(Tables, CurvesComposeAndScale) {
  s_->curvesEnable = s_->rgbCurvesEnable = s_->hslCurvesEnable = 1;
  s_->rgbCurves[kVLCurveMaster].spline.y[1] = 0.5f;  // master: 0 .. 0.5
  s_->rgbCurves[kVLCurveRed].spline.y[0] = 0.2f;     // red: 0.2 .. 1
  VL_CurveSpline& sat = s_->hslCurves[kVLCurveSaturation].spline;
  sat.y[0] = 0.25f, sat.y[1] = 0.75f;
  Build();
  for (int i : kProbe) {
    const double red = std::round((0.2 + 0.8 * X(i)) * 16384) / 16384 * 0.5;
    ExpectClose(red, gCurve_R_Lookup[i], kCurveTol, "red", i);
    ExpectClose(0.5 * X(i), gCurve_B_Lookup[i], kCurveTol, "blue", i);
    EXPECT_EQ(0.0f, gCurve_H_Lookup[i]) << i;
    EXPECT_EQ(1.0f, gCurve_L_Lookup[i]) << i;
    ExpectClose(2 * (0.25 + 0.5 * X(i)), gCurve_S_Lookup[i], kCurveTol, "saturation", i);
  }
  ExpectClose(0.5, gFrameSettings.curveTop[2].slope, kCurveTol, "blue top slope");
  EXPECT_EQ(gCurve_B_Lookup[16383], gFrameSettings.curveTop[2].value);
}

TEST_F(Tables, LumaRangesFollowTheirEnable) {
  VL_LumaRangeControls& r = s_->lumaRanges;
  r.lumarange_shadowx = 0.2f, r.lumarange_shadowy = 0.5f;
  r.lumarange_highlightx = 0.6f, r.lumarange_highlighty = 0.3f;
  Build();  // enable off: the defaults stand
  EXPECT_NEAR(ReferenceRangeCurve(0.3, 5 * 0.3831 - 4, 0.25), gYtoShadow[4096], kCurveTol);
  s_->lumaRangesEnable = 1;
  Build();
  for (int i : {0, 1000, 4096, 9000}) {
    EXPECT_NEAR(ReferenceRangeCurve(0.2, 5 * 0.5 - 4, X(i)), gYtoShadow[i], kCurveTol) << i;
  }
  for (int i : {16384, 14000, 10000}) {
    EXPECT_NEAR(ReferenceRangeCurve(0.4, 5 * 0.3 - 4, 1 - X(i)), gYtoHighlight[i], kCurveTol) << i;
  }
}

TEST_F(Tables, SecondariesKeyAndGamma) {
  s_->secondaryEnable = 1;
  VL_SecondaryControls& b = s_->secondary[1];
  b.enable = 1;
  b.gamma = 2.0f, b.gain = 1.2f, b.ped = 0.1f, b.hue = 30.0f, b.saturation = 80.0f;
  b.preview = 1, b.previewMode = 2, b.invert = 1;
  b.hueoffset_tintangle = 90.0f, b.hueoffset_strength = 0.3f;
  b.sample[2] = {1, 0.8f, 0.4f, 0.2f};
  VL_SecondaryControls& c = s_->secondary[2];
  c.preview = 1, c.previewMode = 3, c.gamma = 3.0f;  // not enabled
  Build();
  EXPECT_EQ(1, gFrameSettings.gates.secondary[1]);
  EXPECT_EQ(0, gFrameSettings.gates.secondary[2]);
  const VLSecondaryFrameSettings& f = gFrameSettings.secondary[1];
  ExpectPower(gSecondaryKeyer_GammaLookup[1], 0.5, "secondary B");
  ExpectGammaTop(gSecondaryKeyer_GammaLookup[1], f.top, "secondary B top");
  EXPECT_EQ(2u, f.previewMode);
  EXPECT_EQ(1u, f.invert);
  ExpectClose(0.8, f.saturation, kGammaTol, "saturation");
  ExpectClose(0.5, f.invGamma, kGammaTol, "1/gamma");
  double u, v;
  HueTarget(90, &u, &v);
  ExpectClose(u, f.hueOffset.u, kGammaTol, "U");
  ExpectClose(0.1, f.hueOffset.strength, kGammaTol, "strength");
  ExpectClose(0.299 * 0.8 + 0.587 * 0.4 + 0.114 * 0.2, f.key[2].y, kGammaTol, "key Y");
  ExpectClose(-0.147407 * 0.8 - 0.289391 * 0.4 + 0.436798 * 0.2, f.key[2].u, kGammaTol, "key U");
  ExpectClose(0.614777 * 0.8 - 0.5147996 * 0.4 - 0.099978 * 0.2, f.key[2].v, kGammaTol, "key V");
  EXPECT_EQ(1u, f.key[2].inUse);
  EXPECT_EQ(0u, gFrameSettings.secondary[2].previewMode);
  // The keyer enable switches every secondary off.
  s_->secondaryKeyerEnable = 0;
  Build();
  EXPECT_EQ(0, gFrameSettings.gates.secondary[1]);
}

TEST_F(Tables, LimiterInVideoLevels) {
  s_->limiter_enable = 1;
  s_->limiter_preview = 1;
  s_->videoBlackLevel = 16, s_->videoWhiteLevel = 235, s_->videoMaxLevel = 255, s_->videoBlackSetup = 1;
  s_->limiter.limiter_clip_method = 2;
  Build();
  const double scale = ((235.0 - 16) / 255) / 0.925, base = 16.0 / 255;
  const VLLimiterFrameSettings& f = gFrameSettings.limiter;
  ExpectClose((110 - 7.5) * scale + base * 100, f.chromaMax, kGammaTol, "chroma max");
  ExpectClose((-30 - 7.5) * scale + base * 100, f.chromaMin, kGammaTol, "chroma min");
  ExpectClose((1.2 - 0.075) * scale + base, f.lumaMax, kGammaTol, "luma max");
  ExpectClose((0.9 - 0.075) * scale + base, f.softclipKnee, kGammaTol, "knee");
  ExpectClose((1.0 - 0.075) * scale + base, f.softclipWhite, kGammaTol, "white");
  ExpectClose((1.3 - 0.075) * scale + base, f.softclipMax, kGammaTol, "max");
  ExpectClose(1 / (0.4 * scale), f.softclipInvRange, 1e-5, "1/(max - knee)");
  EXPECT_EQ(2u, f.clipMethod);
  EXPECT_EQ(1, gFrameSettings.gates.limiterPreview);

  // No setup, full range.
  s_->videoBlackLevel = 0, s_->videoWhiteLevel = 255, s_->videoBlackSetup = 0;
  Build();
  ExpectClose(110, f.chromaMax, kGammaTol, "chroma max full");
  ExpectClose(1.2, f.lumaMax, kGammaTol, "luma max full");
}

// Settings that would divide by zero give finite values.
TEST_F(Tables, DivisionsByZeroGiveFiniteValues) {
  s_->limiter_enable = 1;
  s_->limiter.limiter_softclip_knee = 130.0f;  // past its range: held to 100, below the maximum
  s_->videoMaxLevel = 0;
  s_->hslEnable = s_->hslControlsEnable = s_->rgbEnable = s_->ycbcrEnable = s_->secondaryEnable = 1;
  s_->hsl[kVLRangeMaster] = {1, 0, 100, 0, 0, 0, 0.5f, 1, 0.0f, 0};
  s_->rgb[kVLRangeMaster].enable = 1;
  s_->rgb[kVLRangeMaster].gamma = -1.0f;
  s_->rgb[kVLRangeMaster].channel[0].gamma = kNaN;
  s_->ycbcr[kVLRangeShadows].enable = 1;
  s_->ycbcr[kVLRangeShadows].channel[1].gamma = 0.0f;
  s_->secondary[0].enable = 1;
  s_->secondary[0].gamma = -0.0f;
  s_->linearizationOn = 1;
  s_->linearizationGamma = 0.0f;
  Build();
  ExpectPower(gHSL_CBG_Lookup, 1, "hsl gamma 0");
  ExpectPower(gRGBGammaRLookup, 1, "rgb gamma -1, NaN");
  ExpectPower(gYCbCr_Gamma_Cb_S_Lookup, 1, "cb gamma 0");
  ExpectPower(gSecondaryKeyer_GammaLookup[0], 1, "secondary gamma -0");
  ExpectPower(gLinGammaLookup, 1, "linearization gamma 0");
  ExpectPower(gLinGammaInverseLookup, 1, "linearization inverse gamma 0");
  const VLLimiterFrameSettings& f = gFrameSettings.limiter;
  EXPECT_TRUE(std::isfinite(f.softclipInvRange));
  ExpectClose(1.0, f.softclipKnee, kGammaTol, "knee held to its range");
  ExpectClose(1 / (f.softclipMax - f.softclipKnee), f.softclipInvRange, kGammaTol, "ramp");
  ExpectClose(1.2, f.lumaMax, kGammaTol, "luma max without a maximum level");
  ExpectClose(110, f.chromaMax, kGammaTol, "chroma max without a maximum level");
}

TEST_F(Tables, Linearization) {
  s_->linearizationOn = 1;
  s_->linearizationGamma = 2.2f;
  Build();
  ExpectPower(gLinGammaLookup, 2.2, "forward");
  ExpectPower(gLinGammaInverseLookup, 1 / 2.2, "inverse");
  ExpectGammaTop(gLinGammaLookup, gFrameSettings.linTop, "forward top");
  ExpectGammaTop(gLinGammaInverseLookup, gFrameSettings.linInverseTop, "inverse top");

  // Video kind: only the inverse table changes.
  s_->linearizeVideoGamma = 1;
  s_->linearizationGamma = 2.4f;
  Build();
  ExpectPower(gLinGammaLookup, 2.2, "forward kept");
  const double g = 2.4, a = (g - 1) * 0.0811, k = ((1 + a) * std::pow(0.018, 1 / g) - a) / 0.018;
  for (int i : kProbe) {
    const double x = X(i);
    ExpectClose(x >= 0.018 ? (1 + a) * std::pow(x, 1 / g) - a : x * k, gLinGammaInverseLookup[i], kGammaTol,
                "video", i);
  }
  s_->linearizationGamma = 0.8f;
  Build();
  const double g2 = 0.8, a2 = (1 - g2) * 0.0811, d2 = (1 + a2) * std::pow(0.018, 1 / g2) - a2;
  for (int i : kProbe) {
    const double x = X(i);
    ExpectClose(x >= 0.018 ? (1 - a2) * std::pow(x, 1 / g2) + a2 : x * 0.018 / d2, gLinGammaInverseLookup[i],
                kGammaTol, "video below 1", i);
  }

  // Log kind: 0 at the black point and below, 1 at the white point.
  s_->linearizeVideoGamma = 0;
  s_->linearizeLog = 1;
  Build();
  const double per = 0.002 / 0.6 / 1.7, gain = 1 / (1 - std::pow(10.0, (95.0 - 685) * per));
  for (int i : kProbe) {
    const double c = i * 1023.0 / 16384;
    const double expect = c <= 95 ? 0 : gain * std::pow(10.0, (c - 685) * per) - (gain - 1);
    ExpectClose(expect, gLinGammaLookup[i], 1e-5, "log", i);
  }
  EXPECT_NEAR(1.0, gain * std::pow(10.0, 0.0) - (gain - 1), 1e-12);
}

// No record, however hostile, may read or write outside the tables or leave
// a value that is not finite.
TEST_F(Tables, HostileRecordsGiveFiniteTables) {
  const float specials[] = {kNaN, kInf, -kInf, 1e30f, -1e30f, 0.0f, -0.0f, 1e-45f, 3.4e38f, -1.0f, 2.0f, 1.0f};
  std::mt19937 rng(20261210);
  for (int round = 0; round < 24; ++round) {
    SCOPED_TRACE(round);
    auto* words = reinterpret_cast<uint32_t*>(s_.get());
    for (int w = 0; w < kVLSettingsWordCount; ++w) {
      const uint32_t pick = rng() % 4;
      if (pick == 0) {
        words[w] = rng();
      } else if (pick == 1) {
        std::memcpy(&words[w], &specials[rng() % std::size(specials)], 4);
      } else {
        const float f = std::uniform_real_distribution<float>(-3.0f, 3.0f)(rng);
        std::memcpy(&words[w], &f, 4);
      }
    }
    for (VL_CurveControls* c : {&s_->rgbCurves[0], &s_->rgbCurves[1], &s_->rgbCurves[2], &s_->rgbCurves[3],
                                &s_->hslCurves[0], &s_->hslCurves[1], &s_->hslCurves[2]}) {
      c->modeFlags = rng() % 3;
      c->spline.pointCount = rng() % 19;
    }
    s_->linearizeVideoGamma = round % 4 == 0;
    s_->linearizeLog = round % 4 == 1;
    s_->linearizeSelector3 = 0;
    s_->linearizeSelector4 = 0;
    Build();
    for (size_t t = 0; t < std::size(kAllTables); ++t) {
      const VLTable& table = *kAllTables[t];
      for (int i = 0; i < kVLTableSize; ++i) {
        ASSERT_TRUE(std::isfinite(table[i])) << "table " << t << " entry " << i;
      }
    }
    const VLFrameSettings& f = gFrameSettings;
    std::vector<float> values;
    auto add = [&](const void* p, size_t bytes) {
      const auto* v = static_cast<const float*>(p);
      values.insert(values.end(), v, v + bytes / 4);
    };
    add(f.hsl, sizeof f.hsl);
    add(f.hueOffset, sizeof f.hueOffset);
    add(f.rgb, sizeof f.rgb);
    add(f.ycbcr, sizeof f.ycbcr);
    add(&f.levels, sizeof f.levels);
    add(f.curveTop, sizeof f.curveTop);
    add(&f.inputHighlightFactor, 2 * sizeof(float));
    add(&f.linTop, 2 * sizeof(VLTableTop));
    for (const VLSecondaryFrameSettings& sec : f.secondary) {
      add(&sec.lumatol, offsetof(VLSecondaryFrameSettings, key) - offsetof(VLSecondaryFrameSettings, lumatol));
      for (const VLKeyColour& k : sec.key) add(&k, 3 * sizeof(float));
      add(&sec.top, sizeof sec.top);
    }
    const VLLimiterFrameSettings& l = f.limiter;
    for (float v : {l.chromaMax, l.chromaMin, l.lumaMax, l.softclipKnee, l.softclipWhite, l.softclipMax,
                    l.softclipInvRange}) {
      values.push_back(v);
    }
    for (size_t i = 0; i < values.size(); ++i) ASSERT_TRUE(std::isfinite(values[i])) << "block value " << i;
  }
}

// Each gate byte against the words it is made of: with all of them set the
// gate alone is on, and clearing any one of them switches it off. The enables
// are set to 0x80000000 so that a gate that keeps only the low byte of a
// word would fail.
TEST_F(Tables, EveryGateFollowsExactlyItsWords) {
  struct GateCase {
    const char* name;
    size_t gate;                   // byte offset in VLFrameGates
    std::vector<uint32_t> words;   // byte offsets in the record, all needed
  };
  const uint32_t hslRange[4] = {12, 132, 92, 52};  // record range of each tonal-order gate
  const uint32_t primaryRange[4] = {0, 156, 104, 52};
  std::vector<GateCase> cases;
  for (size_t tone = 0; tone < 4; ++tone) {
    cases.push_back({"hsl", offsetof(VLFrameGates, hsl) + tone, {4, 8, hslRange[tone]}});
    cases.push_back({"rgb", offsetof(VLFrameGates, rgb) + tone, {172, 176 + primaryRange[tone]}});
    cases.push_back({"ycbcr", offsetof(VLFrameGates, ycbcr) + tone, {384, 388 + primaryRange[tone]}});
    cases.push_back({"cmy", offsetof(VLFrameGates, cmy) + tone, {596, 600 + primaryRange[tone]}});
  }
  cases.push_back({"hue offsets", offsetof(VLFrameGates, hueOffsets), {4, 808}});
  cases.push_back({"levels", offsetof(VLFrameGates, levels), {864}});
  cases.push_back({"input recovery", offsetof(VLFrameGates, inputHighlightRecovery), {33540}});
  cases.push_back({"output recovery", offsetof(VLFrameGates, outputHighlightRecovery), {33544}});
  cases.push_back({"rgb curves", offsetof(VLFrameGates, rgbCurves), {1028, 1032}});
  cases.push_back({"hsl curves", offsetof(VLFrameGates, hslCurves), {1028, 17504}});
  for (uint32_t n = 0; n < 6; ++n) {
    cases.push_back({"secondary", offsetof(VLFrameGates, secondary) + n, {29860, 29864, 29868 + 124 * n}});
  }
  cases.push_back({"limiter", offsetof(VLFrameGates, limiter), {33376}});
  cases.push_back({"limiter preview", offsetof(VLFrameGates, limiterPreview), {33380}});
  cases.push_back({"input linearization", offsetof(VLFrameGates, inputLinearization), {33504}});

  s_->secondaryKeyerEnable = 0;
  const VL_SettingsStruct base = *s_;
  auto* bytes = reinterpret_cast<uint8_t*>(s_.get());
  for (const GateCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.name << " gate byte " << c.gate);
    for (int omit = -1; omit < int(c.words.size()); ++omit) {
      *s_ = base;
      for (size_t w = 0; w < c.words.size(); ++w) {
        // The recovery words are floats: any value but 0 switches them on.
        const uint32_t on = c.words[w] >= 33540 ? 0x3f000000u : 0x80000000u;
        const uint32_t value = int(w) == omit ? 0u : on;
        std::memcpy(bytes + c.words[w], &value, 4);
      }
      Build();
      const auto* gates = reinterpret_cast<const uint8_t*>(&gFrameSettings.gates);
      for (size_t g = 0; g < sizeof(VLFrameGates); ++g) {
        EXPECT_EQ(g == c.gate && omit < 0 ? 1 : 0, gates[g]) << "byte " << g << ", word left out " << omit;
      }
    }
  }
}

// A section whose gate is off is read at its defaults: a record whose every
// named value differs from its default, with each section switched off by one
// of its enables, builds the same block and the same always-built tables as
// the default record.
TEST_F(Tables, SwitchedOffSectionsAreReadAtTheirDefaults) {
  Build();
  const size_t from = offsetof(VLFrameSettings, derived);
  std::vector<uint8_t> block(sizeof(VLFrameSettings) - from);
  std::memcpy(block.data(), reinterpret_cast<const uint8_t*>(&gFrameSettings) + from, block.size());
  const VLTable* always[] = {&gHSL_CBG_Lookup, &gHSL_CBG_S_Lookup, &gHSL_CBG_M_Lookup, &gHSL_CBG_H_Lookup,
                             &gYtoShadow,      &gYtoMidtone,       &gYtoHighlight};
  std::vector<std::vector<float>> tables;
  for (const VLTable* t : always) tables.emplace_back(*t, *t + kVLTableSize);

  auto* bytes = reinterpret_cast<uint8_t*>(s_.get());
  for (const VLSettingsFieldName& f : kSettingsFieldNames) {
    const std::string name = f.name;
    if (name == "limiter_enable" || name == "limiter_preview" || name == "limiter_system") continue;
    const float fv = 0.37f;
    const uint32_t uv = 2;
    std::memcpy(bytes + f.offset, f.type == kVLFieldFloat ? static_cast<const void*>(&fv) : &uv, 4);
  }
  // Every range, channel and secondary switched on by its own enable, every
  // section off by the enable above it.
  for (int r = 0; r < 4; ++r) {
    s_->hsl[r].enable = s_->rgb[r].enable = s_->ycbcr[r].enable = s_->cmy[r].enable = 1;
  }
  s_->hslControlsEnable = 1;
  s_->hueOffsetEnable = 1;  // HSL enable off
  for (VL_LevelControls& lv : s_->levels) lv.enable = 1;  // levels enable off
  s_->rgbCurvesEnable = s_->hslCurvesEnable = 1;             // curves enable off
  s_->rgbCurves[kVLCurveRed].spline.y[0] = 0.3f;
  s_->hslCurves[kVLCurveHue].spline.y[1] = 0.9f;
  for (VL_SecondaryControls& sec : s_->secondary) sec.enable = 1;  // secondary enable off
  Build();

  EXPECT_EQ(1, gFrameSettings.gates.inputHighlightRecovery);  // gate from the record, value reset
  const auto* now = reinterpret_cast<const uint8_t*>(&gFrameSettings) + from;
  for (size_t i = 0; i < block.size(); ++i) {
    ASSERT_EQ(block[i], now[i]) << "frame settings byte " << from + i;
  }
  for (size_t t = 0; t < std::size(always); ++t) {
    for (int i = 0; i < kVLTableSize; ++i) ASSERT_EQ(tables[t][i], (*always[t])[i]) << "table " << t << " entry " << i;
  }
}

// The pass reads packed copies of the groups it looks up at one index; after
// every build each entry must hold exactly the public tables' values, so a
// rebuild with other settings must not leave a stale copy behind.
TEST_F(Tables, PackedGroupsCopyTheirTablesExactly) {
  struct Group {
    const char* name;
    const VLPackedEntry* packed;
    const VLTable* tables[3];
  };
  auto check = [](const char* when) {
    const VLTablePointers& p = gFrameSettings.tables;
    const Group groups[] = {
        {"weights", p.packedWeights, {&gYtoShadow, &gYtoMidtone, &gYtoHighlight}},
        {"HSL ranges", p.packedHSLRange, {&gHSL_CBG_S_Lookup, &gHSL_CBG_M_Lookup, &gHSL_CBG_H_Lookup}},
        {"red ranges", p.packedRGBRange[0], {&gRGB_Gamma_R_S_Lookup, &gRGB_Gamma_R_M_Lookup, &gRGB_Gamma_R_H_Lookup}},
        {"green ranges", p.packedRGBRange[1], {&gRGB_Gamma_G_S_Lookup, &gRGB_Gamma_G_M_Lookup, &gRGB_Gamma_G_H_Lookup}},
        {"blue ranges", p.packedRGBRange[2], {&gRGB_Gamma_B_S_Lookup, &gRGB_Gamma_B_M_Lookup, &gRGB_Gamma_B_H_Lookup}},
        {"Y ranges", p.packedYCbCrRange[0],
         {&gYCbCr_Gamma_Y_S_Lookup, &gYCbCr_Gamma_Y_M_Lookup, &gYCbCr_Gamma_Y_H_Lookup}},
        {"Cb ranges", p.packedYCbCrRange[1],
         {&gYCbCr_Gamma_Cb_S_Lookup, &gYCbCr_Gamma_Cb_M_Lookup, &gYCbCr_Gamma_Cb_H_Lookup}},
        {"Cr ranges", p.packedYCbCrRange[2],
         {&gYCbCr_Gamma_Cr_S_Lookup, &gYCbCr_Gamma_Cr_M_Lookup, &gYCbCr_Gamma_Cr_H_Lookup}},
        {"HSL curves", p.packedHSLCurves, {&gCurve_H_Lookup, &gCurve_S_Lookup, &gCurve_L_Lookup}},
    };
    for (const Group& g : groups) {
      ASSERT_NE(nullptr, g.packed) << g.name;
      for (int i = 0; i < kVLTableSize; ++i)
        for (int k = 0; k < 3; ++k)
          ASSERT_EQ(0, std::memcmp(&(*g.tables[k])[i], &g.packed[i].v[k], 4))
              << g.name << " table " << k << " entry " << i << " " << when;
    }
  };
  s_->hslEnable = s_->hslControlsEnable = s_->rgbEnable = s_->cmyEnable = s_->ycbcrEnable = 1;
  for (int r = 0; r < 4; ++r) {
    s_->hsl[r] = {1, 5.0f, 110.0f, 10.0f, 10.0f + r, 20.0f - 5 * r, 0.45f, 1.0f, 0.8f + 0.1f * r, 0.0f};
    for (VL_PrimaryControls* c : {&s_->rgb[r], &s_->cmy[r], &s_->ycbcr[r]})
      *c = {1, 1.0f, 0.9f + 0.05f * r, 0.0f, {{1.0f, 0.95f, 0.0f}, {1.0f, 1.05f, 0.0f}, {1.0f, 1.1f, 0.0f}}};
  }
  s_->curvesEnable = s_->hslCurvesEnable = 1;
  s_->hslCurves[kVLCurveHue].spline = {3, {0, 0.5f, 1}, {0.5f, 0.6f, 0.5f}};
  s_->hslCurves[kVLCurveLuma].spline = {2, {0, 1}, {0.4f, 0.6f}};
  s_->lumaRangesEnable = 1;
  s_->lumaRanges.lumarange_shadowx = 0.3f;
  Build();
  check("with every group in use");
  VL_SetDefaultControlValues(s_.get(), kVLMaskAll);
  Build();
  check("after a rebuild at the defaults");
}
