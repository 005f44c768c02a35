// Curves from 1D LUT files: arbitrary maps, grid text LUTs and "LUT:" text
// LUTs (the formats are written down in lut_*.cpp).
//
// Arbitrary maps: with n maps read, red is map 1 after map 0 when n >= 2,
// green map 2 after map 0 when n >= 3, blue map 3 after map 0 when n = 4, and
// every other channel map 0. Each 256-entry channel map becomes 1024 entries:
// for input i with value v and next value w, entries 4i .. 4i + 3 are
// (v + k (w - v) / 4) / 255. Uncomposed, w is A[i + 1] (A[254] for i = 255);
// composed B after A, v is B[A[i]] and w is B[A[i] + 1] (B[A[i] - 1] when
// A[i] is 255). A file of no whole map is refused.
//
// Grid LUTs are scaled by 1 / gmax; "LUT:" LUTs by 1 / (range - 1), the range
// 256, 1024, 4096 or 65536 codes as the largest value needs.
#include "settings/curve_files.h"
#include "settings/curve_files_internal.h"
#include "platform/file_contents.h"

namespace {

void ExpandMap(const uint8_t* a, const uint8_t* b, float* table) {
  for (int i = 0; i < 256; ++i) {
    int v, w;
    if (!b) {
      v = a[i];
      w = i == 255 ? a[254] : a[i + 1];
    } else {
      v = b[a[i]];
      w = a[i] == 255 ? b[a[i] - 1] : b[a[i] + 1];
    }
    double d = (w - v) / 4.0;
    for (int k = 0; k < 4; ++k) table[4 * i + k] = float((v + k * d) / 255.0);
  }
}

QVStatus ReadText(const char* path, std::string* bytes, LUTReadError* error) {
  if (!LUTReadFile(path, bytes, error)) {
    CurveReportLUTError(path, *error);
    return error->code;
  }
  return kQVNoErr;
}

}  // namespace

QVStatus CurveParseArbitraryMap(const std::string& bytes, VL_CurveControls* curves) {
  LUTArbitraryMaps maps;
  LUTParseArbitraryMaps(bytes, &maps);
  if (maps.count == 0) return kQVErrEndOfFile;
  CurveChannelMaps out;
  for (int c = 0; c < 3; ++c) {
    const uint8_t* after = maps.count > c + 1 ? maps.map[c + 1] : nullptr;
    ExpandMap(maps.map[0], after, out.table[c]);
  }
  CurveInstallMaps(curves, out);
  return kQVNoErr;
}

QVStatus CurveReadArbitraryMap(const char* path, VL_CurveControls* curves) {
  if (!path || !curves) return kQVErrParam;
  std::string bytes;
  QVStatus status = PLReadFileContents(path, 1u << 20, &bytes);
  if (status != kQVNoErr) return status == kQVErrParam ? kQVErrIO : status;
  return CurveParseArbitraryMap(bytes, curves);
}

QVStatus CurveReadGridLUT(const char* path, VL_CurveControls* curves) {
  if (!path || !curves) return kQVErrParam;
  std::string bytes;
  LUTReadError error;
  QVStatus status = ReadText(path, &bytes, &error);
  if (status != kQVNoErr) return status;
  LUTGridText grid;
  if (!LUTParseGridText(bytes, &grid, &error)) {
    CurveReportLUTError(path, error);
    return error.code;
  }
  std::vector<int32_t> values(grid.rgb.begin(), grid.rgb.end());
  CurveChannelMaps maps;
  for (int c = 0; c < 3; ++c) CurveExpandChannel(values.data() + c, 3, grid.gsize, 1.0 / grid.gmax, maps.table[c]);
  CurveInstallMaps(curves, maps);
  return kQVNoErr;
}

QVStatus CurveReadChannelLUT(const char* path, VL_CurveControls* curves) {
  if (!path || !curves) return kQVErrParam;
  std::string bytes;
  LUTReadError error;
  QVStatus status = ReadText(path, &bytes, &error);
  if (status != kQVNoErr) return status;
  LUTChannelText lut;
  if (!LUTParseChannelText(bytes, &lut, &error)) {
    CurveReportLUTError(path, error);
    return error.code;
  }
  int32_t range = lut.largest > 1023 ? (lut.largest < 4096 ? 4096 : 65536) : lut.largest > 255 ? 1024 : 256;
  CurveChannelMaps maps;
  for (int c = 0; c < 3; ++c)
    CurveExpandChannel(lut.values.data() + size_t(c) * size_t(lut.entries), 1, lut.entries, 1.0 / (range - 1),
                       maps.table[c]);
  CurveInstallMaps(curves, maps);
  return kQVNoErr;
}
