// The processing pass's working constants, prepared once per pass from a copy
// of the frame-settings block, and the kernel that runs every stage over a run
// of pixel vectors (4, 8 or 16 lanes). Ranges are indexed shadows 0, midtones 1, highlights 2;
// channels R, G, B (or Y, Cb, Cr) 0 to 2.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/processing_tables.h"
#include "core/settings_record.h"

// A per-pass constant, broadcast once when it is set to the lanes the four-
// and eight-lane kernels load at a time; the sixteen-lane kernel broadcasts
// its first lane as it loads it.
struct VLBroadcast {
  alignas(32) float lanes[8];
  VLBroadcast& operator=(float x) {
    for (float& lane : lanes) lane = x;
    return *this;
  }
};

// A processing table with its linear extension above 1.0.
struct VLTableRef {
  const float* table;
  float end;    // value at index 16383
  float slope;  // slope over the last steps, per unit of input
};

// The three tonal-range tables of a group read at one index, packed side by
// side and each on its own, each with its linear extension above 1.0.
struct VLPackedRef {
  const VLPackedEntry* table;
  const float* single[3];
  float end[3];
  float slope[3];
  // Bit k set when range k's table entries are all finite and free of a
  // sign bit: a zero weight then makes the term of any entry exactly +0, so a
  // tile whose pixels all give range k zero weight need not look it up.
  uint32_t nonNegative;
};

struct VLPassSecondary {
  bool on;
  VLSecondaryPreview previewMode;
  bool invert;
  VLBroadcast chromaTolSquared, invSoftSquared, lumaTol;
  VLBroadcast cosHue, sinHue;
  bool hasGainPedestal;
  VLBroadcast gain, pedestal;
  bool gamma;
  VLTableRef gammaTable;
  VLBroadcast saturation;
  VLBroadcast targetU, targetV, strength;
  int32_t keyCount;
  VLBroadcast keyY[4], keyU[4], keyV[4];
};

struct VLPassSetup {
  const VLPackedEntry* weights;  // shadow, midtone, highlight weights by luma
  bool weightsNonNegative;       // every weight finite and free of a sign bit

  bool levels, inputRecovery, inGrey;
  VLBroadcast recoveryThreshold;
  VLBroadcast inGain[3], inOffset[3], outGain[3], outOffset[3];
  VLTableRef inGamma[3];

  bool hslRanges, rangeHue, rangeGain, rangePedestal, rangeSaturation, rangeVibrance;
  VLBroadcast rangeCos[3], rangeSin[3], rangeGainValue[3], rangePedestalValue[3], rangeSaturationValue[3],
      rangeVibranceValue[3];
  VLPackedRef rangeCBG;  // shadows, midtones, highlights

  bool hslMaster, masterHue, masterGainPedestal, masterCBG, masterSaturation, masterVibrance;
  VLBroadcast masterCos, masterSin, masterGain, masterPedestal, masterSaturationValue, masterVibranceValue;
  VLTableRef masterCBGTable;

  bool hueOffsets;
  VLBroadcast offsetU[4], offsetV[4], offsetStrength[4];  // shadows, midtones, highlights, master

  bool rgbRanges, rgbRangeGamma;
  VLBroadcast rgbRangeGain[3][3], rgbRangeOffset[3][3];  // [range][channel]
  VLPackedRef rgbRangeTable[3];                    // [channel]

  bool yccRanges, yccRangeGamma;
  VLBroadcast yccRangeGain[3][3], yccRangeOffset[3][3];
  VLPackedRef yccRangeTable[3];

  bool rgbMaster, rgbMasterGamma;
  VLBroadcast rgbMasterGain[3], rgbMasterOffset[3];
  VLTableRef rgbMasterTable[3];

  bool yccMaster, yccMasterGamma;
  VLBroadcast yccMasterGain[3], yccMasterOffset[3];
  VLTableRef yccMasterTable[3];

  bool rgbCurves, hslCurves;
  VLTableRef curve[3];
  // The RGB master stage runs straight into the RGB curves (no Y'CbCr master
  // between them) with a master gamma: each channel then takes one lookup of
  // its composed table below 1.0.
  bool rgbMasterCurves;
  const float* rgbMasterCurveTable[3];
  const VLPackedEntry* hslCurveTable;  // hue, saturation, luma curves by hue

  VLPassSecondary secondary[6];

  // Whether a tile leaves out the work that cannot change any of its pixels:
  // the secondary keys that cannot select any of them and the lookups of the
  // tonal ranges that weigh none of them (the results are the same either
  // way).
  bool tileRejection;

  bool limiter, limiterPreview, softClip;
  VLBroadcast knee, invMaxMinusKnee, whiteMinusKnee, lumaMax, compositeMax, compositeMin;
  VLLimitMethod clipMethod;
};

// Fills entries [begin, end) of out with `then` looked up at each entry of
// `first`, held to the pass's range before and not after, exactly as the
// pass looks up one stage's table result in the next stage's table.
void VL_ComposeLookups(const float* first, const VLTableRef& then, float* out, size_t begin, size_t end);

// Runs the pass over `count` floats of each plane (a multiple of four, or a
// last partial vector, which is read and written only as far as count).
void VL_RunPass(const VLPassSetup& setup, const float* const source[3], float* const destination[4], size_t count);
