#include "app/surfaces/surface_start.h"

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "app/controls/bound_controls.h"
#include "app/state/save_failure.h"
#include "app/state/service_hooks.h"
#include "app/state/views_hooks.h"
#include "app/surfaces/surface_definitions.h"
#include "app/surfaces/surface_file.h"
#include "app/surfaces/surface_input.h"
#include "app/surfaces/surface_jog.h"
#include "app/surfaces/surface_lights.h"
#include "app/surfaces/surface_link.h"
#include "app/views/transport_bar.h"
#include "app/window/main_window.h"
#include "platform/folders.h"
#include "platform/ui/toolkit.h"
#include "settings/prefs.h"

const int32_t kSurfaceStartLights[22] = {0, 1, 2, 3, 8, 9, 12, 13, 16, 17, 7, 6, 5, 4, 256, 257, 258, 259, 263, 262, 261, 260};

namespace {

constexpr int32_t kNoSurface = 1;
constexpr const char* kVersionLine = "Velmora 3.0.14(309)";

TKTimer* gPollTimer = nullptr;
TKTimer* gShuttleTimer = nullptr;

void BlockingWait(int32_t ticks) { std::this_thread::sleep_for(std::chrono::milliseconds(ticks * 1000 / 60)); }
SurfaceTickWait gWait = BlockingWait;

int32_t Kind() { return gPrefsSettings.controlSurfaceMode; }

void InstallTimers() {
  if (!gPollTimer) gPollTimer = TKInstallTimer(0.5, 0.02, [](TKTimer*) { SurfacePollTimer(); });
  if (!gShuttleTimer) gShuttleTimer = TKInstallTimer(0.5, 0.1, [](TKTimer*) { SurfaceShuttleTimer(); });
}

void RemoveTimers() {
  if (gPollTimer) TKRemoveTimer(gPollTimer);
  if (gShuttleTimer) TKRemoveTimer(gShuttleTimer);
  gPollTimer = gShuttleTimer = nullptr;
}

void ReadPreferencesDefinitions() {
  QVFileRef prefs;
  if (PLFindFolder(kPLFolderPreferences, true, &prefs) != kQVNoErr) return;
  const std::string path = std::string(prefs.path) + "/" + kSurfaceDefinitionsFileName;
  // It always answers 0; a file it cannot use leaves the definitions as they were.
  QVIgnoreStatus(SurfaceReadDefinitions(path.c_str()));
}

// --- the application's hooks ----------------------------------------------------

UIServiceHooks gOtherSurfaces;  // the hooks in force before ours (the USB panel's)
void (*gOtherPlaybackWork)() = nullptr;

bool IsMIDIKind(int32_t mode) { return mode == 3 || mode == 4; }

void StartHook(int32_t mode) {
  if (!IsMIDIKind(mode)) {
    if (gOtherSurfaces.surfaceStart) gOtherSurfaces.surfaceStart(mode);
    return;
  }
  SurfaceConnect();
  if (SurfaceIsConnected()) SurfaceStart();
}

void StopHook() {
  if (SurfaceIsConnected()) SurfaceResetDisplays();
  SurfaceDisconnect();
  if (gOtherSurfaces.surfaceStop) gOtherSurfaces.surfaceStop();
}

void PlaybackWork() {
  if (gOtherPlaybackWork) gOtherPlaybackWork();
  SurfaceJogPlaybackTick();
}

bool ConnectedService() { return SurfaceIsConnected(); }

void SlotKeyHook(int32_t slot, bool store) { SurfaceSelectSlot(int16_t(slot), store ? 1 : 0); }

}  // namespace

bool SurfaceIsConnected() { return Kind() != kNoSurface && SurfaceLinkIsConnected(); }

void SurfaceConnect() {
  if (Kind() == kNoSurface) return;
  SurfaceInputReset();
  char address[sizeof gPrefsSettings.controlSurfaceIP + 1] = {};
  std::memcpy(address, gPrefsSettings.controlSurfaceIP, sizeof gPrefsSettings.controlSurfaceIP);
  SurfaceLinkConnect(gPrefsSettings.controlSurfaceInterface, address, uint16_t(gPrefsSettings.controlSurfacePort));
}

