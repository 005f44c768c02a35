#include "platform/sync.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

struct PLSemaphore {
  std::mutex lock;
  std::condition_variable changed;
  uint32_t count = 0;
  uint32_t maximum = 1;
};

struct PLCriticalRegion {
  std::mutex lock;
  std::condition_variable released;
  std::thread::id owner;
  uint32_t depth = 0;
};

namespace {

// Waits on cv until ready() holds or the time-out passes.
template <class Ready>
bool WaitUntil(std::condition_variable& cv, std::unique_lock<std::mutex>& held, int32_t timeoutMs,
               Ready ready) {
  if (timeoutMs == kPLWaitForever || timeoutMs < 0) {
    cv.wait(held, ready);
    return true;
  }
  return cv.wait_for(held, std::chrono::milliseconds(timeoutMs), ready);
}

}  // namespace

QVStatus PLSemaphoreCreate(uint32_t maximum, uint32_t initial, PLSemaphore** out) {
  if (out == nullptr) return kQVErrParam;
  *out = nullptr;
  if (maximum < 1 || initial > maximum) return kQVErrParam;
  PLSemaphore* sem = new (std::nothrow) PLSemaphore;
  if (sem == nullptr) return kQVErrMemory;
  sem->count = initial;
  sem->maximum = maximum;
  *out = sem;
  return kQVNoErr;
}

QVStatus PLSemaphoreSignal(PLSemaphore* sem) {
  if (sem == nullptr) return kQVErrParam;
  {
    std::lock_guard<std::mutex> g(sem->lock);
    if (sem->count >= sem->maximum) return kQVErrParam;
    ++sem->count;
  }
  sem->changed.notify_one();
  return kQVNoErr;
}

QVStatus PLSemaphoreWait(PLSemaphore* sem, int32_t timeoutMs) {
  if (sem == nullptr) return kQVErrParam;
  std::unique_lock<std::mutex> held(sem->lock);
  if (!WaitUntil(sem->changed, held, timeoutMs, [sem] { return sem->count > 0; }))
    return kQVErrTimeout;
  --sem->count;
  return kQVNoErr;
}

QVStatus PLSemaphoreDelete(PLSemaphore* sem) {
  if (sem == nullptr) return kQVErrParam;
  delete sem;
  return kQVNoErr;
}

QVStatus PLCriticalRegionCreate(PLCriticalRegion** out) {
  if (out == nullptr) return kQVErrParam;
  *out = new (std::nothrow) PLCriticalRegion;
  return *out ? kQVNoErr : kQVErrMemory;
}

QVStatus PLCriticalRegionEnter(PLCriticalRegion* region, int32_t timeoutMs) {
  if (region == nullptr) return kQVErrParam;
  std::thread::id me = std::this_thread::get_id();
  std::unique_lock<std::mutex> held(region->lock);
  if (region->depth > 0 && region->owner == me) {
    ++region->depth;
    return kQVNoErr;
  }
  if (!WaitUntil(region->released, held, timeoutMs, [region] { return region->depth == 0; }))
    return kQVErrTimeout;
  region->owner = me;
  region->depth = 1;
  return kQVNoErr;
}

QVStatus PLCriticalRegionExit(PLCriticalRegion* region) {
  if (region == nullptr) return kQVErrParam;
  {
    std::lock_guard<std::mutex> g(region->lock);
    if (region->depth == 0 || region->owner != std::this_thread::get_id()) return kQVErrParam;
    if (--region->depth > 0) return kQVNoErr;
    region->owner = std::thread::id();
  }
  region->released.notify_one();
  return kQVNoErr;
}

QVStatus PLCriticalRegionDelete(PLCriticalRegion* region) {
  if (region == nullptr) return kQVErrParam;
  delete region;
  return kQVNoErr;
}

void PLYield() { std::this_thread::yield(); }
