// The task pool: one worker task per scheduled processor, each with its own
// request and result queue. A job cuts a frame into bands of whole rows, one
// per task, posts the job code to every task in order and waits for every
// answer in the same order. Shared work (the image pass and the conversion
// of frames to pixels among it) instead hands its items out in small runs
// from a shared counter, with the caller taking part: no task idles while
// another finishes a slower band, and a task that has not started by the
// time the work is done is called off rather than waited for. Frames too
// small to split run on the caller.
#pragma once

#include "core/frame_buffer.h"

#include <atomic>
#include <cstdint>

struct MPTask;
struct MPQueue;
struct VLPassSetup;

// Job codes posted to a task's request queue.
enum : int32_t {
  kVLMPJobTest = 1,
  kVLMPJobProcessImage = 2,
  kVLMPJobTonalPreview = 3,
  kVLMPJobFrameToPix = 4,
  kVLMPJobPixToFrame = 5,
  kVLMPJobPixToFramePremultiplied = 6,
  kVLMPJobAlphaCopy = 7,
  kVLMPJobLUTTransform = 8,
  kVLMPJobMedia = 9,
  kVLMPJobNothing = 10,
  kVLMPJobPart = 11,    // one part of a caller's work (VLMPRunParts)
  kVLMPJobShared = 12,  // one part of shared work (VLMPRunShared), unless called off first
};

// Work its caller split into `parts` parts; each call does part `part`.
using VLMPPartWork = void (*)(void* context, uint32_t part, uint32_t parts);

// The items [first, end) of count items that part `part` of `parts` does:
// the parts in turn cover 0..count once, in runs differing by one at most.
struct VLMPPartItems {
  int32_t first, end;
};
constexpr VLMPPartItems VLMPPartOf(int32_t count, uint32_t part, uint32_t parts) {
  return {int32_t(int64_t(count) * part / parts), int32_t(int64_t(count) * (part + 1) / parts)};
}

struct VLMPTaskRecord {
  MPTask* taskID;
  MPQueue* requestQueue;
  MPQueue* resultQueue;
  uint32_t taskIndex;

  // Pixels-to-frame jobs (plain and premultiplied).
  const uint8_t* fromPixSource;
  uint32_t fromPixRowBytes;
  uint32_t fromPixPlaneStride;
  uint32_t fromPixFormat;
  FBFrameStruct fromPixDestination;

  // Alpha-copy job.
  const uint8_t* alphaSource;
  uint8_t* alphaDestination;
  uint32_t alphaSourceRowBytes;
  uint32_t alphaDestinationRowBytes;
  uint32_t alphaWidth;
  uint32_t alphaRows;
  uint32_t alphaFormat;

  // Table-transform job.
  uint8_t* lutPixels;
  uint32_t lutWidth;
  uint32_t lutRows;
  uint32_t lutRowBytes;
  const uint8_t* lutTable;
  uint32_t lutFormat;

  // Tonal-preview job.
  FBFrameStruct previewSource;
  uint8_t* previewDestination;
  uint32_t previewRowBytes;
  uint32_t previewFormat;

  // Part job: the caller's work, its context and which part this task does.
  VLMPPartWork partWork;
  void* partContext;
  uint32_t part;
  uint32_t parts;
  // Shared job: posted, started by the task, or called off by the caller;
  // whichever of the last two comes first decides whether the part runs.
  std::atomic<uint32_t> shareState;
  // Media job of the grading application: request code, its arguments and
  // the result the request leaves.
  int32_t mediaRequest;
  intptr_t mediaArguments[4];
  int32_t mediaResult;

  // Answers the task still owes for media jobs whose wait timed out; they are
  // taken from the result queue before the task's next job is posted, so a
  // late answer is never mistaken for the end of a later band.
  uint32_t answersOwed;
};

struct VLMPMaster {
  VLMPTaskRecord* tasks;      // one record per task, null when stopped
  uint32_t taskCount;         // records in tasks
  uint32_t reserved;
  MPQueue* notificationQueue; // receives each task's end
};

// The process's pool and its processor count (1 while no pool runs).
extern VLMPMaster gVLMPMaster;
extern uint32_t gNumProcessors;

// The grading application installs the work of job 9 (media requests) before
// posting it; without it a task answers job 9 with -1 and ends, like any
// unknown code.
using VLMPMediaWork = void (*)(VLMPTaskRecord& record);
void VLMPSetMediaWork(VLMPMediaWork work);
// Runs one media request on task taskIndex: waits for any answer the task
// still owes, fills the record's request and arguments, posts job 9 and waits
// at most timeoutMs for the answer. kQVNoErr with *result = the record's
// result, kQVErrTimeout when the answer did not come in time (the request
// still runs and its answer is collected before the task's next job),
// kQVErrNotHandled (nothing posted) while no media work is installed, or
// kQVErrParam when there is no such task.
QVStatus VLMPRunMediaJob(VLMPMaster* master, uint32_t taskIndex, int32_t request, const intptr_t arguments[4],
                         int32_t timeoutMs, int32_t* result);

