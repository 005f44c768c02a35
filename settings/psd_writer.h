// Photoshop image files (.psd) of one flattened RGB picture, uncompressed,
// 8 or 16 bits per channel: what the 3D LUT test image is saved as. The file
// layout is written down at the top of psd_writer.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/status.h"

// The largest width and height a .psd holds.
constexpr int32_t kPSDMaxSide = 30000;

// Rows of interleaved red, green, blue samples, top row first, rows packed
// (3 x width samples each). The 16-bit samples are native-endian in memory.
// The file at path is replaced only once the new one is whole; on failure no
// file is left behind, the old one (if any) is untouched and *why (when
// given) names the path and the reason. kQVErrParam for a null path or
// pixels, or a width or height outside 1..kPSDMaxSide.
QVStatus PSDWriteRGB8(const char* path, int32_t width, int32_t height, const uint8_t* rgb, std::string* why);
QVStatus PSDWriteRGB16(const char* path, int32_t width, int32_t height, const uint16_t* rgb, std::string* why);

// The same from a 32-bit off-screen picture whose pixels hold the bytes
// alpha, red, green, blue in memory order, rowBytes apart (at least
// 4 x width); alpha is dropped.
QVStatus PSDWriteXRGB8(const char* path, int32_t width, int32_t height, const uint8_t* pixels, size_t rowBytes,
                       std::string* why);

// The whole file's bytes for the 8-bit and 16-bit pictures above, in *out.
QVStatus PSDEncodeRGB8(int32_t width, int32_t height, const uint8_t* rgb, std::string* out);
QVStatus PSDEncodeRGB16(int32_t width, int32_t height, const uint16_t* rgb, std::string* out);
