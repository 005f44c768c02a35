// The exact Y'CbCr converter's two row loops, for its tests and benchmark:
// the plain loop is the reference, the vector loop must match it byte for
// byte.
#pragma once

#include <cstdint>

struct AVFrame;

namespace media {

enum YUVRows {
  kYUVRowsPlain,   // one pixel at a time from the five tables
  kYUVRowsVector,  // four pixels a register where the processor has SSE2, else the plain loop
};

// ConvertYUVFrameExactly with the rows converted the given way.
bool ConvertYUVFrameRows(const AVFrame* frame, uint8_t* pixels, uint32_t rowBytes, YUVRows rows);

// True when the vector loop is built for this processor (otherwise it is the
// plain loop).
bool YUVVectorRowsBuilt();

}  // namespace media
