// The Full button's action: the current frame and correction go to the
// grading application, and the correction it returns comes back into the
// effect's parameters.
#include <atomic>
#include <cstring>
#include <memory>

#include "core/engine_lock.h"
#include "core/task_pool.h"
#include "platform/alert_sound.h"
#include "plugin/host_calls.h"
#include "plugin/params.h"
#include "plugin/plugin_preferences.h"
#include "plugin/render.h"
#include "plugin/settings_value.h"
#include "plugin/ui_exchange.h"
#include "support/alerts.h"

namespace {

constexpr const char* kAlertTitle = "Velmora 3 PI";

// Set while an exchange runs in this process: a second Full click (from the
// same thread, re-entered through the host, or another one) does nothing.
std::atomic<bool> gExchangeRunning{false};

struct RunningMark {
  bool taken = !gExchangeRunning.exchange(true);
  ~RunningMark() {
    if (taken) gExchangeRunning = false;
  }
};

// False only when the host says the effect is switched off; any failure on
// the way counts as switched on.
bool effectActive(const HIInData* in, const VLGlobalData* g) {
  VLSuite interfaceSuite(g->basicSuite, kHISuiteAEGPPFInterface, kHISuiteAEGPPFInterfaceVersion);
  VLSuite effectSuite(g->basicSuite, kHISuiteAEGPEffect, kHISuiteAEGPEffectVersion);
  const auto* pf = interfaceSuite.get<HIPFInterfaceSuite1>();
  const auto* effects = effectSuite.get<HIEffectSuite1>();
  if (!pf || !effects || !pf->get_new_effect_for_effect || !effects->get_effect_flags) return true;
  HIAEGPEffectRef effect = nullptr;
  if (pf->get_new_effect_for_effect(g->aegpPluginId, in->effect_ref, &effect) || !effect) return true;
  uint32_t flags = kHIEffectFlagActive;
  const bool known = effects->get_effect_flags(effect, &flags) == kHINoErr;
  if (effects->dispose_effect) effects->dispose_effect(effect);
  return !known || (flags & kHIEffectFlagActive) != 0;
}

// The layer's rows, top to bottom, into every `stride`-th row from `first`.
void copyLayer(const HIWorld& w, size_t rowBytes, uint8_t* to, int32_t first, int32_t stride) {
  const auto* base = static_cast<const uint8_t*>(w.data);
  for (int32_t y = 0; y < w.height; ++y)
    std::memcpy(to + size_t(first + y * stride) * rowBytes, base + int64_t(y) * w.row_bytes, rowBytes);
}

// The correction the application left in the block, when it is a record:
// its first word must be the byte-order flag, in either order.
bool returnedSettings(const UIHExchange& x, VL_SettingsStruct* out) {
  std::memcpy(out, &x.view.block->settings, sizeof *out);
  if (VL_SettingsNeedByteSwap(out)) {
    VL_ByteSwapSettings(out);
  }
  return out->byteOrderFlag == kVLSettingsByteOrderFlag;
}

// False, with nothing touched, when there is no memory to read the record into.
bool bringBack(const UIHExchange& x, const HIInData* in, HIOutData* out, HIParamDef* params[], VLGlobalData* g) {
  HIParamDef* settingsParam = VLParamById(params, g, kVLParamIdSettings);
  std::unique_ptr<VL_SettingsStruct> back(new (std::nothrow) VL_SettingsStruct);
  if (!back) return false;
  if (settingsParam && settingsParam->param_type == kHIParamArbitraryData && returnedSettings(x, back.get()) &&
      VLEnsureWholeSettingsValue(in, &settingsParam->u.arb.value) == kHINoErr) {
    VLLockedHandle value(in, settingsParam->u.arb.value);
    if (value.data()) std::memcpy(value.data(), back.get(), sizeof *back);
  }
  VLMarkPreferencesStale();
  out->out_flags |= kHIOutFlagForceRerender;
  if (settingsParam) settingsParam->change_flags |= kHIChangeFlagChangedValue;
  if (HIParamDef* system = VLParamById(params, g, kVLParamIdVideoSystem))
    system->change_flags |= kHIChangeFlagChangedValue;
  if (settingsParam && VLIsWholeSettingsValue(in, settingsParam->u.arb.value)) {
    VLLockedHandle value(in, settingsParam->u.arb.value);
    if (value.data()) UpdateControlsFromVLSettings(static_cast<VL_SettingsStruct*>(value.data()), params, g);
  }
  return true;
}

// The correction as the effect has it now, sliders overlaid, into the block.
void postSettings(const HIInData* in, HIParamDef* params[], const VLGlobalData* g, CCUIComm* block) {
  HIParamDef* settingsParam = VLParamById(params, g, kVLParamIdSettings);
  VL_SettingsStruct& s = block->settings;
  bool copied = false;
  if (settingsParam && settingsParam->param_type == kHIParamArbitraryData &&
      VLIsWholeSettingsValue(in, settingsParam->u.arb.value)) {
    VLLockedHandle value(in, settingsParam->u.arb.value);
    if (value.data()) {
      std::memcpy(&s, value.data(), sizeof s);
      copied = true;
    }
  }
  if (!copied) VLDefaultSettings(&s);
  VLSettingsToNativeOrder(&s);
  UpdateVLSettingsFromControls(&s, params, g);
  // The application applies its own input linearization.
  s.linearizationOn = 0;
}

// What the user is told when the exchange did not finish; null when the
// launch failure was shown already.
const char* unfinishedMessage(UIHOutcome outcome) {
  switch (outcome) {
    case kUIHOutcomeFailed:
      return "The grading application could not start work on the frame; the correction is unchanged.";
    case kUIHOutcomeGone:
      return "The grading application ended before the exchange was finished; the correction is unchanged.";
    case kUIHOutcomeNoAnswer:
      return "The grading application did not answer in time; the correction is unchanged.";
    default:
      return nullptr;
  }
}

HIError noFrame() {
  QVErrorAlert(kAlertTitle, "The host gave no frame to hand to the grading application.", 1);
  return kHIErrUnfinished;
}

}  // namespace

