// The effect's utility callbacks for parameters and drawing: adding a
// parameter at set-up, checking parameters out at other times, custom
// interface registration and filling a world.
#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/standin_host/sh_call.h"

namespace {

HIError addParam(HIEffectRef ref, int32_t index, const HIParamDef* def) {
  SHCall* call = SHCallOf(ref);
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
  SHCall* call = SHCallOf(ref);
  if (!call || !info) return kHIErrBadCallbackParam;
  call->host->custom_ui_registered = true;
  return kHINoErr;
}

HIError checkoutParam(HIEffectRef ref, int32_t index, int32_t time, int32_t, uint32_t, HIParamDef* result) {
  SHCall* call = SHCallOf(ref);
  if (!call || !result) return kHIErrBadCallbackParam;
  if (index < 0 || size_t(index) >= call->defs.size()) return kHIErrBadCallbackParam;
  if (index == 0) {
    *result = call->defs[0];
    result->u.layer = call->input;
    if (!call->input.data && call->host->clip_frame) {
      const SHFrame* frame = call->host->clip_frame(time);
      if (frame) result->u.layer = frame->world;
    }
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
  return SHCallOf(ref) && param ? kHINoErr : kHIErrBadCallbackParam;
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

HIError abortRequested(HIEffectRef ref) {
  SHCall* call = SHCallOf(ref);
  const std::atomic<bool>* interrupt = call && call->host ? call->host->interrupt : nullptr;
  return interrupt && interrupt->load() ? kHIErrInterrupted : kHINoErr;
}

}  // namespace

void SHSetParamCallbacks(HIUtilityCallbacks* utils) {
  utils->abort = abortRequested;
  utils->add_param = addParam;
  utils->register_ui = registerUI;
  utils->checkout_param = checkoutParam;
  utils->checkin_param = checkinParam;
  utils->fill = fill;
}
