// Worker tasks and message queues for the task pool, on POSIX threads.
//
// A queue carries messages of three pointer-sized words in arrival order and
// holds a fixed number of them, so posting never allocates. A wait blocks until
// a message arrives (or a time-out, when one is given). A task runs its entry
// function on its own thread; when the entry returns, the task posts
// (termination word, result, 0) to its notification queue, if it has one.
// Terminating a task makes every queue wait inside that task fail with
// kQVErrCancelled, so a task blocked on its request queue ends at once.
#pragma once

#include "platform/status.h"

#include <cstddef>
#include <cstdint>

struct MPQueue;
struct MPTask;

using MPTaskProc = int32_t (*)(void* parameter);

// Messages a queue holds before a post fails with kQVErrMemory.
constexpr size_t kMPQueueCapacity = 256;
// A time-out of this value waits for ever.
constexpr int32_t kMPWaitForever = -1;

QVStatus MPCreateQueue(MPQueue** outQueue);
// Deletes a queue; no task may wait on it any more. Null does nothing.
void MPDeleteQueue(MPQueue* queue);
QVStatus MPNotifyQueue(MPQueue* queue, intptr_t word1, intptr_t word2, intptr_t word3);
// Takes the oldest message; any of the out pointers may be null. Returns
// kQVErrTimeout when timeoutMs (not kMPWaitForever) runs out first, and
// kQVErrCancelled when the calling task has been asked to terminate.
QVStatus MPWaitOnQueue(MPQueue* queue, intptr_t* word1, intptr_t* word2, intptr_t* word3,
                       int32_t timeoutMs);

// Starts entry(parameter) on a new thread with at least stackBytes of stack.
QVStatus MPCreateTask(MPTaskProc entry, void* parameter, size_t stackBytes, MPQueue* notifyQueue,
                      intptr_t terminationWord, MPTask** outTask);
// Asks the task to end, waits until its thread has finished, and frees the
// task. Null does nothing. Blocks for good if the task never reaches a wait.
void MPTerminateTask(MPTask* task);

// Processors this process may be scheduled on (its CPU affinity), at least 1.
uint32_t MPProcessorsScheduled();
