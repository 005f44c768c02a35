// Four-character codes: creator, type, event-class, property and signature
// codes are 32-bit values whose big-endian bytes read as four characters.
#pragma once

#include <cstdint>

constexpr uint32_t QVFourCC(const char (&s)[5]) {
  return (uint32_t(uint8_t(s[0])) << 24) | (uint32_t(uint8_t(s[1])) << 16) |
         (uint32_t(uint8_t(s[2])) << 8) | uint32_t(uint8_t(s[3]));
}

// Writes the four characters and a terminating NUL into out (5 bytes).
inline void QVFourCCToCString(uint32_t code, char out[5]) {
  out[0] = char(code >> 24);
  out[1] = char(code >> 16);
  out[2] = char(code >> 8);
  out[3] = char(code);
  out[4] = '\0';
}
