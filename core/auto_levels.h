// Automatic exposure and colour: the levels section of a correction set from
// the histograms of one frame. Frames of formats 32, 'BGRA', 201 and 203 are
// counted; any other frame counts no pixels.
#pragma once

#include "core/frame_buffer.h"
#include "core/settings_record.h"

// Default of the "Auto Luma Trim" preference: the share of pixels allowed to
// clip at each end.
constexpr float kVLDefaultAutoLumaTrim = 0.001f;
// The share of pixels allowed to clip per channel in automatic colour.
constexpr float kVLAutoColorTrim = 0.0007f;

// Automatic exposure: the master input black and white points from the luma
// histogram, trimming width x height x lumaTrim pixels at each end (none:
// black 0, white 1). Nothing else is written.
void HistogramEqualizationLuma(FBFrameStruct* frame, VL_SettingsStruct* settings,
                               float lumaTrim = kVLDefaultAutoLumaTrim);

// Automatic colour, first step: each channel's input black and white points
// from its own histogram and its gray point 0.5.
void HistogramEqualizationRGB(FBFrameStruct* frame, VL_SettingsStruct* settings);

// Automatic colour, second step: moves the red, green and blue input gray
// points so that the channel means follow the channel with the strictly
// largest mean. Nothing changes when two channels share the largest mean,
// when no pixel was counted or a channel's mean is 0; a channel whose black
// and white points are equal keeps its gray point.
void HistogramMeanMatchRGB(FBFrameStruct* frame, VL_SettingsStruct* settings);

// The gray point moved by the channel's factor (reference mean / channel
// mean) for the given input black and white points.
float VL_MeanMatchedGrayPoint(float black, float gray, float white, double factor);
