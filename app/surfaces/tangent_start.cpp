// The USB panel on the application's surface hooks: surface kind 2 starts
// it, and every stop (preference change, quit) blanks and closes it. Other
// kinds go on to the hooks that were in force before.
#include "app/surfaces/tangent_start.h"

#include "app/state/service_hooks.h"
#include "app/surfaces/tangent_link.h"
#include "app/surfaces/tangent_mapping.h"

namespace {

constexpr int32_t kUSBPanelKind = 2;

void (*gOtherStart)(int32_t mode) = nullptr;
void (*gOtherStop)() = nullptr;
// The first start after launch or after a stop shows the splash; a later
// start (the next exchange retrying a missing panel) does not.
bool gStartedSinceStop = false;

// Installing twice over another surface's hooks chains them both ways;
// a call that comes round again stops here.
bool gInStart = false, gInStop = false;

void StartHook(int32_t mode) {
  if (gInStart) return;
  if (mode != kUSBPanelKind) {
    gInStart = true;
    if (gOtherStart) gOtherStart(mode);
    gInStart = false;
    return;
  }
  if (gTangentPanel) return;
  const bool splash = !gStartedSinceStop;
  gStartedSinceStop = true;
  TangentStartLivePanel(splash);
}

void StopHook() {
  if (gInStop) return;
  TangentStopLivePanel();
  gStartedSinceStop = false;
  gInStop = true;
  if (gOtherStop) gOtherStop();
  gInStop = false;
}

}  // namespace

void TangentInstall() {
  UIServiceHooks& hooks = UIHooks();
  if (hooks.surfaceStart != StartHook) {
    gOtherStart = hooks.surfaceStart;
    gOtherStop = hooks.surfaceStop;
  }
  hooks.surfaceStart = StartHook;
  hooks.surfaceStop = StopHook;
  TangentInstallRefreshHooks();
}
