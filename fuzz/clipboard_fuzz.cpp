// The clipboard record: the bytes as the record file another application
// left, read by Paste, and a record that was taken put to use.
#include <cstring>
#include <string>

#include "app/controls/app_commands.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = AppScrapPath();
  if (path.empty()) __builtin_trap();
  FZWriteFile(path, data, size);
  static const VL_SettingsStruct defaults = FZDefaultSettings();
  VL_SettingsStruct settings = defaults;
  if (AppScrapGet(&settings)) {
    if (settings.byteOrderFlag != kVLSettingsByteOrderFlag) __builtin_trap();
    FZUseSettings(&settings);
  } else if (std::memcmp(&settings, &defaults, sizeof settings) != 0) {
    __builtin_trap();
  }
  return 0;
}
