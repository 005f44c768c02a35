// Rendering: classic render, smart render with its pre-render and checkout
// callbacks, and many frames rendered at once on several threads.
#include <algorithm>
#include <atomic>
#include <thread>

#include "platform/standin_host/sh_call.h"

namespace {

HIError checkoutLayer(HIEffectRef ref, int32_t index, int32_t, const HIRenderRequest* request, int32_t, int32_t,
                      uint32_t, HICheckoutResult* result) {
  SHCall* call = SHCallOf(ref);
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
  SHCall* call = SHCallOf(ref);
  if (!call || !pixels || checkout_id != 1) return kHIErrBadCallbackParam;
  *pixels = &call->input;
  return kHINoErr;
}
HIError checkinLayerPixels(HIEffectRef ref, int32_t) { return SHCallOf(ref) ? kHINoErr : kHIErrBadCallbackParam; }
HIError checkoutOutput(HIEffectRef ref, HIWorld** output) {
  SHCall* call = SHCallOf(ref);
  if (!call || !output) return kHIErrBadCallbackParam;
  *output = &call->output;
  return kHINoErr;
}

const HIPreRenderCallbacks kPreRenderCallbacks = {checkoutLayer};
const HISmartRenderCallbacks kSmartRenderCallbacks = {checkoutLayerPixels, checkinLayerPixels, checkoutOutput};

}  // namespace

HIError SHRender(SHHost* host, const SHFrame& input, SHFrame* output, int32_t time, bool smart) {
  SHCall call;
  call.host = host;
  call.time = time;
  call.input = input.world;
  call.output = output->world;
  HIError err = SHPrepareParams(host, &call, false);
  if (err) return err;
  if (smart && (host->out_flags2 & kHIOutFlag2SmartRender)) {
    HIPreRenderInput preIn{};
    preIn.output_request.rect = HIRect{0, 0, output->world.width, output->world.height};
    preIn.output_request.channel_mask = 0xF;
    preIn.bitdepth = SHGetLayoutInfo(input.layout).bitdepth;
    HIPreRenderOutput preOut{};
    HIPreRenderExtra pre{&preIn, &preOut, &kPreRenderCallbacks};
    err = SHDispatch(host, &call, kHICmdSmartPreRender, &pre, nullptr);
    if (err) return err;
    HISmartRenderInput smartIn{};
    smartIn.output_request = preIn.output_request;
    smartIn.bitdepth = preIn.bitdepth;
    smartIn.pre_render_data = preOut.pre_render_data;
    HISmartRenderExtra smartExtra{&smartIn, &kSmartRenderCallbacks};
    err = SHDispatch(host, &call, kHICmdSmartRender, &smartExtra, nullptr);
    if (preOut.delete_pre_render_data) preOut.delete_pre_render_data(preOut.pre_render_data);
    return err;
  }
  return SHDispatch(host, &call, kHICmdRender, nullptr, &call.output);
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
