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

void StartHook(int32_t mode) {
  if (mode != kUSBPanelKind) {
    if (gOtherStart) gOtherStart(mode);
    return;
  }
  if (gTangentPanel) return;
  const bool splash = !gStartedSinceStop;
  gStartedSinceStop = true;
  TangentStartLivePanel(splash);
}

void StopHook() {
  TangentStopLivePanel();
  gStartedSinceStop = false;
  if (gOtherStop) gOtherStop();
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
