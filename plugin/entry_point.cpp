// The plug-in's one exported function: a flat switch over the host's
// commands, each calling its handler inside the critical region the command
// needs. No exception leaves it: running out of memory answers the host's
// memory error, anything else an internal error.
#include <cstring>
#include <new>

#include "platform/host/host_interface.h"
#include "plugin/entry_point.h"
#include "plugin/arb_data.h"
#include "plugin/global_setup.h"
#include "plugin/host_calls.h"
#include "plugin/panel_displays.h"
#include "plugin/panel_strips.h"
#include "plugin/params.h"
#include "plugin/plugin_data.h"
#include "plugin/render.h"
#include "plugin/sequence.h"
#include "support/alerts.h"
#include "support/threads.h"

namespace {

enum class Region { none, command, event };

// Holds one of the global data's regions for a scope.
class RegionHold {
 public:
  RegionHold(VLGlobalData* g, Region which) {
    if (!g || which == Region::none) return;
    region_ = which == Region::command ? &g->commandRegion : &g->eventRegion;
    // A region that is missing or refuses is not held, and so not left.
    if (!*region_ || QVEnterCriticalSection(region_) != kQVNoErr) region_ = nullptr;
  }
  ~RegionHold() {
    if (region_) QVIgnoreStatus(QVLeaveCriticalSection(region_));  // held by this thread: cannot fail
  }
  RegionHold(const RegionHold&) = delete;
  RegionHold& operator=(const RegionHold&) = delete;

 private:
  PLCriticalRegion** region_ = nullptr;
};

Region regionOf(HICommand command) {
  switch (command) {
    case kHICmdGlobalSetup:
    case kHICmdGlobalSetdown:
    case kHICmdRender:
    case kHICmdUnused2:
    case kHICmdExternalDependencies:
    case kHICmdQueryDynamicFlags:
    case kHICmdAudioRender:
    case kHICmdAudioSetup:
    case kHICmdAudioSetdown:
      return Region::none;
    case kHICmdEvent:
      return Region::event;
    default:
      return Region::command;
  }
}

// Custom-interface events go to the handler of the parameter's strip or
// display, chosen by the parameter's identifier.
HIError routeEvent(const HIInData* in, HIOutData* out, HIParamDef* params[], HIWorld* output, VLGlobalData* g,
                   HIEventExtra* event) {
  if (!event || !event->context) return kHINoErr;
  int32_t index = event->context->param_index;
  if (index < 0 || index >= kVLParamCount) return kHINoErr;
  switch (int32_t(g->indexToId[index])) {
    case kVLParamIdSettings:
      return HandleButtonUIEvents(in, out, params, output, event, g);
    case kVLParamIdHueOffset:
      return HandleHueOffsetWheelEvents(in, out, params, output, event, g);
    case kVLParamIdCurves:
      return HandleCurveEvents(in, out, params, output, event, g);
    case kVLParamIdLevelsAuto:
      return HandleLevelsUIEvents(in, out, params, output, event, g);
    default:
      return kHINoErr;
  }
}

HIError dispatch(HICommand command, HIInData* in, HIOutData* out, HIParamDef* params[], HIWorld* output,
                 void* extra) {
  if (command < 0 || command >= kHICmdCount || !in || !out) return kHINoErr;
  if (command == kHICmdGlobalSetup) return GlobalSetup(in, out);
  if (command == kHICmdGlobalSetdown) return VLGlobalSetdown(in, out);
  if (command == kHICmdRender) return Render(in, out, params, output);

  // Arbitrary-data callbacks need no global data; everything else does.
  VLLockedHandle globalsLock(in, in->global_data);
  auto* g = static_cast<VLGlobalData*>(globalsLock.data());
  if (!g || globalsLock.size() < kVLGlobalDataSize) {
    if (command == kHICmdArbitraryCallback) {
      return HandleArbEvent(in, out, params, output, static_cast<HIArbitraryExtra*>(extra));
    }
    return regionOf(command) == Region::none ? kHINoErr : kHIErrInternalStructDamaged;
  }
  RegionHold hold(g, regionOf(command));
  switch (command) {
    case kHICmdAbout:
      DisplayAboutBoxCocoa();
      out->return_msg[0] = '\0';
      return kHINoErr;
    case kHICmdParamsSetup:
      return VLParamsSetup(in, out, g);
    case kHICmdSequenceSetup:
      return VLSequenceSetup(in, out);
    case kHICmdSequenceResetup:
      return VLSequenceResetup(in, out, params, g);
    case kHICmdSequenceFlatten:
      return VLSequenceFlatten(in, out);
    case kHICmdSequenceSetdown:
      return VLSequenceSetdown(in, out);
    case kHICmdDoDialog:
      QVErrorAlert("Velmora",
                   "Please use the \"Full Interface\" button in the Velmora parameters. You may need to twirl "
                   "open the parameters if they are not already open and displaying the Velmora logo and "
                   "buttons.",
                   3);
      return kHINoErr;
    case kHICmdUserChangedParam:
      return VLUserChangedParam(in, out, params, g, static_cast<const HIUserChangedParamExtra*>(extra));
    case kHICmdEvent:
      return routeEvent(in, out, params, output, g, static_cast<HIEventExtra*>(extra));
    case kHICmdCompletelyGeneral:
      return VLSettingsTransfer(in, params, g, static_cast<HISettingsRequest*>(extra));
    case kHICmdArbitraryCallback:
      return HandleArbEvent(in, out, params, output, static_cast<HIArbitraryExtra*>(extra));
    case kHICmdSmartPreRender:
      return VLSmartPreRender(in, static_cast<HIPreRenderExtra*>(extra));
    case kHICmdSmartRender:
      return SmartRender(in, out, static_cast<HISmartRenderExtra*>(extra));
    default:
      return kHINoErr;
  }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) HIError EntryPointFunc(HICommand command, HIInData* in,
                                                                         HIOutData* out, HIParamDef* params[],
                                                                         HIWorld* output, void* extra) {
  try {
    return dispatch(command, in, out, params, output, extra);
  } catch (const std::bad_alloc&) {
    return kHIErrOutOfMemory;
  } catch (...) {
    return kHIErrInternalStructDamaged;
  }
}
