// Pixel transfers between host pixel layouts and frame buffers: host to the
// planar float format (plain and with colour multiplied by alpha) and back,
// each inline or in row bands over the task pool. Frames are of format 203,
// 32 or 'BGRA'; a pair of layout and frame format that is not handled, or an
// empty frame, leaves the destination untouched.
#pragma once

#include "core/frame_buffer.h"

#include <cstdint>

struct VLMPMaster;

// planeStride is the distance between the three planes of layout 218.
void FBTransferPixToFBFrameSSE(const void* pixels, uint32_t rowBytes, uint32_t planeStride, FBPixFormat format,
                               FBFrameStruct* destination);
void FBTransferPixToFBFramePremultipliedSSE(const void* pixels, uint32_t rowBytes, FBPixFormat format,
                                            FBFrameStruct* destination);
// With a rectangle only that part of the frame is written, to pixels as its
// first pixel; the rectangle is clipped to the frame.
void FBTransferFBFrameToPixSSE(const FBFrameStruct* source, const QVRect* rect, void* pixels, uint32_t rowBytes,
                               FBPixFormat format);

void FBTransferPixToFBFrame(const void* pixels, uint32_t rowBytes, uint32_t planeStride, FBPixFormat format,
                            FBFrameStruct* destination, uint32_t processorCount, VLMPMaster* master);
void FBTransferPixToFBFramePremultiplied(const void* pixels, uint32_t rowBytes, FBPixFormat format,
                                         FBFrameStruct* destination, uint32_t processorCount, VLMPMaster* master);
void FBTransferFBFrameToPix(const FBFrameStruct* source, void* pixels, uint32_t rowBytes, FBPixFormat format,
                            uint32_t processorCount, VLMPMaster* master);
void FBTransferFBFrameSubsetToPix(const FBFrameStruct* source, const QVRect* rect, void* pixels, uint32_t rowBytes,
                                  FBPixFormat format);
