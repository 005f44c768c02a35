// The process-wide frame cache: a list of entries from the most recently
// used (head) to the least (tail). An entry is found by reference, frame
// number, pixel format, width, height, row bytes and byte size, so a copy is
// only ever handed to a buffer exactly like the one it came from. New
// entries are made while the count is below the frame limit and the bytes
// allocated stay within 1 GiB; after that the entry farthest (by frame
// number) from the inserting reference's current frame is reused.
#include "media/frame_cache.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

#include "media/media_internal.h"

namespace {

struct Entry {
  Entry* next = nullptr;      // towards older
  Entry* previous = nullptr;  // towards newer
  const QVMediaFileRef* ref = nullptr;
  int64_t frame = -1;
  uint32_t pixelFormat = 0;
  uint32_t width = 0, height = 0;
  uint32_t rowBytes = 0;
  uint32_t planeCount = 0;
  uint64_t byteSize = 0;
  uint8_t perFrame[sizeof(QVMediaFileRef::perFrame)] = {};
  uint8_t* pixels = nullptr;
};

struct Cache {
  std::mutex lock;
  Entry* head = nullptr;
  Entry* tail = nullptr;
  uint32_t count = 0;
  uint64_t bytes = 0;
  uint32_t limit = kQVFrameCacheDefaultLimit;
};

Cache& TheCache() {
  static Cache cache;
  return cache;
}

uint64_t FrameBytes(const FBFrameStruct* f) { return uint64_t(f->planeCount) * f->height * f->rowBytes; }

bool Matches(const Entry* e, const QVMediaFileRef* ref, int64_t frame, const FBFrameStruct* f) {
  return e->ref == ref && e->frame == frame && e->pixelFormat == f->pixelFormat && e->width == f->width &&
         e->height == f->height && e->rowBytes == f->rowBytes && e->planeCount == f->planeCount &&
         e->byteSize == FrameBytes(f);
}

Entry* Find(Cache& c, const QVMediaFileRef* ref, int64_t frame, const FBFrameStruct* f) {
  for (Entry* e = c.head; e; e = e->next)
    if (Matches(e, ref, frame, f)) return e;
  return nullptr;
}

void Unlink(Cache& c, Entry* e) {
  if (e->previous) e->previous->next = e->next;
  else c.head = e->next;
  if (e->next) e->next->previous = e->previous;
  else c.tail = e->previous;
  e->next = e->previous = nullptr;
}

void PushHead(Cache& c, Entry* e) {
  e->previous = nullptr;
  e->next = c.head;
  if (c.head) c.head->previous = e;
  c.head = e;
  if (!c.tail) c.tail = e;
}

void MoveToHead(Cache& c, Entry* e) {
  if (c.head == e) return;
  Unlink(c, e);
  PushHead(c, e);
}

void FreePixels(Cache& c, Entry* e) {
  if (!e->pixels) return;
  std::free(e->pixels);
  e->pixels = nullptr;
  c.bytes -= e->byteSize;
  e->byteSize = 0;
}

// The entry farthest from `current`: the tail is the first candidate, and
// walking from the head a later entry replaces it only when strictly farther.
Entry* FarthestEntry(Cache& c, int64_t current) {
  Entry* victim = c.tail;
  auto distance = [current](const Entry* e) {
    const int64_t d = e->frame - current;
    return d < 0 ? uint64_t(0) - uint64_t(d) : uint64_t(d);
  };
  for (Entry* e = c.head; e; e = e->next)
    if (distance(e) > distance(victim)) victim = e;
  return victim;
}

int64_t CurrentFrame(const QVMediaFileRef* ref) { return ref->currentFrame < 0 ? 0 : ref->currentFrame; }

uint64_t PhysicalMemory() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  return pages > 0 && pageSize > 0 ? uint64_t(pages) * uint64_t(pageSize) : 0;
}

}  // namespace

void QVFrameCacheInitialize() {
  Cache& c = TheCache();
  std::lock_guard<std::mutex> guard(c.lock);
  c.limit = kQVFrameCacheDefaultLimit;
}

uint32_t QVFrameCacheGetLimit() {
  Cache& c = TheCache();
  std::lock_guard<std::mutex> guard(c.lock);
  return c.limit;
}

QVMediaErr QVFrameCacheSetLimitForMemory(const FBFrameStruct* frame, uint64_t physicalMemory) {
  if (!frame) return QVMediaErr_InvalidFrameBuffer;
  const uint64_t frameBytes = FrameBytes(frame);
  if (frameBytes == 0) return QVMediaErr_InvalidFrameBuffer;
  const uint64_t budget = physicalMemory >= (uint64_t(4) << 30) ? kQVFrameCacheMemoryCap : physicalMemory / 4;
  const uint64_t limit = budget / frameBytes;
  Cache& c = TheCache();
  std::lock_guard<std::mutex> guard(c.lock);
  c.limit = uint32_t(limit > 0xFFFFFFFFu ? 0xFFFFFFFFu : limit);
  return QVMediaErr_NoErr;
}

