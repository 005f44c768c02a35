// Counting semaphores with a time-out and recursive critical regions over
// POSIX threads. Time-outs are in milliseconds; kPLWaitForever waits without
// limit and 0 only tries.
#pragma once

#include <cstdint>

#include "platform/status.h"

constexpr int32_t kPLWaitForever = 0x7FFFFFFF;

struct PLSemaphore;
struct PLCriticalRegion;

// A semaphore whose count starts at initial and never exceeds maximum
// (maximum >= 1, 0 <= initial <= maximum, else kQVErrParam).
QVStatus PLSemaphoreCreate(uint32_t maximum, uint32_t initial, PLSemaphore** out);
// Raises the count by one; kQVErrParam when it is already at its maximum.
QVStatus PLSemaphoreSignal(PLSemaphore* sem);
// Takes one count, waiting up to timeoutMs: kQVNoErr or kQVErrTimeout.
QVStatus PLSemaphoreWait(PLSemaphore* sem, int32_t timeoutMs);
QVStatus PLSemaphoreDelete(PLSemaphore* sem);

// A region one thread at a time may hold; the holder may enter it again
// and must leave it as often as it entered.
QVStatus PLCriticalRegionCreate(PLCriticalRegion** out);
// kQVNoErr, or kQVErrTimeout when the region stayed held by another thread.
QVStatus PLCriticalRegionEnter(PLCriticalRegion* region, int32_t timeoutMs);
// kQVErrParam when the calling thread does not hold the region.
QVStatus PLCriticalRegionExit(PLCriticalRegion* region);
QVStatus PLCriticalRegionDelete(PLCriticalRegion* region);

// Gives up the processor for a moment.
void PLYield();
