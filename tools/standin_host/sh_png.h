// PNG frames for the stand-in host: RGBA images of 8 or 16 bits per sample.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SHImage {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bits = 8;                // 8 or 16: the sample range is 0..255 or 0..65535
  std::vector<uint16_t> samples;   // width x height x 4, R, G, B, A in row order
};

// Reads any PNG (palette, grey, with or without alpha, 1 to 16 bits) as RGBA.
// Returns false with a message on failure.
bool SHReadPNG(const std::string& path, SHImage* image, std::string* error);
// Writes RGBA at the image's bit depth through a temporary file and a rename.
bool SHWritePNG(const std::string& path, const SHImage& image, std::string* error);
