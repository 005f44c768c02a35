// The button strips drawn through the 2D port (the 32-bit plug-in's panel,
// which has no host drawing suites): the buttons and the logo of the 64-bit
// build's pictures, with their text in the port's built-in font.
#pragma once

#include <cstdint>

#include "platform/pixel_port.h"

// The port pixel of a strip colour.
struct VLStripColor;
uint32_t PortStripPixel(const VLStripColor& color);

// The button whose picture has that name, at (left, top), in the state (0
// up, 1 down, 2 rollover): a face with rounded corners, its edge, and its
// label centred. An unknown name draws nothing.
void PortDrawStripButton(PPPort* port, const char* picture, int32_t state, int32_t left, int32_t top);
// The logo at (left, top); its name is white when the panel's text is light.
void PortDrawLogo(PPPort* port, int32_t left, int32_t top, bool lightText);
