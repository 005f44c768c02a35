// Curve maps from map and LUT files.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/log.h"
#include "settings/curve_files.h"
#include "settings/curve_files_internal.h"
#include "support/alerts.h"

void CurveInstallMaps(VL_CurveControls* curves, const CurveChannelMaps& maps) {
  for (int k = 0; k < 4; ++k) curves[k].modeFlags |= kVLCurveModeMap;
  for (int j = 0; j < kVLCurveMapCount; ++j) curves[kVLCurveMaster].map[j] = float(j) / float(kVLCurveMapCount - 1);
  for (int c = 0; c < 3; ++c) std::memcpy(curves[kVLCurveRed + c].map, maps.table[c], sizeof maps.table[c]);
}

void CurveExpandChannel(const int32_t* first, size_t stride, int32_t n, double scale, float* table) {
  auto value = [&](int32_t k) { return double(first[size_t(k) * stride]); };
  auto put = [&](int32_t j, double v) { table[j] = float(std::clamp(v, 0.0, 1.0)); };
  if (n >= kVLCurveMapCount) {
    const int32_t group = n >> 10;
    for (int32_t j = 0; j < kVLCurveMapCount; ++j) {
      double sum = 0;
      for (int32_t k = 0; k < group; ++k) sum += value(j * group + k);
      put(j, sum * (scale / group));
    }
    return;
  }
  const int32_t run = kVLCurveMapCount / n;
  double start = 0, step = 0;
  for (int32_t k = 0; k < n; ++k) {
    start = value(k) * scale;
    if (k + 1 < n)
      step = (value(k + 1) - value(k)) * scale / run;
    else
      step = n > 1 ? std::abs(value(k) - value(k - 1)) * scale / run : 0.0;
    for (int32_t i = 0; i < run; ++i) put(k * run + i, start + i * step);
  }
  // A count that does not divide 1024 leaves entries over: the last run goes on.
  for (int32_t j = n * run, i = run; j < kVLCurveMapCount; ++j, ++i) put(j, start + i * step);
}

void CurveReportLUTError(const char* path, const LUTReadError& error) {
  std::string where = std::string(path ? path : "") + (error.line > 0 ? ", line " + std::to_string(error.line) : "") +
                      ": " + error.detail;
  PLLogWrite("Velmora", where.c_str());
  QVErrorAlert(kCurveAlertTitle, error.message, 1);
}