HIError HandleDialog(const HIInData* in, HIOutData* out, HIParamDef* params[], HIWorld*, HIEventExtra*,
                     VLGlobalData* g) {
  if (!in || !out || !g) return kHINoErr;
  RunningMark running;
  if (!running.taken) return kHINoErr;
  if (!in->sequence_data) {
    QVErrorAlert(kAlertTitle, "Host did not pass sequence data in PF_Event_DO_CLICK", 1);
    return kHIErrUnfinished;
  }
  {
    VL_EngineLockGuard engine;
    gNumProcessors = g->processorCount;
    gVLMPMaster = *reinterpret_cast<const VLMPMaster*>(g->master);
  }
  if (!effectActive(in, g)) {
    PLAlertSound();
    return kHINoErr;
  }
  if (!in->utils || !in->utils->checkout_param || !in->utils->checkin_param) return noFrame();
  HIParamDef layer{};
  if (in->utils->checkout_param(in->effect_ref, 0, in->current_time, in->time_step, in->time_scale, &layer))
    return noFrame();
  struct Checkin {
    const HIInData* in;
    HIParamDef* layer;
    bool done = false;
    void now() {
      if (!done) in->utils->checkin_param(in->effect_ref, layer);
      done = true;
    }
    ~Checkin() { now(); }
  } checkin{in, &layer};
  const HIWorld& w = layer.u.layer;
  const int64_t rowBytes = w.row_bytes < 0 ? -int64_t(w.row_bytes) : int64_t(w.row_bytes);
  const bool fields = in->field != 0;
  const int64_t height = int64_t(w.height) * (fields ? 2 : 1);
  FBPixFormat format = 0;
  int32_t bytesPerPixel = 0;
  if (!w.data || w.width <= 0 || w.height <= 0 || rowBytes < int64_t(w.width) ||
      GetPixelFormatAndSize(&w, g, g->basicSuite, &format, &bytesPerPixel) || rowBytes < int64_t(w.width) * bytesPerPixel ||
      rowBytes * height > int64_t(INT32_MAX))
    return noFrame();
  {
    VLLockedHandle seqLock(in, in->sequence_data);
    if (auto* seq = static_cast<VLSeqData*>(seqLock.data()); seq && seqLock.size() >= kVLSeqDataSize)
      seq->frameRowBytes = uint32_t(rowBytes);
  }

  UIHExchange x;
  x.in = in;
  x.globals = g;
  x.width = w.width;
  x.height = int32_t(height);
  x.rowBytes = int32_t(rowBytes);
  x.timeStep = in->time_step;
  x.timeScale = in->time_scale;
  x.frameBytes = size_t(rowBytes * height);
  if (!AllocateCommBlock(x.frameBytes, x.rowBytes, &x)) return kHIErrUnfinished;
  CCUIComm* block = x.view.block;
  block->version = kCCVersion;
  block->signature = kCCSignature;
  block->width = x.width;
  block->height = x.height;
  block->rowBytes = x.rowBytes;
  block->pixelAspect = w.pix_aspect_num && w.pix_aspect_den ? float(w.pix_aspect_num) / float(w.pix_aspect_den) : 1.0f;
  block->pixelFormat = format;
  if (g->hostCreator == QVFourCC("PPro") && uint32_t(in->version_major << 16 | in->version_minor) == 0x2000C)
    block->pixelFormat = kFBPixFormatBGRA;

  // The frame copy the chunks are read from; with fields, two frames by rows.
  try {
    x.frame.assign(x.frameBytes, 0);
  } catch (const std::bad_alloc&) {
    UIH_ReleaseCommBlock(&x);
    QVErrorAlert(kAlertTitle, "Insufficient memory for the frame to hand to the grading application", 1);
    return kHIErrUnfinished;
  }
  if (!fields) {
    copyLayer(w, size_t(rowBytes), x.frame.data(), 0, 1);
  } else {
    const bool upperFirst = in->field == 1;
    const int32_t other = upperFirst ? in->current_time + in->time_step : std::max(0, in->current_time - in->time_step);
    copyLayer(w, size_t(rowBytes), x.frame.data(), upperFirst ? 0 : 1, 2);
    HIParamDef second{};
    if (!in->utils->checkout_param(in->effect_ref, 0, other, in->time_step, in->time_scale, &second)) {
      const HIWorld& w2 = second.u.layer;
      if (w2.data && w2.width == w.width && w2.height == w.height && w2.row_bytes == w.row_bytes)
        copyLayer(w2, size_t(rowBytes), x.frame.data(), upperFirst ? 1 : 0, 2);
      in->utils->checkin_param(in->effect_ref, &second);
    }
  }
  const size_t first = std::min<size_t>(x.chunkSize, x.frameBytes);
  std::memcpy(block->frameData, x.frame.data(), first);
  block->bytesNow = uint32_t(first);
  x.readPosition = first;
  x.toSend = x.frameBytes - first;
  block->bytesToSend = uint32_t(x.toSend);

  block->currentTime = in->current_time;
  block->timeStep = in->time_step;
  block->lastFrameTime = in->total_time - in->time_step;
  block->timeScale = in->time_scale;
  AEGetTimecodeFormatting(g->basicSuite, int32_t(in->time_scale), in->time_step, block);
  checkin.now();

  postSettings(in, params, g, block);
  UIH_FillFootageList(g->basicSuite, block);
  block->hostCreator = g->hostCreator;
  CCSet32(x.view, CC_OFFSET(state), kCCStatePosted);
  UIH_InvokeUIServer(&x);

  // Only a finished exchange brings a correction back; otherwise the effect
  // keeps the one it has.
  const bool broughtBack = x.outcome == kUIHOutcomeDone && bringBack(x, in, out, params, g);
  UIH_ReleaseCommBlock(&x);
  if (broughtBack) return kHINoErr;
  if (x.outcome == kUIHOutcomeDone) {
    QVErrorAlert(kAlertTitle,
                 "Insufficient memory for the correction the grading application returned; the correction is unchanged.",
                 1);
    return kHIErrOutOfMemory;
  }
  if (x.outcome == kUIHOutcomeInterrupted) return kHIErrInterrupted;
  if (const char* why = unfinishedMessage(x.outcome)) QVErrorAlert(kAlertTitle, why, 1);
  return kHIErrUnfinished;
}
