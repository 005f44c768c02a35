// The tonal-range preview: a processed frame drawn as three greys by which of
// the shadow, midtone and highlight ranges dominates each pixel's luma.
#pragma once

#include "core/frame_buffer.h"

#include <cstdint>

struct VLMPMaster;

// Colours the luma plane of a processed format-203 frame into 32-bit pixels
// of format 32 or 'BGRA'; any other pair does nothing.
void ProcessHMSPreviewWork(const FBFrameStruct* frame, void* pixels, uint32_t rowBytes, FBPixFormat format);
void ProcessHMSPreview(const FBFrameStruct* frame, void* pixels, uint32_t rowBytes, FBPixFormat format,
                       uint32_t processorCount, VLMPMaster* master);
