#include "support/threads.h"

#include "platform/input_state.h"
#include "platform/main_thread.h"

QVStatus QVSemaphoreInitialize(QVSemaphoreID* id, uint32_t maximumValue, uint32_t initialValue) {
  if (id == nullptr) return kQVErrParam;
  return PLSemaphoreCreate(maximumValue, initialValue, id);
}

QVStatus QVSemaphoreSignal(QVSemaphoreID* id) {
  return id ? PLSemaphoreSignal(*id) : kQVErrParam;
}

QVStatus QVSempahoreWait(QVSemaphoreID* id, int32_t timeoutMs) {
  return id ? PLSemaphoreWait(*id, timeoutMs) : kQVErrParam;
}

QVStatus QVSemaphoreDeinitialize(QVSemaphoreID* id) {
  if (id == nullptr) return kQVErrParam;
  QVStatus st = PLSemaphoreDelete(*id);
  *id = nullptr;
  return st;
}

QVStatus QVInitializeCriticalSection(QVCriticalRegionID* id) {
  return id ? PLCriticalRegionCreate(id) : kQVErrParam;
}

QVStatus QVEnterCriticalSection(QVCriticalRegionID* id) {
  return id ? PLCriticalRegionEnter(*id, kPLWaitForever) : kQVErrParam;
}

QVStatus QVLeaveCriticalSection(QVCriticalRegionID* id) {
  return id ? PLCriticalRegionExit(*id) : kQVErrParam;
}

QVStatus QVDeinitializeCriticalSection(QVCriticalRegionID* id) {
  if (id == nullptr) return kQVErrParam;
  QVStatus st = PLCriticalRegionDelete(*id);
  *id = nullptr;
  return st;
}

void* QVCallOnMainThread(QVMainThreadFunction function, void* parameter, uint8_t) {
  return PLCallOnMainThread(function, parameter);
}

void QVYieldThread() { PLYield(); }

bool IsFrontProcess() { return PLIsFrontProcess(); }
uint32_t QVGetMouseButtons() { return PLGetMouseButtons(); }
uint32_t QVGetKeyboardModifiers() { return PLGetKeyboardModifiers(); }
bool IsMacOSX() { return true; }
