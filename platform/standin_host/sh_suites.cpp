// The suite broker: the suites a host offers by name and version, as the
// host configuration says, and the functions behind them.
#include <cstring>

#include "platform/standin_host/sh_call.h"
#include "platform/standin_host/sh_panel_internal.h"

namespace {

HIError registerWithHost(void*, const char*, int32_t* id) {
  SHHost* host = gSHActiveHost.load();
  if (!host || !id) return kHIErrBadCallbackParam;
  host->aegp_plugin_id = 7;
  *id = host->aegp_plugin_id;
  return kHINoErr;
}
HIError startUndoGroup(const char* name) {
  SHPanelNoteUndo(name ? name : "");
  return kHINoErr;
}
HIError endUndoGroup() {
  SHPanelNoteUndo(nullptr);
  return kHINoErr;
}
HIError suppressedUI(uint8_t* suppressed) {
  SHHost* host = gSHActiveHost.load();
  if (!host || !suppressed) return kHIErrBadCallbackParam;
  *suppressed = host->config.suppress_interactive_ui ? 1 : 0;
  return kHINoErr;
}
HIError worldPixelFormat(const HIWorld* world, uint32_t* format) {
  if (!world || !format) return kHIErrBadCallbackParam;
  *format = world->pixel_format;
  return kHINoErr;
}
HIError clearFormats(HIEffectRef) {
  if (SHHost* host = gSHActiveHost.load()) host->supported_formats.clear();
  return kHINoErr;
}
HIError addFormat(HIEffectRef, uint32_t format) {
  if (SHHost* host = gSHActiveHost.load()) host->supported_formats.push_back(format);
  return kHINoErr;
}
HIError useRenderFormat(HIEffectRef) {
  if (SHHost* host = gSHActiveHost.load()) host->renders_checkouts_in_render_format = true;
  return kHINoErr;
}
HIError newMem(int32_t, const char*, uint64_t size, uint32_t, HIMemHandle* result) {
  if (!result) return kHIErrBadCallbackParam;
  HIHandle h = SHAllocationAllowed(size) ? HINewHandle(size) : nullptr;
  *result = reinterpret_cast<HIMemHandle>(h);
  return h ? kHINoErr : kHIErrOutOfMemory;
}
HIError freeMem(HIMemHandle h) {
  HIDisposeHandle(reinterpret_cast<HIHandle>(h));
  return kHINoErr;
}
HIError lockMem(HIMemHandle h, void** address) {
  if (!h || !address) return kHIErrBadCallbackParam;
  *address = HILockHandle(reinterpret_cast<HIHandle>(h));
  return kHINoErr;
}
HIError unlockMem(HIMemHandle h) {
  HIUnlockHandle(reinterpret_cast<HIHandle>(h));
  return kHINoErr;
}
HIError memSize(HIMemHandle h, uint64_t* size) {
  if (!size) return kHIErrBadCallbackParam;
  *size = HIGetHandleSize(reinterpret_cast<HIHandle>(h));
  return kHINoErr;
}

HIError doCommand(int32_t command) {
  SHHost* host = gSHActiveHost.load();
  if (!host) return kHIErrInvalidCallback;
  std::lock_guard<std::mutex> hold(host->state_lock);
  host->commands_run.push_back(command);
  return kHINoErr;
}

const HIUtilitySuite11 kUtility11 = {registerWithHost, startUndoGroup, endUndoGroup};
const HIUtilitySuite7 kUtility7 = {suppressedUI};
const HIWorldSuite2 kWorld2 = {worldPixelFormat};
const HIPixelFormatSuite1 kPixelFormat1 = {clearFormats, addFormat, worldPixelFormat};
const HIPFUtilitySuite4 kPFUtility4 = {useRenderFormat};
const HIMemorySuite1 kMemory1 = {newMem, freeMem, lockMem, unlockMem, memSize};
const HICommandSuite1 kCommand1 = {doCommand};

HIError acquireSuite(const char* name, int32_t version, const void** suite) {
  SHHost* host = gSHActiveHost.load();
  if (!suite) return kHIErrBadCallbackParam;
  *suite = nullptr;
  if (!host || !name) return kHIErrInvalidCallback;
  const SHConfig& c = host->config;
  const SHPanel* panel = gSHActivePanel.load();
  const bool app_suite_offered = panel && panel->host == host && panel->offer_app_suite;
  struct Entry {
    const char* name;
    int32_t version;
    bool offered;
    const void* suite;
  };
  const Entry entries[] = {
      {kHISuiteAEGPUtility, 11, c.offer_aegp_suites, &kUtility11},
      {kHISuiteAEGPUtility, 7, c.offer_aegp_suites, &kUtility7},
      {kHISuiteWorld, 2, c.offer_world_suite, &kWorld2},
      {kHISuitePixelFormat, 1, c.offer_pixel_format_suite, &kPixelFormat1},
      {kHISuitePFUtility, 4, c.offer_pf_utility_suite, &kPFUtility4},
      {kHISuiteAEGPMemory, 1, c.offer_aegp_suites, &kMemory1},
      {kHISuiteAEGPCommand, kHISuiteAEGPCommandVersion, c.offer_aegp_suites, &kCommand1},
      {kHISuiteEffectCustomUI, 1, c.offer_drawing_suites, &kSHCustomUISuite},
      {kHISuiteDrawbotDraw, 1, c.offer_drawing_suites, &kSHDrawSuite},
      {kHISuiteDrawbotSupplier, 1, c.offer_drawing_suites, &kSHSupplierSuite},
      {kHISuiteDrawbotSurface, 1, c.offer_drawing_suites, &kSHSurfaceSuite},
      {kHISuiteDrawbotPath, 1, c.offer_drawing_suites, &kSHPathSuite},
      {kHISuiteApp, kHISuiteAppVersion, app_suite_offered, &kSHAppSuite},
      {kHISuitePort, kHISuitePortVersion, c.offer_drawing_suites, &kSHPortSuite},
  };
  for (const Entry& e : entries) {
    if (e.offered && e.version == version && std::strcmp(e.name, name) == 0) {
      *suite = e.suite;
      return kHINoErr;
    }
  }
  return kHIErrInvalidCallback;
}

HIError releaseSuite(const char*, int32_t) { return kHINoErr; }

}  // namespace

const HIBasicSuite kSHBasicSuite = {acquireSuite, releaseSuite};
