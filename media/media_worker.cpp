// The media worker task, its playback timer and the task pool's media job.
//
// The worker waits on its request queue without limit and answers every
// request on the reply queue; an unknown request is answered with -1 and
// ends the task. The playback timer runs on the main event loop and is
// installed and removed there through posted calls, so the worker never
// waits for the main thread. A busy flag keeps a stop request from clearing
// the prefetch state while the timer's work runs.
#include "media/media_worker.h"

#include <atomic>
#include <mutex>
#include <thread>

#include "core/task_pool.h"
#include "media/frame_cache.h"
#include "media/media_internal.h"
#include "platform/mp_task.h"
#include "platform/ui/ui_loop.h"

using namespace media;

namespace {

constexpr int64_t kStopPrefetch = 0x7FFFFFFFFFFFFFFE;

struct FrameDisposer {
  void operator()(FBFrameStruct* f) const { FBDisposeFrameBuffer(f); }
};

struct Worker {
  std::mutex lock;  // the state below
  MPQueue* termination = nullptr;
  MPQueue* requests = nullptr;
  MPQueue* replies = nullptr;
  MPTask* task = nullptr;
  QVMediaFileRef* parameterRef = nullptr;
  uint32_t activePlaybacks = 0;
  QVMediaFileRef* prefetchRef = nullptr;
  int64_t next = 0, end = 0;
  int64_t totalBudget = 0, perPlaybackBudget = 0;
  FBFrameStruct* prefetchBuffer = nullptr;
  QVMediaFileRef* timerRef = nullptr;
  TKTimer* timer = nullptr;
  bool timerWanted = false;
  std::atomic<bool> busy{false};
  std::mutex requestLock;  // one request at a time from any thread
};

Worker& TheWorker() {
  static Worker worker;
  return worker;
}

void DisposePrefetchBuffer(Worker& w) {
  if (w.prefetchBuffer) FBDisposeFrameBuffer(w.prefetchBuffer);
  w.prefetchBuffer = nullptr;
}

void Budgets(Worker& w) {
  w.totalBudget = int64_t(0.8 * double(QVFrameCacheGetLimit()));
  if (w.activePlaybacks > 0) w.perPlaybackBudget = w.totalBudget / w.activePlaybacks;
}

void BeginPrefetch(Worker& w) {
  QVMediaFileRef* ref = w.parameterRef;
  w.prefetchRef = ref;
  if (!QVMediaIsValidRef(ref)) return;
  w.next = (ref->currentFrame < 0 ? 0 : ref->currentFrame) + 1;
  Budgets(w);
  w.end = w.next + w.perPlaybackBudget;
  if (w.end > ref->lastFrame) w.end = ref->lastFrame;
}

void TimerFired(TKTimer* timer) {
  (void)timer;
  QVMediaPrefetchStep();
}

void StartPlayback(Worker& w) {
  ++w.activePlaybacks;
  DisposePrefetchBuffer(w);
  if (w.timerWanted) return;
  w.timerWanted = true;
  w.timerRef = w.parameterRef;
  TKPostCall([] {
    Worker& ww = TheWorker();
    std::lock_guard<std::mutex> guard(ww.lock);
    if (ww.timerWanted && !ww.timer) ww.timer = TKInstallTimer(0.1, 0.01, TimerFired);
  });
}

void StopPlayback(Worker& w, std::unique_lock<std::mutex>& held) {
  w.timerWanted = false;
  TKPostCall([] {
    Worker& ww = TheWorker();
    std::lock_guard<std::mutex> guard(ww.lock);
    if (!ww.timerWanted && ww.timer) {
      TKRemoveTimer(ww.timer);
      ww.timer = nullptr;
    }
  });
  // The timer's work may be running on the main thread: wait for it in
  // short steps, without holding the state.
  while (w.busy.load()) {
    held.unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    held.lock();
  }
  if (w.activePlaybacks > 0) --w.activePlaybacks;
  Budgets(w);
  w.prefetchRef = nullptr;
  DisposePrefetchBuffer(w);
}

void MakePrefetchBuffer(Worker& w) {
  DisposePrefetchBuffer(w);
  QVMediaFileRef* ref = w.parameterRef;
  if (!QVMediaIsValidRef(ref)) return;
  uint32_t width = ref->decodeWidth, height = ref->decodeHeight;
  if (width == 0 || height == 0) {
    width = ref->nativeWidth;
    height = ref->nativeHeight;
  }
  FBFrameStruct* f = nullptr;
  if (width && height && FBCreateRGBFrameBuffer(width, height, &f, kFBPixFormatPlanarFloat) == kQVNoErr) {
    w.prefetchBuffer = f;
    QVFrameCacheSetLimitForFrameSize(f);
  }
}

int32_t WorkerTask(void*) {
  Worker& w = TheWorker();
  for (;;) {
    intptr_t request = 0;
    if (MPWaitOnQueue(w.requests, &request, nullptr, nullptr, kMPWaitForever) != kQVNoErr) return 0;
    std::unique_lock<std::mutex> held(w.lock);
    switch (request) {
      case kQVMediaWorkerBeginPrefetch: BeginPrefetch(w); break;
      case kQVMediaWorkerStartPlayback: StartPlayback(w); break;
      case kQVMediaWorkerStopPlayback: StopPlayback(w, held); break;
      case kQVMediaWorkerMakePrefetchBuffer: MakePrefetchBuffer(w); break;
      default:
        held.unlock();
        // One request is in flight at a time (the caller waits for each answer), so the reply queue has room.
        QVIgnoreStatus(MPNotifyQueue(w.replies, -1, 0, 0));
        return 0;
    }
    held.unlock();
    // One request is in flight at a time (the caller waits for each answer), so the reply queue has room.
    QVIgnoreStatus(MPNotifyQueue(w.replies, 0, 0, 0));
  }
}

}  // namespace

