#include "plugin/sequence.h"

#include <cstring>
#include <mutex>
#include <unordered_set>

#include "core/settings_record.h"
#include "plugin/host_calls.h"
#include "plugin/params.h"
#include "plugin/settings_value.h"

namespace {

// Handles this plug-in made for sequence data and still holds. Handle words
// read back from a project are never trusted: only a word found here is used.
std::mutex liveLock;
std::unordered_set<uint64_t> liveHandles;

uint64_t word(HIHandle h) { return uint64_t(reinterpret_cast<uintptr_t>(h)); }
HIHandle handleOf(uint64_t w) { return reinterpret_cast<HIHandle>(uintptr_t(w)); }

void track(HIHandle h) {
  if (!h) return;
  std::lock_guard<std::mutex> lock(liveLock);
  liveHandles.insert(word(h));
}

// True (and forgets it) when the word names a live handle of ours.
bool untrack(uint64_t w) {
  if (!w) return false;
  std::lock_guard<std::mutex> lock(liveLock);
  return liveHandles.erase(w) != 0;
}

bool isLive(uint64_t w) {
  if (!w) return false;
  std::lock_guard<std::mutex> lock(liveLock);
  return liveHandles.count(w) != 0;
}

void disposeWord(const HIInData* in, uint64_t* w) {
  if (untrack(*w)) VLDisposeHandle(in, handleOf(*w));
  *w = 0;
}

HIHandle newSettingsCopy(const HIInData* in) {
  HIHandle h = VLNewClearedHandle(in, kVLSettingsByteCount);
  track(h);
  return h;
}

void clearTransient(VLSeqData* seq) {
  std::memset(seq->zero8, 0, sizeof seq->zero8);
  seq->zero16 = 0;
  seq->frameRowBytes = 0;
  seq->changeFlag = 0;
  std::memset(seq->zero48, 0, 8);
}

// Selected-point indices come from stored data: anything but -1 or a point
// of a curve (0 to 15) becomes -1.
void sanitiseSelection(VLSeqData* seq) {
  for (int32_t& p : seq->selectedPoint) {
    if (p < -1 || p > 15) p = -1;
  }
}

HIHandle newFreshRecord(const HIInData* in) {
  HIHandle h = VLNewClearedHandle(in, kVLSeqDataSize);
  return h;
}

}  // namespace

HIHandle VLSequenceSettingsCopy(const VLSeqData* seq) {
  return seq && isLive(seq->settingsCopy) ? handleOf(seq->settingsCopy) : nullptr;
}

HIError VLSequenceSetup(const HIInData* in, HIOutData* out) {
  HIHandle h = VLNewClearedHandle(in, kVLSeqDataSize);
  if (!h) return kHIErrOutOfMemory;
  {
    VLLockedHandle locked(in, h);
    auto* seq = static_cast<VLSeqData*>(locked.data());
    std::memset(seq->selectedPoint, 0xFF, sizeof seq->selectedPoint);
    seq->settingsCopy = word(newSettingsCopy(in));
  }
  out->sequence_data = h;
  return kHINoErr;
}

