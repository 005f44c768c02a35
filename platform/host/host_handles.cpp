#include "platform/host/host_handles.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

struct HIHandleBlock {
  uint64_t size;
  std::atomic<int32_t> locks;
  void* data;
};

namespace {

std::atomic<int64_t> live{0};

constexpr uint64_t kMaxHandleSize = uint64_t(1) << 40;

void* allocateZeroed(uint64_t size) {
  if (size == 0) return nullptr;
  uint64_t rounded = (size + 15) & ~uint64_t(15);
  void* p = std::aligned_alloc(16, rounded);
  if (p) std::memset(p, 0, rounded);
  return p;
}

}  // namespace

HIHandle HINewHandle(uint64_t size) {
  if (size > kMaxHandleSize) return nullptr;
  auto* h = new (std::nothrow) HIHandleBlock{size, {0}, nullptr};
  if (!h) return nullptr;
  if (size) {
    h->data = allocateZeroed(size);
    if (!h->data) {
      delete h;
      return nullptr;
    }
  }
  live.fetch_add(1);
  return h;
}

void HIDisposeHandle(HIHandle handle) {
  if (!handle) return;
  std::free(handle->data);
  delete handle;
  live.fetch_sub(1);
}

void* HILockHandle(HIHandle handle) {
  if (!handle) return nullptr;
  handle->locks++;
  return handle->data;
}

void HIUnlockHandle(HIHandle handle) {
  if (!handle) return;
  int32_t n = handle->locks.load();
  while (n > 0 && !handle->locks.compare_exchange_weak(n, n - 1)) {
  }
}

uint64_t HIGetHandleSize(HIHandle handle) { return handle ? handle->size : 0; }

HIError HISetHandleSize(HIHandle handle, uint64_t size) {
  if (!handle) return kHIErrBadCallbackParam;
  if (size == handle->size) return kHINoErr;
  if (handle->locks > 0 || size > kMaxHandleSize) return kHIErrBadCallbackParam;
  void* data = allocateZeroed(size);
  if (size && !data) return kHIErrOutOfMemory;
  if (handle->data && data) std::memcpy(data, handle->data, size < handle->size ? size : handle->size);
  std::free(handle->data);
  handle->data = data;
  handle->size = size;
  return kHINoErr;
}

int64_t HILiveHandleCount() { return live.load(); }
