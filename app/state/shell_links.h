// What the parts below the shell ask of it: the picture reprocessed, the
// exchange ended, handed back or let go of, the source frame made again from
// the frame as it arrived, the program ended and the image panes linked to
// the exchange. The shell installs its own (UIResetHooks does so); until then
// each does nothing or answers "not possible".
#pragma once

#include <cstdint>

#include "core/frame_buffer.h"
#include "platform/status.h"

struct UIShellLinks {
  void (*reprocess)(bool drawNow);
  void (*finishExchange)(bool ok);
  void (*setExchangeState)(uint32_t state);
  void (*detachExchange)(bool remove);
  bool (*canRelinearizeSourceFrame)();
  QVStatus (*relinearizeSourceFrame)();
  void (*quitApplication)();
  void (*installPaneHooks)();
  // A frame read from a file becomes the frame to correct: the frames and
  // pane pictures take its size, the linearization (when given) becomes the
  // input linearization, and the result is reprocessed.
  QVStatus (*importSourceFrame)(const FBFrameStruct* frame, const uint32_t* linearization);
};

// The links in force.
UIShellLinks& UIShell();