void SurfaceStart() {
  if (Kind() == kNoSurface) return;
  static const uint8_t kGreeting[9] = {0xF0, 0x15, 0x25, 0x02, 0x01, 0x01, 0x00, 0x00, 0xF7};
  SurfaceLinkWriteRaw(kGreeting, sizeof kGreeting);
  gWait(15);
  static const uint8_t kMaker[9] = {8, 'Q', 'u', 'o', 'r', 'v', 'a', 'n', 'e'}, kEmpty[1] = {0};
  SurfaceLinkWriteLCD(kMaker, 1, kEmpty, 1);
  SurfaceSetTransportLEDs(2);
  SurfaceWriteDisplayLine(1, 1, "Quorvane", 1);
  SurfaceWriteDisplayLine(1, 2, "", 1);
  SurfaceWriteDisplayLine(2, 1, kVersionLine, 1);
  SurfaceWriteDisplayLine(2, 2, "", 1);
  for (int32_t light : kSurfaceStartLights) {
    SurfaceSetLight(light, true);
    gWait(4);
    SurfaceSetLight(light, false);
  }
  SurfaceSetTrackballColor(0, 1, 1);
  SurfaceSetTrackballColor(1, 1, 0);
  SurfaceSetTrackballColor(2, 0, 1);
  SurfaceSetTrackballColor(3, 1, 1);
  SurfaceLinkSetCallback(SurfaceInputCallbackProc);
  gWait(60);
  InstallTimers();
  ReadPreferencesDefinitions();
  SurfaceSetBankLEDs(1);
  SurfaceSetSelectButtonLEDs(0);
  SurfaceShowPageHeader(1);
}

void SurfaceResetDisplays() {
  SurfaceLinkSetCallback(nullptr);
  static const uint8_t kEmpty[1] = {0};
  SurfaceLinkWriteLCD(kEmpty, 1, kEmpty, 1);
  for (int32_t k = 0; k < 4; ++k) SurfaceSetTrackballColor(k, 0, 0);
  SurfaceWriteDisplayLine(1, 1, "", 1);
  SurfaceWriteDisplayLine(1, 2, "", 1);
  SurfaceWriteDisplayLine(2, 1, "", 1);
  SurfaceWriteDisplayLine(2, 2, "", 1);
  for (int32_t light : kSurfaceStartLights) SurfaceSetLight(light, false);
  SurfaceSetBankLEDs(0);
  SurfaceLightPageLED(0);
  SurfaceSetSlotLEDs(0, 0);
  SurfaceLinkWriteTimecode(0);
  static const uint8_t kFirst[3] = {0xBF, 0x67, 0x00}, kMiddle[3] = {0xBF, 0x68, 0x00}, kLast[3] = {0xBF, 0x69, 0x00};
  SurfaceLinkWriteRaw(kFirst, 3);
  for (int i = 0; i < 8; ++i) SurfaceLinkWriteRaw(kMiddle, 3);
  SurfaceLinkWriteRaw(kLast, 3);
  SurfaceSetTransportLEDs(int16_t(0xFFFF));
}

void SurfaceDisconnect() {
  SurfaceLinkDisconnect();
  RemoveTimers();
  SurfaceInputReset();
}

void SurfaceSetTickWait(SurfaceTickWait wait) { gWait = wait ? wait : BlockingWait; }
int32_t SurfaceTimerCount() { return (gPollTimer ? 1 : 0) + (gShuttleTimer ? 1 : 0); }

void SurfaceInstall() {
  UIServiceHooks& hooks = UIHooks();
  if (hooks.surfaceStart != StartHook) {
    gOtherSurfaces.surfaceStart = hooks.surfaceStart;
    gOtherSurfaces.surfaceStop = hooks.surfaceStop;
    gOtherPlaybackWork = hooks.deferredPlaybackWork;
  }
  hooks.surfaceStart = StartHook;
  hooks.surfaceStop = StopHook;
  hooks.deferredPlaybackWork = PlaybackWork;
  VFServices& services = VFGetServices();
  services.surfaceIsConnected = ConnectedService;
  services.surfaceRefreshPage = SurfaceRefreshPage;
  SetMainWindowSurfaceHook(SlotKeyHook);
  ViewsHooks& views = ViewsHooksInForce();
  views.surfaceTransportState = SurfaceSetTransportLEDs;
  views.surfaceShowTimecode = SurfaceShowTimecode;
}

QVStatus SurfaceSaveDefinitionsCommand(const char* path, const char* name) {
  const QVStatus status = SurfaceWriteDefinitions(path, name);
  UIReportSaveFailure(path ? path : "", status);
  return status;
}

QVStatus SurfaceLoadDefinitionsCommand(const char* path) {
  // It always answers 0; a file it cannot use leaves the definitions as they were.
  QVIgnoreStatus(SurfaceReadDefinitions(path));
  // A running surface shows the definitions it now has.
  if (SurfaceIsConnected()) SurfaceShowPageHeader(gSurfaceCurrentPage >= 1 ? gSurfaceCurrentPage : 1);
  return kQVNoErr;
}
