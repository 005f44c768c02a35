// The MIDI messages of the network surface turned into surface events
// {control code, value}. Only 3-byte messages count:
//
//   first  second     third     code                               value
//   B6     0..2       0..13     L1[third]                          second
//   B6     0..2       23        512 (announcement)                 second
//   B6     3..8       any       88..93 (encoder_s1..6)             signed 7-bit of third
//   B6     9..15      any       0                                  signed 7-bit
//   B6     16..24     any       T[second - 16]                     signed 7-bit
//   B5     0..7       0..13     L2[third]                          second AND 1
//   B5     8..16      any       103..108, 123, 124, 125            signed 7-bit
//   80     0..2       0..13     L1[third]                          second
//   80     0..2       14, 15    0                                  second
//   80     0..2       16..29    L2[third - 16]                     second
//   80     0..2       127       512                                second
//   80     3..8       any       88..93                             signed 7-bit
//   80     9..15, 25..31  any   0                                  signed 7-bit
//   80     16..24     any       T[second - 16]                     signed 7-bit
//   80     32..40     any       103..108, 123, 124, 125            signed 7-bit
//
// L1 = 74..81 (page_s1..8), 82..87 (button_sb1 .. button_sr3);
// L2 = 115..122 (button_n1..8), 109..114 (encoderbutton_n1..6);
// T  = 94, 96, 95, 97, 99, 98, 100, 102, 101 (ring, vertical, horizontal of
// trackballs 1 to 3). Signed 7-bit: the data byte with bit 6 copied into
// bit 7, read as a signed byte (-64 to 63). Every other message is ignored.
#pragma once

#include <cstddef>
#include <cstdint>

// The event of a message; false for one that means nothing.
bool SurfaceDecodeMIDI(const uint8_t* bytes, size_t count, int16_t* code, int32_t* value);
// Whether a byte starts one of the surface's messages (80, B5, B6).
bool SurfaceMIDIIsStatusByte(uint8_t byte);

// Cuts a byte stream into 3-byte messages: bytes other than 80, B5 and B6
// are skipped until one of them starts a message, which takes the next two
// bytes whatever they are.
struct SurfaceMIDIFramer {
  uint8_t message[3] = {};
  int32_t have = 0;
  // Takes one byte; true when it completed a message (then in message).
  bool Push(uint8_t byte);
};
