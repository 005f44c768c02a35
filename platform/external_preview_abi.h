// The records the external-preview library's C entry points take, shared
// with any library that offers them (see platform/external_preview.h).
#pragma once

#include <cstdint>

extern "C" {
struct VUZerEConnection {
  int32_t connection;  // 0: none
  int32_t word1;
};
struct VUZerERect {
  int16_t top, left, bottom, right;
};
struct VUZerEPicture {
  uint8_t* pixels;
  int32_t width;
  int32_t height;
  int32_t rowBytes;
};
}
static_assert(sizeof(VUZerEConnection) == 8);
static_assert(sizeof(VUZerERect) == 8);
