// Everything the application shows on the MIDI control surface: button
// lights, the two 2-line text displays, the trackball colour lights, a
// page's header and the lights that reflect its definitions, and the
// transport, bank, slot and shift lights and the timecode.
//
// Lights of the surface's own units and the displays are System Exclusive
// messages, F0 15 ... F7, whose middle depends on the surface kind (the
// "Control Surface Mode" preference, 3 or 4):
//
//   message                          kind 3                 kind 4
//   light L of unit A (0..255)       F0 15 28 03 L s F7     F0 15 25 55 03 L s F7
//   light L of unit B (256..511)     F0 15 28 06 L' s F7    F0 15 25 56 03 L' s F7   (L' = L - 256)
//   display line                     F0 15 28 01 P 18 text F7   F0 15 25 55 01 P 18 text F7
//
// s is 0 for lit, 1 for dark. P: 00 left line 1, 20 left line 2, 40 right
// line 1, 60 right line 2; the text is 24 characters (18 hex), each a
// 7-bit byte ("?" for any character at or above 0x80).
//
// The transport, bank, slot and shift lights and the timecode go through
// the driver application's events (SurfaceLinkSetLight,
// SurfaceLinkWriteTimecode).
#pragma once

#include <cstdint>
#include <vector>

#include "app/surfaces/surface_definitions.h"

// The light message of a light number (256 and up: unit B).
std::vector<uint8_t> SurfaceLightMessage(int32_t light, bool lit);
void SurfaceSetLight(int32_t light, bool lit);

// display: 1 left, 2 right; line 1 or 2. Justification -2 puts the text
// first, 1 centres it, -1 puts the spaces first; any other carries no
// characters. Nothing for a null text.
std::vector<uint8_t> SurfaceDisplayLineMessage(int32_t display, int32_t line, const char* text, int32_t justification);
void SurfaceWriteDisplayLine(int32_t display, int32_t line, const char* text, int32_t justification);

// Trackball k (0 to 3) to the colour bits (a, b).
void SurfaceSetTrackballColor(int32_t trackball, int32_t a, int32_t b);
// Trackball k to a colour word: red, green, blue and black have bits; any
// other word leaves the trackball's lights as they are.
void SurfaceSetTrackballColorWord(int32_t trackball, uint32_t color);

// The light of a definition's control id, or -1 when it has none.
int32_t SurfaceLightOfControl(int32_t controlID);
// One light message per definition (up to count, or the first control id 0)
// whose control has a light and whose action shows a state.
void SurfaceSendControlValues(const SurfaceControlDefinition* first, int32_t count);
// The same for the current page; nothing when no page is shown.
void SurfaceRefreshPage();
// Shows an active page's header and makes it the current page; an inactive
// page sounds the alert and changes nothing.
void SurfaceShowPageHeader(int32_t page);
void SurfaceLightPageLED(int32_t page);
void SurfaceSetSelectButtonLEDs(uint32_t mask);
void SurfaceSetSlotLEDs(int16_t slot, uint8_t shift);
void SurfaceSetBankLEDs(int16_t bank);
void SurfaceSetTransportLEDs(int16_t state);
// Packs "HH:MM:SS:FF" into eight 4-bit digits, the first in the top nibble;
// false (nothing sent) for a text of another form.
bool SurfacePackTimecode(const char* text, uint32_t* packed);
void SurfaceShowTimecode(const char* text);

// round(x) as the definitions use it for values and slot numbers; 0 for a
// value that is not finite, held to the 32-bit range.
int32_t SurfaceRound(float x);
