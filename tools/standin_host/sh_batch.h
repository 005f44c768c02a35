// Rendering a list of PNG frames into PNG files through the effect, as a
// pipeline over threads: each worker reads a frame, renders it and writes it
// while the others are at other stages of other frames. The number of frames
// in flight is bounded by the thread count and by a memory budget, so memory
// does not grow with the thread count beyond what the budget allows.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/standin_host/sh_host.h"

struct SHBatchFrame {
  std::string input;
  std::string output;
  int32_t width = 0;   // from the input's header, for the memory budget
  int32_t height = 0;
};

struct SHBatchSettings {
  SHLayout layout = kSHLayoutARGB16;
  int32_t bits = 0;       // 8 or 16; 0 writes each frame at its input's depth
  bool smart = true;      // smart render when the effect offers it
  int32_t threads = 1;    // 1 to 64
  uint64_t memory_budget = uint64_t(512) << 20;  // bytes of frames in flight at most
};

struct SHBatchResult {
  size_t written = 0;
  std::vector<std::string> frame_errors;  // inputs that could not be read, in no particular order
  std::string fatal;                      // a failure that stopped the batch (render, write, memory)
  bool interrupted = false;
  int32_t workers = 0;                    // frames in flight at most
};

// Called after each frame is done (written or failed), one call at a time.
using SHBatchProgress = void (*)(size_t done, size_t total, void* context);

// The bytes one frame in flight holds at that size and layout.
uint64_t SHBatchFrameBytes(SHLayout layout, int32_t width, int32_t height);
// How many frames may be in flight: the thread count, the frame count and
// the memory budget for the largest frame each set a bound.
int32_t SHBatchWorkers(const std::vector<SHBatchFrame>& frames, const SHBatchSettings& settings);

// Renders every frame. A frame that cannot be read is reported and skipped;
// a render or write failure or lack of memory stops the batch. Setting `quit`
// stops it after the frames in flight are written.
SHBatchResult SHRenderBatch(SHHost* host, const std::vector<SHBatchFrame>& frames, const SHBatchSettings& settings,
                            const std::atomic<bool>* quit, SHBatchProgress progress, void* context);
