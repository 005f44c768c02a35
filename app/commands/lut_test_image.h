// The 3D LUT test picture: every lattice point of a 17 x 17 x 17 cube as a
// 10-pixel run, red and green choosing the row (17 x red + green) and blue
// the run along it, each level min(16 x index, 255). A 3D LUT applied to the
// picture elsewhere can be read back from it point by point.
#pragma once

#include <cstdint>
#include <vector>

constexpr int32_t kLUTTestImageWidth = 170;
constexpr int32_t kLUTTestImageHeight = 289;
constexpr int32_t kLUTTestImageLevels = 17;
constexpr int32_t kLUTTestImageRun = 10;

// The picture as 8-bit pixels, alpha (0), red, green, blue in memory,
// rows kLUTTestImageWidth x 4 bytes. False when the memory cannot be had.
bool LUTTestImagePixels(std::vector<uint8_t>* argb);

// The level of lattice index i (0..16).
constexpr uint8_t LUTTestImageLevel(int32_t i) { return uint8_t(16 * i > 255 ? 255 : 16 * i); }
