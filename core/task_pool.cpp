#include "core/task_pool.h"

#include "core/engine_lock.h"
#include "core/frame_buffer.h"
#include "core/pixel_transfer.h"
#include "core/process_image.h"
#include "core/process_pass.h"
#include "core/processing_tables.h"
#include "core/tonal_preview.h"
#include "platform/mp_task.h"

#include <algorithm>
#include <atomic>
#include <type_traits>
#include <cstdlib>
#include <cstring>

VLMPMaster gVLMPMaster = {};
uint32_t gNumProcessors = 1;

namespace {

constexpr size_t kTaskStackBytes = 65536;
constexpr uint32_t kChunksPerTask = 16;
std::atomic<uint32_t> sProcessorOverride{0};
std::atomic<VLMPMediaWork> sMediaWork{nullptr};
// Set on the pool's own tasks: work they split runs on them, never posted
// back to the pool, where a task would wait for itself.
thread_local bool tOnPoolTask = false;

using JobWork = void (*)(VLMPTaskRecord& r);

void runNothing(VLMPTaskRecord&) {}

void runTonalPreview(VLMPTaskRecord& r) {
  ProcessHMSPreviewWork(&r.previewSource, r.previewDestination, r.previewRowBytes, r.previewFormat);
}

void runPixToFrame(VLMPTaskRecord& r) {
  FBTransferPixToFBFrameSSE(r.fromPixSource, r.fromPixRowBytes, r.fromPixPlaneStride, r.fromPixFormat,
                            &r.fromPixDestination);
}

void runPixToFramePremultiplied(VLMPTaskRecord& r) {
  FBTransferPixToFBFramePremultipliedSSE(r.fromPixSource, r.fromPixRowBytes, r.fromPixFormat,
                                         &r.fromPixDestination);
}

void runAlphaCopy(VLMPTaskRecord& r) {
  FBTransferPixAlphaToPixAlphaWork(r.alphaSource, r.alphaSourceRowBytes, r.alphaDestination,
                                   r.alphaDestinationRowBytes, r.alphaWidth, r.alphaRows, r.alphaFormat);
}

void runLUTTransform(VLMPTaskRecord& r) {
  FBTransformWithLUTPixWork(r.lutPixels, r.lutWidth, r.lutRows, r.lutRowBytes, r.lutTable, r.lutFormat);
}

void runPart(VLMPTaskRecord& r) { r.partWork(r.partContext, r.part, r.parts); }

// States of a shared part on its task.
enum : uint32_t { kShareIdle = 0, kSharePosted = 1, kShareStarted = 2, kShareCalledOff = 3 };

// The part runs only if the caller has not called it off: the caller's
// context may be gone by then.
void runShared(VLMPTaskRecord& r) {
  uint32_t expected = kSharePosted;
  if (r.shareState.compare_exchange_strong(expected, kShareStarted, std::memory_order_acq_rel))
    r.partWork(r.partContext, r.part, r.parts);
}

// Work by job code; null entries end the task.
const JobWork kJobWork[] = {
    nullptr,                     // 0
    runNothing,                  // 1 test
    runNothing,                  // 2 image pass, now shared work (job 12)
    runTonalPreview,             // 3
    runNothing,                  // 4 frame to pixels, now shared work (job 12)
    runPixToFrame,               // 5
    runPixToFramePremultiplied,  // 6
    runAlphaCopy,                // 7
    runLUTTransform,             // 8
    nullptr,                     // 9 media request, posted only by the grading application
    runNothing,                  // 10
    runPart,                     // 11
    runShared,                   // 12
};

// How many tasks a job over `rows` rows uses; 0 when it should run inline.
uint32_t bandCount(const VLMPMaster* master, uint32_t processorCount, uint32_t rows) {
  if (!master || !master->tasks) return 0;
  uint32_t n = processorCount < master->taskCount ? processorCount : master->taskCount;
  if (n < 2 || rows <= n || rows < 8) return 0;
  return n;
}

// The frame record of rows [firstRow, firstRow + rows) of a frame; the plane
// size stays the whole frame's so every plane of the band lines up.
FBFrameStruct bandFrame(const FBFrameStruct& frame, uint32_t firstRow, uint32_t rows) {
  FBFrameStruct band = frame;
  band.baseAddr = frame.baseAddr ? frame.baseAddr + size_t(firstRow) * frame.rowBytes : nullptr;
  band.height = rows;
  return band;
}

template <class T>
T* advanceRows(T* pixels, uint32_t firstRow, uint32_t rowBytes) {
  using Byte = std::conditional_t<std::is_const_v<T>, const uint8_t, uint8_t>;
  return pixels ? reinterpret_cast<T*>(reinterpret_cast<Byte*>(pixels) + size_t(firstRow) * rowBytes) : nullptr;
}

// Rows of band i of n over height rows: the last band takes the remainder.
uint32_t bandRows(uint32_t height, uint32_t n, uint32_t i) {
  uint32_t r = height / n;
  return i + 1 < n ? r : height - (n - 1) * r;
}

// The pool's queues exist while the pool runs and hold one message per task at
// a time, far below their capacity, and the master thread's waits are never
// cancelled: posting a job and waiting for its answer cannot fail here.
void post(MPQueue* queue, intptr_t code) { QVIgnoreStatus(MPNotifyQueue(queue, code, 0, 0)); }
void awaitAnswer(MPQueue* queue) { QVIgnoreStatus(MPWaitOnQueue(queue, nullptr, nullptr, nullptr, kMPWaitForever)); }

// Takes the answers the task still owes (of timed-out media jobs and of
// shared parts called off); the task is idle and its record free afterwards.
void collectOwedAnswers(VLMPTaskRecord& rec) {
  for (; rec.answersOwed > 0; --rec.answersOwed)
    awaitAnswer(rec.resultQueue);
}

// Takes the answers of called-off or timed-out jobs that have arrived,
// without waiting.
void takeArrivedAnswers(VLMPTaskRecord& rec) {
  while (rec.answersOwed > 0 && MPWaitOnQueue(rec.resultQueue, nullptr, nullptr, nullptr, 0) == kQVNoErr)
    --rec.answersOwed;
}

// Posts `code` to tasks 0..n-1 after fill(record, firstRow, rows) for each,
// then waits for every answer in task order.
template <class Fill>
void runBands(VLMPMaster* master, uint32_t n, int32_t code, uint32_t height, Fill fill) {
  for (uint32_t i = 0; i < n; ++i) {
    VLMPTaskRecord& rec = master->tasks[i];
    collectOwedAnswers(rec);
    rec.taskIndex = i;
    fill(rec, i * (height / n), bandRows(height, n, i));
    post(rec.requestQueue, code);
  }
  for (uint32_t i = 0; i < n; ++i) awaitAnswer(master->tasks[i].resultQueue);
}

}  // namespace