HIError VLSequenceResetup(HIInData* in, HIOutData* out, HIParamDef* const params[], const VLGlobalData* globals) {
  HIHandle old = in->sequence_data;
  uint64_t size = VLGetHandleSize(in, old);
  HIHandle record = nullptr;
  if (old && size == kVLSeqDataSize) {
    record = old;
    VLLockedHandle locked(in, record);
    auto* seq = static_cast<VLSeqData*>(locked.data());
    if (!seq) return kHIErrInternalStructDamaged;
    disposeWord(in, &seq->bufferHandle);
  } else {
    record = newFreshRecord(in);
    if (!record) return kHIErrOutOfMemory;
    if (old && size == kVLSeqDataSizeOldWithSettings) {
      // An older form carrying a whole settings record at its start.
      // A settings value shorter than a record is first replaced by a whole one.
      HIParamDef* settings = VLParamById(params, globals, 1);
      if (settings && settings->param_type == kHIParamArbitraryData &&
          VLEnsureWholeSettingsValue(in, &settings->u.arb.value) == kHINoErr) {
        VLLockedHandle from(in, old);
        VLLockedHandle to(in, settings->u.arb.value);
        if (from.data() && to.data()) std::memcpy(to.data(), from.data(), kVLSettingsByteCount);
      }
    }
    if (old) VLDisposeHandle(in, old);
  }
  {
    VLLockedHandle locked(in, record);
    auto* seq = static_cast<VLSeqData*>(locked.data());
    if (!seq) return kHIErrInternalStructDamaged;
    if (!isLive(seq->settingsCopy)) seq->settingsCopy = word(newSettingsCopy(in));
    seq->bufferHandle = 0;
    clearTransient(seq);
    sanitiseSelection(seq);
  }
  out->sequence_data = record;
  in->sequence_data = nullptr;
  return kHINoErr;
}

HIError VLSequenceFlatten(HIInData* in, HIOutData* out) {
  HIHandle record = in->sequence_data;
  if (!record) return kHINoErr;
  {
    VLLockedHandle locked(in, record);
    auto* seq = static_cast<VLSeqData*>(locked.data());
    if (!seq || locked.size() < kVLSeqDataSize) return kHIErrInternalStructDamaged;
    disposeWord(in, &seq->bufferHandle);
    disposeWord(in, &seq->settingsCopy);
    clearTransient(seq);
  }
  out->sequence_data = record;
  in->sequence_data = nullptr;
  return kHINoErr;
}

HIError VLSequenceSetdown(HIInData* in, HIOutData* out) {
  HIHandle record = in->sequence_data;
  if (record) {
    {
      VLLockedHandle locked(in, record);
      auto* seq = static_cast<VLSeqData*>(locked.data());
      if (seq && locked.size() >= kVLSeqDataSize) {
        disposeWord(in, &seq->bufferHandle);
        disposeWord(in, &seq->settingsCopy);
      }
    }
    VLDisposeHandle(in, record);
  }
  out->sequence_data = nullptr;
  in->sequence_data = nullptr;
  return kHINoErr;
}

HIError VLSettingsTransfer(const HIInData* in, HIParamDef* const params[], const VLGlobalData* globals,
                           HISettingsRequest* request) {
  if (!request || request->selector != 0) return kHINoErr;
  if (!in->sequence_data) {
    request->result = -2;
    return kHINoErr;
  }
  HIParamDef* settings = VLParamById(params, globals, 1);
  if (request->byte_count != uint32_t(kVLSettingsByteCount) || !request->data || !settings ||
      settings->param_type != kHIParamArbitraryData) {
    request->result = -3;
    return kHINoErr;
  }
  HIError err = VLEnsureWholeSettingsValue(in, &settings->u.arb.value);
  if (err) return err;
  {
    VLLockedHandle to(in, settings->u.arb.value);
    if (!to.data()) return kHIErrOutOfMemory;
    std::memcpy(to.data(), request->data, kVLSettingsByteCount);
  }
  {
    VLLockedHandle locked(in, in->sequence_data);
    auto* seq = static_cast<VLSeqData*>(locked.data());
    if (seq && locked.size() >= kVLSeqDataSize) seq->changeFlag = 0;
  }
  request->result = 0;
  return kHINoErr;
}

HIError VLSmartPreRender(const HIInData* in, HIPreRenderExtra* extra) {
  if (!extra || !extra->input || !extra->output || !extra->cb || !extra->cb->checkout_layer)
    return kHIErrBadCallbackParam;
  HICheckoutResult result{};
  HIError err = extra->cb->checkout_layer(in->effect_ref, 0, 1, &extra->input->output_request, in->current_time,
                                          in->time_step, in->time_scale, &result);
  extra->output->result_rect = result.result_rect;
  extra->output->max_result_rect = result.max_result_rect;
  extra->output->solid = result.solid;
  return err;
}
