#include "plugin/render.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "core/engine_lock.h"
#include "core/process_image.h"
#include "core/pixel_transfer.h"
#include "core/processing_tables.h"
#include "core/task_pool.h"
#include "platform/host/host_signatures.h"
#include "plugin/host_calls.h"
#include "plugin/params.h"
#include "plugin/plugin_preferences.h"
#include "plugin/sequence.h"
#include "plugin/settings_value.h"
#include "support/alerts.h"
#include "support/threads.h"

namespace {

constexpr const char* kAlertTitle = "Velmora 3 PI";

// The linearization gamma written for hosts whose pixels are adjusted: 1.8 /
// 2.2 (a 1.8 display's gamma over video's), one float step below the nearest
// float, as records made before have always held it; set by its bits so that
// they compare equal.
constexpr uint32_t kAdjustedHostGammaBits = 0x3F51745C;

// Without the world suite the processed area's left edge moves out to a
// multiple of this many pixels, where such hosts start their tiles.
constexpr int32_t kLeftEdgeStep = 16;

VLMPMaster* masterOf(VLGlobalData* g) { return reinterpret_cast<VLMPMaster*>(g->master); }

// The engine's process-wide pool settings follow the plug-in's.
void usePool(VLGlobalData* g) {
  gNumProcessors = g->processorCount;
  gVLMPMaster = *masterOf(g);
}

void* allocate(size_t size, void* name, void* globals, void* in) {
  return AllocateMemoryPointer(size, static_cast<const char*>(name), static_cast<const VLGlobalData*>(globals),
                               static_cast<const HIInData*>(in));
}

void deallocate(void* block, void* globals, void* in) {
  DeallocateMemoryPointer(block, static_cast<const VLGlobalData*>(globals), static_cast<const HIInData*>(in));
}

// The record a render works on: the settings value itself when it holds a
// whole record, else a default record of its own (the short value is left alone).
struct RenderSettings {
  std::unique_ptr<VL_SettingsStruct> local;
  VL_SettingsStruct* record = nullptr;
};

bool useSettingsValue(const HIInData* in, HIHandle value, VLLockedHandle* locked, RenderSettings* settings) {
  if (VLIsWholeSettingsValue(in, value) && locked->data()) {
    settings->record = static_cast<VL_SettingsStruct*>(locked->data());
    return true;
  }
  settings->local.reset(new (std::nothrow) VL_SettingsStruct);
  if (!settings->local) return false;
  VLDefaultSettings(settings->local.get());
  settings->record = settings->local.get();
  return true;
}

// Rows and columns of `area` that lie inside both worlds (the area is given
// with the same origin in both).
bool clipToWorlds(const HIWorld& a, const HIWorld& b, HIRect* area) {
  area->left = std::max(area->left, 0);
  area->top = std::max(area->top, 0);
  area->right = std::min({area->right, a.width, b.width});
  area->bottom = std::min({area->bottom, a.height, b.height});
  return area->right > area->left && area->bottom > area->top;
}

bool worldUsable(const HIWorld& w, int32_t bytesPerPixel) {
  return w.data && w.width >= 0 && w.height >= 0 && int64_t(w.row_bytes) >= int64_t(w.width) * bytesPerPixel;
}

bool sameRect(const HIRect& a, const HIRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

HIError CheckProcessingTableValidity(const HIInData* in, HIHandle sequenceData, VL_SettingsStruct* s,
                                  VLGlobalData* g) {
  VL_EngineLockGuard engine;
  CheckPreferencesValidity();
  if (VLHostPixelsAdjusted(g->hostCreator)) {
    s->linearizationOn = 1;
    s->linearizeVideoGamma = 0;
    s->linearizeLog = 0;
    s->linearizeSelector3 = 0;
    s->linearizeSelector4 = 0;
    std::memcpy(&s->linearizationGamma, &kAdjustedHostGammaBits, 4);
    s->logBlackPoint = 0;
    s->logWhitePoint = 255;
  } else {
    s->linearizationOn = 0;
  }
  VLSettingsToNativeOrder(s);

  const uint64_t sequence = uint64_t(reinterpret_cast<uintptr_t>(sequenceData));
  const uint64_t code = uint64_t(reinterpret_cast<uintptr_t>(&Render));
  VLLockedHandle seqLock(in, sequenceData);
  auto* seq = static_cast<VLSeqData*>(seqLock.data());
  HIHandle copy = seq && seqLock.size() >= kVLSeqDataSize ? VLSequenceSettingsCopy(seq) : nullptr;
  VLLockedHandle copyLock(in, copy);
  auto* last = static_cast<VL_SettingsStruct*>(copyLock.data());
  if (last && g->lastBuildSequence == sequence && g->lastBuildCode == code && VL_SettingsAreSame(s, last))
    return kHINoErr;
  // A build that fails leaves nothing marked as built, so the next render tries again.
  g->lastBuildSequence = 0;
  if (QVStatus status = VL_UpdateProcessingTables(s))
    return status == kQVErrMemory ? kHIErrOutOfMemory : kHIErrInternalStructDamaged;
  g->lastBuildSequence = sequence;
  if (last) {
    std::memcpy(last, s, sizeof *last);
    g->lastBuildCode = code;
  }
  return kHINoErr;
}

HIError ProcessPixelBuffer(const uint8_t* source, int32_t sourceRowBytes, uint8_t* destination,
                           int32_t destinationRowBytes, int32_t width, int32_t height, int32_t sourceLeft,
                           int32_t sourceTop, int32_t destinationLeft, int32_t destinationTop, FBPixFormat format,
                           int32_t bytesPerPixel, const VL_SettingsStruct* settings, VLGlobalData* g,
                           const HIInData* in) {
  (void)settings;  // the tables built from it are what the pass reads
  if (width <= 0 || height <= 0) return kHINoErr;
  FBFrameStruct* frame = nullptr;
  const bool hostMemory = g->hostCreator == kHIHostAfterEffects || g->hostCreator == kHIHostPremiere;
  QVStatus status;
  if (hostMemory) {
    status = FBCreateRGBFrameBufferWithAllocator(uint32_t(width), uint32_t(height), &frame, kFBPixFormatPlanarFloat,
                                                 allocate, const_cast<char*>("Frame Buffer"), g,
                                                 const_cast<HIInData*>(in), deallocate, g, const_cast<HIInData*>(in));
  } else {
    status = FBCreateRGBFrameBuffer(uint32_t(width), uint32_t(height), &frame, kFBPixFormatPlanarFloat);
  }
  if (status != kQVNoErr || !frame) {
    QVErrorAlert(kAlertTitle, "Frame buffer allocation failed in Render", 1);
    return kHIErrOutOfMemory;
  }
  if (reinterpret_cast<uintptr_t>(frame->baseAddr) % 16 != 0) {
    QVAlternativesAlert(kAlertTitle, "Host allocator returned unaligned pixel pointer",
                        "Memory allocations must be aligned to 16-byte boundaries", 1, "OK", nullptr);
  }
  const uint8_t* src = source + size_t(sourceTop) * size_t(sourceRowBytes) + size_t(sourceLeft) * size_t(bytesPerPixel);
  uint8_t* dst = destination + size_t(destinationTop) * size_t(destinationRowBytes) +
                 size_t(destinationLeft) * size_t(bytesPerPixel);
  VLMPMaster* master = masterOf(g);
  FBTransferPixToFBFrame(src, uint32_t(sourceRowBytes), 0, format, frame, g->processorCount, master);
  // A pass that fails writes nothing back: the output keeps what it held.
  const QVStatus processed = ProcessImage(frame, frame, 0, 0);
  if (processed == kQVNoErr) {
    FBTransferFBFrameToPix(frame, dst, uint32_t(destinationRowBytes), format, g->processorCount, master);
    FBTransferPixAlphaToPixAlpha(src, uint32_t(sourceRowBytes), dst, uint32_t(destinationRowBytes),
                                 uint32_t(width), uint32_t(height), format, g->processorCount, master);
  }
  if (hostMemory) {
    FBDisposeFrameBufferWithDeallocator(frame, deallocate, g, const_cast<HIInData*>(in));
  } else {
    FBDisposeFrameBuffer(frame);
  }
  if (processed == kQVErrMemory) return kHIErrOutOfMemory;
  return processed == kQVNoErr ? kHINoErr : kHIErrInternalStructDamaged;
}

HIError Render(const HIInData* in, HIOutData*, HIParamDef* params[], HIWorld* output) {
  if (!in || !output || !params || !params[0]) return kHIErrBadCallbackParam;
  VLLockedHandle globalsLock(in, in->global_data);
  auto* g = static_cast<VLGlobalData*>(globalsLock.data());
  if (!g || globalsLock.size() < kVLGlobalDataSize) return kHIErrInternalStructDamaged;
  // The region is made at setup; one that refuses means damaged global data.
  if (QVEnterCriticalSection(&g->renderRegion) != kQVNoErr) return kHIErrInternalStructDamaged;
  struct Leave {
    VLGlobalData* g;
    ~Leave() { QVIgnoreStatus(QVLeaveCriticalSection(&g->renderRegion)); }  // held by this thread: cannot fail
  } leave{g};
  VL_EngineLockGuard engine;
  usePool(g);

  FBPixFormat format = 0;
  int32_t bytesPerPixel = 0;
  HIError err = GetPixelFormatAndSize(output, g, g->basicSuite, &format, &bytesPerPixel);
  if (err) return err;
  const HIWorld& input = params[0]->u.layer;
  if (!worldUsable(input, bytesPerPixel) || !worldUsable(*output, bytesPerPixel)) return kHIErrBadCallbackParam;

  HIRect area{0, 0, output->width, output->height};
  if (!g->hasWorldSuite) {
    if (!sameRect(output->extent_hint, in->extent_hint) && in->utils && in->utils->fill) {
      HIRect hint = output->extent_hint;
      in->utils->fill(in->effect_ref, nullptr, &hint, output);
    }
    const int32_t hintLeft = in->extent_hint.left;
    int32_t left = hintLeft >= 0 ? hintLeft / kLeftEdgeStep * kLeftEdgeStep
                                 : -((-hintLeft + kLeftEdgeStep - 1) / kLeftEdgeStep * kLeftEdgeStep);
    area = HIRect{left, in->extent_hint.top, in->extent_hint.right, in->extent_hint.bottom};
  }
  if (!clipToWorlds(input, *output, &area)) return kHINoErr;

  HIParamDef* settingsParam = VLParamById(params, g, kVLParamIdSettings);
  HIHandle value = settingsParam && settingsParam->param_type == kHIParamArbitraryData ? settingsParam->u.arb.value
                                                                                       : nullptr;
  VLLockedHandle valueLock(in, value);
  RenderSettings settings;
  if (!useSettingsValue(in, value, &valueLock, &settings)) return kHIErrOutOfMemory;
  VLSettingsToNativeOrder(settings.record);
  UpdateVLSettingsFromControls(settings.record, params, g);

  if (in->sequence_data) {
    if (HIError built = CheckProcessingTableValidity(in, in->sequence_data, settings.record, g)) return built;
    VLLockedHandle seqLock(in, in->sequence_data);
    if (auto* seq = static_cast<VLSeqData*>(seqLock.data()); seq && seqLock.size() >= kVLSeqDataSize)
      seq->changeFlag = 0;
  } else {
    QVErrorAlert(kAlertTitle, "Sequence data is not allocated in Render", 1);
  }
  return ProcessPixelBuffer(static_cast<const uint8_t*>(input.data), input.row_bytes,
                            static_cast<uint8_t*>(output->data), output->row_bytes, area.right - area.left,
                            area.bottom - area.top, area.left, area.top, area.left, area.top, format, bytesPerPixel,
                            settings.record, g, in);
}

HIError SmartRender(const HIInData* in, HIOutData*, HISmartRenderExtra* extra) {
  if (!in || !extra || !extra->cb || !extra->cb->checkout_layer_pixels || !extra->cb->checkout_output)
    return kHIErrBadCallbackParam;
  HIWorld* input = nullptr;
  HIWorld* output = nullptr;
  HIError err = extra->cb->checkout_layer_pixels(in->effect_ref, 1, &input);
  if (err) return err;
  err = extra->cb->checkout_output(in->effect_ref, &output);
  if (err) return err;
  if (!input || !output) return kHIErrBadCallbackParam;

  VLLockedHandle globalsLock(in, in->global_data);
  auto* g = static_cast<VLGlobalData*>(globalsLock.data());
  if (!g || globalsLock.size() < kVLGlobalDataSize) return kHIErrInternalStructDamaged;
  if (!in->utils || !in->utils->checkout_param || !in->utils->checkin_param) return kHIErrInvalidCallback;
  const int32_t settingsIndex = int32_t(g->idToIndex[kVLParamIdSettings]);
  HIParamDef settingsParam{};
  err = in->utils->checkout_param(in->effect_ref, settingsIndex, in->current_time, in->time_step, in->time_scale,
                                  &settingsParam);
  if (err) return err;

  HIError result = kHINoErr;
  {
    VL_EngineLockGuard engine;
    usePool(g);
    FBPixFormat format = 0;
    int32_t bytesPerPixel = 0;
    result = GetPixelFormatAndSize(input, g, g->basicSuite, &format, &bytesPerPixel);
    HIRect area{0, 0, output->width, output->height};
    if (!result && (!worldUsable(*input, bytesPerPixel) || !worldUsable(*output, bytesPerPixel)))
      result = kHIErrBadCallbackParam;
    if (!result && clipToWorlds(*input, *output, &area)) {
      HIHandle value = settingsParam.param_type == kHIParamArbitraryData ? settingsParam.u.arb.value : nullptr;
      VLLockedHandle valueLock(in, value);
      RenderSettings settings;
      if (!useSettingsValue(in, value, &valueLock, &settings)) {
        result = kHIErrOutOfMemory;
      } else {
        // Native order first, so that the sliders land in a record that stays readable.
        VLSettingsToNativeOrder(settings.record);
        VLReadControlsByCheckout(in, settings.record, g);
        if (in->sequence_data) result = CheckProcessingTableValidity(in, in->sequence_data, settings.record, g);
        if (!result)
          result = ProcessPixelBuffer(static_cast<const uint8_t*>(input->data), input->row_bytes,
                                    static_cast<uint8_t*>(output->data), output->row_bytes, area.right - area.left,
                                    area.bottom - area.top, 0, 0, 0, 0, format, bytesPerPixel, settings.record, g, in);
      }
    }
  }
  HIError checkin = in->utils->checkin_param(in->effect_ref, &settingsParam);
  if (extra->cb->checkin_layer_pixels) extra->cb->checkin_layer_pixels(in->effect_ref, 1);
  return result ? result : checkin;
}

FBFrameStruct* GetCurrentTimeFrameBuffer(const HIInData* in, const VLGlobalData* globals) {
  if (!in || !in->utils || !in->utils->checkout_param || !in->utils->checkin_param) return nullptr;
  HIParamDef layer{};
  if (in->utils->checkout_param(in->effect_ref, 0, in->current_time, in->time_step, in->time_scale, &layer))
    return nullptr;
  FBFrameStruct* frame = nullptr;
  const HIWorld& w = layer.u.layer;
  if (w.data && w.width > 0 && w.height > 0 &&
      FBCreateRGBFrameBuffer(uint32_t(w.width), uint32_t(w.height), &frame, kFBPixFormatPlanarFloat) == kQVNoErr &&
      frame) {
    FBPixFormat format = 0;
    int32_t bytesPerPixel = 0;
    if (GetPixelFormatAndSize(&w, globals, globals ? globals->basicSuite : nullptr, &format, &bytesPerPixel) ||
        !worldUsable(w, bytesPerPixel)) {
      FBDisposeFrameBuffer(frame);
      frame = nullptr;
    } else {
      FBTransferPixToFBFrame(w.data, uint32_t(w.row_bytes), 0, format, frame, 1, nullptr);
    }
  }
  in->utils->checkin_param(in->effect_ref, &layer);
  return frame;
}
