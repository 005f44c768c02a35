#include "plugin/settings_value.h"

#include <cstring>

#include "plugin/host_calls.h"
#include "plugin/plugin_preferences.h"

void VLDefaultSettings(VL_SettingsStruct* settings) {
  std::memset(settings, 0, sizeof *settings);
  CheckPreferencesValidity();
  VL_SetDefaultControlValues(settings, kVLMaskAll);
}

HIHandle VLNewDefaultSettingsHandle(const HIInData* in) {
  HIHandle h = VLNewHandle(in, kVLSettingsByteCount);
  if (!h) return nullptr;
  VLLockedHandle locked(in, h);
  if (!locked.data()) {
    VLDisposeHandle(in, h);
    return nullptr;
  }
  VLDefaultSettings(static_cast<VL_SettingsStruct*>(locked.data()));
  return h;
}

bool VLIsWholeSettingsValue(const HIInData* in, HIHandle value) {
  return value && VLGetHandleSize(in, value) >= uint64_t(kVLSettingsByteCount);
}

HIError VLEnsureWholeSettingsValue(const HIInData* in, HIHandle* value) {
  if (VLIsWholeSettingsValue(in, *value)) return kHINoErr;
  HIHandle fresh = VLNewDefaultSettingsHandle(in);
  if (!fresh) return kHIErrOutOfMemory;
  VLDisposeHandle(in, *value);
  *value = fresh;
  return kHINoErr;
}

void VLSettingsToNativeOrder(VL_SettingsStruct* settings) {
  if (VL_SettingsNeedByteSwap(settings)) VL_ByteSwapSettings(settings);
}
