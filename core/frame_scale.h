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
  // The kind and sizes (source height and width, output height and width)
  // the filter tables in data were built for; built again when they change.
  FBScaleKind builtKind = kFBScaleARGB8888;
  uint32_t builtSizes[4] = {0, 0, 0, 0};
};

// False, with nothing written, for empty pictures or when the temporary
// buffer cannot be had.
bool FBScalePicture(FBScaleKind kind, const uint8_t* src, uint32_t srcHeight, uint32_t srcWidth, size_t srcRowBytes,
                    uint8_t* dst, uint32_t dstHeight, uint32_t dstWidth, size_t dstRowBytes, FBScaleBuffer& temp);

// The same scale cut into bands of rows, so that several threads can share
// it: FBScaleBegin builds the filter tables in temp (the caller holds
// temp.lock from Begin to the last band); then every source row goes across
// (FBScaleAcross, in any bands) before any output row comes down
// (FBScaleDown, in any bands). The result is FBScalePicture's, bit for bit.
struct FBScaleJob {
  FBScaleKind kind;
  const uint8_t* src;
  size_t srcRowBytes;
  uint8_t* dst;
  size_t dstRowBytes;
  uint32_t srcHeight, srcWidth, dstHeight, dstWidth;
  uint32_t xTaps, yTaps;
  const int32_t* xIndex;
  const float* xWeight;
  const int32_t* yIndex;
  const float* yWeight;
  float* middle;  // srcHeight rows of dstWidth samples
};
bool FBScaleBegin(FBScaleKind kind, const uint8_t* src, uint32_t srcHeight, uint32_t srcWidth, size_t srcRowBytes,
                  uint8_t* dst, uint32_t dstHeight, uint32_t dstWidth, size_t dstRowBytes, FBScaleBuffer& temp,
                  FBScaleJob* job);
// Source rows [first, end) across into the intermediate rows.
void FBScaleAcross(const FBScaleJob& job, uint32_t first, uint32_t end);
// Output rows [first, end) down from the intermediate rows.
void FBScaleDown(const FBScaleJob& job, uint32_t first, uint32_t end);
