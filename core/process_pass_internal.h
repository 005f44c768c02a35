// Choice of the pass kernel's vector width, for tests that compare the
// kernels with each other.
#pragma once

#include "core/process_pass.h"

#include <cstdint>

// True when this build has the eight-lane kernel and the processor runs it.
bool VL_PassWideAvailable();

// Forces the kernel width: 4 or 8 (8 only where available); 0 restores the
// automatic choice, the widest available.
void VL_SetPassLanes(uint32_t lanes);

// The eight-lane kernel over `count` floats of each plane, a multiple of 8.
// Built only for processors with AVX2; call it only when
// VL_PassWideAvailable() is true.
void VL_RunPassWide(const VLPassSetup& setup, const float* const source[3], float* const destination[4],
                    size_t count);
