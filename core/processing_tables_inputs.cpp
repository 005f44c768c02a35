// The record of what each processing table was last built from, so that an
// edit rebuilds only the tables whose inputs it changed.
#include <cstring>

#include "core/processing_tables_internal.h"

VLTableInputsRecord gVLTableInputs;

namespace {

// Every count unknown and every packed group due: the next build writes all.
void ForgetAll() {
  VLTableInputsRecord& r = gVLTableInputs;
  r.known = true;
  r.hsl.count = -1;
  for (auto& tone : r.rgb)
    for (VLTableInputs& t : tone) t.count = -1;
  for (auto& tone : r.ycbcr)
    for (VLTableInputs& t : tone) t.count = -1;
  for (VLTableInputs& t : r.levelsIn) t.count = -1;
  for (VLTableInputs& t : r.secondary) t.count = -1;
  r.linearization.count = -1;
  r.rgbCurvesValid = r.hslCurvesValid = r.lumaRangesValid = false;
  r.repackWeights = r.repackHSLRange = r.repackHSLCurves = true;
  for (int c = 0; c < 3; ++c) r.repackRGBRange[c] = r.repackYCbCrRange[c] = true;
}

}  // namespace

bool VLTableNeedsBuild(VLTableInputs* last, std::initializer_list<float> inputs) {
  const int32_t count = int32_t(inputs.size());
  if (count > kVLMaxTableInputs) {
    last->count = -1;
    return true;
  }
  // Compared as bits: a NaN input matches itself and -0 does not match +0.
  if (last->count == count && std::memcmp(last->values, inputs.begin(), sizeof(float) * size_t(count)) == 0)
    return false;
  std::memcpy(last->values, inputs.begin(), sizeof(float) * size_t(count));
  last->count = count;
  return true;
}

void VL_ForgetProcessingTableInputs() { ForgetAll(); }
