// The process-wide processing tables and frame-settings block, and the
// builder that turns one settings record into them.
//
// Order of the build: gates from the record passed in; every section whose
// gate is off is reset to its defaults in a working copy, so that only the
// copy is read afterwards; then HSL, hue offsets, RGB with CMY folded in,
// Y'CbCr, RGB curves, HSL curves, luma ranges, levels, secondaries, limiter,
// highlight recovery, linearization; last the top values and slopes and the
// bytes that tell the pass whether a stage has work to do.
#include "core/processing_tables.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "core/curves.h"
#include "core/engine_alert.h"
#include "core/processing_tables_internal.h"
#include "core/settings_ranges.h"

VLTableStorage gVLTableStorage;
VLFrameSettings gVLFrameSettingsStorage;

const VLFrameSettings& gFrameSettings = gVLFrameSettingsStorage;

const VLTable& gHSL_CBG_Lookup = gVLTableStorage.hslCBG[kVLToneMaster];
const VLTable& gHSL_CBG_S_Lookup = gVLTableStorage.hslCBG[kVLToneShadows];
const VLTable& gHSL_CBG_M_Lookup = gVLTableStorage.hslCBG[kVLToneMidtones];
const VLTable& gHSL_CBG_H_Lookup = gVLTableStorage.hslCBG[kVLToneHighlights];
const VLTable& gRGBGammaLookup = gVLTableStorage.rgbGamma;
const VLTable& gRGBGammaRLookup = gVLTableStorage.rgbMaster[0];
const VLTable& gRGBGammaGLookup = gVLTableStorage.rgbMaster[1];
const VLTable& gRGBGammaBLookup = gVLTableStorage.rgbMaster[2];
const VLTable& gRGB_Gamma_R_S_Lookup = gVLTableStorage.rgbRange[0][kVLRangeS];
const VLTable& gRGB_Gamma_R_M_Lookup = gVLTableStorage.rgbRange[0][kVLRangeM];
const VLTable& gRGB_Gamma_R_H_Lookup = gVLTableStorage.rgbRange[0][kVLRangeH];
const VLTable& gRGB_Gamma_G_S_Lookup = gVLTableStorage.rgbRange[1][kVLRangeS];
const VLTable& gRGB_Gamma_G_M_Lookup = gVLTableStorage.rgbRange[1][kVLRangeM];
const VLTable& gRGB_Gamma_G_H_Lookup = gVLTableStorage.rgbRange[1][kVLRangeH];
const VLTable& gRGB_Gamma_B_S_Lookup = gVLTableStorage.rgbRange[2][kVLRangeS];
const VLTable& gRGB_Gamma_B_M_Lookup = gVLTableStorage.rgbRange[2][kVLRangeM];
const VLTable& gRGB_Gamma_B_H_Lookup = gVLTableStorage.rgbRange[2][kVLRangeH];
const VLTable& gYCbCrGammaLookup = gVLTableStorage.ycbcrGamma;
const VLTable& gYCbCrGammaYLookup = gVLTableStorage.ycbcrMaster[0];
const VLTable& gYCbCrGammaCbLookup = gVLTableStorage.ycbcrMaster[1];
const VLTable& gYCbCrGammaCrLookup = gVLTableStorage.ycbcrMaster[2];
const VLTable& gYCbCr_Gamma_Y_S_Lookup = gVLTableStorage.ycbcrRange[0][kVLRangeS];
const VLTable& gYCbCr_Gamma_Y_M_Lookup = gVLTableStorage.ycbcrRange[0][kVLRangeM];
const VLTable& gYCbCr_Gamma_Y_H_Lookup = gVLTableStorage.ycbcrRange[0][kVLRangeH];
const VLTable& gYCbCr_Gamma_Cb_S_Lookup = gVLTableStorage.ycbcrRange[1][kVLRangeS];
const VLTable& gYCbCr_Gamma_Cb_M_Lookup = gVLTableStorage.ycbcrRange[1][kVLRangeM];
const VLTable& gYCbCr_Gamma_Cb_H_Lookup = gVLTableStorage.ycbcrRange[1][kVLRangeH];
const VLTable& gYCbCr_Gamma_Cr_S_Lookup = gVLTableStorage.ycbcrRange[2][kVLRangeS];
const VLTable& gYCbCr_Gamma_Cr_M_Lookup = gVLTableStorage.ycbcrRange[2][kVLRangeM];
const VLTable& gYCbCr_Gamma_Cr_H_Lookup = gVLTableStorage.ycbcrRange[2][kVLRangeH];
const VLTable& gLevelsInGammaRLookup = gVLTableStorage.levelsIn[0];
const VLTable& gLevelsInGammaGLookup = gVLTableStorage.levelsIn[1];
const VLTable& gLevelsInGammaBLookup = gVLTableStorage.levelsIn[2];
const VLTable& gLevelsOutGammaRLookup = gVLTableStorage.levelsOut[0];
const VLTable& gLevelsOutGammaGLookup = gVLTableStorage.levelsOut[1];
const VLTable& gLevelsOutGammaBLookup = gVLTableStorage.levelsOut[2];
const VLTable& gCurve_R_Lookup = gVLTableStorage.curveRGB[0];
const VLTable& gCurve_G_Lookup = gVLTableStorage.curveRGB[1];
const VLTable& gCurve_B_Lookup = gVLTableStorage.curveRGB[2];
const VLTable& gCurve_H_Lookup = gVLTableStorage.curveH;
const VLTable& gCurve_S_Lookup = gVLTableStorage.curveS;
const VLTable& gCurve_L_Lookup = gVLTableStorage.curveL;
const VLTable& gYtoShadow = gVLTableStorage.yToShadow;
const VLTable& gYtoMidtone = gVLTableStorage.yToMidtone;
const VLTable& gYtoHighlight = gVLTableStorage.yToHighlight;
const float (&gSecondaryKeyer_GammaLookup)[6][kVLTableSize] = gVLTableStorage.secondaryGamma;
const VLTable& gLinGammaLookup = gVLTableStorage.linGamma;
const VLTable& gLinGammaInverseLookup = gVLTableStorage.linGammaInverse;

