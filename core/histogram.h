// Frame histograms: luma and per-channel counts of 8-bit component values,
// the small integer RGB-to-luma tables they are built with, and the trim
// search that turns a histogram into a black or white point.
#pragma once

#include <cstdint>

#include "core/frame_buffer.h"

constexpr uint32_t kVLHistogramBins = 256;

// Matrix modes of GetRGBtoY.
enum : int32_t { kVLLumaRec601 = 0, kVLLumaRec709 = 1, kVLLumaSMPTE240M = 2 };

// The process-wide red, green and blue tables (256 bytes each, entry i =
// i x coefficient rounded), so that luma = R[r] + G[g] + B[b] for 8-bit
// components. The block is rebuilt only when another mode is asked for; an
// unknown mode keeps the tables as they were and is remembered as the mode.
const uint8_t* GetRGBtoY(int32_t mode);

// What the pixel callback counts into. binCount is 128, 256 or 512 and
// largestBin binCount - 1; a null bin array is skipped. lumaTable is filled
// by VLHistogramContextInit (the Rec. 709 tables).
struct VLHistogramContext {
  uint32_t binCount;
  uint32_t largestBin;
  uint32_t* luma;
  uint32_t* red;
  uint32_t* green;
  uint32_t* blue;
  uint8_t lumaTable[3][256];
};

// Sets the bin count and arrays and copies the Rec. 709 luma tables.
void VLHistogramContextInit(VLHistogramContext* context, uint32_t binCount, uint32_t* luma, uint32_t* red,
                            uint32_t* green, uint32_t* blue);

// FBIterateFrame callback (refCon is a VLHistogramContext): counts pixels of
// formats 32, 'BGRA', 201 and 203; other formats are ignored.
void VL_HistogramPixelProc(void* pixel, FBFrameStruct* frame, void* refCon);

// The black point: the first bin from 0 up at which the running count
// reaches trim (255 when none does), over 255.
float VL_TrimBlackPoint(const uint32_t* histogram, uint64_t trim);
// The white point: the same from bin 255 down (0 when none does).
float VL_TrimWhitePoint(const uint32_t* histogram, uint64_t trim);
