// The processing tables and the frame-settings block: everything the per-pixel
// pass reads, built from one settings record by VL_UpdateProcessingTables.
//
// One set exists per process; the last record built wins. The tables are
// rebuilt without a lock: callers make sure no frame is being processed while
// VL_UpdateProcessingTables runs. Outside the builder the tables and the block
// are read-only (the names below are const views of the builder's storage).
//
// Every table holds 16,385 floats: entry i is the value at input i / 16384, so
// both ends are present. A lookup takes index = truncate(clamp(v, 0, 1) x 16384);
// above 1.0 a table is extended as (v - 1) x top.slope + top.value with the
// VLTableTop kept for it in the block.
//
// Range records of the block run in tonal order: master, shadows, midtones,
// highlights (kVLToneMaster ...), unlike the record's master, highlights,
// midtones, shadows.
#pragma once

#include <cstdint>

#include "core/settings_record.h"
#include "platform/status.h"

constexpr int kVLTableSize = 16385;
constexpr int kVLTableLastIndex = 16384;
using VLTable = float[kVLTableSize];

enum : int { kVLToneMaster = 0, kVLToneShadows = 1, kVLToneMidtones = 2, kVLToneHighlights = 3 };
// Index of the tonal ranges shadows, midtones, highlights in three-table sets.
enum : int { kVLRangeS = 0, kVLRangeM = 1, kVLRangeH = 2 };

// One index of a group of tables the pass reads together, side by side (the
// fourth float is zero), so that one 16-byte load fetches the whole group.
struct alignas(16) VLPackedEntry {
  float v[4];
};
static_assert(sizeof(VLPackedEntry) == 16);
using VLPackedTable = VLPackedEntry[kVLTableSize];

// Linear extension of a table above 1.0: its value at index 16383 and its slope.
struct VLTableTop {
  float value;
  float slope;
};

struct VLHSLFrameSettings {
  float hue;             // degrees
  float invGamma;        // 1 / gamma
  float contrast;        // contrast x 0.01, within -1..1
  float contrastCenter;
  float brightness;      // brightness x 0.005, within -1..1
  float saturation;      // saturation x 0.01
  float vibrance;        // vibrance factor
  float gain;
  float pedestal;
  VLTableTop top;        // of the range's contrast/brightness/gamma table
};

// A hue-offset target as Y'UV chroma, and the pull towards it.
struct VLHueOffsetFrameSettings {
  float u;
  float v;
  float strength;  // strength / 3
};

// One RGB range (CMY folded in) or one Y'CbCr range. The pass forms
// channel gain = gain x channelGain[c] and offset = pedestal + channelPedestal[c].
struct VLPrimaryFrameSettings {
  float gain;      // overall gain and offset (Y'CbCr: 1 and 0, folded into Y)
  float pedestal;
  float invGamma;  // the range's own 1 / gamma (already in the channel tables)
  float channelGain[3];
  float channelInvGamma[3];  // the channel's 1 / gamma with the CMY gammas that fold into it
  float channelPedestal[3];
  float cmyInvGamma[4];      // RGB only: the CMY range's 1 / gamma, cyan, magenta, yellow
  VLTableTop top[3];
};

struct VLLevelsFrameSettings {
  float inScale[3];  // red, green, blue
  float inOffset[3];
  float inExponent[3];  // the input gamma table holds x to this power
  float outScale[3];
  float outOffset[3];
  VLTableTop inTop[3];
};

struct VLKeyColour {
  float y;
  float u;
  float v;
  uint32_t inUse;
};

struct VLSecondaryFrameSettings {
  uint32_t previewMode;  // 0 when preview is off
  uint32_t invert;
  float lumatol;
  float chromatol;
  float softness;
  float hue;         // degrees
  float saturation;  // saturation x 0.01
  float gain;
  float invGamma;
  float pedestal;
  VLHueOffsetFrameSettings hueOffset;
  VLKeyColour key[4];
  VLTableTop top;
};

