// Commands and the effect's life: loading the module, building the
// parameter array of a command, sending the command and keeping what the
// effect answers, and the set-up and set-down sequences.
#include <dlfcn.h>

#include <mutex>

#include "platform/host/host_signatures.h"
#include "platform/standin_host/sh_call.h"

std::atomic<SHHost*> gSHActiveHost{nullptr};

HIError SHPrepareParams(SHHost* host, SHCall* call, bool live) {
  size_t count;
  {
    std::lock_guard<std::recursive_mutex> lock(host->params_lock);
    count = host->params.size();
    call->defs.resize(count);
    for (size_t i = 0; i < count; ++i) call->defs[i] = host->params[i].def;
  }
  for (size_t i = 1; i < count; ++i) {
    HIParamDef& d = call->defs[i];
    if (d.param_type == kHIParamArbitraryData) {
      if (live) continue;
      HIHandle value = nullptr;
      HIError err = SHArbValueAt(host, int32_t(i), call->time, &value);
      if (err) return err;
      call->owned.push_back(value);
      d.u.arb.value = value;
    } else {
      double v = SHValueAt(host, int32_t(i), call->time);
      if (d.param_type == kHIParamFloatSlider) d.u.fs.value = v;
      if (d.param_type == kHIParamCheckbox) d.u.cb.value = int32_t(v);
      if (d.param_type == kHIParamPopup) d.u.pd.value = int32_t(v);
    }
  }
  if (count > 0) call->defs[0].u.layer = call->input;
  call->pointers.resize(count);
  for (size_t i = 0; i < count; ++i) call->pointers[i] = &call->defs[i];
  return kHINoErr;
}

HIError SHDispatch(SHHost* host, SHCall* call, HICommand command, void* extra, HIWorld* output) {
  if (!host->entry) return kHIErrInvalidCallback;
  HIInData in{};
  in.utils = &host->utils;
  in.effect_ref = reinterpret_cast<HIEffectRef>(call);
  in.basic_suite = &kSHBasicSuite;
  in.version_major = host->config.version_major;
  in.version_minor = host->config.version_minor;
  in.appl_id = host->config.signature;
  in.num_params = int32_t(call->defs.size());
  in.current_time = call->time;
  in.time_step = host->config.time_step;
  in.time_scale = uint32_t(host->config.time_scale);
  in.total_time = host->config.time_step * host->config.clip_frames;
  in.width = call->input.width;
  in.height = call->input.height;
  in.extent_hint = call->input.extent_hint;
  in.pixel_aspect_num = in.pixel_aspect_den = 1;
  HIOutData out{};
  {
    std::lock_guard<std::mutex> lock(host->state_lock);
    in.global_data = out.global_data = host->global_data;
    in.sequence_data = out.sequence_data = host->sequence_data;
  }
  HIError err = host->entry(command, &in, &out, call->pointers.empty() ? nullptr : call->pointers.data(),
                            output, extra);
  std::lock_guard<std::mutex> lock(host->state_lock);
  switch (command) {
    case kHICmdGlobalSetup:
      host->global_data = out.global_data;
      host->out_flags = out.out_flags;
      host->out_flags2 = out.out_flags2;
      host->plugin_version = out.my_version;
      break;
    case kHICmdGlobalSetdown:
      host->global_data = nullptr;
      break;
    case kHICmdSequenceSetup:
    case kHICmdSequenceResetup:
    case kHICmdSequenceFlatten:
      host->sequence_data = out.sequence_data;
      break;
    case kHICmdSequenceSetdown:
      host->sequence_data = nullptr;
      break;
    default:
      break;
  }
  out.return_msg[sizeof out.return_msg - 1] = '\0';
  host->return_message = out.return_msg;
  return err;
}

SHConfig SHConfigForSignature(uint32_t signature) {
  SHConfig c;
  c.signature = signature;
  c.offer_pixel_format_suite = HINormalizeSignature(signature) == kHIHostPremiere;
  return c;
}