void VLMPSetMediaWork(VLMPMediaWork work) { sMediaWork.store(work); }

QVStatus VLMPRunMediaJob(VLMPMaster* master, uint32_t taskIndex, int32_t request, const intptr_t arguments[4],
                         int32_t timeoutMs, int32_t* result) {
  VL_EngineLockGuard hold;
  if (!master || !master->tasks || taskIndex >= master->taskCount) return kQVErrParam;
  // Without installed work the task would answer -1 and end, and every later
  // band posted to it would wait for good.
  if (!sMediaWork.load()) return kQVErrNotHandled;
  VLMPTaskRecord& rec = master->tasks[taskIndex];
  collectOwedAnswers(rec);
  rec.mediaRequest = request;
  for (int i = 0; i < 4; ++i) rec.mediaArguments[i] = arguments ? arguments[i] : 0;
  rec.mediaResult = 0;
  if (MPNotifyQueue(rec.requestQueue, kVLMPJobMedia, 0, 0) != kQVNoErr) return kQVErrMemory;
  intptr_t answer = 0;
  if (MPWaitOnQueue(rec.resultQueue, &answer, nullptr, nullptr, timeoutMs) != kQVNoErr) {
    ++rec.answersOwed;
    return kQVErrTimeout;
  }
  if (result) *result = answer == 0 ? rec.mediaResult : int32_t(answer);
  return kQVNoErr;
}

namespace {

// Work split again on one of the pool's tasks (or in the caller's part of
// shared work) runs there whole: the tasks may be busy with the job it is
// part of, and the engine lock is held by that job's caller. True when it ran.
bool ranWholeOnTask(VLMPPartWork work, void* context) {
  if (!tOnPoolTask) return false;
  work(context, 0, 1);
  return true;
}

}  // namespace

uint32_t VLMPRunParts(VLMPPartWork work, void* context, uint32_t processorCount, VLMPMaster* master) {
  if (!work) return 0;
  if (ranWholeOnTask(work, context)) return 1;
  VL_EngineLockGuard hold;
  uint32_t n = master && master->tasks ? (processorCount < master->taskCount ? processorCount : master->taskCount) : 1;
  if (n < 2) {
    work(context, 0, 1);
    return 1;
  }
  runBands(master, n, kVLMPJobPart, n, [&](VLMPTaskRecord& rec, uint32_t first, uint32_t) {
    rec.partWork = work;
    rec.partContext = context;
    rec.part = first;
    rec.parts = n;
  });
  return n;
}

