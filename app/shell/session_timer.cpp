// The exchange timer: starts each exchange the plug-in posts, keeps the
// application alive between exchanges and ends it when the keep-alive time
// runs out or the host process ends; while an exchange is attached it
// commits drags, idles the controls and steps playback.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "app/shell/host_link.h"
#include "app/state/service_hooks.h"
#include "app/state/ui_state.h"
#include "app/state/undo_ring.h"
#include "app/views/image_pane.h"
#include "core/settings_ranges.h"
#include "core/pixel_transfer.h"
#include "core/process_image.h"
#include "core/processing_tables.h"
#include "core/task_pool.h"
#include "platform/log.h"
#include "platform/shared_memory.h"
#include "platform/ui/toolkit.h"
#include "settings/prefs.h"

namespace {

// How often the host's liveness is checked while an exchange is attached.
constexpr double kHostCheckSeconds = 0.25;
double gNextHostCheck = 0;

// The exchange is over and detached: the windows hide and the application
// waits for the next one until the keep-alive time runs out (quits at once
// with keeping alive switched off).
void afterExchange() {
  UIHooks().enableExchangeMenus(false);
  UIHooks().showMainWindow(false);
  if (!gPrefsSettings.keepUIRunning) {
    UIQuitApplication();
    return;
  }
  gKeepAliveDeadline = TKNow() + 60.0 * std::max(0, gPrefsSettings.uiTimeoutMinutes);
}

// Brings the block's correction in: defaults when it is not a record.
void takeSettings() {
  VL_SettingsStruct incoming;
  CCReadSettings(gUIComm, &incoming);
  VL_HoldIncomingSettings(&incoming);
  if (incoming.byteOrderFlag != kVLSettingsByteOrderFlag) {
    std::memset(&gUISettings, 0, sizeof gUISettings);
    VL_SetDefaultControlValues(&gUISettings, kVLMaskAll);
    UIHooks().syncControls(&gUISettings, kVLMaskAll, nullptr);
  } else if (!VL_SettingsAreSame(&incoming, &gUISettings)) {
    std::memcpy(&gUISettings, &incoming, sizeof gUISettings);
    UIHooks().syncControls(&gUISettings, kVLMaskAll, nullptr);
  }
}

void startExchange() {
  // The application serves the host it was started for: once that host has
  // ended it takes no other host's exchange, and ends.
  if (gUIHostProcess && !PLProcessIsAlive(gUIHostProcess)) {
    UIQuitApplication();
    return;
  }
  const UIAttachResult attached = UICommAttach();
  if (attached != kUIAttached) {
    if (attached == kUINoBlock &&
        ((gUIHostProcess && !PLProcessIsAlive(gUIHostProcess)) || TKNow() > gKeepAliveDeadline))
      UIQuitApplication();
    return;
  }
  if (UICommState() != kCCStatePosted) {
    UICommDetach(false);
    return;
  }
  UICommSetState(kCCStateWorking);
  gUIHostProcess = UICommHostSerial();
  if (SetupImageGWorlds()) {
    UICommSetState(kCCStateFailed);
    UICommDetach(false);
    return;
  }
  takeSettings();
  if (UICommImportFrame()) {
    UICommSetState(kCCStateFailed);
    UICommDetach(false);
    return;
  }
  gUICommAttached = true;
  UIHooks().showMainWindow(true);
  UIHooks().reloadPreviewFrame();
  UIHooks().redrawImagePanes(true);
  UICommSyncReadouts();
  UIHooks().enableExchangeMenus(true);
  UICommPrefetch();
  if (gPrefsSettings.externalPreviewDevice == QVFourCC("GlOW") && UIHooks().externalPreviewAvailable())
    UIHooks().openExternalPreview();
  if (gPrefsSettings.controlSurfaceMode == 2) UIHooks().surfaceStart(2);
  UIHooks().startVideoOutput(gPrefsSettings.externalPreviewDevice);
  UIHooks().updateVideoOutputFrame(gPrefsSettings.externalPreviewDevice);
  TKSetCursor(kTKCursorArrow);
}

// A host that ended while its exchange was attached leaves a stale segment:
// it is removed and the application ends with it. A host that withdrew the
// exchange (it removed the segment, as when it is interrupted) ends it as
// Cancel would, without the block's state.
bool hostGone() {
  if (TKNow() < gNextHostCheck) return false;
  gNextHostCheck = TKNow() + kHostCheckSeconds;
  const bool hostAlive = PLProcessIsAlive(UICommHostSerial());
  PLShmInfo info;
  const bool withdrawn = PLShmStat(gUICommSegment, &info) != kQVNoErr || info.removed;
  if (hostAlive && !withdrawn) return false;
  PLLogWrite("Velmora 3 UI", hostAlive ? "the host withdrew the exchange; the correction was not handed back"
                                       : "the host process ended during the exchange; the correction was not handed back");
  gUIExchangeUnfinished = true;
  UICommDetach(!hostAlive);
  if (!hostAlive) {
    UIQuitApplication();
    return true;
  }
  afterExchange();
  return true;
}

}  // namespace