// Limits converted to the video levels: chroma limits in percent units, the
// others as fractions of full scale.
struct VLLimiterFrameSettings {
  float chromaMax;
  float chromaMin;
  float lumaMax;
  uint32_t softclipEnable;
  float softclipKnee;
  float softclipWhite;
  float softclipMax;
  // 1 / (max - knee) for the soft-clip ramp. When max equals the knee the ramp
  // has no width; this then holds 1 / (white - knee) (the ramp passes values
  // above the knee unchanged), or 1 when white equals the knee too.
  float softclipInvRange;
  uint32_t clipMethod;
  uint32_t system;
};

// The addresses of every table, so that the pass works from one copy of the block.
struct VLTablePointers {
  const float* hslCBG[4];  // tonal order
  const float* rgbGamma;   // never filled
  const float* rgbMaster[3];
  const float* rgbRange[3][3];  // [channel R, G, B][range S, M, H]
  const float* ycbcrGamma;      // never filled
  const float* ycbcrMaster[3];
  const float* ycbcrRange[3][3];  // [component Y, Cb, Cr][range S, M, H]
  const float* levelsIn[3];
  const float* levelsOut[3];  // never filled
  const float* curveRGB[3];
  const float* curveH;
  const float* curveS;
  const float* curveL;
  const float* yToShadow;
  const float* yToMidtone;
  const float* yToHighlight;
  const float* secondaryGamma[6];
  const float* linGamma;
  const float* linGammaInverse;
  // Copies of the groups read at one index, packed for the pass.
  const VLPackedEntry* packedWeights;         // shadow, midtone, highlight weights by luma
  const VLPackedEntry* packedHSLRange;        // HSL shadows, midtones, highlights tables
  const VLPackedEntry* packedRGBRange[3];     // [channel R, G, B]: ranges S, M, H
  const VLPackedEntry* packedYCbCrRange[3];   // [component Y, Cb, Cr]: ranges S, M, H
  const VLPackedEntry* packedHSLCurves;       // hue, saturation, luma curves
  // Each channel's RGB master table with that channel's RGB curve applied to
  // every entry, for a pass that runs the one straight into the other.
  const float* rgbMasterCurve[3];
  // For the weights and the range groups above, bit k set when every entry of range k's
  // table is finite and free of a sign bit (so a zero weight times any entry
  // is exactly +0).
  uint8_t nonNegativeWeights;
  uint8_t nonNegativeHSLRange;
  uint8_t nonNegativeRGBRange[3];
  uint8_t nonNegativeYCbCrRange[3];
};

// One byte per stage: 1 when the stage is switched on in the record passed in.
struct VLFrameGates {
  uint8_t hsl[4];  // tonal order
  uint8_t hueOffsets;
  uint8_t rgb[4];
  uint8_t cmy[4];
  uint8_t ycbcr[4];
  uint8_t levels;
  uint8_t inputHighlightRecovery;
  uint8_t outputHighlightRecovery;
  uint8_t rgbCurves;
  uint8_t hslCurves;
  uint8_t secondary[6];
  uint8_t limiter;
  uint8_t limiterPreview;
  uint8_t inputLinearization;
};

// Bytes that tell whether a stage has anything to do.
struct VLFrameDerived {
  uint8_t rgbRangesOn;       // any RGB shadows, midtones, highlights gate on
  uint8_t rgbRangeGamma;     // any gamma feeding an RGB range table differs from 1
  uint8_t rgbMasterGamma;    // any gamma feeding an RGB master table differs from 1
  uint8_t cmyRangesOn;
  uint8_t cmyRangeGamma;
  uint8_t cmyMasterGamma;
  uint8_t ycbcrRangesOn;
  uint8_t ycbcrRangeGamma;
  uint8_t ycbcrMasterGamma;
  uint8_t levelsInGrey;      // any master, red, green, blue input grey point differs from 0.5
  uint8_t levelsOutGrey;     // likewise the output grey points
};

struct VLFrameSettings {
  VLFrameGates gates;
  VLFrameDerived derived;
  VLHSLFrameSettings hsl[4];               // tonal order
  VLHueOffsetFrameSettings hueOffset[4];   // wheels master, shadow, midtone, highlight
  VLPrimaryFrameSettings rgb[4];           // tonal order, CMY folded in
  VLPrimaryFrameSettings ycbcr[4];         // tonal order
  VLLevelsFrameSettings levels;
  VLTableTop curveTop[3];                  // red, green, blue curves
  VLSecondaryFrameSettings secondary[6];
  VLLimiterFrameSettings limiter;
  float inputHighlightFactor;              // 1 - 0.4 x recovery, 1 when off
  float outputHighlightFactor;
  VLTableTop linTop;
  VLTableTop linInverseTop;
  VLTablePointers tables;
};

