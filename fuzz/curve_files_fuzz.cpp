// Curve files: the first byte picks the kind (.acv, .amp, grid text LUT,
// "LUT:" text LUT), the rest is the file. Curves that were loaded are put to
// use; a rejected file must leave them as they were.
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "settings/curve_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const VL_SettingsStruct defaults = FZDefaultSettings();
  VL_SettingsStruct settings = defaults;
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  QVStatus status = kQVErrParam;
  switch (data[0] % 4) {
    case 0:
      status = CurveParseACV(bytes, settings.rgbCurves);
      break;
    case 1:
      status = CurveParseArbitraryMap(bytes, settings.rgbCurves);
      break;
    case 2:
      status = CurveReadGridLUT(FZWriteScratchFile("curve.txt", data + 1, size - 1).c_str(), settings.rgbCurves);
      break;
    default:
      status = CurveReadChannelLUT(FZWriteScratchFile("curve.lut", data + 1, size - 1).c_str(), settings.rgbCurves);
      break;
  }
  if (status == kQVNoErr) {
    settings.curvesEnable = 1;
    settings.rgbCurvesEnable = 1;
    FZUseSettings(&settings);
  } else if (std::memcmp(&settings, &defaults, sizeof settings) != 0) {
    __builtin_trap();
  }
  return 0;
}
