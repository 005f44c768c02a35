// Preferences files: the bytes as the domain's file, read by the grading
// application's store (values, recent lists, saved slots), and what the
// engine takes from them put to use.
#include <cstdio>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/prefs_store.h"
#include "settings/prefs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PFSetProgram(kPFProgramApplication);
  const std::string path = PLPrefsDomainPath(kPFDomain);
  if (path.empty()) __builtin_trap();
  FZWriteFile(path, data, size);
  PLPrefsDiscard(kPFDomain);

  static PrefsSettings prefs;
  PFLoadPreferences(&prefs);
  static const char* const kRecent[3] = {"Recent Projects", "Recent Imports", "Recent Project Imports"};
  for (int i = 0; i < 3; ++i) PFLoadRecentFiles(&prefs.recent[i], kRecent[i]);

  VL_SetSettingsPreferenceWords(PFGetSettingsPreferenceWords(&prefs));
  VL_SettingsStruct settings = FZDefaultSettings();
  PFSetVideoEncoding(&prefs, &settings);
  FZUseSettings(&settings);
  for (int n = 0; n < 8; ++n)
    if (gSavedSettings.stored[n]) FZUseSettings(&gSavedSettings.slot[n]);
  // A damaged file was kept aside; the next one may be kept under the same name.
  std::remove((path + ".corrupt").c_str());
  PLPrefsDiscard(kPFDomain);
  return 0;
}
