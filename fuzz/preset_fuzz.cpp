// Correction preset files: the bytes read over a record of defaults, and a
// record that was accepted put to use.
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "settings/preset_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const VL_SettingsStruct defaults = FZDefaultSettings();
  VL_SettingsStruct settings = defaults;
  std::string why;
  if (CCReadPresetBytes(std::string(reinterpret_cast<const char*>(data), size), &settings, &why) == kQVNoErr)
    FZUseSettings(&settings);
  else if (std::memcmp(&settings, &defaults, sizeof settings) != 0)
    __builtin_trap();  // a rejected file must leave the record as it was
  return 0;
}
