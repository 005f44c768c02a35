// The media worker: a task that prepares prefetching into the frame cache
// for players, and the playback timer on the main event loop that fetches
// the frames after a player's current frame while the player is idle. Also
// the task pool's media job: media requests run on a pool task, waited for
// at most 500 ms.
#pragma once

#include <cstdint>

#include "media/media_file.h"

struct VLMPTaskRecord;

// Worker requests.
enum : int32_t {
  kQVMediaWorkerBeginPrefetch = 0,
  kQVMediaWorkerStartPlayback = 1,
  kQVMediaWorkerStopPlayback = 2,
  kQVMediaWorkerMakePrefetchBuffer = 3,
};

// Creates the queues and the worker task once; sets the total prefetch
// budget to 0.8 x the frame limit.
QVMediaErr QVMediaStartWorker();
// Sends a request about ref to the worker and waits for its answer: 0, or
// 1006 for an unknown request, 1002 when the worker is not running.
QVMediaErr QVMediaWorkerRequest(int32_t request, QVMediaFileRef* ref);

// What the worker holds now (tests and the playback view).
struct QVMediaWorkerState {
  uint32_t activePlaybacks;
  const QVMediaFileRef* prefetchRef;
  int64_t next, end;
  int64_t totalBudget, perPlaybackBudget;
  bool timerInstalled;
  bool prefetchBuffer;
};
QVMediaWorkerState QVMediaGetWorkerState();
// One run of the playback timer's work (the timer calls it every 0.01 s).
void QVMediaPrefetchStep();

// Job 9 requests.
enum : int32_t {
  kVLMPMediaOpenFile = 0,       // file reference, out reference, flags
  kVLMPMediaOpenPath = 1,       // path, out reference, flags
  kVLMPMediaCloseFile = 2,      // address of the reference pointer
  kVLMPMediaSetDecodeSize = 3,  // reference, width, height
  kVLMPMediaFetchFrame = 4,     // reference, frame buffer
};
// The task pool's job 9: carries out the request in the record and stores
// its result there; codes above 4 do nothing.
void VLMPDoMediaRequest(VLMPTaskRecord& record);
// Runs a request on a pool task and waits at most 500 ms: 1017 on time-out,
// else the request's code. Without a pool the request runs on the caller.
QVMediaErr VLMPMediaRequest(int32_t request, intptr_t a0, intptr_t a1, intptr_t a2);
QVMediaErr VLMPMediaSetDecodeSize(QVMediaFileRef* ref, uint32_t width, uint32_t height);
