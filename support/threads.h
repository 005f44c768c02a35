// Semaphores, critical regions and calls on the main thread, over the
// platform's thread layer; and the state of the user's input.
// Each lock function takes the address of the caller's id variable and
// returns a status.
#pragma once

#include <cstdint>

#include "platform/status.h"
#include "platform/sync.h"

using QVSemaphoreID = PLSemaphore*;
using QVCriticalRegionID = PLCriticalRegion*;

constexpr int32_t kQVWaitForever = 0x7FFFFFFF;

// One signature for every caller: (out id, maximum value, initial value).
// Every lock of the system passes (1, 1).
QVStatus QVSemaphoreInitialize(QVSemaphoreID* id, uint32_t maximumValue, uint32_t initialValue);
QVStatus QVSemaphoreSignal(QVSemaphoreID* id);
// Time-out in milliseconds, kQVWaitForever for none: 0 or kQVErrTimeout (-29296).
QVStatus QVSempahoreWait(QVSemaphoreID* id, int32_t timeoutMs);
// Deletes the semaphore and clears the id.
QVStatus QVSemaphoreDeinitialize(QVSemaphoreID* id);

QVStatus QVInitializeCriticalSection(QVCriticalRegionID* id);
// Waits without limit; a thread may enter again a region it holds.
QVStatus QVEnterCriticalSection(QVCriticalRegionID* id);
QVStatus QVLeaveCriticalSection(QVCriticalRegionID* id);
QVStatus QVDeinitializeCriticalSection(QVCriticalRegionID* id);

// Runs function(parameter) on the main thread and returns its result; the
// calling thread waits. The context byte is accepted for the callers' sake
// (every call runs in the owning process).
using QVMainThreadFunction = void* (*)(void* parameter);
void* QVCallOnMainThread(QVMainThreadFunction function, void* parameter, uint8_t context);
void QVYieldThread();

// Input and process state (the toolkit answers these; without a window: no
// buttons, no modifiers, front process).
bool IsFrontProcess();
uint32_t QVGetMouseButtons();
uint32_t QVGetKeyboardModifiers();  // Shift 0x200, Caps Lock 0x400, ...
// Kept for callers that choose the path separator: always true here, paths
// are POSIX paths.
bool IsMacOSX();
