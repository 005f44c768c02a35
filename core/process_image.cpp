// Entry points of the processing pass: the per-pass preparation of constants
// from a private copy of the frame-settings block, and the inline and banded
// forms.
#include "core/process_image.h"

#include "core/engine_lock.h"
#include "core/process_pass.h"
#include "core/processing_tables.h"
#include "core/task_pool.h"

#include <cmath>

namespace {

constexpr float kDegreesToRadians = 0.01745329f;

VLTableRef tableRef(const float* table, VLTableTop top) { return {table, top.value, top.slope}; }

void setPackedTop(VLPackedRef& ref, int k, VLTableTop top) {
  ref.end[k] = top.value;
  ref.slope[k] = top.slope;
}

// The group's packed table, its three tables and which of them hold only
// finite entries free of a sign bit.
void setPackedTables(VLPackedRef& ref, const VLPackedEntry* packed, const float* const single[3],
                     uint8_t nonNegativeTables) {
  ref.table = packed;
  ref.nonNegative = nonNegativeTables & 7u;
  for (int k = 0; k < 3; ++k) ref.single[k] = single[k];
}

void prepareHSL(const VLFrameSettings& F, VLPassSetup& S) {
  const VLFrameGates& g = F.gates;
  S.hslRanges = g.hsl[kVLToneShadows] || g.hsl[kVLToneMidtones] || g.hsl[kVLToneHighlights];
  S.rangeHue = S.rangeGain = S.rangePedestal = S.rangeSaturation = S.rangeVibrance = false;
  for (int k = 0; k < 3; ++k) {
    const VLHSLFrameSettings& h = F.hsl[kVLToneShadows + k];
    S.rangeCos[k] = std::cos(h.hue * kDegreesToRadians);
    S.rangeSin[k] = std::sin(h.hue * kDegreesToRadians);
    S.rangeGainValue[k] = h.gain;
    S.rangePedestalValue[k] = h.pedestal;
    S.rangeSaturationValue[k] = h.saturation;
    S.rangeVibranceValue[k] = h.vibrance;
    setPackedTop(S.rangeCBG, k, h.top);
    S.rangeHue |= h.hue != 0.0f;
    S.rangeGain |= h.gain != 1.0f;
    S.rangePedestal |= h.pedestal != 0.0f;
    S.rangeSaturation |= h.saturation != 1.0f;
    S.rangeVibrance |= h.vibrance != 1.0f;
  }
  const float* const hslRanges[3] = {F.tables.hslCBG[kVLToneShadows], F.tables.hslCBG[kVLToneMidtones],
                                     F.tables.hslCBG[kVLToneHighlights]};
  setPackedTables(S.rangeCBG, F.tables.packedHSLRange, hslRanges, F.tables.nonNegativeHSLRange);
  const VLHSLFrameSettings& m = F.hsl[kVLToneMaster];
  S.hslMaster = g.hsl[kVLToneMaster];
  S.masterHue = m.hue != 0.0f;
  S.masterCos = std::cos(m.hue * kDegreesToRadians);
  S.masterSin = std::sin(m.hue * kDegreesToRadians);
  S.masterGainPedestal = m.gain != 1.0f || m.pedestal != 0.0f;
  S.masterGain = m.gain;
  S.masterPedestal = m.pedestal;
  S.masterCBG = !(m.contrast == 0.0f && m.contrastCenter == 0.5f && m.invGamma == 1.0f && m.brightness == 0.0f);
  S.masterCBGTable = tableRef(F.tables.hslCBG[kVLToneMaster], m.top);
  S.masterSaturation = m.saturation != 1.0f;
  S.masterSaturationValue = m.saturation;
  S.masterVibrance = m.vibrance != 1.0f;
  S.masterVibranceValue = m.vibrance;

  S.hueOffsets = g.hueOffsets;
  // The block keeps the wheels master first; the pass pulls shadows,
  // midtones, highlights, then master.
  const int wheel[4] = {kVLToneShadows, kVLToneMidtones, kVLToneHighlights, kVLToneMaster};
  for (int k = 0; k < 4; ++k) {
    S.offsetU[k] = F.hueOffset[wheel[k]].u;
    S.offsetV[k] = F.hueOffset[wheel[k]].v;
    S.offsetStrength[k] = F.hueOffset[wheel[k]].strength;
  }
}

void preparePrimaries(const VLFrameSettings& F, VLPassSetup& S) {
  const VLFrameGates& g = F.gates;
  const VLFrameDerived& d = F.derived;
  S.rgbRanges = d.rgbRangesOn || d.cmyRangesOn;
  S.rgbRangeGamma = d.rgbRangeGamma || d.cmyRangeGamma;
  S.yccRanges = d.ycbcrRangesOn;
  S.yccRangeGamma = d.ycbcrRangeGamma;
  for (int k = 0; k < 3; ++k) {
    const VLPrimaryFrameSettings& rgb = F.rgb[kVLToneShadows + k];
    const VLPrimaryFrameSettings& ycc = F.ycbcr[kVLToneShadows + k];
    for (int c = 0; c < 3; ++c) {
      S.rgbRangeGain[k][c] = rgb.gain * rgb.channelGain[c];
      S.rgbRangeOffset[k][c] = rgb.pedestal + rgb.channelPedestal[c];
      setPackedTop(S.rgbRangeTable[c], k, rgb.top[c]);
      S.yccRangeGain[k][c] = ycc.channelGain[c];
      S.yccRangeOffset[k][c] = ycc.channelPedestal[c];
      setPackedTop(S.yccRangeTable[c], k, ycc.top[c]);
    }
  }
  for (int c = 0; c < 3; ++c) {
    setPackedTables(S.rgbRangeTable[c], F.tables.packedRGBRange[c], F.tables.rgbRange[c],
                    F.tables.nonNegativeRGBRange[c]);
    setPackedTables(S.yccRangeTable[c], F.tables.packedYCbCrRange[c], F.tables.ycbcrRange[c],
                    F.tables.nonNegativeYCbCrRange[c]);
  }
  const VLPrimaryFrameSettings& rgb = F.rgb[kVLToneMaster];
  const VLPrimaryFrameSettings& ycc = F.ycbcr[kVLToneMaster];
  S.rgbMaster = g.rgb[kVLToneMaster] || g.cmy[kVLToneMaster];
  S.rgbMasterGamma = d.rgbMasterGamma || d.cmyMasterGamma;
  S.yccMaster = g.ycbcr[kVLToneMaster];
  S.yccMasterGamma = d.ycbcrMasterGamma;
  for (int c = 0; c < 3; ++c) {
    S.rgbMasterGain[c] = rgb.gain * rgb.channelGain[c];
    S.rgbMasterOffset[c] = rgb.pedestal + rgb.channelPedestal[c];
    S.rgbMasterTable[c] = tableRef(F.tables.rgbMaster[c], rgb.top[c]);
    S.yccMasterGain[c] = ycc.channelGain[c];
    S.yccMasterOffset[c] = ycc.channelPedestal[c];
    S.yccMasterTable[c] = tableRef(F.tables.ycbcrMaster[c], ycc.top[c]);
  }
}

void prepareLevelsAndCurves(const VLFrameSettings& F, VLPassSetup& S) {
  S.levels = F.gates.levels;
  S.inputRecovery = F.gates.inputHighlightRecovery;
  S.recoveryThreshold = F.inputHighlightFactor;
  S.inGrey = F.derived.levelsInGrey;
  for (int c = 0; c < 3; ++c) {
    S.inGain[c] = F.levels.inScale[c];
    S.inOffset[c] = F.levels.inOffset[c];
    S.outGain[c] = F.levels.outScale[c];
    S.outOffset[c] = F.levels.outOffset[c];
    S.inGamma[c] = tableRef(F.tables.levelsIn[c], F.levels.inTop[c]);
    S.curve[c] = tableRef(F.tables.curveRGB[c], F.curveTop[c]);
  }
  S.rgbCurves = F.gates.rgbCurves;
  for (int c = 0; c < 3; ++c) S.rgbMasterCurveTable[c] = F.tables.rgbMasterCurve[c];
  S.hslCurves = F.gates.hslCurves;
  S.hslCurveTable = F.tables.packedHSLCurves;
}

void prepareSecondaries(const VLFrameSettings& F, VLPassSetup& S) {
  for (int i = 0; i < 6; ++i) {
    const VLSecondaryFrameSettings& f = F.secondary[i];
    VLPassSecondary& k = S.secondary[i];
    k.on = F.gates.secondary[i];
    k.previewMode = VLSecondaryPreview(f.previewMode);
    k.invert = f.invert != 0;
    k.chromaTolSquared = f.chromatol * f.chromatol;
    // No softness is a hard edge: a huge reciprocal instead of a division by zero.
    float soft2 = f.softness * f.softness;
    k.invSoftSquared = soft2 > 1e-20f ? 1.0f / soft2 : 1e20f;
    k.lumaTol = f.lumatol;
    k.cosHue = std::cos(f.hue * kDegreesToRadians);
    k.sinHue = std::sin(f.hue * kDegreesToRadians);
    k.hasGainPedestal = f.gain != 1.0f || f.pedestal != 0.0f;
    k.gain = f.gain;
    k.pedestal = f.pedestal;
    k.gamma = f.invGamma != 1.0f;
    k.gammaTable = tableRef(F.tables.secondaryGamma[i], f.top);
    k.saturation = f.saturation;
    k.targetU = f.hueOffset.u;
    k.targetV = f.hueOffset.v;
    k.strength = f.hueOffset.strength;
    k.keyCount = 0;
    for (const VLKeyColour& key : f.key) {
      if (!key.inUse) continue;
      k.keyY[k.keyCount] = key.y;
      k.keyU[k.keyCount] = key.u;
      k.keyV[k.keyCount] = key.v;
      ++k.keyCount;
    }
  }
}

void prepareLimiter(const VLFrameSettings& F, VLPassSetup& S) {
  const VLLimiterFrameSettings& L = F.limiter;
  S.limiter = F.gates.limiter;
  S.limiterPreview = F.gates.limiterPreview;
  S.softClip = L.softclipEnable != 0;
  S.knee = L.softclipKnee;
  S.invMaxMinusKnee = L.softclipInvRange;
  S.whiteMinusKnee = L.softclipWhite - L.softclipKnee;
  S.lumaMax = L.lumaMax;
  S.compositeMax = L.chromaMax;
  S.compositeMin = L.chromaMin;
  S.clipMethod = VLLimitMethod(L.clipMethod);
}

void preparePass(const VLFrameSettings& F, VLPassSetup& S) {
  S.weights = F.tables.packedWeights;
  S.weightsNonNegative = F.tables.nonNegativeWeights == 7u;
  S.tileRejection = true;
  prepareHSL(F, S);
  preparePrimaries(F, S);
  prepareLevelsAndCurves(F, S);
  prepareSecondaries(F, S);
  prepareLimiter(F, S);
  S.rgbMasterCurves = S.rgbMaster && S.rgbMasterGamma && S.rgbCurves && !S.yccMaster && S.rgbMasterCurveTable[0] &&
                      S.rgbMasterCurveTable[1] && S.rgbMasterCurveTable[2];
}

bool planar(const FBFrameStruct* f) {
  return f && f->baseAddr && f->pixelFormat == kFBPixFormatPlanarFloat && f->planeCount >= 4;
}

}  // namespace

