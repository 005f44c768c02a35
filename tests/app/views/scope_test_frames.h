// Source pictures for the scope tests: colour bars and ramps.
#pragma once

#include <cstdint>

#include "platform/ui/ui_draw.h"

// Fills the picture with one colour (8-bit components, opaque).
inline void FillPicture(TKImage* picture, uint8_t r, uint8_t g, uint8_t b) {
  uint8_t* base = TKImagePixels(picture);
  for (int32_t y = 0; y < TKImageHeight(picture); ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(base + size_t(y) * TKImageRowBytes(picture));
    for (int32_t x = 0; x < TKImageWidth(picture); ++x) row[x] = 0xFF000000u | r << 16 | g << 8 | b;
  }
}

inline void SetPixel(TKImage* picture, int32_t x, int32_t y, uint8_t r, uint8_t g, uint8_t b) {
  uint32_t* row = reinterpret_cast<uint32_t*>(TKImagePixels(picture) + size_t(y) * TKImageRowBytes(picture));
  row[x] = 0xFF000000u | r << 16 | g << 8 | b;
}

// Bars white, yellow, cyan, green, magenta, red, blue: the upper half at
// level 191 (75%), the lower half at 255 (100%).
inline TKImage* MakeColourBars(int32_t width, int32_t height) {
  TKImage* picture = TKImageCreate(width, height);
  static const uint8_t bars[7][3] = {{1, 1, 1}, {1, 1, 0}, {0, 1, 1}, {0, 1, 0}, {1, 0, 1}, {1, 0, 0}, {0, 0, 1}};
  for (int32_t y = 0; y < height; ++y) {
    uint8_t level = y < height / 2 ? 191 : 255;
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t* bar = bars[x * 7 / width];
      SetPixel(picture, x, y, bar[0] * level, bar[1] * level, bar[2] * level);
    }
  }
  return picture;
}

// Four bands from top to bottom: grey, red, green and blue ramps from 0 at
// the left to 255 at the right.
inline TKImage* MakeRamps(int32_t width, int32_t height) {
  TKImage* picture = TKImageCreate(width, height);
  for (int32_t y = 0; y < height; ++y) {
    int32_t band = y * 4 / height;
    for (int32_t x = 0; x < width; ++x) {
      uint8_t v = uint8_t(width > 1 ? x * 255 / (width - 1) : 0);
      SetPixel(picture, x, y, band == 0 || band == 1 ? v : 0, band == 0 || band == 2 ? v : 0,
               band == 0 || band == 3 ? v : 0);
    }
  }
  return picture;
}
