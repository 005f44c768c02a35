// What the preferences tell the rest of the system: video encoding into a
// settings record, the host's signature, the host list, and the plug-in's
// reload gate.
#include <cstring>
#include <string>

#include "platform/fourcc.h"
#include "platform/host/host_signatures.h"
#include "platform/input_state.h"
#include "platform/prefs_store.h"
#include "settings/prefs.h"
#include "settings/prefs_internal.h"

namespace {

uint32_t sCurrentApplication = kHIHostUnknown;
bool sPrefsAreValid = false;

bool CopyIfDifferent(uint32_t* word, int32_t value) {
  if (*word == uint32_t(value)) return false;
  *word = uint32_t(value);
  return true;
}

}  // namespace

bool PFSetVideoEncoding(const PrefsSettings* prefs, VL_SettingsStruct* settings) {
  if (prefs == nullptr || settings == nullptr) return false;
  bool changed = false;
  changed |= CopyIfDifferent(&settings->videoBlackLevel, prefs->videoBlackLevel);
  changed |= CopyIfDifferent(&settings->videoWhiteLevel, prefs->videoWhiteLevel);
  changed |= CopyIfDifferent(&settings->videoMinLevel, prefs->videoMinLevel);
  changed |= CopyIfDifferent(&settings->videoMaxLevel, prefs->videoMaxLevel);
  changed |= CopyIfDifferent(&settings->videoBlackSetup, prefs->videoBlackSetup);
  changed |= CopyIfDifferent(&settings->videoSystem, prefs->videoSystem);
  return changed;
}

VLSettingsPreferenceWords PFGetSettingsPreferenceWords(const PrefsSettings* prefs) {
  VLSettingsPreferenceWords words;
  if (prefs == nullptr) return words;
  words.limiterDefault = prefs->limiterDefault;
  words.videoSystem = prefs->videoSystem;
  words.videoBlackLevel = prefs->videoBlackLevel;
  words.videoWhiteLevel = prefs->videoWhiteLevel;
  words.videoMinLevel = prefs->videoMinLevel;
  words.videoMaxLevel = prefs->videoMaxLevel;
  words.videoBlackSetup = prefs->videoBlackSetup;
  return words;
}

uint32_t GetCurrentApplication() {
  if (sCurrentApplication != kHIHostUnknown) return sCurrentApplication;
  uint32_t type = 0, signature = 0;
  if (PLGetProcessSignature(&type, &signature) != kQVNoErr || type != QVFourCC("APPL")) return kHIHostUnknown;
  sCurrentApplication = HINormalizeSignature(signature);
  return sCurrentApplication;
}

void PFSetHostApplication(uint32_t signature) {
  PLSetProcessSignature(QVFourCC("APPL"), signature);
  sCurrentApplication = kHIHostUnknown;
}

void PFForgetCurrentApplication() { sCurrentApplication = kHIHostUnknown; }

bool PFHostIsListed(const PrefsSettings* prefs, uint32_t signature) {
  if (prefs == nullptr) return false;
  char code[5];
  QVFourCCToCString(signature, code);
  size_t len = strnlen(prefs->adjustHostPixels, sizeof prefs->adjustHostPixels);
  std::string list(prefs->adjustHostPixels, len);
  return list.find(code, 0, 4) != std::string::npos;
}

void PFMarkPreferencesStale() { sPrefsAreValid = false; }
bool PFPreferencesAreValid() { return sPrefsAreValid; }

bool PFReloadPreferencesIfStale(PrefsSettings* prefs) {
  if (sPrefsAreValid) return false;
  // Synchronising here re-reads the file; a change of this process that
  // cannot be written stays pending and is what the load below reads.
  QVIgnoreStatus(PLPrefsSynchronize(kPFDomain));
  PFLoadPreferences(prefs);
  sPrefsAreValid = true;
  return true;
}