bool SHLoadPlugin(SHHost* host, const std::string& path, std::string* error) {
  void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    *error = dlerror();
    return false;
  }
  auto entry = reinterpret_cast<HIEntryPoint>(dlsym(lib, kHIEntryPointName));
  if (!entry) {
    *error = path + ": no " kHIEntryPointName;
    dlclose(lib);
    return false;
  }
  host->library = lib;
  SHAttachEntryPoint(host, entry);
  return true;
}


void SHAttachEntryPoint(SHHost* host, HIEntryPoint entry) {
  host->entry = entry;
  SHSetParamCallbacks(&host->utils);
  SHSetHandleCallbacks(&host->utils, host->config.offer_handle_callbacks);
  gSHActiveHost.store(host);
}

void SHUnloadPlugin(SHHost* host) {
  std::lock_guard<std::recursive_mutex> lock(host->params_lock);
  for (SHParam& p : host->params) {
    if (p.def.param_type == kHIParamArbitraryData) {
      HIDisposeHandle(p.def.u.arb.value);
      HIDisposeHandle(p.def.u.arb.dephault);
    }
    for (SHKeyframe& k : p.keys) HIDisposeHandle(k.arb);
  }
  host->params.clear();
  if (host->library) dlclose(host->library);
  host->library = nullptr;
  host->entry = nullptr;
  SHHost* expected = host;
  gSHActiveHost.compare_exchange_strong(expected, nullptr);
}

// The effect edits an arbitrary-data value in place, or hands back a new
// handle (having disposed of the old one): the host keeps what it got back.
void SHTakeBackArbValues(SHHost* host, const SHCall& call) {
  std::lock_guard<std::recursive_mutex> lock(host->params_lock);
  for (size_t i = 1; i < call.defs.size() && i < host->params.size(); ++i) {
    const HIParamDef& d = call.defs[i];
    SHParam& p = host->params[i];
    if (d.param_type == kHIParamArbitraryData && d.u.arb.value != p.def.u.arb.value) p.def.u.arb.value = d.u.arb.value;
  }
}

HIError SHSendCommand(SHHost* host, HICommand command, void* extra) {
  SHCall call;
  call.host = host;
  const bool live =
      command != kHICmdGlobalSetup && command != kHICmdParamsSetup && command != kHICmdGlobalSetdown;
  if (live) {
    HIError err = SHPrepareParams(host, &call, true);
    if (err) return err;
  }
  HIError err = SHDispatch(host, &call, command, extra, nullptr);
  if (live) SHTakeBackArbValues(host, call);
  return err;
}

HIError SHStartEffect(SHHost* host) {
  HIError err = SHSendCommand(host, kHICmdGlobalSetup);
  if (!err) err = SHSendCommand(host, kHICmdParamsSetup);
  if (!err) err = SHSendCommand(host, kHICmdSequenceSetup);
  return err;
}

HIError SHStopEffect(SHHost* host) {
  HIError err = kHINoErr;
  if (host->sequence_data) err = SHSendCommand(host, kHICmdSequenceSetdown);
  if (host->global_data) {
    HIError e = SHSendCommand(host, kHICmdGlobalSetdown);
    if (!err) err = e;
  }
  return err;
}

HIError SHClickFullInterface(SHHost* host, int32_t time) {
  // A click and release on the Full button of the settings strip.
  SHCall call;
  call.host = host;
  call.time = time;
  HIError err = SHPrepareParams(host, &call, true);
  if (err) return err;
  // The settings strip holds the Full button at (5, 29) to (86, 46).
  HIEventContext context{1, SHIndexOfId(host, 1), nullptr};
  HIEventExtra event{};
  event.context = &context;
  event.kind = kHIEventClick;
  event.area = HIRect{0, 0, 300, 50};
  event.u.click.screen_point = HIPoint{40, 36};
  err = SHDispatch(host, &call, kHICmdEvent, &event, nullptr);
  // Most hosts' buttons act on release: the mouse goes up where it went down.
  if (!err && event.u.click.send_drag) {
    event.kind = kHIEventDrag;
    event.u.click.send_drag = 0;
    event.u.click.last_time = 1;
    err = SHDispatch(host, &call, kHICmdEvent, &event, nullptr);
  }
  SHTakeBackChangedValues(host, call, time);
  return err;
}
