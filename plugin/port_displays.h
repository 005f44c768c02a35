// The curve and hue-wheel displays drawn through the 2D port (the 32-bit
// plug-in's panel, which has no host drawing suites). Every colour is moved
// towards its grey by the interface saturation preference before it is used.
#pragma once

#include <cstdint>

#include "core/settings_record.h"
#include "platform/pixel_port.h"

// Colours of the curve displays, 16 bits a component.
constexpr PPColor kPortCurveBackground = {10288, 10288, 10288};
constexpr PPColor kPortCurveGrid = {38927, 18677, 0};
constexpr PPColor kPortWheelBackground = {40 * 257, 40 * 257, 40 * 257};

// One curve box: the box is width x height at (left + 10, top + 16) inside
// an area of (width + 20) x (height + 26) erased in the background grey,
// framed and gridded in orange, labelled, with the curve and its points in
// the channel's colours (the selected point filled). *selected is the
// selected point, -1 for none; a channel outside 0..3 is labelled
// "<n> Out of Range" and drawn in the master's colours.
void MacDrawCurveDisplay(PPPort* port, int16_t left, int16_t top, int32_t height, int32_t width,
                         const VL_CurveControls* curve, const int32_t* selected, int32_t channel);

// One hue-offset wheel: the wheel picture (made at the first call, at that
// call's size, and kept) halved into (width + 20) x (height + 20) at (left,
// top), with its label and the offset marker from the centre. A wheel
// outside 0..3 is labelled "Default Error" with the master's offset.
// Returns 0.
int32_t MacDrawHueOffsetDisplay(PPPort* port, int16_t left, int16_t top, int32_t width, int32_t height,
                                const VL_HSLOffsetControls* offsets, int32_t wheel);

// The port pixel of a 16-bit colour after the interface saturation.
uint32_t PortDisplayPixel(const PPColor& color);