namespace {

using Table = std::unique_ptr<float[]>;

Table NewTable() { return Table(new (std::nothrow) float[kVLTableSize]()); }

uint8_t On(bool v) { return v ? 1 : 0; }

// Highlight recovery starts below white by 0.4 per unit of its control: at 1
// it starts at 60% luma, at 2.5 from black.
constexpr float kVLRecoveryPerUnit = 0.4f;

VLFrameGates ComputeGates(const VL_SettingsStruct& s) {
  VLFrameGates g = {};
  for (int tone = 0; tone < 4; ++tone) {
    const int r = kVLToneToRecordRange[tone];
    g.hsl[tone] = On(s.hslEnable && s.hslControlsEnable && s.hsl[r].enable);
    g.rgb[tone] = On(s.rgbEnable && s.rgb[r].enable);
    g.cmy[tone] = On(s.cmyEnable && s.cmy[r].enable);
    g.ycbcr[tone] = On(s.ycbcrEnable && s.ycbcr[r].enable);
  }
  g.hueOffsets = On(s.hslEnable && s.hueOffsetEnable);
  g.levels = On(s.levelsEnable);
  g.inputHighlightRecovery = On(s.input.inputControls_highlight_recovery != 0.0f);
  g.outputHighlightRecovery = On(s.input.outputControls_highlight_recovery != 0.0f);
  g.rgbCurves = On(s.curvesEnable && s.rgbCurvesEnable);
  g.hslCurves = On(s.curvesEnable && s.hslCurvesEnable);
  for (int n = 0; n < 6; ++n) {
    g.secondary[n] = On(s.secondaryEnable && s.secondaryKeyerEnable && s.secondary[n].enable);
  }
  g.limiter = On(s.limiter_enable);
  g.limiterPreview = On(s.limiter_preview);
  g.inputLinearization = On(s.linearizationOn);
  return g;
}

// The mask of every section whose gate is off: those are reset in the copy.
VLSettingsSectionMask NeutralMask(const VL_SettingsStruct& s, const VLFrameGates& g) {
  VLSettingsSectionMask mask = 0;
  for (int tone = 0; tone < 4; ++tone) {
    const int r = kVLToneToRecordRange[tone];
    if (!g.hsl[tone]) mask |= VLMaskBit(kVLMaskBitHSL + r);
    if (!g.rgb[tone]) mask |= VLMaskBit(kVLMaskBitRGB + r);
    if (!g.cmy[tone]) mask |= VLMaskBit(kVLMaskBitCMY + r);
    if (!g.ycbcr[tone]) mask |= VLMaskBit(kVLMaskBitYCbCr + r);
  }
  if (!g.hueOffsets) mask |= VLMaskBit(kVLMaskBitHueOffsets);
  if (!g.rgbCurves) mask |= kVLMaskAllRGBCurves;
  if (!g.hslCurves) mask |= kVLMaskAllHSLCurves;
  // Levels master, red, green, blue; the luma channel is never reset here.
  for (int c = kVLLevelsMaster; c <= kVLLevelsBlue; ++c) {
    if (!g.levels || s.levels[c].enable == 0) mask |= VLMaskBit(kVLMaskBitLevels + c);
  }
  if (s.lumaRangesEnable == 0) mask |= VLMaskBit(kVLMaskBitLumaRanges);
  for (int n = 0; n < 6; ++n) {
    if (!g.secondary[n]) mask |= VLMaskBit(kVLMaskBitSecondary + n);
  }
  if (!g.limiter) mask |= VLMaskBit(kVLMaskBitLimiter);
  return mask;
}

// The curve tables, built before anything is published: with the luma
// ranges they are the only parts of the build that can fail (they allocate).
struct CurveTables {
  Table rgb[3], hue, saturation, luma;
};

QVStatus BuildRGBCurves(const VL_SettingsStruct& s, CurveTables* out) {
  Table master = NewTable();
  for (Table& t : out->rgb) t = NewTable();
  if (!master || !out->rgb[0] || !out->rgb[1] || !out->rgb[2]) {
    VL_EngineErrorAlert("Insufficient memory for masterLookup during parameter update");
    return kQVErrMemory;
  }
  if (QVStatus st = VL_CalculateCurve(&s.rgbCurves[kVLCurveMaster], master.get())) return st;
  for (int c = 0; c < 3; ++c) {
    float* table = out->rgb[c].get();
    if (QVStatus st = VL_CalculateCurve(&s.rgbCurves[kVLCurveRed + c], table)) return st;
    // The master curve applies after the colour curve.
    for (int i = 0; i < kVLTableSize; ++i) {
      const float v = std::clamp(table[i], 0.0f, 1.0f);
      table[i] = master[int(v * float(kVLTableLastIndex) + 0.5f)];
    }
  }
  return kQVNoErr;
}

QVStatus BuildHSLCurves(const VL_SettingsStruct& s, CurveTables* out) {
  // Hue is an offset around 0, saturation and luma factors around 1, so that
  // the flat default curve at 0.5 changes nothing.
  struct Curve {
    int index;
    Table* table;
    float offset, scale;
  } curves[] = {{kVLCurveHue, &out->hue, -0.5f, 1.0f},
                {kVLCurveSaturation, &out->saturation, 0.0f, 2.0f},
                {kVLCurveLuma, &out->luma, 0.0f, 2.0f}};
  for (const Curve& c : curves) {
    *c.table = NewTable();
    if (!*c.table) {
      VL_EngineErrorAlert("Insufficient memory for curveArray during parameter update");
      return kQVErrMemory;
    }
    float* table = c.table->get();
    if (QVStatus st = VL_CalculateCurve(&s.hslCurves[c.index], table)) return st;
    if (c.scale != 1.0f)
      for (int i = 0; i < kVLTableSize; ++i) table[i] *= c.scale;
    else
      for (int i = 0; i < kVLTableSize; ++i) table[i] += c.offset;
  }
  return kQVNoErr;
}

void Publish(const Table& from, float* to) {
  if (from) std::copy(from.get(), from.get() + kVLTableSize, to);
}

void SetTablePointers(VLTablePointers* p) {
  VLTableStorage& t = gVLTableStorage;
  for (int tone = 0; tone < 4; ++tone) p->hslCBG[tone] = t.hslCBG[tone];
  p->rgbGamma = t.rgbGamma;
  p->ycbcrGamma = t.ycbcrGamma;
  for (int c = 0; c < 3; ++c) {
    p->rgbMaster[c] = t.rgbMaster[c];
    p->ycbcrMaster[c] = t.ycbcrMaster[c];
    for (int r = 0; r < 3; ++r) {
      p->rgbRange[c][r] = t.rgbRange[c][r];
      p->ycbcrRange[c][r] = t.ycbcrRange[c][r];
    }
    p->levelsIn[c] = t.levelsIn[c];
    p->levelsOut[c] = t.levelsOut[c];
    p->curveRGB[c] = t.curveRGB[c];
  }
  p->curveH = t.curveH;
  p->curveS = t.curveS;
  p->curveL = t.curveL;
  p->yToShadow = t.yToShadow;
  p->yToMidtone = t.yToMidtone;
  p->yToHighlight = t.yToHighlight;
  for (int n = 0; n < 6; ++n) p->secondaryGamma[n] = t.secondaryGamma[n];
  p->linGamma = t.linGamma;
  p->linGammaInverse = t.linGammaInverse;
}

template <class T>
bool SameBytes(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

bool AnyNotOne(std::initializer_list<float> values) {
  return std::any_of(values.begin(), values.end(), [](float v) { return v != 1.0f; });
}

// Whether any gamma feeding the RGB (with the CMY channel gammas) or the CMY
// side of a range's tables differs from 1.
bool RGBGammaOn(const VLPrimaryFrameSettings& p) {
  return AnyNotOne({p.invGamma, p.channelInvGamma[0], p.channelInvGamma[1], p.channelInvGamma[2]});
}
bool CMYGammaOn(const VLPrimaryFrameSettings& p) {
  return AnyNotOne({p.cmyInvGamma[0], p.cmyInvGamma[1], p.cmyInvGamma[2], p.cmyInvGamma[3]});
}

VLFrameDerived ComputeDerived(const VL_SettingsStruct& s, const VLFrameSettings& fs) {
  VLFrameDerived d = {};
  const VLFrameGates& g = fs.gates;
  for (int tone = kVLToneShadows; tone <= kVLToneHighlights; ++tone) {
    d.rgbRangesOn |= g.rgb[tone];
    d.cmyRangesOn |= g.cmy[tone];
    d.ycbcrRangesOn |= g.ycbcr[tone];
    d.rgbRangeGamma |= On(RGBGammaOn(fs.rgb[tone]));
    d.cmyRangeGamma |= On(CMYGammaOn(fs.rgb[tone]));
    d.ycbcrRangeGamma |= On(RGBGammaOn(fs.ycbcr[tone]));
  }
  d.rgbMasterGamma = On(RGBGammaOn(fs.rgb[kVLToneMaster]));
  d.cmyMasterGamma = On(CMYGammaOn(fs.rgb[kVLToneMaster]));
  d.ycbcrMasterGamma = On(RGBGammaOn(fs.ycbcr[kVLToneMaster]));
  for (int c = kVLLevelsMaster; c <= kVLLevelsBlue; ++c) {
    d.levelsInGrey |= On(s.levels[c].ingraypt != 0.5f);
    d.levelsOutGrey |= On(s.levels[c].outgraypt != 0.5f);
  }
  return d;
}

}  // namespace

namespace {

// The record the published tables were last built from, byte for byte, and
// whether that build finished.
VL_SettingsStruct gVLBuiltFrom;
bool gVLBuiltFromValid = false;

}  // namespace

bool VL_ProcessingTablesBuiltFrom(const VL_SettingsStruct* settings) {
  return settings && gVLBuiltFromValid && std::memcmp(settings, &gVLBuiltFrom, sizeof gVLBuiltFrom) == 0;
}

QVStatus VL_UpdateProcessingTables(const VL_SettingsStruct* settings) {
  if (settings == nullptr) return kQVErrParam;
  // Until this build is published the tables may be part old, part new.
  gVLBuiltFromValid = false;

  // The block is built in a copy of the published one and published last, so
  // a build that fails leaves the pass reading the block and tables it had.
  auto built = std::unique_ptr<VLFrameSettings>(new (std::nothrow) VLFrameSettings(gVLFrameSettingsStorage));
  auto copy = std::unique_ptr<VL_SettingsStruct>(new (std::nothrow) VL_SettingsStruct(*settings));
  if (!built || !copy) {
    VL_EngineErrorAlert("Insufficient memory for calcArray during parameter update");
    return kQVErrMemory;
  }
  VLFrameSettings& fs = *built;

  // Gates come from the record as passed in; from here on only the copy, with
  // every switched-off section at its defaults, is read.
  fs.gates = ComputeGates(*settings);
  VL_SettingsStruct& s = *copy;
  VL_SetDefaultControlValues(&s, NeutralMask(*settings, fs.gates));
  VL_HoldSettingsToRanges(&s);

  // What can fail runs first, before any shared table is written: the curves
  // into tables of their own, then the luma ranges, which fail before writing.
  // Tables whose inputs are those they were last written from are left as
  // they are.
  VLTableInputsRecord& last = gVLTableInputs;
  CurveTables curves;
  if (fs.gates.rgbCurves && !(last.rgbCurvesValid && SameBytes(last.rgbCurves, s.rgbCurves)))
    if (QVStatus st = BuildRGBCurves(s, &curves)) return st;
  if (fs.gates.hslCurves && !(last.hslCurvesValid && SameBytes(last.hslCurves, s.hslCurves)))
    if (QVStatus st = BuildHSLCurves(s, &curves)) return st;
  if (!(last.lumaRangesValid && SameBytes(last.lumaRanges, s.lumaRanges))) {
    last.lumaRangesValid = false;
    if (QVStatus st = VL_CalculateLumaRanges(&s.lumaRanges, gVLTableStorage.yToShadow, gVLTableStorage.yToMidtone,
                                             gVLTableStorage.yToHighlight))
      return st;
    std::memcpy(&last.lumaRanges, &s.lumaRanges, sizeof last.lumaRanges);
    last.lumaRangesValid = true;
    last.packedWeights = false;
  }
  if (curves.rgb[0]) {
    for (int c = 0; c < 3; ++c) {
      Publish(curves.rgb[c], gVLTableStorage.curveRGB[c]);
      last.rgbMasterCurve[c] = false;
    }
    std::memcpy(last.rgbCurves, s.rgbCurves, sizeof last.rgbCurves);
    last.rgbCurvesValid = true;
  }
  if (curves.hue) {
    Publish(curves.hue, gVLTableStorage.curveH);
    Publish(curves.saturation, gVLTableStorage.curveS);
    Publish(curves.luma, gVLTableStorage.curveL);
    std::memcpy(last.hslCurves, s.hslCurves, sizeof last.hslCurves);
    last.hslCurvesValid = true;
    last.packedHSLCurves = false;
  }

  VLBuildHSLTables(s, &fs);
  VLBuildHueOffsets(s, &fs);
  bool anyRGB = false, anyYCbCr = false;
  for (int tone = 0; tone < 4; ++tone) {
    anyRGB = anyRGB || fs.gates.rgb[tone] || fs.gates.cmy[tone];
    anyYCbCr = anyYCbCr || fs.gates.ycbcr[tone];
  }
  VLBuildRGBTables(s, anyRGB, &fs);
  VLBuildYCbCrTables(s, anyYCbCr, &fs);
  VLBuildLevels(s, &fs);
  VLBuildSecondaries(s, &fs);
  VLBuildLimiter(s, &fs);
  fs.inputHighlightFactor = fs.gates.inputHighlightRecovery
                                ? 1.0f - kVLRecoveryPerUnit * VLFiniteOr(s.input.inputControls_highlight_recovery, 0.0f)
                                : 1.0f;
  fs.outputHighlightFactor = fs.gates.outputHighlightRecovery
                                 ? 1.0f - kVLRecoveryPerUnit * VLFiniteOr(s.input.outputControls_highlight_recovery, 0.0f)
                                 : 1.0f;
  VLBuildLinearization(s, &fs);

  for (int c = 0; c < 3; ++c) {
    const float* curve = gVLTableStorage.curveRGB[c];
    fs.curveTop[c] = {curve[16383], (curve[16383] - curve[16255]) * 128.0f};
  }
  SetTablePointers(&fs.tables);
  VLPackTables(&fs.tables);
  fs.derived = ComputeDerived(s, fs);
  VLComposeTables(&fs);
  gVLFrameSettingsStorage = fs;
  std::memcpy(&gVLBuiltFrom, settings, sizeof gVLBuiltFrom);
  gVLBuiltFromValid = true;
  return kQVNoErr;
}
