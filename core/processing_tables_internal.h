// Internals of the table builder: the writable storage behind the read-only
// views of processing_tables.h and the per-section builders.
#pragma once

#include <algorithm>
#include <initializer_list>

#include "core/processing_tables.h"
#include "core/settings_record.h"
#include "core/task_pool.h"

struct VLTableStorage {
  VLTable hslCBG[4];  // tonal order
  VLTable rgbGamma;
  VLTable rgbMaster[3];
  VLTable rgbRange[3][3];  // [channel][range S, M, H]
  VLTable ycbcrGamma;
  VLTable ycbcrMaster[3];
  VLTable ycbcrRange[3][3];
  VLTable levelsIn[3];
  VLTable levelsOut[3];
  VLTable curveRGB[3];
  VLTable curveH;
  VLTable curveS;
  VLTable curveL;
  VLTable yToShadow;
  VLTable yToMidtone;
  VLTable yToHighlight;
  float secondaryGamma[6][kVLTableSize];
  VLTable linGamma;
  VLTable linGammaInverse;
  // Packed copies of the groups above that the pass reads at one index.
  VLPackedTable packedWeights;
  VLPackedTable packedHSLRange;
  VLPackedTable packedRGBRange[3];
  VLPackedTable packedYCbCrRange[3];
  VLPackedTable packedHSLCurves;
  VLTable rgbMasterCurve[3];  // the RGB master tables through the RGB curves
};

extern VLTableStorage gVLTableStorage;

// The inputs a table (or a group of tables built together) was last written
// from. A build whose inputs are the same, bit for bit, would write the very
// same entries, so it is skipped. count 0: unknown, build.
constexpr int kVLMaxTableInputs = 16;
struct VLTableInputs {
  float values[kVLMaxTableInputs];
  int32_t count;
};

// The exponents behind the values a gamma chain keeps part way along (its
// stages): stage k holds x raised to the chain's first k + 1 exponents, which
// inputs[k] records. count 0: unknown.
constexpr int kVLMaxChainStages = 2;
struct VLChainStageInputs {
  VLTableInputs inputs[kVLMaxChainStages];
};

// The last inputs of every table of VLTableStorage, and which packed groups
// were packed from their tables as they are now. All zero (the state before
// the first build) means every table is unknown and every group due.
struct VLTableInputsRecord {
  VLTableInputs hsl;  // the four HSL tables, built as one chain
  VLTableInputs rgb[4][3];    // [tone][channel]
  VLTableInputs ycbcr[4][3];  // [tone][component]
  VLTableInputs levelsIn[3];
  VLTableInputs secondary[6];
  VLTableInputs linearization;  // both linearization tables
  // The kept stages of the RGB chains, the Y'CbCr Y chains and the levels
  // input chains.
  VLChainStageInputs rgbStages[4][3];    // [tone][channel]
  VLChainStageInputs ycbcrStages[4];     // [tone], the Y table's
  VLChainStageInputs levelsInStages[3];  // [channel]
  bool rgbCurvesValid, hslCurvesValid, lumaRangesValid;
  VL_CurveControls rgbCurves[4];
  VL_CurveControls hslCurves[3];
  VL_LumaRangeControls lumaRanges;
  bool packedWeights, packedHSLRange, packedRGBRange[3], packedYCbCrRange[3], packedHSLCurves;
  bool rgbMasterCurve[3];  // composed from the master and curve tables as they are now
};

extern VLTableInputsRecord gVLTableInputs;

// True when a table last written from *last must be written again for these
// inputs; then *last takes them, as the caller goes on to write the table.
bool VLTableNeedsBuild(VLTableInputs* last, std::initializer_list<float> inputs);
extern VLFrameSettings gVLFrameSettingsStorage;

// Record index of each tonal-order range.
constexpr int kVLToneToRecordRange[4] = {kVLRangeMaster, kVLRangeShadows, kVLRangeMidtones,
                                         kVLRangeHighlights};

// 1 / gamma for a gamma from the record: a gamma at or below 0 (or NaN) gives
// 1, the identity; the result is kept within 1e-6 .. 1e6.
float VLSafeInvGamma(float gamma);

// The record value when finite, else the fallback.
float VLFiniteOr(float value, float fallback);

// Target chroma (U, V) of a hue-offset wheel at the given tint angle, and strength / 3.
VLHueOffsetFrameSettings VLHueOffsetVector(float tintangle, float strength);

// Calls fill(t, from, to) over runs of entries [from, to) covering every
// entry of `tables` tables, the entries of all of them shared out over the
// task pool in one run: a rebuild of several tables wakes the pool once and
// keeps every task busy to the end. Each entry depends on its own table and
// index alone, so the tables come out the same however the entries are split.
// Entries handed out at a time (the longest run VLForEachRun hands fill):
// about sixty microseconds of the longest chains, small enough to even out
// the tasks, large enough that the counter is touched rarely.
constexpr int kVLTableRun = 1024;

template <class FillRun>
void VLForEachRun(int tables, FillRun fill) {
  if (tables <= 0) return;
  VLMPShareRuns(uint32_t(tables) * kVLTableSize, kVLTableRun, gNumProcessors, &gVLMPMaster,
                [&](uint32_t, uint32_t first, uint32_t end) {
                  for (int t = int(first) / kVLTableSize; t * kVLTableSize < int(end); ++t)
                    fill(t, std::max(int(first) - t * kVLTableSize, 0), std::min(int(end) - t * kVLTableSize, kVLTableSize));
                });
}

// Section builders; each reads the neutralised working copy of the record and
// writes its tables and block values.
void VLBuildHSLTables(const VL_SettingsStruct& s, VLFrameSettings* fs);
void VLBuildHueOffsets(const VL_SettingsStruct& s, VLFrameSettings* fs);
void VLBuildRGBTables(const VL_SettingsStruct& s, bool buildTables, VLFrameSettings* fs);
void VLBuildYCbCrTables(const VL_SettingsStruct& s, bool buildTables, VLFrameSettings* fs);
void VLBuildLevels(const VL_SettingsStruct& s, VLFrameSettings* fs);
void VLBuildSecondaries(const VL_SettingsStruct& s, VLFrameSettings* fs);
void VLBuildLimiter(const VL_SettingsStruct& s, VLFrameSettings* fs);
void VLBuildLinearization(const VL_SettingsStruct& s, VLFrameSettings* fs);
// Packs the groups read at one index from the tables just built and points
// the block's packed pointers at them.
void VLPackTables(VLTablePointers* pointers);
// When the block's gates and derived bytes run the RGB master gamma straight
// into the RGB curves, composes each master table whose master or curve
// table was written since with its curve and points the block at the
// composed tables; otherwise the block's pointers to them are null.
void VLComposeTables(VLFrameSettings* fs);
