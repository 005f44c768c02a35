// A plain scalar model of the processing pass, written stage by stage from the
// pipeline's formulas, reading the frame-settings block and its tables. The
// engine's pass is checked against it.
#pragma once

#include "core/processing_tables.h"

// One pixel: in R, G, B; out R, G, B and luma.
void ReferencePixel(const VLFrameSettings& F, const float in[3], float out[4]);
