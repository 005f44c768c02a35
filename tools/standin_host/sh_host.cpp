#include "tools/standin_host/sh_host.h"

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

#include "platform/fourcc.h"
#include "platform/host/host_handles.h"

namespace {

// The host whose suites the broker hands out. One effect host per process at
// a time, as the suite functions carry no context.
std::atomic<SHHost*> activeHost{nullptr};

// One command in flight: what the callbacks need to answer it.
struct Call {
  SHHost* host = nullptr;
  int32_t time = 0;
  HIWorld input{};
  HIWorld output{};
  std::vector<HIParamDef> defs;
  std::vector<HIParamDef*> pointers;
  std::vector<HIHandle> owned;  // handles disposed when the call ends
  ~Call() {
    for (HIHandle h : owned) HIDisposeHandle(h);
  }
};

Call* callOf(HIEffectRef ref) { return reinterpret_cast<Call*>(ref); }

// ---- handles

bool allocationAllowed(uint64_t size) {
  SHHost* host = activeHost.load();
  return !host || size <= host->config.max_allocation;
}

HIHandle newHandle(uint64_t size) { return allocationAllowed(size) ? HINewHandle(size) : nullptr; }
void disposeHandle(HIHandle h) { HIDisposeHandle(h); }
void* lockHandle(HIHandle h) { return HILockHandle(h); }
void unlockHandle(HIHandle h) { HIUnlockHandle(h); }
uint64_t handleSize(HIHandle h) { return HIGetHandleSize(h); }
HIError setHandleSize(HIHandle h, uint64_t size) { return HISetHandleSize(h, size); }

// ---- utility callbacks

HIError addParam(HIEffectRef ref, int32_t index, const HIParamDef* def) {
  Call* call = callOf(ref);
  if (!call || !def) return kHIErrBadCallbackParam;
  SHHost* host = call->host;
  std::lock_guard<std::recursive_mutex> lock(host->params_lock);
  if (index >= 0 && index != int32_t(host->params.size())) return kHIErrBadCallbackParam;
  if (host->params.size() >= 1000) return kHIErrOutOfMemory;
  SHParam param;
  param.def = *def;
  param.def.change_flags = 0;
  if (def->param_type == kHIParamPopup && def->u.pd.names) param.popup_names = def->u.pd.names;
  if (def->param_type == kHIParamCheckbox && def->u.cb.label) param.checkbox_label = def->u.cb.label;
  if (def->param_type == kHIParamArbitraryData) {
    // The host owns the default from now on; the value starts as its copy.
    param.def.u.arb.value = SHCopyHandle(def->u.arb.dephault);
  }
  host->params.push_back(std::move(param));
  SHParam& stored = host->params.back();
  if (stored.def.param_type == kHIParamPopup) stored.def.u.pd.names = nullptr;
  if (stored.def.param_type == kHIParamCheckbox) stored.def.u.cb.label = nullptr;
  return kHINoErr;
}

HIError registerUI(HIEffectRef ref, const HICustomUIInfo* info) {
  Call* call = callOf(ref);
  if (!call || !info) return kHIErrBadCallbackParam;
  call->host->custom_ui_registered = true;
  return kHINoErr;
}

HIError checkoutParam(HIEffectRef ref, int32_t index, int32_t time, int32_t, uint32_t, HIParamDef* result) {
  Call* call = callOf(ref);
  if (!call || !result) return kHIErrBadCallbackParam;
  if (index < 0 || size_t(index) >= call->defs.size()) return kHIErrBadCallbackParam;
  if (index == 0) {
    *result = call->defs[0];
    result->u.layer = call->input;
    return kHINoErr;
  }
  *result = call->defs[size_t(index)];
  if (time == call->time) return kHINoErr;
  if (result->param_type == kHIParamArbitraryData) {
    HIHandle value = nullptr;
    HIError err = SHArbValueAt(call->host, index, time, &value);
    if (err) return err;
    call->owned.push_back(value);
    result->u.arb.value = value;
  } else {
    double v = SHValueAt(call->host, index, time);
    if (result->param_type == kHIParamFloatSlider) result->u.fs.value = v;
    if (result->param_type == kHIParamCheckbox) result->u.cb.value = int32_t(v);
    if (result->param_type == kHIParamPopup) result->u.pd.value = int32_t(v);
  }
  return kHINoErr;
}

HIError checkinParam(HIEffectRef ref, HIParamDef* param) {
  return callOf(ref) && param ? kHINoErr : kHIErrBadCallbackParam;
}

// Fills the part of rect that lies inside the world; no colour is transparent black.
HIError fill(HIEffectRef, const HIPixel8* color, const HIRect* rect, HIWorld* world) {
  if (!world || !world->data) return kHIErrBadCallbackParam;
  HIRect r = rect ? *rect : HIRect{0, 0, world->width, world->height};
  r.left = std::max(r.left, 0);
  r.top = std::max(r.top, 0);
  r.right = std::min(r.right, world->width);
  r.bottom = std::min(r.bottom, world->height);
  if (r.right <= r.left || r.bottom <= r.top) return kHINoErr;
  int32_t bpp = (world->flags & kHIWorldFlagFloat) ? 16 : (world->flags & kHIWorldFlagDeep) ? 8 : 4;
  uint8_t pixel[16] = {};
  if (color) {
    const uint8_t argb[4] = {color->alpha, color->red, color->green, color->blue};
    for (int c = 0; c < 4; ++c) {
      if (bpp == 4) {
        pixel[c] = argb[c];
      } else if (bpp == 8) {
        uint16_t v = uint16_t((argb[c] * 32768 + 127) / 255);
        std::memcpy(pixel + 2 * c, &v, 2);
      } else {
        float v = argb[c] / 255.0f;
        std::memcpy(pixel + 4 * c, &v, 4);
      }
    }
  }
  for (int32_t y = r.top; y < r.bottom; ++y) {
    uint8_t* row = static_cast<uint8_t*>(world->data) + size_t(y) * size_t(world->row_bytes);
    for (int32_t x = r.left; x < r.right; ++x) std::memcpy(row + size_t(x) * size_t(bpp), pixel, size_t(bpp));
  }
  return kHINoErr;
}

// ---- suites

HIError registerWithHost(void*, const char*, int32_t* id) {
  SHHost* host = activeHost.load();
  if (!host || !id) return kHIErrBadCallbackParam;
  host->aegp_plugin_id = 7;
  *id = host->aegp_plugin_id;
  return kHINoErr;
}
HIError startUndoGroup(const char*) { return kHINoErr; }
HIError endUndoGroup() { return kHINoErr; }
HIError suppressedUI(uint8_t* suppressed) {
  SHHost* host = activeHost.load();
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
  if (SHHost* host = activeHost.load()) host->supported_formats.clear();
  return kHINoErr;
}
HIError addFormat(HIEffectRef, uint32_t format) {
  if (SHHost* host = activeHost.load()) host->supported_formats.push_back(format);
  return kHINoErr;
}
HIError useRenderFormat(HIEffectRef) {
  if (SHHost* host = activeHost.load()) host->renders_checkouts_in_render_format = true;
  return kHINoErr;
}
HIError newMem(int32_t, const char*, uint64_t size, uint32_t, HIMemHandle* result) {
  if (!result) return kHIErrBadCallbackParam;
  HIHandle h = allocationAllowed(size) ? HINewHandle(size) : nullptr;
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

const HIUtilitySuite11 kUtility11 = {registerWithHost, startUndoGroup, endUndoGroup};
const HIUtilitySuite7 kUtility7 = {suppressedUI};
const HIWorldSuite2 kWorld2 = {worldPixelFormat};
const HIPixelFormatSuite1 kPixelFormat1 = {clearFormats, addFormat, worldPixelFormat};
const HIPFUtilitySuite4 kPFUtility4 = {useRenderFormat};
const HIMemorySuite1 kMemory1 = {newMem, freeMem, lockMem, unlockMem, memSize};

HIError acquireSuite(const char* name, int32_t version, const void** suite) {
  SHHost* host = activeHost.load();
  if (!suite) return kHIErrBadCallbackParam;
  *suite = nullptr;
  if (!host || !name) return kHIErrInvalidCallback;
  const SHConfig& c = host->config;
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

const HIBasicSuite kBasicSuite = {acquireSuite, releaseSuite};

// ---- pre-render and smart render callbacks

HIError checkoutLayer(HIEffectRef ref, int32_t index, int32_t, const HIRenderRequest* request, int32_t, int32_t,
                      uint32_t, HICheckoutResult* result) {
  Call* call = callOf(ref);
  if (!call || !request || !result || index != 0) return kHIErrBadCallbackParam;
  *result = HICheckoutResult{};
  HIRect bounds{0, 0, call->input.width, call->input.height};
  result->max_result_rect = bounds;
  result->result_rect = HIRect{std::max(request->rect.left, 0), std::max(request->rect.top, 0),
                               std::min(request->rect.right, bounds.right),
                               std::min(request->rect.bottom, bounds.bottom)};
  result->par_num = result->par_den = 1;
  return kHINoErr;
}

HIError checkoutLayerPixels(HIEffectRef ref, int32_t checkout_id, HIWorld** pixels) {
  Call* call = callOf(ref);
  if (!call || !pixels || checkout_id != 1) return kHIErrBadCallbackParam;
  *pixels = &call->input;
  return kHINoErr;
}
HIError checkinLayerPixels(HIEffectRef ref, int32_t) { return callOf(ref) ? kHINoErr : kHIErrBadCallbackParam; }
HIError checkoutOutput(HIEffectRef ref, HIWorld** output) {
  Call* call = callOf(ref);
  if (!call || !output) return kHIErrBadCallbackParam;
  *output = &call->output;
  return kHINoErr;
}

const HIPreRenderCallbacks kPreRenderCallbacks = {checkoutLayer};
const HISmartRenderCallbacks kSmartRenderCallbacks = {checkoutLayerPixels, checkinLayerPixels, checkoutOutput};

// ---- commands

// The parameter array for a call: copies of the host's definitions at the
// call's time. Arbitrary data are fresh handles owned by the call unless
// `live` asks for the host's own handles (user edits change them in place).
HIError prepareParams(SHHost* host, Call* call, bool live) {
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

HIError dispatch(SHHost* host, Call* call, HICommand command, void* extra, HIWorld* output) {
  if (!host->entry) return kHIErrInvalidCallback;
  HIInData in{};
  in.utils = &host->utils;
  in.effect_ref = reinterpret_cast<HIEffectRef>(call);
  in.basic_suite = &kBasicSuite;
  in.version_major = host->config.version_major;
  in.version_minor = host->config.version_minor;
  in.appl_id = host->config.signature;
  in.num_params = int32_t(call->defs.size());
  in.current_time = call->time;
  in.time_step = host->config.time_step;
  in.time_scale = uint32_t(host->config.time_scale);
  in.total_time = host->config.time_step * 1000;
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

}  // namespace

SHConfig SHConfigForSignature(uint32_t signature) {
  SHConfig c;
  c.signature = signature;
  c.offer_pixel_format_suite = signature == QVFourCC("PPro");
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
  if (host->config.offer_handle_callbacks) {
    host->utils = HIUtilityCallbacks{addParam, registerUI, checkoutParam, checkinParam, fill,
                                     newHandle, disposeHandle, lockHandle, unlockHandle, handleSize,
                                     setHandleSize};
  } else {
    host->utils = HIUtilityCallbacks{addParam, registerUI, checkoutParam, checkinParam, fill,
                                     nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
  }
  activeHost.store(host);
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
  activeHost.compare_exchange_strong(expected, nullptr);
}

namespace {

// The effect edits an arbitrary-data value in place, or hands back a new
// handle (having disposed of the old one): the host keeps what it got back.
void takeBackArbValues(SHHost* host, const Call& call) {
  std::lock_guard<std::recursive_mutex> lock(host->params_lock);
  for (size_t i = 1; i < call.defs.size() && i < host->params.size(); ++i) {
    const HIParamDef& d = call.defs[i];
    SHParam& p = host->params[i];
    if (d.param_type == kHIParamArbitraryData && d.u.arb.value != p.def.u.arb.value) p.def.u.arb.value = d.u.arb.value;
  }
}

}  // namespace

HIError SHSendCommand(SHHost* host, HICommand command, void* extra) {
  Call call;
  call.host = host;
  const bool live =
      command != kHICmdGlobalSetup && command != kHICmdParamsSetup && command != kHICmdGlobalSetdown;
  if (live) {
    HIError err = prepareParams(host, &call, true);
    if (err) return err;
  }
  HIError err = dispatch(host, &call, command, extra, nullptr);
  if (live) takeBackArbValues(host, call);
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

int32_t SHIndexOfId(const SHHost* host, int32_t id) {
  for (size_t i = 1; i < host->params.size(); ++i) {
    if (host->params[i].def.uu_id == id) return int32_t(i);
  }
  return -1;
}

namespace {

void storeValue(HIParamDef* d, double v) {
  if (d->param_type == kHIParamFloatSlider) d->u.fs.value = v;
  if (d->param_type == kHIParamCheckbox) d->u.cb.value = int32_t(v);
  if (d->param_type == kHIParamPopup) d->u.pd.value = int32_t(v);
}

double loadValue(const HIParamDef& d) {
  if (d.param_type == kHIParamFloatSlider) return d.u.fs.value;
  if (d.param_type == kHIParamCheckbox) return d.u.cb.value;
  if (d.param_type == kHIParamPopup) return d.u.pd.value;
  return 0;
}

}  // namespace

void SHSetKeyframe(SHHost* host, int32_t index, int32_t time, double value) {
  std::lock_guard<std::recursive_mutex> lock(host->params_lock);
  if (index <= 0 || size_t(index) >= host->params.size()) return;
  auto& keys = host->params[size_t(index)].keys;
  auto it = std::find_if(keys.begin(), keys.end(), [&](const SHKeyframe& k) { return k.time >= time; });
  if (it != keys.end() && it->time == time) {
    it->value = value;
  } else {
    SHKeyframe k;
    k.time = time;
    k.value = value;
    keys.insert(it, k);
  }
}

void SHSetArbKeyframe(SHHost* host, int32_t index, int32_t time, HIHandle value) {
  std::lock_guard<std::recursive_mutex> lock(host->params_lock);
  if (index <= 0 || size_t(index) >= host->params.size()) return;
  auto& keys = host->params[size_t(index)].keys;
  auto it = std::find_if(keys.begin(), keys.end(), [&](const SHKeyframe& k) { return k.time >= time; });
  HIHandle copy = SHCopyHandle(value);
  if (it != keys.end() && it->time == time) {
    HIDisposeHandle(it->arb);
    it->arb = copy;
  } else {
    SHKeyframe k;
    k.time = time;
    k.arb = copy;
    keys.insert(it, k);
  }
}

void SHSetArbValue(SHHost* host, int32_t index, HIHandle value) {
  std::lock_guard<std::recursive_mutex> lock(host->params_lock);
  if (index <= 0 || size_t(index) >= host->params.size()) {
    HIDisposeHandle(value);
    return;
  }
  HIParamDef& d = host->params[size_t(index)].def;
  HIDisposeHandle(d.u.arb.value);
  d.u.arb.value = value;
}

double SHValueAt(const SHHost* host, int32_t index, int32_t time) {
  std::lock_guard<std::recursive_mutex> lock(const_cast<SHHost*>(host)->params_lock);
  if (index <= 0 || size_t(index) >= host->params.size()) return 0;
  const SHParam& p = host->params[size_t(index)];
  if (p.keys.empty()) return loadValue(p.def);
  if (time <= p.keys.front().time) return p.keys.front().value;
  if (time >= p.keys.back().time) return p.keys.back().value;
  size_t i = 1;
  while (p.keys[i].time < time) ++i;
  const SHKeyframe& a = p.keys[i - 1];
  const SHKeyframe& b = p.keys[i];
  if (p.def.param_type != kHIParamFloatSlider) return a.value;  // checkboxes and pop-ups hold
  double t = double(time - a.time) / double(b.time - a.time);
  return a.value + (b.value - a.value) * t;
}

HIError SHArbValueAt(SHHost* host, int32_t index, int32_t time, HIHandle* value) {
  *value = nullptr;
  HIHandle left = nullptr, right = nullptr;
  double fraction = 0;
  {
    std::lock_guard<std::recursive_mutex> lock(host->params_lock);
    if (index <= 0 || size_t(index) >= host->params.size()) return kHIErrBadCallbackParam;
    const SHParam& p = host->params[size_t(index)];
    if (p.keys.empty()) {
      *value = SHCopyHandle(p.def.u.arb.value);
      return *value || !p.def.u.arb.value ? kHINoErr : kHIErrOutOfMemory;
    }
    if (time <= p.keys.front().time || time >= p.keys.back().time) {
      *value = SHCopyHandle(time <= p.keys.front().time ? p.keys.front().arb : p.keys.back().arb);
      return *value ? kHINoErr : kHIErrOutOfMemory;
    }
    size_t i = 1;
    while (p.keys[i].time < time) ++i;
    left = SHCopyHandle(p.keys[i - 1].arb);
    right = SHCopyHandle(p.keys[i].arb);
    fraction = double(time - p.keys[i - 1].time) / double(p.keys[i].time - p.keys[i - 1].time);
  }
  HIArbitraryExtra extra{};
  extra.which = kHIArbInterpolate;
  extra.u.interpolate.left = left;
  extra.u.interpolate.right = right;
  extra.u.interpolate.fraction = fraction;
  extra.u.interpolate.result = value;
  HIError err = SHArbCallback(host, index, &extra);
  HIDisposeHandle(left);
  HIDisposeHandle(right);
  return err;
}

HIError SHArbCallback(SHHost* host, int32_t index, HIArbitraryExtra* extra) {
  {
    std::lock_guard<std::recursive_mutex> lock(host->params_lock);
    if (index <= 0 || size_t(index) >= host->params.size() ||
        host->params[size_t(index)].def.param_type != kHIParamArbitraryData)
      return kHIErrBadCallbackParam;
    extra->id = host->params[size_t(index)].def.u.arb.id;
  }
  Call call;
  call.host = host;
  return dispatch(host, &call, kHICmdArbitraryCallback, extra, nullptr);
}

HIError SHUserSetValue(SHHost* host, int32_t index, double value, int32_t time) {
  bool supervised;
  {
    std::lock_guard<std::recursive_mutex> lock(host->params_lock);
    if (index <= 0 || size_t(index) >= host->params.size()) return kHIErrBadCallbackParam;
    SHParam& p = host->params[size_t(index)];
    if (p.keys.empty()) {
      storeValue(&p.def, value);
    } else {
      SHSetKeyframe(host, index, time, value);
    }
    supervised = (p.def.flags & kHIParamFlagSupervise) != 0;
  }
  if (!supervised) return kHINoErr;
  Call call;
  call.host = host;
  call.time = time;
  HIError err = prepareParams(host, &call, true);
  if (err) return err;
  HIUserChangedParamExtra extra{index};
  err = dispatch(host, &call, kHICmdUserChangedParam, &extra, nullptr);
  // Take back what the plug-in says it changed.
  takeBackArbValues(host, call);
  std::lock_guard<std::recursive_mutex> lock(host->params_lock);
  for (size_t i = 1; i < call.defs.size() && i < host->params.size(); ++i) {
    HIParamDef& d = call.defs[i];
    SHParam& p = host->params[i];
    if (d.param_type == kHIParamArbitraryData) continue;
    if (!(d.change_flags & kHIChangeFlagChangedValue)) continue;
    if (p.keys.empty()) {
      storeValue(&p.def, loadValue(d));
    } else {
      SHSetKeyframe(host, int32_t(i), time, loadValue(d));
    }
  }
  return err;
}

HIError SHRender(SHHost* host, const SHFrame& input, SHFrame* output, int32_t time, bool smart) {
  Call call;
  call.host = host;
  call.time = time;
  call.input = input.world;
  call.output = output->world;
  HIError err = prepareParams(host, &call, false);
  if (err) return err;
  if (smart && (host->out_flags2 & kHIOutFlag2SmartRender)) {
    HIPreRenderInput preIn{};
    preIn.output_request.rect = HIRect{0, 0, output->world.width, output->world.height};
    preIn.output_request.channel_mask = 0xF;
    preIn.bitdepth = SHGetLayoutInfo(input.layout).bitdepth;
    HIPreRenderOutput preOut{};
    HIPreRenderExtra pre{&preIn, &preOut, &kPreRenderCallbacks};
    err = dispatch(host, &call, kHICmdSmartPreRender, &pre, nullptr);
    if (err) return err;
    HISmartRenderInput smartIn{};
    smartIn.output_request = preIn.output_request;
    smartIn.bitdepth = preIn.bitdepth;
    smartIn.pre_render_data = preOut.pre_render_data;
    HISmartRenderExtra smartExtra{&smartIn, &kSmartRenderCallbacks};
    err = dispatch(host, &call, kHICmdSmartRender, &smartExtra, nullptr);
    if (preOut.delete_pre_render_data) preOut.delete_pre_render_data(preOut.pre_render_data);
    return err;
  }
  return dispatch(host, &call, kHICmdRender, nullptr, &call.output);
}

HIError SHRenderConcurrently(SHHost* host, const std::vector<SHFrame>& inputs, std::vector<SHFrame>* outputs,
                             int32_t time, bool smart, int32_t threads) {
  if (outputs->size() != inputs.size()) return kHIErrBadCallbackParam;
  threads = std::clamp(threads, 1, 64);
  std::atomic<size_t> next{0};
  std::atomic<HIError> first{kHINoErr};
  std::vector<std::thread> pool;
  for (int32_t t = 0; t < threads; ++t) {
    pool.emplace_back([&] {
      for (size_t i = next.fetch_add(1); i < inputs.size(); i = next.fetch_add(1)) {
        HIError err = SHRender(host, inputs[i], &(*outputs)[i], time, smart);
        HIError none = kHINoErr;
        if (err) first.compare_exchange_strong(none, err);
      }
    });
  }
  for (std::thread& t : pool) t.join();
  return first.load();
}

HIHandle SHCopyHandle(HIHandle source) {
  if (!source) return nullptr;
  uint64_t size = HIGetHandleSize(source);
  HIHandle copy = HINewHandle(size);
  if (!copy) return nullptr;
  if (size) std::memcpy(HILockHandle(copy), HILockHandle(source), size);
  HIUnlockHandle(source);
  HIUnlockHandle(copy);
  return copy;
}

std::vector<uint8_t> SHHandleBytes(HIHandle handle) {
  std::vector<uint8_t> bytes(HIGetHandleSize(handle));
  if (!bytes.empty()) {
    std::memcpy(bytes.data(), HILockHandle(handle), bytes.size());
    HIUnlockHandle(handle);
  }
  return bytes;
}

HIHandle SHHandleFromBytes(const void* data, size_t size) {
  HIHandle h = HINewHandle(size);
  if (h && size) {
    std::memcpy(HILockHandle(h), data, size);
    HIUnlockHandle(h);
  }
  return h;
}