void UICommPrefetch() {
  if (!gUIComm.block) return;
  const int32_t last = int32_t(CCGet32(gUIComm, CC_OFFSET(lastFrameTime)));
  if (last <= 1) return;
  const uint32_t saved = CCGet32(gUIComm, CC_OFFSET(currentTime));
  CCSet32(gUIComm, CC_OFFSET(currentTime), uint32_t(std::rand() % (last - 1)));
  std::vector<uint8_t> discarded;
  // A prefetch only warms the host's cache; its frame is thrown away.
  QVIgnoreStatus(UICommRequestFrame(&discarded));
  CCSet32(gUIComm, CC_OFFSET(currentTime), saved);
}

void UICommSessionTimer() {
  UIServeEvents();
  if (!gUIComm.block) {
    startExchange();
    if (!gUIComm.block) return;
  } else if (hostGone()) {
    return;
  }
  if (gRedrawRequested) {
    gRedrawRequested = false;
    UIHooks().reloadPreviewFrame();
    UIHooks().updateVideoOutputFrame(gPrefsSettings.externalPreviewDevice);
  }
  if (gDragInProgress && (TKGetMouseButtons() & 1) == 0) {
    gDragInProgress = false;
    UndoBufferStore(gUndoBuffer, &gUISettings);
    if (gReprocessDeferred) {
      gReprocessDeferred = false;
      UIReprocess(true);
    }
  }
  UIHooks().idleControls();
  InstallRequestedCursor();
  UpdatePlayback();
}

QVStatus UICommLoadCurrentFrame() {
  std::vector<uint8_t> frame;
  CCGeometry g;
  if (UICommRequestFrame(&frame) != kQVNoErr || frame.empty() || CCReadGeometry(gUIComm, &g) != kQVNoErr ||
      !gSourceFrame || frame.size() < g.frameBytes)
    return kQVErrFileNotFound;
  // A source frame loaded from a file has its own size: host pixels of
  // another geometry are not read into it.
  if (int32_t(gSourceFrame->width) != g.width || int32_t(gSourceFrame->height) != g.height) return kQVErrParam;
  FBTransferPixToFBFramePremultiplied(frame.data(), uint32_t(g.rowBytes), g.pixelFormat, gSourceFrame,
                                      gNumProcessors, &gVLMPMaster);
  UINoteFrameArrival();
  UIHooks().applyInputLinearization(gSourceFrame, gUILinearization);
  UIRefreshDisplayImage();
  return kQVNoErr;
}

void UpdatePlayback() {
  const int32_t playing = UIHooks().playingTransports();
  for (int32_t i = 0; i < playing && gUICommAttached && gUIComm.block; ++i) {
    const int32_t step = int32_t(CCGet32(gUIComm, CC_OFFSET(timeStep)));
    const int32_t last = int32_t(CCGet32(gUIComm, CC_OFFSET(lastFrameTime)));
    const int64_t next = int64_t(int32_t(CCGet32(gUIComm, CC_OFFSET(currentTime)))) + step;
    if (next > last) {
      CCSet32(gUIComm, CC_OFFSET(currentTime), uint32_t(last));
      UIHooks().pauseTransports();
      break;
    }
    CCSet32(gUIComm, CC_OFFSET(currentTime), uint32_t(int32_t(next)));
    if (UICommLoadCurrentFrame() == kQVNoErr) UIReprocess(true);
  }
  UIHooks().deferredPlaybackWork();
}

void UICommInstallTimer() {
  UIInstallEventHandlers();
  if (!gUICommTimer) gUICommTimer = TKInstallTimer(0.1, 0.015, [](TKTimer*) { UICommSessionTimer(); });
}

void UICommFinishExchange(bool ok) {
  if (!gUIComm.block) return;
  if (ok) CCWriteSettings(gUIComm, &gUISettings);
  UICommSetState(kCCStateDone);
  UICommDetach(false);
  afterExchange();
}