uint32_t VLMPRunShared(VLMPPartWork work, void* context, uint32_t processorCount, VLMPMaster* master) {
  if (!work) return 0;
  if (ranWholeOnTask(work, context)) return 1;
  VL_EngineLockGuard hold;
  constexpr uint32_t kMostParts = 64;
  uint32_t wanted = master && master->tasks ? processorCount : 1;
  if (wanted > kMostParts) wanted = kMostParts;
  // A task that still owes the answer of one earlier job is offered a part
  // all the same: the part waits in its queue behind that job (a part called
  // off earlier is skipped at once). A task owing more is passed over. The
  // record's part fields are rewritten while that earlier request may still
  // be queued: if it is a called-off shared part, the task finds the record
  // posted again and runs the new part for it, and the compare-and-swap on
  // shareState lets that part run once only.
  uint32_t offered[kMostParts];
  uint32_t count = 0;
  for (uint32_t i = 0; wanted > 1 && i < master->taskCount && count + 1 < wanted; ++i) {
    takeArrivedAnswers(master->tasks[i]);
    if (master->tasks[i].answersOwed <= 1) offered[count++] = i;
  }
  const uint32_t parts = count + 1;
  for (uint32_t k = 0; k < count; ++k) {
    VLMPTaskRecord& rec = master->tasks[offered[k]];
    rec.taskIndex = offered[k];
    rec.partWork = work;
    rec.partContext = context;
    rec.part = k + 1;
    rec.parts = parts;
    rec.shareState.store(kSharePosted, std::memory_order_release);
    post(rec.requestQueue, kVLMPJobShared);
  }
  // The caller's part, with nested pool calls inline as on a task.
  tOnPoolTask = true;
  work(context, 0, parts);
  tOnPoolTask = false;
  for (uint32_t k = 0; k < count; ++k) {
    VLMPTaskRecord& rec = master->tasks[offered[k]];
    uint32_t expected = kSharePosted;
    if (rec.shareState.compare_exchange_strong(expected, kShareCalledOff, std::memory_order_acq_rel)) {
      ++rec.answersOwed;  // it will answer without touching the context
    } else {
      // The part has started, so the task has reached this job: every
      // answer it owes comes as soon as the part ends.
      collectOwedAnswers(rec);
      awaitAnswer(rec.resultQueue);
    }
  }
  return parts;
}

void VLMPSetProcessorCountOverride(uint32_t count) { sProcessorOverride.store(count); }

uint32_t VLMPGetProcCount() {
  uint32_t forced = sProcessorOverride.load();
  return forced ? forced : MPProcessorsScheduled();
}

uint32_t VLMPInitialize(VLMPMaster* master, uint32_t enable) {
  if (!master) return 1;
  std::memset(master, 0, sizeof *master);
  if ((enable & 0xFF) == 0) return 1;
  uint32_t n = VLMPGetProcCount();
  if (n < 2) return n;
  master->tasks = static_cast<VLMPTaskRecord*>(std::calloc(n, sizeof(VLMPTaskRecord)));
  if (!master->tasks) return 1;
  master->taskCount = n;
  if (MPCreateQueue(&master->notificationQueue) != kQVNoErr) {
    VLMPStopAllTasks(n, master);
    return 1;
  }
  for (uint32_t i = 0; i < n; ++i) {
    VLMPTaskRecord& rec = master->tasks[i];
    rec.taskIndex = i;
    if (MPCreateQueue(&rec.requestQueue) != kQVNoErr || MPCreateQueue(&rec.resultQueue) != kQVNoErr ||
        MPCreateTask(VLMPProcessTask, &rec, kTaskStackBytes, master->notificationQueue, intptr_t(i),
                     &rec.taskID) != kQVNoErr) {
      VLMPStopAllTasks(n, master);
      return 1;
    }
  }
  return n;
}

void VLMPStopAllTasks(uint32_t taskCount, VLMPMaster* master) {
  if (!master || !master->tasks) return;
  // Every record is stopped whatever the count says: the array is freed
  // below, and a task left running would go on reading its record.
  (void)taskCount;
  for (uint32_t i = 0; i < master->taskCount; ++i) {
    VLMPTaskRecord& rec = master->tasks[i];
    if (rec.taskID) {
      MPTerminateTask(rec.taskID);  // returns once the task's thread has ended
      rec.taskID = nullptr;
      // Every task posts its end exactly once, whether terminated here or
      // ended earlier by an unknown job code.
      awaitAnswer(master->notificationQueue);
    }
    MPDeleteQueue(rec.requestQueue);
    MPDeleteQueue(rec.resultQueue);
    rec.requestQueue = rec.resultQueue = nullptr;
  }
  MPDeleteQueue(master->notificationQueue);
  master->notificationQueue = nullptr;
  std::free(master->tasks);
  master->tasks = nullptr;
  master->taskCount = 0;
}

