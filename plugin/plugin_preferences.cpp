#include "plugin/plugin_preferences.h"

#include <mutex>

#include "core/settings_record.h"
#include "settings/prefs.h"

namespace {

// Render threads check the preferences while another command may reload them.
std::mutex prefsLock;

}  // namespace

void CheckPreferencesValidity() {
  std::lock_guard<std::mutex> lock(prefsLock);
  if (PFPreferencesAreValid()) return;
  PFSetProgram(kPFProgramPlugin);
  if (PFReloadPreferencesIfStale(&gPrefsSettings))
    VL_SetSettingsPreferenceWords(PFGetSettingsPreferenceWords(&gPrefsSettings));
}

void VLMarkPreferencesStale() {
  std::lock_guard<std::mutex> lock(prefsLock);
  PFMarkPreferencesStale();
}

bool VLHostPixelsAdjusted(uint32_t hostCreator) {
  std::lock_guard<std::mutex> lock(prefsLock);
  return PFHostIsListed(&gPrefsSettings, hostCreator);
}
