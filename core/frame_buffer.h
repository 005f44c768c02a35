// Frame buffers: one small record describes every block of pixels the engine
// touches, whether it owns the pixels or wraps someone else's.
#pragma once

#include "platform/fourcc.h"
#include "platform/status.h"
#include "support/support_types.h"

#include <cstddef>
#include <cstdint>

using FBPixFormat = uint32_t;

enum : FBPixFormat {
  kFBPixFormat32ARGB = 32,                  // value A<<24 | R<<16 | G<<8 | B
  kFBPixFormatBGRA = QVFourCC("BGRA"),      // value B<<24 | G<<16 | R<<8 | A
  kFBPixFormat16ARGB = 200,                 // four u16 A, R, G, B, full scale 32768
  kFBPixFormatFloatARGB = 201,              // four floats A, R, G, B
  kFBPixFormatFloatRGBA = 202,              // four floats R, G, B, A
  kFBPixFormatPlanarFloat = 203,            // four float planes: R, G, B, luma
  kFBPixFormat16Bit8Bytes = 205,            // 16-bit, 8 bytes per pixel
  kFBPixFormatCV32ARGB = 206,               // memory A, R, G, B
  kFBPixFormatYCbCr8 = 207,                 // value A<<24 | Y<<16 | Cb<<8 | Cr, video range
  kFBPixFormatYCbCrFloat = 208,             // floats Cr, Cb, Y, A
  kFBPixFormatYCbCr422_601 = 209,           // u16 Y0, Cr, Y1, Cb per pair, Rec. 601
  kFBPixFormatYCbCr422_709 = 210,           // the same with Rec. 709 coefficients
  kFBPixFormatFloatBGRA = 215,              // four floats B, G, R, A
  kFBPixFormatMono8 = 216,                  // one byte per pixel
  kFBPixFormat4Bytes = 217,                 // four bytes per pixel
  kFBPixFormatPlanar16RGB = 218,            // three u16 planes R, G, B, full scale 65535
  kFBPixFormatR4FL = QVFourCC("r4fl"),      // floats A, Y, Cb, Cr (source only)
  kFBPixFormatV408 = QVFourCC("v408"),      // value A<<24 | Cr<<16 | Y<<8 | Cb, video range
  kFBPixFormatR408 = QVFourCC("r408"),      // read as v408
};

// Bytes of one pixel of the format in a row (in each plane of the planar
// layouts; a 4:2:2 pair counts as two pixels); 0 for an unknown code.
uint32_t FBPixelBytes(FBPixFormat format);

// Bit 0 of flags: the pixels belong to someone else and are never freed here.
constexpr uint32_t kFBFlagNotOwned = 1;

struct FBFrameStruct {
  uint32_t width;
  uint32_t height;
  uint32_t rowBytes;     // bytes from one row to the next within one plane
  uint32_t pixelFormat;
  uint8_t* baseAddr;     // first byte of the first plane
  uint32_t planeCount;   // 4 for the planar layout, else 1
  uint32_t planeBytes;   // height x rowBytes; plane k starts at baseAddr + k x planeBytes
  uint32_t colorCodes[3];
  void* refCon;
  void* allocation;      // the heap block behind baseAddr, or null
  uint32_t flags;
};


using FBAllocatorProc = void* (*)(size_t byteCount, void* arg1, void* arg2, void* arg3);
using FBDeallocatorProc = void (*)(void* block, void* arg1, void* arg2);
using FBPixelProc = void (*)(void* pixel, FBFrameStruct* frame, void* refCon);

struct VLMPMaster;

// Row bytes and plane count a new frame of this format gets. False when the
// sizes do not fit the record's 32-bit fields.
bool FBFrameGeometry(uint32_t width, uint32_t height, FBPixFormat format, uint32_t* rowBytes,
                     uint32_t* planeCount, uint32_t* planeBytes);

QVStatus FBCreateRGBFrameBufferWithAllocator(uint32_t width, uint32_t height, FBFrameStruct** outFrame,
                                             FBPixFormat format, FBAllocatorProc allocator, void* allocArg1,
                                             void* allocArg2, void* allocArg3, FBDeallocatorProc deallocator,
                                             void* deallocArg1, void* deallocArg2);
QVStatus FBCreateRGBFrameBuffer(uint32_t width, uint32_t height, FBFrameStruct** outFrame, FBPixFormat format);
QVStatus FBCreateRGBFrameBufferFromPixelBuffer(void* pixels, uint32_t width, uint32_t height, uint32_t rowBytes,
                                               FBPixFormat format, FBFrameStruct** outFrame);
void FBDisposeFrameBuffer(FBFrameStruct* frame);
void FBDisposeFrameBufferWithDeallocator(FBFrameStruct* frame, FBDeallocatorProc deallocator, void* arg1,
                                         void* arg2);

void FBCopyFrameBuffer(const FBFrameStruct* source, FBFrameStruct* destination);
void FBCopyFrameBufferSubset(const FBFrameStruct* source, const QVRect* sourceRect, FBFrameStruct* destination,
                             const QVRect* destinationRect);
void FBClearFrameBufferToBlack(FBFrameStruct* frame);
void FBGetRGBPixel(const FBFrameStruct* frame, int32_t x, int32_t y, float out[4]);
void FBSetRGBPixel(FBFrameStruct* frame, int32_t x, int32_t y, float r, float g, float b, float a);
void FBIterateFrame(FBFrameStruct* frame, FBPixelProc callback, void* refCon);

// The 768-byte table holds 256 red, 256 green, then 256 blue entries.
void FBTransformWithLUTPixWork(void* pixels, uint32_t width, uint32_t height, uint32_t rowBytes,
                               const uint8_t* table, FBPixFormat format);
void FBTransformWithLUTPix(void* pixels, uint32_t width, uint32_t height, uint32_t rowBytes,
                           const uint8_t* table, FBPixFormat format, uint32_t processorCount,
                           VLMPMaster* master);
void FBTransferPixAlphaToPixAlphaWork(const void* source, uint32_t sourceRowBytes, void* destination,
                                      uint32_t destinationRowBytes, uint32_t width, uint32_t height,
                                      FBPixFormat format);
void FBTransferPixAlphaToPixAlpha(const void* source, uint32_t sourceRowBytes, void* destination,
                                  uint32_t destinationRowBytes, uint32_t width, uint32_t height,
                                  FBPixFormat format, uint32_t processorCount, VLMPMaster* master);

// Maps a CoreVideo-style pixel type to a frame format.
FBPixFormat FBPixFormatFromCVPixelFormatType(uint32_t cvType);
