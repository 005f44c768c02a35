// The levels control's reading side and its histograms: the stored input
// points, and the input and output histograms under the marker strip that
// follow the source and result frames.
#pragma once

#include <cstdint>

#include "core/frame_buffer.h"

struct TKControl;
struct TKImage;

// The input points the control shows (out untouched for a control that is
// not a levels control).
void LevelsGetInBlack(TKControl* levels, float* out);
void LevelsGetInGray(TKControl* levels, float* out);
void LevelsGetInWhite(TKControl* levels, float* out);

// With input, rebuilds the input histogram from the source frame (input
// highlight recovery); always rebuilds the output histogram from the result
// frame (output highlight recovery). With redraw draws the rebuilt ones.
void UpdateLevelsHistograms(TKControl* levels, int32_t channel, bool input, bool redraw);

// Draws the histogram of frame into image: one bin per column (128, 256 or
// 512 by the image's width), bars from the bottom row up in the channel's
// colour (1 luma, 2 red, 3 green, 4 blue), 2 % of the pixels reaching the
// top. Highlight recovery is taken from the working record's input or
// output field, as the flags say.
void BuildLevelsHistogram(TKImage* image, FBFrameStruct* frame, int32_t channel, bool inputRecovery,
                          bool outputRecovery);

// The refresher the central update calls for the current channel; it finds
// that channel's control in gSettingsControls.
void LevelsRefreshChannelHistograms(int32_t channel, bool input, bool redraw);
