// The record of what each processing table was last built from, so that an
// edit rebuilds only the tables whose inputs it changed.
#include <cstring>

#include "core/processing_tables_internal.h"

VLTableInputsRecord gVLTableInputs;

bool VLTableNeedsBuild(VLTableInputs* last, std::initializer_list<float> inputs) {
  const int32_t count = int32_t(inputs.size());
  if (count == 0 || count > kVLMaxTableInputs) {
    last->count = 0;
    return true;
  }
  // Compared as bits: a NaN input matches itself and -0 does not match +0.
  if (last->count == count && std::memcmp(last->values, inputs.begin(), sizeof(float) * size_t(count)) == 0)
    return false;
  std::memcpy(last->values, inputs.begin(), sizeof(float) * size_t(count));
  last->count = count;
  return true;
}

// Every count unknown and every packed group due: the next build writes all.
void VL_ForgetProcessingTableInputs() { gVLTableInputs = VLTableInputsRecord{}; }
