// Separable resampling of one picture into another of a different size, with
// a three-lobed windowed-sinc filter widened when shrinking. Each caller keeps
// one temporary buffer that grows as needed and is reused between calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

enum FBScaleKind {
  kFBScaleARGB8888,  // four 8-bit components per pixel
  kFBScaleARGBFFFF,  // four floats per pixel
  kFBScalePlanarF,   // one float per pixel
};

struct FBScaleBuffer {
  std::mutex lock;  // one scale at a time per buffer
  void* data = nullptr;
  size_t size = 0;
};

// False, with nothing written, for empty pictures or when the temporary
// buffer cannot be had.
bool FBScalePicture(FBScaleKind kind, const uint8_t* src, uint32_t srcHeight, uint32_t srcWidth, size_t srcRowBytes,
                    uint8_t* dst, uint32_t dstHeight, uint32_t dstWidth, size_t dstRowBytes, FBScaleBuffer& temp);
