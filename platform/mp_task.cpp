#include "platform/mp_task.h"

#include <sched.h>
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>

struct MPQueue {
  std::mutex mutex;
  std::condition_variable arrived;
  intptr_t words[kMPQueueCapacity][3];
  size_t head = 0;   // oldest message
  size_t count = 0;  // messages waiting
};

struct MPTask {
  pthread_t thread{};
  MPTaskProc entry = nullptr;
  void* parameter = nullptr;
  MPQueue* notifyQueue = nullptr;
  intptr_t terminationWord = 0;
  std::atomic<bool> terminate{false};
  std::atomic<MPQueue*> waitingOn{nullptr};
};

namespace {

thread_local MPTask* tCurrentTask = nullptr;

void* taskMain(void* arg) {
  MPTask* task = static_cast<MPTask*>(arg);
  tCurrentTask = task;
  int32_t result = task->entry(task->parameter);
  tCurrentTask = nullptr;
  // An ending thread has no one to tell that its notice found the queue full.
  if (task->notifyQueue) QVIgnoreStatus(MPNotifyQueue(task->notifyQueue, task->terminationWord, result, 0));
  return nullptr;
}

}  // namespace

QVStatus MPCreateQueue(MPQueue** outQueue) {
  if (!outQueue) return kQVErrParam;
  *outQueue = new (std::nothrow) MPQueue;
  return *outQueue ? kQVNoErr : kQVErrMemory;
}

void MPDeleteQueue(MPQueue* queue) { delete queue; }

QVStatus MPNotifyQueue(MPQueue* queue, intptr_t word1, intptr_t word2, intptr_t word3) {
  if (!queue) return kQVErrParam;
  std::lock_guard<std::mutex> hold(queue->mutex);
  if (queue->count == kMPQueueCapacity) return kQVErrMemory;
  intptr_t* slot = queue->words[(queue->head + queue->count) % kMPQueueCapacity];
  slot[0] = word1;
  slot[1] = word2;
  slot[2] = word3;
  ++queue->count;
  // Notified under the lock: a waiter that deletes the queue after its wait
  // cannot run before this call has finished with the condition variable.
  queue->arrived.notify_all();
  return kQVNoErr;
}

QVStatus MPWaitOnQueue(MPQueue* queue, intptr_t* word1, intptr_t* word2, intptr_t* word3,
                       int32_t timeoutMs) {
  if (!queue) return kQVErrParam;
  MPTask* self = tCurrentTask;
  std::unique_lock<std::mutex> hold(queue->mutex);
  if (self) self->waitingOn.store(queue);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  QVStatus status = kQVNoErr;
  for (;;) {
    if (self && self->terminate.load()) {
      status = kQVErrCancelled;
      break;
    }
    if (queue->count > 0) break;
    if (timeoutMs == kMPWaitForever) {
      queue->arrived.wait(hold);
    } else if (queue->arrived.wait_until(hold, deadline) == std::cv_status::timeout &&
               queue->count == 0) {
      status = kQVErrTimeout;
      break;
    }
  }
  if (self) self->waitingOn.store(nullptr);
  if (status != kQVNoErr) return status;
  const intptr_t* slot = queue->words[queue->head];
  if (word1) *word1 = slot[0];
  if (word2) *word2 = slot[1];
  if (word3) *word3 = slot[2];
  queue->head = (queue->head + 1) % kMPQueueCapacity;
  --queue->count;
  return kQVNoErr;
}

QVStatus MPCreateTask(MPTaskProc entry, void* parameter, size_t stackBytes, MPQueue* notifyQueue,
                      intptr_t terminationWord, MPTask** outTask) {
  if (!entry || !outTask) return kQVErrParam;
  *outTask = nullptr;
  MPTask* task = new (std::nothrow) MPTask;
  if (!task) return kQVErrMemory;
  task->entry = entry;
  task->parameter = parameter;
  task->notifyQueue = notifyQueue;
  task->terminationWord = terminationWord;

  // Small stacks are raised to a floor: sanitizer builds need far more stack
  // per frame than the pixel loops were sized for.
  constexpr size_t kStackFloor = 512 * 1024;
  pthread_attr_t attr;
  if (pthread_attr_init(&attr) != 0) {
    delete task;
    return kQVErrMemory;
  }
  pthread_attr_setstacksize(&attr, stackBytes < kStackFloor ? kStackFloor : stackBytes);
  int rc = pthread_create(&task->thread, &attr, taskMain, task);
  pthread_attr_destroy(&attr);
  if (rc != 0) {
    delete task;
    return kQVErrMemory;
  }
  *outTask = task;
  return kQVNoErr;
}

void MPTerminateTask(MPTask* task) {
  if (!task) return;
  task->terminate.store(true);
  // Wake the task if it is blocked in a queue wait. The waiter publishes its
  // queue before testing the flag, both under that queue's lock, so either it
  // sees the flag or this notification reaches it.
  if (MPQueue* queue = task->waitingOn.load()) {
    std::lock_guard<std::mutex> hold(queue->mutex);
    queue->arrived.notify_all();
  }
  pthread_join(task->thread, nullptr);
  delete task;
}

uint32_t MPProcessorsScheduled() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
  int n = CPU_COUNT(&set);
  return n < 1 ? 1u : uint32_t(n);
}
