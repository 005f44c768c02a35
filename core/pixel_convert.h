// Small helpers shared by the pixel transfers. The rounding rules they
// follow are written down beside the colour coefficients, in
// support/color_coding.h.
#pragma once

#include "support/color_coding.h"

#include <cstdint>
#include <cstring>

namespace fbpix {

constexpr float k8 = 0.003921569f;

// NaN gives lo.
inline float clampf(float v, float lo, float hi) { return v > lo ? (v < hi ? v : hi) : lo; }

// Values above 1 give 1, NaN gives 0.
inline float atMost1(float v) { return v < 1.0f ? v : (v >= 1.0f ? 1.0f : 0.0f); }

inline float luma(float r, float g, float b) {
  return float(kQVYUV.yR) * r + float(kQVYUV.yG) * g + float(kQVYUV.yB) * b;
}

inline uint32_t load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
inline uint16_t load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}
inline void store16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }
inline float loadf(const uint8_t* p) {
  float v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void storef(uint8_t* p, float v) { std::memcpy(p, &v, 4); }

inline uint32_t byteSwap(uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

// float to 8-bit as described above.
inline uint32_t toByte(float c) { return uint32_t(255.0f * clampf(c + 0.001953125f, 0.0f, 1.0f)); }

}  // namespace fbpix