// Read-only views of the process-wide tables and block.
extern const VLFrameSettings& gFrameSettings;

extern const VLTable& gHSL_CBG_Lookup;
extern const VLTable& gHSL_CBG_S_Lookup;
extern const VLTable& gHSL_CBG_M_Lookup;
extern const VLTable& gHSL_CBG_H_Lookup;
extern const VLTable& gRGBGammaLookup;
extern const VLTable& gRGBGammaRLookup;
extern const VLTable& gRGBGammaGLookup;
extern const VLTable& gRGBGammaBLookup;
extern const VLTable& gRGB_Gamma_R_S_Lookup;
extern const VLTable& gRGB_Gamma_R_M_Lookup;
extern const VLTable& gRGB_Gamma_R_H_Lookup;
extern const VLTable& gRGB_Gamma_G_S_Lookup;
extern const VLTable& gRGB_Gamma_G_M_Lookup;
extern const VLTable& gRGB_Gamma_G_H_Lookup;
extern const VLTable& gRGB_Gamma_B_S_Lookup;
extern const VLTable& gRGB_Gamma_B_M_Lookup;
extern const VLTable& gRGB_Gamma_B_H_Lookup;
extern const VLTable& gYCbCrGammaLookup;
extern const VLTable& gYCbCrGammaYLookup;
extern const VLTable& gYCbCrGammaCbLookup;
extern const VLTable& gYCbCrGammaCrLookup;
extern const VLTable& gYCbCr_Gamma_Y_S_Lookup;
extern const VLTable& gYCbCr_Gamma_Y_M_Lookup;
extern const VLTable& gYCbCr_Gamma_Y_H_Lookup;
extern const VLTable& gYCbCr_Gamma_Cb_S_Lookup;
extern const VLTable& gYCbCr_Gamma_Cb_M_Lookup;
extern const VLTable& gYCbCr_Gamma_Cb_H_Lookup;
extern const VLTable& gYCbCr_Gamma_Cr_S_Lookup;
extern const VLTable& gYCbCr_Gamma_Cr_M_Lookup;
extern const VLTable& gYCbCr_Gamma_Cr_H_Lookup;
extern const VLTable& gLevelsInGammaRLookup;
extern const VLTable& gLevelsInGammaGLookup;
extern const VLTable& gLevelsInGammaBLookup;
extern const VLTable& gLevelsOutGammaRLookup;
extern const VLTable& gLevelsOutGammaGLookup;
extern const VLTable& gLevelsOutGammaBLookup;
extern const VLTable& gCurve_R_Lookup;
extern const VLTable& gCurve_G_Lookup;
extern const VLTable& gCurve_B_Lookup;
extern const VLTable& gCurve_H_Lookup;
extern const VLTable& gCurve_S_Lookup;
extern const VLTable& gCurve_L_Lookup;
extern const VLTable& gYtoShadow;
extern const VLTable& gYtoMidtone;
extern const VLTable& gYtoHighlight;
extern const float (&gSecondaryKeyer_GammaLookup)[6][kVLTableSize];  // A to F, back to back
extern const VLTable& gLinGammaLookup;
extern const VLTable& gLinGammaInverseLookup;

// Rebuilds the tables and gFrameSettings from settings. Not safe to call while
// a frame is being processed. kQVErrMemory when a working table cannot be
// had (kQVErrParam for a null record): then nothing has been published and the
// pass goes on reading the block it had; the caller must not render with it
// as though this record were built.
QVStatus VL_UpdateProcessingTables(const VL_SettingsStruct* settings);
// True when the published tables were last built, to the end, from a record
// with these very contents (a caller holding another copy of the same
// correction need not rebuild them).
bool VL_ProcessingTablesBuiltFrom(const VL_SettingsStruct* settings);
// A build rewrites only the tables whose inputs changed since they were last
// written. This makes the next build write every table again: for callers
// that wrote into the tables themselves.
void VL_ForgetProcessingTableInputs();
