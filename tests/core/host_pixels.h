// Seeded host pixels in the three depths the engine takes in and gives back.
#pragma once

#include "core/frame_buffer.h"

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

struct HostFormat {
  const char* name;
  FBPixFormat format;
  uint32_t bytesPerPixel;
};
inline constexpr HostFormat kHostFormats[] = {
    {"8bit", kFBPixFormat32ARGB, 4}, {"16bit", kFBPixFormat16ARGB, 8}, {"float", kFBPixFormatFloatARGB, 16}};

// w x h pixels of the format, rows packed: full-range integers, or floats
// uniform in lo..hi.
inline std::vector<uint8_t> SeededHostPixels(const HostFormat& f, uint32_t w, uint32_t h, uint32_t seed, float lo,
                                             float hi) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> bytes(size_t(w) * h * f.bytesPerPixel);
  if (f.format == kFBPixFormatFloatARGB) {
    std::uniform_real_distribution<float> any(lo, hi);
    for (size_t i = 0; i < bytes.size(); i += 4) {
      float v = any(rng);
      std::memcpy(&bytes[i], &v, 4);
    }
  } else if (f.format == kFBPixFormat16ARGB) {
    std::uniform_int_distribution<int> any(0, 32768);
    for (size_t i = 0; i < bytes.size(); i += 2) {
      uint16_t v = uint16_t(any(rng));
      std::memcpy(&bytes[i], &v, 2);
    }
  } else {
    std::uniform_int_distribution<int> any(0, 255);
    for (uint8_t& b : bytes) b = uint8_t(any(rng));
  }
  return bytes;
}