QVMediaErr QVMediaStartWorker() {
  Worker& w = TheWorker();
  std::lock_guard<std::mutex> guard(w.lock);
  w.totalBudget = int64_t(0.8 * double(QVFrameCacheGetLimit()));
  if (w.task) return QVMediaErr_NoErr;
  if (MPCreateQueue(&w.termination) != kQVNoErr || MPCreateQueue(&w.requests) != kQVNoErr ||
      MPCreateQueue(&w.replies) != kQVNoErr ||
      MPCreateTask(WorkerTask, nullptr, 64 * 1024, w.termination, 0, &w.task) != kQVNoErr) {
    MPDeleteQueue(w.termination);
    MPDeleteQueue(w.requests);
    MPDeleteQueue(w.replies);
    w.termination = w.requests = w.replies = nullptr;
    w.task = nullptr;
    return QVMediaErr_InsufficientMemory;
  }
  return QVMediaErr_NoErr;
}

QVMediaErr QVMediaWorkerRequest(int32_t request, QVMediaFileRef* ref) {
  Worker& w = TheWorker();
  if (request < kQVMediaWorkerBeginPrefetch || request > kQVMediaWorkerMakePrefetchBuffer)
    return QVMediaErr_ParameterError;
  std::lock_guard<std::mutex> one(w.requestLock);
  {
    std::lock_guard<std::mutex> guard(w.lock);
    if (!w.task) return QVMediaErr_InvalidMediaFileRef;
    w.parameterRef = ref;
  }
  if (MPNotifyQueue(w.requests, request, 0, 0) != kQVNoErr) return QVMediaErr_InsufficientMemory;
  intptr_t answer = -1;
  if (MPWaitOnQueue(w.replies, &answer, nullptr, nullptr, kMPWaitForever) != kQVNoErr || answer != 0)
    return QVMediaErr_InvalidMediaFileRef;
  return QVMediaErr_NoErr;
}

QVMediaWorkerState QVMediaGetWorkerState() {
  Worker& w = TheWorker();
  std::lock_guard<std::mutex> guard(w.lock);
  return {w.activePlaybacks, w.prefetchRef, w.next, w.end, w.totalBudget, w.perPlaybackBudget,
          w.timer != nullptr, w.prefetchBuffer != nullptr};
}