int32_t VLMPProcessTask(void* parameter) {
  VLMPTaskRecord& rec = *static_cast<VLMPTaskRecord*>(parameter);
  tOnPoolTask = true;
  constexpr intptr_t kJobCount = intptr_t(sizeof kJobWork / sizeof kJobWork[0]);
  for (;;) {
    intptr_t code = 0;
    QVStatus status = MPWaitOnQueue(rec.requestQueue, &code, nullptr, nullptr, kMPWaitForever);
    if (status != kQVNoErr) return status;
    JobWork work = code >= 0 && code < kJobCount ? kJobWork[code] : nullptr;
    if (code == kVLMPJobMedia) work = sMediaWork.load();
    if (!work) {
      post(rec.resultQueue, -1);
      return -1;
    }
    work(rec);
    post(rec.resultQueue, 0);
  }
}

void VLMPStartProcessPool() {
  VL_EngineLockGuard hold;
  if (gVLMPMaster.tasks) return;
  uint32_t n = VLMPInitialize(&gVLMPMaster, 1);
  gNumProcessors = gVLMPMaster.tasks ? n : 1;
}

void VLMPStopProcessPool() {
  VL_EngineLockGuard hold;
  VLMPStopAllTasks(gVLMPMaster.taskCount, &gVLMPMaster);
  gNumProcessors = 1;
}

void VLMPTest(uint32_t processorCount, VLMPMaster* master) {
  VL_EngineLockGuard hold;
  if (!master || !master->tasks) return;
  uint32_t n = processorCount < master->taskCount ? processorCount : master->taskCount;
  for (uint32_t i = 0; i < n; ++i) {
    collectOwedAnswers(master->tasks[i]);
    post(master->tasks[i].requestQueue, kVLMPJobTest);
  }
  for (uint32_t i = 0; i < n; ++i) awaitAnswer(master->tasks[i].resultQueue);
}

void VLMPProcessImageVector(const FBFrameStruct* source, FBFrameStruct* destination, uint64_t word1,
                            uint64_t word2, uint32_t processorCount, VLMPMaster* master) {
  if (!source || !destination) return;
  VL_EngineLockGuard hold;
  uint32_t n = bandCount(master, processorCount, source->height);
  if (source->height != destination->height || source->rowBytes != destination->rowBytes) n = 0;
  if (!n) return ProcessImageSSE(source, destination, word1, 0, word2, &gFrameSettings);
  // Every pixel's result depends on that pixel alone, so chunks may run in
  // any order on any task. About sixteen chunks a part keep the last ones
  // short enough that the parts finish together.
  (void)word1, (void)word2;
  VLPassSetup setup;
  VL_PreparePass(gFrameSettings, &setup);
  const uint32_t chunkRows = (source->height + n * kChunksPerTask - 1) / (n * kChunksPerTask);
  VLMPShareRuns(source->height, chunkRows, n, master, [&](uint32_t, uint32_t first, uint32_t end) {
    VL_RunPassRows(setup, source, destination, first, end - first);
  });
}

void VLMPProcessHMSPreview(const FBFrameStruct* frame, void* pixels, uint32_t rowBytes, FBPixFormat format,
                           uint32_t processorCount, VLMPMaster* master) {
  if (!frame) return;
  VL_EngineLockGuard hold;
  uint32_t n = bandCount(master, processorCount, frame->height);
  if (!n) return ProcessHMSPreviewWork(frame, pixels, rowBytes, format);
  runBands(master, n, kVLMPJobTonalPreview, frame->height, [&](VLMPTaskRecord& rec, uint32_t first, uint32_t rows) {
    rec.previewSource = bandFrame(*frame, first, rows);
    rec.previewDestination = advanceRows(static_cast<uint8_t*>(pixels), first, rowBytes);
    rec.previewRowBytes = rowBytes;
    rec.previewFormat = format;
  });
}