QVMediaErr QVFrameCacheSetLimitForFrameSize(const FBFrameStruct* frame) {
  return QVFrameCacheSetLimitForMemory(frame, PhysicalMemory());
}

QVMediaErr QVFrameCacheInsert(QVMediaFileRef* ref, const FBFrameStruct* frame) {
  if (!ref || !frame || !frame->baseAddr) return QVMediaErr_ParameterError;
  Cache& c = TheCache();
  std::lock_guard<std::mutex> guard(c.lock);
  const int64_t current = CurrentFrame(ref);
  if (Entry* e = Find(c, ref, current, frame)) {
    MoveToHead(c, e);
    return QVMediaErr_NoErr;
  }
  const uint64_t needed = FrameBytes(frame);
  Entry* e = nullptr;
  if (c.count < c.limit && c.bytes + kQVFrameCacheEntryBytes + needed <= kQVFrameCacheMemoryCap) {
    e = new (std::nothrow) Entry();
    if (!e) return QVMediaErr_InsufficientMemory;
    c.bytes += kQVFrameCacheEntryBytes;
    PushHead(c, e);
    ++c.count;
  } else {
    if (!c.tail) return QVMediaErr_InsufficientMemory;  // a frame larger than the whole cap
    // The cache is as large as it may grow: it stays at this count.
    c.limit = c.count;
    e = FarthestEntry(c, current);
    MoveToHead(c, e);
  }
  if (!e->pixels || e->byteSize != needed) {
    FreePixels(c, e);
    // Reusing an entry must not take the cache past its cap: free the
    // oldest pixels until the new copy fits.
    for (Entry* old = c.tail; old && c.bytes + needed > kQVFrameCacheMemoryCap; old = old->previous)
      if (old != e) FreePixels(c, old);
    e->pixels = c.bytes + needed <= kQVFrameCacheMemoryCap ? static_cast<uint8_t*>(std::malloc(needed)) : nullptr;
    if (!e->pixels) {
      e->ref = nullptr;
      e->frame = -1;
      return QVMediaErr_InsufficientMemory;
    }
    e->byteSize = needed;
    c.bytes += needed;
  }
  std::memcpy(e->pixels, frame->baseAddr, needed);
  e->ref = ref;
  e->frame = current;
  e->pixelFormat = frame->pixelFormat;
  e->width = frame->width;
  e->height = frame->height;
  e->rowBytes = frame->rowBytes;
  e->planeCount = frame->planeCount;
  std::memcpy(e->perFrame, &ref->perFrame, sizeof e->perFrame);
  return QVMediaErr_NoErr;
}

QVMediaErr QVFrameCacheAddFrame(QVMediaFileRef* ref, const FBFrameStruct* frame) {
  if (!ref || (ref->flags & kQVMediaNotCacheable)) return QVMediaErr_NoErr;
  return QVFrameCacheInsert(ref, frame);
}

bool QVFrameCacheContains(QVMediaFileRef* ref, const FBFrameStruct* frame) {
  if (!ref || !frame || (ref->flags & kQVMediaNotCacheable)) return false;
  Cache& c = TheCache();
  std::lock_guard<std::mutex> guard(c.lock);
  const Entry* e = Find(c, ref, CurrentFrame(ref), frame);
  return e && e->pixels;
}

bool QVFrameCacheFetch(QVMediaFileRef* ref, FBFrameStruct* frame) {
  if (!ref || !frame || (ref->flags & kQVMediaNotCacheable)) return false;
  Cache& c = TheCache();
  std::lock_guard<std::mutex> guard(c.lock);
  Entry* e = Find(c, ref, CurrentFrame(ref), frame);
  if (!e) return false;
  MoveToHead(c, e);
  std::memcpy(&ref->perFrame, e->perFrame, sizeof e->perFrame);
  if (e->pixels && frame->baseAddr) std::memcpy(frame->baseAddr, e->pixels, e->byteSize);
  return true;
}

void QVFrameCacheFlush() {
  Cache& c = TheCache();
  std::lock_guard<std::mutex> guard(c.lock);
  for (Entry* e = c.head; e;) {
    Entry* next = e->next;
    std::free(e->pixels);
    delete e;
    e = next;
  }
  c.head = c.tail = nullptr;
  c.count = 0;
  c.bytes = 0;
  c.limit = kQVFrameCacheDefaultLimit;
}

QVFrameCacheStats QVFrameCacheGetStats() {
  Cache& c = TheCache();
  std::lock_guard<std::mutex> guard(c.lock);
  return {c.count, c.limit, c.bytes};
}

bool QVFrameCacheHoldsFrame(const QVMediaFileRef* ref, int64_t frameNumber) {
  Cache& c = TheCache();
  std::lock_guard<std::mutex> guard(c.lock);
  for (const Entry* e = c.head; e; e = e->next)
    if (e->ref == ref && e->frame == frameNumber && e->pixels) return true;
  return false;
}
