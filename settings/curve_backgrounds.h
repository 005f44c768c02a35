// Gradient backgrounds of the curve displays.
#pragma once

#include <cstdint>

#include "core/frame_buffer.h"

// Kinds 0-3: a base colour (white, red, green, blue) fading to black towards
// the left and bottom edges; 4-6: the hue plane of the hue-hue, hue-saturation
// and hue-luma curves. Colours are desaturated by the "UI Saturation"
// preference. A new format-32 frame, or null for another kind or when it
// cannot be made.
FBFrameStruct* CVCreateBackgroundFrameBuffer(uint32_t width, uint32_t height, int32_t kind);
