#include "app/views/scope_backdrop.h"

#include <algorithm>
#include <cstring>

#include "core/pixel_vector.h"
#include "core/task_pool.h"

ScopeBackdrop::~ScopeBackdrop() { TKImageDispose(image); }

bool ScopeBackdropPrepare(ScopeBackdrop* backdrop, int32_t width, int32_t height, std::vector<int64_t> key) {
  key.push_back(width);
  key.push_back(height);
  if (backdrop->image && backdrop->key == key) return false;
  if (!backdrop->image || TKImageWidth(backdrop->image) != width || TKImageHeight(backdrop->image) != height) {
    TKImageDispose(backdrop->image);
    backdrop->image = TKImageCreate(width, height);
  }
  backdrop->key = backdrop->image ? std::move(key) : std::vector<int64_t>{};
  return true;
}

namespace {

// Rows of a rectangle copied from a source picture, or, without one, filled
// with one pixel value.
struct CopyJob {
  const uint8_t* src;
  uint8_t* dst;
  size_t srcRowBytes, dstRowBytes, bytes;
  int32_t rows;
  uint32_t fill;
};

constexpr uint32_t kRowRun = 32;

// Fills a row with streaming stores, which write whole lines to memory
// without reading them into the cache first: a fill of a whole picture is
// bound by memory traffic, and this halves it. Pixels before the first
// 16-byte boundary and after the last are stored one by one.
void StreamFill(uint32_t* pixels, size_t count, uint32_t value) {
  size_t i = 0;
#if VELMORA_SSE_VECTORS
  for (; i < count && (reinterpret_cast<uintptr_t>(pixels + i) & 15) != 0; ++i) pixels[i] = value;
  const __m128i four = _mm_set1_epi32(int32_t(value));
  for (; i + 4 <= count; i += 4) _mm_stream_si128(reinterpret_cast<__m128i*>(pixels + i), four);
#endif
  for (; i < count; ++i) pixels[i] = value;
}

void CopyRows(const CopyJob& job, uint32_t first, uint32_t end) {
  for (uint32_t y = first; y < end; ++y) {
    uint8_t* dst = job.dst + size_t(y) * job.dstRowBytes;
    if (job.src)
      std::memcpy(dst, job.src + size_t(y) * job.srcRowBytes, job.bytes);
    else
      StreamFill(reinterpret_cast<uint32_t*>(dst), job.bytes / 4, job.fill);
  }
#if VELMORA_SSE_VECTORS
  // Streaming stores are ordered by nothing else: they must have reached
  // memory before the part reports its end and others read the pixels.
  if (!job.src) _mm_sfence();
#endif
}

// Large jobs are shared out over the task pool by runs of rows (the caller
// and the tasks take them from one counter), small ones run here.
void RunRows(const CopyJob& job) {
  const uint32_t parts =
      uint32_t(std::clamp(int64_t(job.bytes) * job.rows / (256 * 1024), int64_t(1), int64_t(gNumProcessors)));
  VLMPShareRuns(uint32_t(job.rows), kRowRun, parts, &gVLMPMaster,
                [&](uint32_t, uint32_t first, uint32_t end) { CopyRows(job, first, end); });
}

}  // namespace

void ScopeBackdropCopy(const ScopeBackdrop* backdrop, TKImage* target, int32_t left, int32_t top) {
  TKImage* src = backdrop->image;
  if (!src || !target) return;
  int32_t width = TKImageWidth(src), height = TKImageHeight(src);
  int32_t x0 = std::max(left, 0), y0 = std::max(top, 0);
  int32_t x1 = std::min(left + width, TKImageWidth(target)), y1 = std::min(top + height, TKImageHeight(target));
  if (x0 >= x1 || y0 >= y1) return;
  CopyJob job;
  job.srcRowBytes = size_t(TKImageRowBytes(src));
  job.dstRowBytes = size_t(TKImageRowBytes(target));
  job.src = TKImagePixels(src) + size_t(y0 - top) * job.srcRowBytes + size_t(x0 - left) * 4;
  job.dst = TKImagePixels(target) + size_t(y0) * job.dstRowBytes + size_t(x0) * 4;
  job.bytes = size_t(x1 - x0) * 4;
  job.rows = y1 - y0;
  job.fill = 0;
  RunRows(job);
}

void ScopeFillRect(TKImage* target, const TKRect& rect, uint32_t pixel) {
  if (!target) return;
  const int32_t x0 = std::max(rect.left, 0), y0 = std::max(rect.top, 0);
  const int32_t x1 = std::min(rect.right, TKImageWidth(target)), y1 = std::min(rect.bottom, TKImageHeight(target));
  if (x0 >= x1 || y0 >= y1) return;
  CopyJob job{};
  job.dstRowBytes = size_t(TKImageRowBytes(target));
  job.dst = TKImagePixels(target) + size_t(y0) * job.dstRowBytes + size_t(x0) * 4;
  job.bytes = size_t(x1 - x0) * 4;
  job.rows = y1 - y0;
  job.fill = pixel;
  RunRows(job);
  TKImageMarkDirty(target);
}
