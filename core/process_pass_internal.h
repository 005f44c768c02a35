// Choice of the pass kernel's vector width, for tests that compare the
// kernels with each other.
#pragma once

#include "core/process_pass.h"

#include <cstdint>

// True when this build has the eight-lane kernel and the processor runs it.
bool VL_PassWideAvailable();

// True when this build has a kernel of that many lanes (4, 8 or 16) and the
// processor runs it; 4 always is.
bool VL_PassLanesAvailable(uint32_t lanes);

// Forces the widest kernel used: 4, 8 or 16 (a width that is not available
// falls back to the next narrower one); 0 restores the automatic choice, the
// widest available.
void VL_SetPassLanes(uint32_t lanes);

// Switches off (false) or back on the single lookup of a composed table for
// the RGB master stage run straight into the RGB curves, for tests that
// compare the results both ways.
void VL_SetPassComposedTables(bool on);

// Switches off (false) or back on the kernels' per-tile rejection of the
// secondary keys that cannot select a pixel of the tile and of the lookups
// of tonal ranges that weigh none of its pixels, for tests that compare the
// results both ways.
void VL_SetPassTileRejection(bool on);

// The eight-lane kernel over `count` floats of each plane, a multiple of 8.
// Built only for processors with AVX2; call it only when
// VL_PassWideAvailable() is true.
void VL_RunPassWide(const VLPassSetup& setup, const float* const source[3], float* const destination[4],
                    size_t count);

// The sixteen-lane kernel over `count` floats of each plane, a multiple of
// 16. Built only for processors with AVX-512 F, BW, DQ and VL; call it only
// when VL_PassLanesAvailable(16) is true.
void VL_RunPass16(const VLPassSetup& setup, const float* const source[3], float* const destination[4],
                  size_t count);
