// The RGB master tables composed with the RGB curves. Below 1.0 the master
// lookup's result is the entry at the value's index, so the curve's result
// for that value is a function of the same index: entry i of a composed table
// is the curve looked up at master entry i, by the pass's own operations
// (held to the pass's range between the two), and one lookup of it gives the
// bits of the two in turn.
#include "core/process_pass.h"
#include "core/processing_tables_internal.h"

void VLComposeTables(VLFrameSettings* fs) {
  VLTableStorage& t = gVLTableStorage;
  VLTableInputsRecord& done = gVLTableInputs;
  for (int c = 0; c < 3; ++c) {
    if (!done.rgbMasterCurve[c]) {
      const VLTableRef curve = {t.curveRGB[c], fs->curveTop[c].value, fs->curveTop[c].slope};
      VL_ComposeLookups(t.rgbMaster[c], curve, t.rgbMasterCurve[c]);
      done.rgbMasterCurve[c] = true;
    }
    fs->tables.rgbMasterCurve[c] = t.rgbMasterCurve[c];
  }
}
