#include "plugin/global_setup.h"

#include <cstring>
#include <initializer_list>

#include "core/engine_lock.h"
#include "core/task_pool.h"
#include "platform/host/host_signatures.h"
#include "plugin/host_calls.h"
#include "plugin/plugin_data.h"
#include "plugin/plugin_preferences.h"
#include "settings/prefs.h"
#include "support/alerts.h"
#include "support/threads.h"

namespace {

constexpr uint32_t kOutFlags = kHIOutFlagKeepResourceOpen | kHIOutFlagSequenceDataNeedsFlattening |
                               kHIOutFlagIDoDialog | kHIOutFlagUseOutputExtent | kHIOutFlagPixelIndependent |
                               kHIOutFlagCustomUI | kHIOutFlagDeepColorAware;
static_assert(kOutFlags == 0x2008471);

// Hosts newer than interface 12.9 get smart render and float worlds.
constexpr uint32_t kSmartRenderFromVersion = 0xC0009;

// The Premiere-style formats the effect renders, in the order it offers them.
const uint32_t kPremiereFormats[] = {kHIPixelFormatVUYAFloat, kHIPixelFormatBGRAFloat, kHIPixelFormatVUYA8,
                                     kHIPixelFormatBGRA8};

static_assert(sizeof(VLMPMaster) <= kVLMasterRecordSize, "the task-pool master fits its slot");

VLMPMaster* masterOf(VLGlobalData* g) { return reinterpret_cast<VLMPMaster*>(g->master); }

// Deletes the three regions; one never made is refused and skipped.
void DeleteRegions(VLGlobalData* g) {
  for (QVCriticalRegionID* region : {&g->renderRegion, &g->commandRegion, &g->eventRegion})
    if (*region) QVIgnoreStatus(QVDeinitializeCriticalSection(region));  // deleting cannot fail for a made region
}

}  // namespace

HIError GlobalSetup(const HIInData* in, HIOutData* out) {
  out->my_version = kVLEffectVersion;
  logprintf("Velmora", "Version = %lu, API %d.%d", static_cast<unsigned long>(kVLEffectVersion),
            int(in->version_major), int(in->version_minor));
  out->out_flags |= kOutFlags;
  out->out_flags2 |= kHIOutFlag2GroupStartCollapsedHonoured;
  uint32_t hostVersion = (uint32_t(in->version_major) << 16) + uint32_t(in->version_minor);
  if (hostVersion > kSmartRenderFromVersion) out->out_flags2 |= kHIOutFlag2SmartRender | kHIOutFlag2FloatColorAware;

  CheckPreferencesValidity();

  HIHandle handle = VLNewClearedHandle(in, kVLGlobalDataSize);
  if (!handle) return kHIErrOutOfMemory;
  auto* g = static_cast<VLGlobalData*>(VLLockHandle(in, handle));
  if (!g) {
    VLDisposeHandle(in, handle);
    return kHIErrOutOfMemory;
  }
  out->global_data = handle;
  std::memset(g, 0, sizeof *g);

  // The host's code may be one of its variants ('FXTc', 'PPhl', ...): the
  // application's signature as the preferences know it is the normalised one.
  PFSetHostApplication(in->appl_id);
  g->hostCreator = GetCurrentApplication();
  g->useCount = 1;
  // Without its regions the effect would render and take commands unguarded:
  // setup fails instead.
  QVFirstFailure regions;
  regions.Note(QVInitializeCriticalSection(&g->renderRegion));
  regions.Note(QVInitializeCriticalSection(&g->commandRegion));
  regions.Note(QVInitializeCriticalSection(&g->eventRegion));
  if (regions.status != kQVNoErr) {
    DeleteRegions(g);
    VLUnlockHandle(in, handle);
    VLDisposeHandle(in, handle);
    out->global_data = nullptr;
    return kHIErrOutOfMemory;
  }
  g->basicSuite = in->basic_suite;
  new (g->master) VLMPMaster{};
  g->processorCount = VLMPInitialize(masterOf(g), 1);
  {
    VL_EngineLockGuard engine;
    gNumProcessors = g->processorCount;
    gVLMPMaster = *masterOf(g);
  }
  g->lastBuildSequence = 0;
  g->lastBuildCode = 0;

  {
    VLSuite utility(in->basic_suite, kHISuiteAEGPUtility, kHISuiteAEGPUtilityVersionRegister);
    if (auto* s = utility.get<HIUtilitySuite11>()) {
      int32_t id = 0;
      if (s->register_with_host && s->register_with_host(handle, "QV Velmora 3", &id) == kHINoErr)
        g->aegpPluginId = id;
    }
  }
  if (g->hostCreator == kHIHostAfterEffects) {
    VLSuite world(in->basic_suite, kHISuiteWorld, kHISuiteWorldVersion);
    if (world.get<HIWorldSuite2>()) g->hasWorldSuite = 1;
  }
  uint8_t suppressed = 0;
  {
    VLSuite utility(in->basic_suite, kHISuiteAEGPUtility, kHISuiteAEGPUtilityVersionSuppress);
    if (auto* s = utility.get<HIUtilitySuite7>()) {
      if (s->get_suppress_interactive_ui) s->get_suppress_interactive_ui(&suppressed);
    }
  }
  const uint32_t host = g->hostCreator;
  if (host != kHIHostAfterEffects && host != kHIHostPremiere && host != kHIHostMediaEncoder && !suppressed) {
    QVErrorAlert("Velmora 3 PI",
                 "The wrong flavor of the Velmora plug-in is installed for use with this application.",
                 1);
  }
  if (host == kHIHostPremiere) {
    VLSuite formats(in->basic_suite, kHISuitePixelFormat, kHISuitePixelFormatVersion);
    if (auto* s = formats.get<HIPixelFormatSuite1>()) {
      s->clear_supported_pixel_formats(in->effect_ref);
      for (uint32_t f : kPremiereFormats) s->add_supported_pixel_format(in->effect_ref, f);
    }
  }
  {
    VLSuite utility(in->basic_suite, kHISuitePFUtility, kHISuitePFUtilityVersion);
    if (auto* s = utility.get<HIPFUtilitySuite4>()) {
      if (s->use_render_pixel_format_for_checkouts) s->use_render_pixel_format_for_checkouts(in->effect_ref);
    }
  }
  VLUnlockHandle(in, handle);
  return kHINoErr;
}

HIError VLGlobalSetdown(const HIInData* in, HIOutData* out) {
  HIHandle handle = in->global_data;
  if (!handle) return kHINoErr;
  auto* g = static_cast<VLGlobalData*>(VLLockHandle(in, handle));
  if (!g) return kHINoErr;
  g->useCount--;
  if (g->useCount != 0) {
    VLUnlockHandle(in, handle);
    return kHINoErr;
  }
  // The pool of a 'BRed' host is never stopped. The engine's own copy of the
  // master must not outlive the tasks it names.
  if (g->hostCreator != kHIHostBRed) {
    VL_EngineLockGuard engine;
    if (gVLMPMaster.tasks && gVLMPMaster.tasks == masterOf(g)->tasks) {
      gVLMPMaster = VLMPMaster{};
      gNumProcessors = 1;
    }
    VLMPStopAllTasks(masterOf(g)->taskCount, masterOf(g));
  }
  DeleteRegions(g);
  VLUnlockHandle(in, handle);
  VLDisposeHandle(in, handle);
  out->global_data = nullptr;
  return kHINoErr;
}
