// ASC CDL files: a read either takes values (all finite and within the
// controls' ranges, and the correction is then used as a program uses it)
// or leaves the record exactly as it was.
#include <cmath>
#include <cstring>

#include "app/library/asc_cdl.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = FZWriteScratchFile("grade.cdl", data, size);
  QVFileRef file;
  if (PLFileRefFromPath(path.c_str(), &file) != kQVNoErr) __builtin_trap();
  VL_SettingsStruct settings = FZDefaultSettings();
  const VL_SettingsStruct before = settings;
  if (ReadASCCDL(&settings, &file) != kQVNoErr) {
    if (std::memcmp(&settings, &before, sizeof settings) != 0) __builtin_trap();
    return 0;
  }
  for (const VL_ChannelControls& c : settings.rgb[kVLRangeMaster].channel)
    if (!std::isfinite(c.gain) || !std::isfinite(c.gamma) || !(c.gamma > 0.0f) || !std::isfinite(c.ped))
      __builtin_trap();
  if (!std::isfinite(settings.hsl[kVLRangeMaster].saturation)) __builtin_trap();
  FZUseSettings(&settings);
  return 0;
}
