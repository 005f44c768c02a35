// Frames that dispose of themselves, for the engine's tests.
#pragma once

#include "core/frame_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

struct FrameDeleter {
  void operator()(FBFrameStruct* f) const { FBDisposeFrameBuffer(f); }
};
using FramePtr = std::unique_ptr<FBFrameStruct, FrameDeleter>;

inline FramePtr makeFrame(uint32_t w, uint32_t h, FBPixFormat format) {
  FBFrameStruct* f = nullptr;
  EXPECT_EQ(kQVNoErr, FBCreateRGBFrameBuffer(w, h, &f, format));
  return FramePtr(f);
}

inline float* planeRow(FBFrameStruct* f, int plane, uint32_t y) {
  return reinterpret_cast<float*>(f->baseAddr + size_t(plane) * f->planeBytes + size_t(y) * f->rowBytes);
}
