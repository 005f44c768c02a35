// The packed copies of the table groups the pass reads at one index: the
// tonal weights, the three HSL range tables, each channel's three RGB and
// Y'CbCr range tables and the three HSL curves. Entry i of a packed table
// holds the group's entries i side by side, so a lookup costs one load per
// pixel instead of one per table. The tables themselves stay as built.
#include "core/processing_tables_internal.h"

#include <bit>
#include <cstdint>

namespace {

void pack(VLPackedEntry* out, const float* a, const float* b, const float* c) {
  for (int i = 0; i < kVLTableSize; ++i) out[i] = {{a[i], b[i], c[i], 0.0f}};
}

// Bit k set when every entry of table k is finite with its sign bit clear
// (+0 or positive): zero times any of them is exactly +0.
uint8_t nonNegative(const float* const tables[3]) {
  uint8_t bits = 0;
  for (int k = 0; k < 3; ++k) {
    bool all = true;
    for (int i = 0; i < kVLTableSize; ++i) all &= std::bit_cast<uint32_t>(tables[k][i]) < 0x7F800000u;
    if (all) bits |= uint8_t(1u << k);
  }
  return bits;
}

// Packs a group of three tables and notes which of them are never negative.
void packRanges(VLPackedEntry* out, const float* s, const float* m, const float* h, uint8_t* nonNegativeBits) {
  pack(out, s, m, h);
  const float* const tables[3] = {s, m, h};
  *nonNegativeBits = nonNegative(tables);
}

}  // namespace

void VLPackTables(VLTablePointers* pointers) {
  // Only the groups with a table written since they were last packed.
  VLTableStorage& t = gVLTableStorage;
  VLTableInputsRecord& done = gVLTableInputs;
  if (!done.packedWeights)
    packRanges(t.packedWeights, t.yToShadow, t.yToMidtone, t.yToHighlight, &pointers->nonNegativeWeights);
  if (!done.packedHSLRange)
    packRanges(t.packedHSLRange, t.hslCBG[kVLToneShadows], t.hslCBG[kVLToneMidtones], t.hslCBG[kVLToneHighlights],
               &pointers->nonNegativeHSLRange);
  for (int c = 0; c < 3; ++c) {
    const VLTable(&rgb)[3] = t.rgbRange[c];
    const VLTable(&ycc)[3] = t.ycbcrRange[c];
    if (!done.packedRGBRange[c])
      packRanges(t.packedRGBRange[c], rgb[kVLRangeS], rgb[kVLRangeM], rgb[kVLRangeH],
                 &pointers->nonNegativeRGBRange[c]);
    if (!done.packedYCbCrRange[c])
      packRanges(t.packedYCbCrRange[c], ycc[kVLRangeS], ycc[kVLRangeM], ycc[kVLRangeH],
                 &pointers->nonNegativeYCbCrRange[c]);
    done.packedRGBRange[c] = done.packedYCbCrRange[c] = true;
    pointers->packedRGBRange[c] = t.packedRGBRange[c];
    pointers->packedYCbCrRange[c] = t.packedYCbCrRange[c];
  }
  if (!done.packedHSLCurves) pack(t.packedHSLCurves, t.curveH, t.curveS, t.curveL);
  done.packedWeights = done.packedHSLRange = done.packedHSLCurves = true;
  pointers->packedWeights = t.packedWeights;
  pointers->packedHSLRange = t.packedHSLRange;
  pointers->packedHSLCurves = t.packedHSLCurves;
}