// Starts the pool; returns the processor count (1 when the pool is not started).
uint32_t VLMPInitialize(VLMPMaster* master, uint32_t enable);
void VLMPStopAllTasks(uint32_t taskCount, VLMPMaster* master);
uint32_t VLMPGetProcCount();
// Tests pretend to have n processors; 0 goes back to the real count.
void VLMPSetProcessorCountOverride(uint32_t count);
// The body of every task; parameter is its VLMPTaskRecord.
int32_t VLMPProcessTask(void* parameter);

// Convenience for programs: start the process pool into gVLMPMaster and
// gNumProcessors, and stop it again.
void VLMPStartProcessPool();
void VLMPStopProcessPool();

void VLMPTest(uint32_t processorCount, VLMPMaster* master);
// Runs work(context, i, n) on tasks 0..n-1, n being processorCount but at
// most the pool's task count, and returns n once every part is done; with
// fewer than two tasks to use, or when called on one of the pool's own tasks,
// runs work(context, 0, 1) on the caller and returns 1. The parts must touch
// disjoint data or synchronise themselves.
uint32_t VLMPRunParts(VLMPPartWork work, void* context, uint32_t processorCount, VLMPMaster* master);
// Shared work: each part takes items from a counter of the work's own until
// none is left, so that any one part can finish all of it. The caller runs
// part 0 itself and offers parts 1.. to the tasks (processorCount parts at
// most, 64 at most), passing over a task that owes the answers of two earlier
// jobs. When the caller's part returns it waits for the parts already
// running; parts not yet started are called off and never run (their task's
// answer is taken later). Returns the parts
// offered, the caller's included; fewer may have run, so the work must not
// count on any part but part 0 running. Parts run with nested pool calls
// inline; they must not start band jobs. Without a pool, or on a pool task,
// work(context, 0, 1) runs on the caller and 1 is returned.
uint32_t VLMPRunShared(VLMPPartWork work, void* context, uint32_t processorCount, VLMPMaster* master);
// Shared work over `total` items in runs of `run`: the caller and the tasks
// take runs [first, end) from one counter and call fn(part, first, end) on
// each, until none is left. Returns what VLMPRunShared returns.
template <class Fn>
uint32_t VLMPShareRuns(uint32_t total, uint32_t run, uint32_t processorCount, VLMPMaster* master, Fn&& fn) {
  struct Work {
    Fn* fn;
    uint32_t total, run;
    std::atomic<uint32_t> next;  // first item not yet taken
  } work{&fn, total, run ? run : 1, {0}};
  auto part = [](void* context, uint32_t p, uint32_t) {
    Work& w = *static_cast<Work*>(context);
    for (uint32_t first = w.next.fetch_add(w.run, std::memory_order_relaxed); first < w.total;
         first = w.next.fetch_add(w.run, std::memory_order_relaxed))
      (*w.fn)(p, first, w.total - first < w.run ? w.total : first + w.run);
  };
  return VLMPRunShared(part, &work, processorCount, master);
}
// The image pass in row chunks over the tasks as shared work (the frames
// must have the same height and row bytes; otherwise the pass runs on the
// caller).
void VLMPProcessImageVector(const FBFrameStruct* source, FBFrameStruct* destination, uint64_t word1,
                            uint64_t word2, uint32_t processorCount, VLMPMaster* master);
void VLMPProcessHMSPreview(const FBFrameStruct* frame, void* pixels, uint32_t rowBytes, FBPixFormat format,
                           uint32_t processorCount, VLMPMaster* master);
void VLMPFBTransferFBFrameToPixVector(const FBFrameStruct* source, void* pixels, uint32_t rowBytes,
                                      FBPixFormat format, uint32_t processorCount, VLMPMaster* master);
void VLMPFBTransferPixToFBFrameVector(const void* pixels, uint32_t rowBytes, uint32_t planeStride,
                                      FBPixFormat format, FBFrameStruct* destination, uint32_t processorCount,
                                      VLMPMaster* master);
void VLMPFBTransferPixToFBFramePremultipliedVector(const void* pixels, uint32_t rowBytes, FBPixFormat format,
                                                   FBFrameStruct* destination, uint32_t processorCount,
                                                   VLMPMaster* master);
void VLMPFBTransferPixAlphaToPixAlpha(const void* source, uint32_t sourceRowBytes, void* destination,
                                      uint32_t destinationRowBytes, uint32_t width, uint32_t height,
                                      FBPixFormat format, uint32_t processorCount, VLMPMaster* master);
void VLMPFBTransformWithLUTPix(void* pixels, uint32_t width, uint32_t height, uint32_t rowBytes,
                               const uint8_t* table, FBPixFormat format, uint32_t processorCount,
                               VLMPMaster* master);