void VL_PreparePass(const VLFrameSettings& settings, VLPassSetup* setup) {
  const VLFrameSettings block = settings;
  preparePass(block, *setup);
}

void VL_RunPassRows(const VLPassSetup& setup, const FBFrameStruct* source, FBFrameStruct* destination,
                    uint32_t firstRow, uint32_t rows) {
  size_t count = size_t(rows) * (source->rowBytes / 4);
  if (count == 0) return;
  size_t offset = size_t(firstRow) * source->rowBytes;
  const float* src[3];
  float* dst[4];
  for (int p = 0; p < 4; ++p) {
    if (p < 3) src[p] = reinterpret_cast<const float*>(source->baseAddr + size_t(p) * source->planeBytes + offset);
    dst[p] = reinterpret_cast<float*>(destination->baseAddr + size_t(p) * destination->planeBytes + offset);
  }
  VL_RunPass(setup, src, dst, count);
}

void ProcessImageSSE(const FBFrameStruct* source, FBFrameStruct* destination, uint64_t, uint64_t, uint64_t,
                     const VLFrameSettings* settings) {
  if (!destination || !source || !settings || source->pixelFormat != kFBPixFormatPlanarFloat) return;
  if (!source->baseAddr || !destination->baseAddr) return;
  VLPassSetup setup;
  VL_PreparePass(*settings, &setup);
  VL_RunPassRows(setup, source, destination, 0, source->height);
}

QVStatus ProcessImage(const FBFrameStruct* source, FBFrameStruct* destination, uint64_t word1, uint64_t word2) {
  // Frames of different geometry would make the pass read or write past one
  // of them: refuse them.
  if (!planar(source) || !planar(destination) || source->width != destination->width ||
      source->height != destination->height || source->rowBytes != destination->rowBytes ||
      size_t(source->planeBytes) < size_t(source->height) * source->rowBytes ||
      size_t(destination->planeBytes) < size_t(destination->height) * destination->rowBytes)
    return kQVErrParam;
  VL_EngineLockGuard hold;
  if (gNumProcessors <= 1)
    ProcessImageSSE(source, destination, word1, 0, word2, &gFrameSettings);
  else
    VLMPProcessImageVector(source, destination, word1, word2, gNumProcessors, &gVLMPMaster);
  return kQVNoErr;
}
