// The processing pass: one correction, built into the processing tables and
// the frame-settings block, applied to planar float frames (format 203).
#pragma once

#include "core/frame_buffer.h"
#include "core/pixel_vector.h"

#include <cstdint>

// Vibrance of four pixels: pulls each towards or away from its luma by a
// factor that shrinks with the pixel's saturation, at most amount x weight.
void vec_vibrance(FBPixelFloatVector r, FBPixelFloatVector g, FBPixelFloatVector b, FBPixelFloatVector amount,
                  FBPixelFloatVector weight, FBPixelFloatVector* outR, FBPixelFloatVector* outG,
                  FBPixelFloatVector* outB);

struct VLFrameSettings;
struct VLPassSetup;

// Prepares the pass's constants from a private copy of the block.
void VL_PreparePass(const VLFrameSettings& settings, VLPassSetup* setup);
// Runs a prepared pass over rows [firstRow, firstRow + rows) of the frames,
// which have the same row bytes and at least those rows.
void VL_RunPassRows(const VLPassSetup& setup, const FBFrameStruct* source, FBFrameStruct* destination,
                    uint32_t firstRow, uint32_t rows);

// One pass over the frames given (a band is given as frames whose base and
// height cover it). The three words are not used. Does nothing when the
// destination is null, the source is not format 203 or the frame is empty.
void ProcessImageSSE(const FBFrameStruct* source, FBFrameStruct* destination, uint64_t word1, uint64_t firstRow,
                     uint64_t word2, const VLFrameSettings* settings);

// Applies the current processing tables to source, writing destination (which
// may be source): inline when gNumProcessors is 1, else in bands over the
// task pool. Holds the engine lock throughout. Both frames must be format 203
// of the same width, height and row bytes; otherwise nothing is written and
// kQVErrParam is returned.
QVStatus ProcessImage(const FBFrameStruct* source, FBFrameStruct* destination, uint64_t word1, uint64_t word2);
