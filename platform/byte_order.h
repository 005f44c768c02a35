// Big-endian reading and writing of fixed-width values, and byte reversal.
// Files and exchanged values are big-endian; records in memory are native.
// Write from a const record into a byte buffer field by field with these;
// never swap a live record in place to write it.
#pragma once

#include <cstdint>
#include <cstring>

inline uint16_t QVByteSwap16(uint16_t v) { return uint16_t((v >> 8) | (v << 8)); }

inline uint32_t QVByteSwap32(uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0x0000FF00u) | ((v << 8) & 0x00FF0000u) | (v << 24);
}

inline uint64_t QVByteSwap64(uint64_t v) {
  return (uint64_t(QVByteSwap32(uint32_t(v))) << 32) | QVByteSwap32(uint32_t(v >> 32));
}

inline uint16_t QVReadBE16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }

inline uint32_t QVReadBE32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

inline float QVReadBEFloat(const uint8_t* p) {
  uint32_t bits = QVReadBE32(p);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

inline void QVWriteBE16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v >> 8);
  p[1] = uint8_t(v);
}

inline void QVWriteBE32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v >> 24);
  p[1] = uint8_t(v >> 16);
  p[2] = uint8_t(v >> 8);
  p[3] = uint8_t(v);
}

inline void QVWriteBEFloat(uint8_t* p, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  QVWriteBE32(p, bits);
}
