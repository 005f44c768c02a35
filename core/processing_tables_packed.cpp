// The packed copies of the table groups the pass reads at one index: the
// tonal weights, the three HSL range tables, each channel's three RGB and
// Y'CbCr range tables and the three HSL curves. Entry i of a packed table
// holds the group's entries i side by side, so a lookup costs one load per
// pixel instead of one per table. The tables themselves stay as built.
#include "core/processing_tables_internal.h"

namespace {

void pack(VLPackedEntry* out, const float* a, const float* b, const float* c) {
  for (int i = 0; i < kVLTableSize; ++i) out[i] = {{a[i], b[i], c[i], 0.0f}};
}

void packRanges(VLPackedEntry* out, const VLTable (&ranges)[3]) {
  pack(out, ranges[kVLRangeS], ranges[kVLRangeM], ranges[kVLRangeH]);
}

}  // namespace

void VLPackTables(VLTablePointers* pointers) {
  // Only the groups with a table written since they were last packed.
  VLTableStorage& t = gVLTableStorage;
  VLTableInputsRecord& done = gVLTableInputs;
  if (!done.packedWeights) pack(t.packedWeights, t.yToShadow, t.yToMidtone, t.yToHighlight);
  if (!done.packedHSLRange)
    pack(t.packedHSLRange, t.hslCBG[kVLToneShadows], t.hslCBG[kVLToneMidtones], t.hslCBG[kVLToneHighlights]);
  for (int c = 0; c < 3; ++c) {
    if (!done.packedRGBRange[c]) packRanges(t.packedRGBRange[c], t.rgbRange[c]);
    if (!done.packedYCbCrRange[c]) packRanges(t.packedYCbCrRange[c], t.ycbcrRange[c]);
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