void VLMPFBTransferFBFrameToPixVector(const FBFrameStruct* source, void* pixels, uint32_t rowBytes,
                                      FBPixFormat format, uint32_t processorCount, VLMPMaster* master) {
  if (!source) return;
  VL_EngineLockGuard hold;
  uint32_t n = bandCount(master, processorCount, source->height);
  if (!n) return FBTransferFBFrameToPixSSE(source, nullptr, pixels, rowBytes, format);
  // Each row converts on its own, so runs of rows may go to any part.
  const uint32_t runRows = (source->height + n * kChunksPerTask - 1) / (n * kChunksPerTask);
  VLMPShareRuns(source->height, runRows, n, master, [&](uint32_t, uint32_t first, uint32_t end) {
    const FBFrameStruct band = bandFrame(*source, first, end - first);
    FBTransferFBFrameToPixSSE(&band, nullptr, advanceRows(static_cast<uint8_t*>(pixels), first, rowBytes), rowBytes,
                              format);
  });
}

void VLMPFBTransferPixToFBFrameVector(const void* pixels, uint32_t rowBytes, uint32_t planeStride,
                                      FBPixFormat format, FBFrameStruct* destination, uint32_t processorCount,
                                      VLMPMaster* master) {
  if (!destination) return;
  VL_EngineLockGuard hold;
  uint32_t n = bandCount(master, processorCount, destination->height);
  if (!n) return FBTransferPixToFBFrameSSE(pixels, rowBytes, planeStride, format, destination);
  runBands(master, n, kVLMPJobPixToFrame, destination->height,
           [&](VLMPTaskRecord& rec, uint32_t first, uint32_t rows) {
             rec.fromPixSource = advanceRows(static_cast<const uint8_t*>(pixels), first, rowBytes);
             rec.fromPixRowBytes = rowBytes;
             rec.fromPixPlaneStride = planeStride;
             rec.fromPixFormat = format;
             rec.fromPixDestination = bandFrame(*destination, first, rows);
           });
}

void VLMPFBTransferPixToFBFramePremultipliedVector(const void* pixels, uint32_t rowBytes, FBPixFormat format,
                                                   FBFrameStruct* destination, uint32_t processorCount,
                                                   VLMPMaster* master) {
  if (!destination) return;
  VL_EngineLockGuard hold;
  uint32_t n = bandCount(master, processorCount, destination->height);
  if (!n) return FBTransferPixToFBFramePremultipliedSSE(pixels, rowBytes, format, destination);
  runBands(master, n, kVLMPJobPixToFramePremultiplied, destination->height,
           [&](VLMPTaskRecord& rec, uint32_t first, uint32_t rows) {
             rec.fromPixSource = advanceRows(static_cast<const uint8_t*>(pixels), first, rowBytes);
             rec.fromPixRowBytes = rowBytes;
             rec.fromPixPlaneStride = 0;
             rec.fromPixFormat = format;
             rec.fromPixDestination = bandFrame(*destination, first, rows);
           });
}

void VLMPFBTransferPixAlphaToPixAlpha(const void* source, uint32_t sourceRowBytes, void* destination,
                                      uint32_t destinationRowBytes, uint32_t width, uint32_t height,
                                      FBPixFormat format, uint32_t processorCount, VLMPMaster* master) {
  VL_EngineLockGuard hold;
  uint32_t n = bandCount(master, processorCount, height);
  if (!n)
    return FBTransferPixAlphaToPixAlphaWork(source, sourceRowBytes, destination, destinationRowBytes, width,
                                            height, format);
  runBands(master, n, kVLMPJobAlphaCopy, height, [&](VLMPTaskRecord& rec, uint32_t first, uint32_t rows) {
    rec.alphaSource = advanceRows(static_cast<const uint8_t*>(source), first, sourceRowBytes);
    rec.alphaDestination = advanceRows(static_cast<uint8_t*>(destination), first, destinationRowBytes);
    rec.alphaSourceRowBytes = sourceRowBytes;
    rec.alphaDestinationRowBytes = destinationRowBytes;
    rec.alphaWidth = width;
    rec.alphaRows = rows;
    rec.alphaFormat = format;
  });
}

void VLMPFBTransformWithLUTPix(void* pixels, uint32_t width, uint32_t height, uint32_t rowBytes,
                               const uint8_t* table, FBPixFormat format, uint32_t processorCount,
                               VLMPMaster* master) {
  VL_EngineLockGuard hold;
  uint32_t n = bandCount(master, processorCount, height);
  if (!n) return FBTransformWithLUTPixWork(pixels, width, height, rowBytes, table, format);
  runBands(master, n, kVLMPJobLUTTransform, height, [&](VLMPTaskRecord& rec, uint32_t first, uint32_t rows) {
    rec.lutPixels = advanceRows(static_cast<uint8_t*>(pixels), first, rowBytes);
    rec.lutWidth = width;
    rec.lutRows = rows;
    rec.lutRowBytes = rowBytes;
    rec.lutTable = table;
    rec.lutFormat = format;
  });
}
