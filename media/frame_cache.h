// Frame delivery and the process-wide frame cache: the current frame of a
// media reference loaded by its kind, converted into a caller's frame buffer
// (at the buffer's size and pixel format) or drawn into a caller's picture,
// and recently delivered frames kept by reference, frame, format and
// geometry, bounded by a frame count and by memory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/frame_buffer.h"
#include "media/media_file.h"

struct TKImage;

constexpr uint32_t kQVFrameCacheDefaultLimit = 2048;
// Bytes the cache may allocate in all (entries and pixel copies).
constexpr uint64_t kQVFrameCacheMemoryCap = 0x40000000;
// Bytes one entry counts besides its pixels.
constexpr uint32_t kQVFrameCacheEntryBytes = 616;

// Loads the reference's current frame into its pixel store by kind: a movie
// frame decoded at the decode size, a sequence frame read from its own file
// (1013 when that file is missing), a single still keeps what was read at
// opening.
QVMediaErr QVMediaLoadFrame(QVMediaFileRef* ref);
// The current frame at the buffer's size and format (formats 203, 'BGRA'
// and 32): from the cache when it holds it, else loaded, converted and
// cached. 1002 for an invalid or audio-only reference, 1006 for a null
// buffer, 1017 when the reference's lock is not had within 500 ms, 1005
// when a conversion buffer cannot be made.
QVMediaErr QVMediaFetchFrame(QVMediaFileRef* ref, FBFrameStruct* frame);
// The current frame scaled onto the whole picture. 1002 for an invalid or
// audio-only reference, 1006 for a null picture, 1005 when memory fails.
QVMediaErr QVMediaDrawFrameToGWorld(QVMediaFileRef* ref, TKImage* picture);

void QVFrameCacheInitialize();
uint32_t QVFrameCacheGetLimit();
// The limit for frames of this buffer's byte size: a quarter of physical
// memory (at most 1 GiB) divided by the frame's bytes. 1011 for null.
QVMediaErr QVFrameCacheSetLimitForFrameSize(const FBFrameStruct* frame);
// As above with the physical memory given (tests).
QVMediaErr QVFrameCacheSetLimitForMemory(const FBFrameStruct* frame, uint64_t physicalMemory);
// Stores a copy of the buffer as the reference's current frame. 0 or 1005.
QVMediaErr QVFrameCacheInsert(QVMediaFileRef* ref, const FBFrameStruct* frame);
// Inserts unless the reference is not cacheable.
QVMediaErr QVFrameCacheAddFrame(QVMediaFileRef* ref, const FBFrameStruct* frame);
// True when the current frame is held with pixels for a buffer of exactly
// this format, size, row bytes and byte size.
bool QVFrameCacheContains(QVMediaFileRef* ref, const FBFrameStruct* frame);
// True on a hit: pixels copied into the buffer, the entry made the most
// recent, the frame's per-frame block restored into the reference. An entry
// whose geometry differs from the buffer's in any way is a miss.
bool QVFrameCacheFetch(QVMediaFileRef* ref, FBFrameStruct* frame);
// Frees every entry and sets the limit back to 2,048.
void QVFrameCacheFlush();

// What the cache holds now.
struct QVFrameCacheStats {
  uint32_t entries;
  uint32_t limit;
  uint64_t bytes;  // entries and pixel copies allocated
};
QVFrameCacheStats QVFrameCacheGetStats();
// Whether frame `frameNumber` of the reference is held (any geometry).
bool QVFrameCacheHoldsFrame(const QVMediaFileRef* ref, int64_t frameNumber);
