// The RGB master tables composed with the RGB curves. Below 1.0 the master
// lookup's result is the entry at the value's index, so the curve's result
// for that value is a function of the same index: entry i of a composed table
// is the curve looked up at master entry i, by the pass's own operations
// (held to the pass's range between the two), and one lookup of it gives the
// bits of the two in turn.
#include "core/process_pass.h"
#include "core/processing_tables_internal.h"

namespace {

// A composition costs a pass over three tables, so it is made only for a
// block that will read it: with the Y'CbCr master between the two stages, or
// either of them off, the pass looks them up one after the other.
bool ComposedTablesRead(const VLFrameSettings& fs) {
  const VLFrameGates& g = fs.gates;
  return (g.rgb[kVLToneMaster] || g.cmy[kVLToneMaster]) && (fs.derived.rgbMasterGamma || fs.derived.cmyMasterGamma) &&
         g.rgbCurves && !g.ycbcr[kVLToneMaster];
}

}  // namespace

void VLComposeTables(VLFrameSettings* fs) {
  VLTableStorage& t = gVLTableStorage;
  VLTableInputsRecord& done = gVLTableInputs;
  const bool read = ComposedTablesRead(*fs);
  int due[3], count = 0;
  for (int c = 0; c < 3; ++c) {
    if (read && !done.rgbMasterCurve[c]) due[count++] = c;
    fs->tables.rgbMasterCurve[c] = read ? t.rgbMasterCurve[c] : nullptr;
  }
  VLForEachRun(count, [&](int k, int from, int to) {
    const int c = due[k];
    const VLTableRef curve = {t.curveRGB[c], fs->curveTop[c].value, fs->curveTop[c].slope};
    VL_ComposeLookups(t.rgbMaster[c], curve, t.rgbMasterCurve[c], size_t(from), size_t(to));
  });
  for (int k = 0; k < count; ++k) done.rgbMasterCurve[due[k]] = true;
}
