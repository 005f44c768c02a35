// PNG pictures read and written by our own code, with no image or compression
// library: the 32-bit build's frames and panel pictures.
//
// The reader takes every non-interlaced and Adam7-interlaced PNG of the
// standard colour types and depths (grey, RGB, palette, grey and RGB with
// alpha; 1 to 16 bits) and gives RGBA samples. The writer writes RGBA at 8 or
// 16 bits, filter 0, in stored (uncompressed) deflate blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct PLPngImage {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bits = 8;               // 8 or 16: the sample range is 0..255 or 0..65535
  std::vector<uint16_t> samples;  // width x height x 4, R, G, B, A in row order
};

// Larger sides are refused before anything is allocated.
constexpr int32_t kPLPngMaxSide = 16384;

// The size from the header; false with the reason ("not a PNG file",
// "damaged PNG", "unsupported frame size").
bool PLPngReadSize(const uint8_t* data, size_t size, int32_t* width, int32_t* height, std::string* why);
// The whole picture; false with the reason.
bool PLPngDecode(const uint8_t* data, size_t size, PLPngImage* image, std::string* why);
// The file's bytes; empty when the image is not a whole 8- or 16-bit picture.
std::vector<uint8_t> PLPngEncode(const PLPngImage& image);
