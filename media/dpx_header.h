// DPX and Cineon files: the header information that travels with a frame,
// the readers of both formats into 16-bit pixels, and the DPX writer.
// The readers and the writer return the platform's status codes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/frame_buffer.h"
#include "platform/status.h"

// The header information of one DPX frame, kept in a media reference's
// per-frame block and filled by the writer's caller. 576 bytes.
struct DPXHeaderInfo {
  uint32_t width;
  uint32_t height;
  uint32_t elementCount;
  char projectName[200];
  char creator[100];
  char rights[200];
  char creationTime[24];
  char sourceDate[24];
  uint32_t timecode;   // BCD hh:mm:ss:ff, hour tens in the top nibble
  uint32_t userBits;
  float frameRate;
  uint32_t reserved;
};
static_assert(sizeof(DPXHeaderInfo) == 576);
static_assert(offsetof(DPXHeaderInfo, projectName) == 12);
static_assert(offsetof(DPXHeaderInfo, creationTime) == 512);
static_assert(offsetof(DPXHeaderInfo, timecode) == 560);
static_assert(offsetof(DPXHeaderInfo, frameRate) == 568);

struct CineonHeaderInfo {
  uint32_t width;
  uint32_t height;
  uint32_t channelCount;
};

enum : int32_t {
  kDPXErrBadFile = -2114,  // too short for its header, wrong magic, or fields the file cannot hold
};

// The largest width or height either reader accepts.
constexpr uint32_t kDPXMaxDimension = 65536;

// 0, kQVErrFileNotFound (or the open error), kDPXErrBadFile. A wrong magic
// shows the alert "Could not read file -- magic numbers do not match." first.
QVStatus DPXReadHeaderInfo(const char* path, DPXHeaderInfo* info);
// 0, the open error, kQVErrEndOfFile when the header is short, kDPXErrBadFile.
QVStatus CineonReadHeaderInfo(const char* path, CineonHeaderInfo* info);

// Reads the whole image into buffer as 16-bit A, R, G, B per pixel (full
// scale 32768), rows rowBytes apart; width and height must be the header's.
// Only depth 16, interleaved, is offered. Pixel data the file does not hold
// leaves the rest of the buffer as it was.
QVStatus DPXReadImage(const char* path, void* buffer, uint32_t rowBytes, uint32_t width, uint32_t height,
                      uint32_t depth, bool planar);
QVStatus CineonReadImage(const char* path, void* buffer, uint32_t rowBytes, uint32_t width, uint32_t height,
                         uint32_t depth, bool planar);

// The same readers over bytes already in memory (the fuzz targets use them).
QVStatus DPXParseHeaderInfo(const uint8_t* bytes, size_t size, DPXHeaderInfo* info);
QVStatus DPXDecodeImage(const uint8_t* bytes, size_t size, void* buffer, uint32_t rowBytes, uint32_t width,
                        uint32_t height);
QVStatus CineonParseHeaderInfo(const uint8_t* bytes, size_t size, CineonHeaderInfo* info);
QVStatus CineonDecodeImage(const uint8_t* bytes, size_t size, void* buffer, uint32_t rowBytes, uint32_t width,
                           uint32_t height);

// Writing. The file is written beside its final name and renamed over it
// only once every byte is on disk; a failure leaves no partial file.
struct DPXWriteParams {
  uint32_t bits;        // 10: the only packing written
  uint32_t descriptor;  // 50: RGB
  float offset;         // log: the offset k
  float gamma;          // linear: the exponent; log: the gamma multiplier
  bool logarithmic;
  uint32_t whiteCode;
  uint32_t blackCode;
};

// kQVErrParam for a bad record or settings, kQVErrIO (or the system's
// status) when the file cannot be made or written.
QVStatus DPXCreateFile(const char* folder, const char* name, const DPXHeaderInfo* info, const FBFrameStruct* frame,
                       const DPXWriteParams* params);
// The 2,048-byte header into out.
void DPXFillHeader(uint8_t out[2048], const DPXHeaderInfo* info, const char* fileName, uint32_t bits,
                   bool logarithmic);
// The pixel rows, width big-endian words per row, into out (width x height x 4
// bytes); false when the frame's format or the descriptor is not written.
bool DPXWritePixels(const FBFrameStruct* frame, uint8_t* out, const DPXWriteParams* params);
