// What the parts below the shell ask of it: the picture reprocessed, the
// exchange ended, handed back or let go of, the source frame made again from
// the frame as it arrived, the program ended and the image panes linked to
// the exchange. The shell installs its own (UIResetHooks does so); until then
// each does nothing or answers "not possible".
#pragma once

#include <cstdint>

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
};

// The links in force.
UIShellLinks& UIShell();