void QVMediaPrefetchStep() {
  Worker& w = TheWorker();
  std::unique_lock<std::mutex> held(w.lock);
  QVMediaFileRef* ref = w.prefetchRef ? w.prefetchRef : w.timerRef;
  if (!QVMediaIsTimeBased(ref) || (ref->flags & kQVMediaNotCacheable)) return;
  if (!w.prefetchRef || w.next > w.end || !w.prefetchBuffer) return;
  w.busy = true;
  const int64_t saved = ref->currentFrame;
  ref->currentFrame = w.next;
  if (QVFrameCacheContains(ref, w.prefetchBuffer)) {
    if (w.timer) TKSetTimerNextFire(w.timer, 0.001);
  } else {
    FBFrameStruct* buffer = w.prefetchBuffer;
    held.unlock();
    const QVMediaErr err = QVMediaFetchFrame(ref, buffer);
    held.lock();
    if (err != QVMediaErr_NoErr) w.next = kStopPrefetch;
  }
  ref->currentFrame = saved;
  ++w.next;
  w.busy = false;
}

void VLMPDoMediaRequest(VLMPTaskRecord& record) {
  const intptr_t* a = record.mediaArguments;
  QVMediaErr result = QVMediaErr_NoErr;
  switch (record.mediaRequest) {
    case kVLMPMediaOpenFile:
    case kVLMPMediaOpenPath: {
      // The new reference stays in the record: the caller takes it from
      // there only when its wait did not time out.
      QVMediaFileRef* opened = nullptr;
      result = record.mediaRequest == kVLMPMediaOpenFile
                   ? QVMediaOpenFile(reinterpret_cast<const QVFileRef*>(a[0]), &opened, uint8_t(a[2]))
                   : QVMediaOpenPath(reinterpret_cast<const char*>(a[0]), &opened, uint8_t(a[2]));
      record.mediaArguments[3] = reinterpret_cast<intptr_t>(opened);
      break;
    }
    case kVLMPMediaCloseFile: {
      QVMediaFileRef* ref = reinterpret_cast<QVMediaFileRef*>(a[0]);
      result = QVMediaCloseFile(&ref);
      break;
    }
    case kVLMPMediaSetDecodeSize:
      result = QVMediaSetDecodeSize(reinterpret_cast<QVMediaFileRef*>(a[0]), uint32_t(a[1]), uint32_t(a[2]));
      break;
    case kVLMPMediaFetchFrame:
      result = QVMediaFetchFrame(reinterpret_cast<QVMediaFileRef*>(a[0]), reinterpret_cast<FBFrameStruct*>(a[1]));
      break;
    default:
      return;
  }
  record.mediaResult = int32_t(result);
}

QVMediaErr VLMPMediaRequest(int32_t request, intptr_t a0, intptr_t a1, intptr_t a2) {
  // A close names the caller's pointer: the task gets the reference itself,
  // and the pointer is cleared here once the close is done.
  QVMediaFileRef** closing = request == kVLMPMediaCloseFile ? reinterpret_cast<QVMediaFileRef**>(a0) : nullptr;
  if (request == kVLMPMediaCloseFile && !closing) return QVMediaErr_ParameterError;
  const intptr_t arguments[4] = {closing ? reinterpret_cast<intptr_t>(*closing) : a0, a1, a2, 0};
  int32_t result = 0;
  const QVStatus status = VLMPRunMediaJob(&gVLMPMaster, 0, request, arguments, 500, &result);
  if (status == kQVErrTimeout) return QVMediaErr_TimedOutWaitingForMedia;
  intptr_t opened = 0;
  if (status == kQVNoErr) {
    opened = gVLMPMaster.tasks[0].mediaArguments[3];
  } else {
    // No pool to run it on: the request runs here.
    VLMPTaskRecord record{};
    record.mediaRequest = request;
    for (int i = 0; i < 4; ++i) record.mediaArguments[i] = arguments[i];
    record.mediaResult = int32_t(QVMediaErr_ParameterError);
    VLMPDoMediaRequest(record);
    result = record.mediaResult;
    opened = record.mediaArguments[3];
  }
  if (request == kVLMPMediaOpenFile || request == kVLMPMediaOpenPath) {
    if (auto* out = reinterpret_cast<QVMediaFileRef**>(a1)) *out = reinterpret_cast<QVMediaFileRef*>(opened);
  }
  if (closing && result == int32_t(QVMediaErr_NoErr)) *closing = nullptr;
  return QVMediaErr(result);
}

QVMediaErr VLMPMediaSetDecodeSize(QVMediaFileRef* ref, uint32_t width, uint32_t height) {
  return VLMPMediaRequest(kVLMPMediaSetDecodeSize, reinterpret_cast<intptr_t>(ref), intptr_t(width),
                          intptr_t(height));
}
