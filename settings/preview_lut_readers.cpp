// 1D LUT files read into a preview LUT (768 bytes: red, green, blue tables of
// 256 entries). The file formats are written down in lut_*.cpp.
//
// "LUT:" text LUTs: the input depth D is 256, 1024, 4096 or 65536 as the
// largest value M needs (M <= 255, <= 1023, < 4096, else 65536). With
// k = N / 256, output entry j (0..767) is the integer average of values
// j k .. j k + k - 1 of the channel-after-channel sequence (so for N not a
// multiple of 256 groups run on across channels) divided by D / 256. Fewer
// than 256 entries: each output entry takes the value at i N / 256.
//
// Grid text LUTs: per channel, groups of R / 256 rows averaged and divided by
// (G + 1) / 256; fewer than 256 rows are sampled like the above, and a gmax
// below 255 scales by 255 / G instead.
//
// Arbitrary maps: red = T1 after T0 when there are 2 tables or more, green =
// T2 after T0 with 3 or more, blue = T3 after T0 with 4; otherwise T0.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/file_contents.h"
#include "platform/fourcc.h"
#include "platform/log.h"
#include "settings/file_panels.h"
#include "settings/lut_text.h"
#include "settings/preview_lut_file.h"
#include "support/alerts.h"

namespace {

uint8_t Byte(int64_t v) { return uint8_t(std::clamp<int64_t>(v, 0, 255)); }

QVStatus Report(const char* path, const LUTReadError& error) {
  std::string where = std::string(path ? path : "") + (error.line > 0 ? ", line " + std::to_string(error.line) : "") +
                      ": " + error.detail;
  PLLogWrite("Velmora", where.c_str());
  QVErrorAlert(kPreviewLUTAlertTitle, error.message, 1);
  return error.code;
}

using RefReader = QVStatus (*)(const char*, uint8_t*);
QVStatus FromRef(const QVFileRef* file, uint8_t* lut, RefReader reader) {
  if (!file || !lut) return kQVErrParam;
  char path[kQVMaxPath];
  size_t n = strnlen(file->path, sizeof file->path);
  if (n == 0 || n >= sizeof path) return kQVErrFileNotFound;
  std::memcpy(path, file->path, n + 1);
  return reader(path, lut);
}

}  // namespace

QVStatus ReadChannelLUTFile(const char* path, uint8_t* lut) {
  if (!path || !lut) return kQVErrParam;
  std::string bytes;
  LUTReadError error;
  if (!LUTReadFile(path, &bytes, &error)) return Report(path, error);
  LUTChannelText text;
  if (!LUTParseChannelText(bytes, &text, &error)) return Report(path, error);
  const int64_t depth = text.largest <= 255 ? 256 : text.largest <= 1023 ? 1024 : text.largest < 4096 ? 4096 : 65536;
  const int64_t divisor = depth / 256;
  const int64_t n = text.entries;
  const int64_t k = n / 256;
  uint8_t out[768];
  for (int64_t j = 0; j < 768; ++j) {
    if (k == 0) {
      out[j] = Byte(text.values[size_t((j / 256) * n + (j % 256) * n / 256)] / divisor);
      continue;
    }
    int64_t sum = 0;
    for (int64_t t = 0; t < k; ++t) sum += text.values[size_t(j * k + t)];
    out[j] = Byte(sum / k / divisor);
  }
  std::memcpy(lut, out, sizeof out);
  return kQVNoErr;
}

QVStatus ReadGridLUTFile(const char* path, uint8_t* lut) {
  if (!path || !lut) return kQVErrParam;
  std::string bytes;
  LUTReadError error;
  if (!LUTReadFile(path, &bytes, &error)) return Report(path, error);
  LUTGridText grid;
  if (!LUTParseGridText(bytes, &grid, &error)) return Report(path, error);
  const int64_t rows = grid.gsize, k = rows / 256, divisor = (int64_t(grid.gmax) + 1) / 256;
  auto scaled = [&](int64_t v) { return divisor > 0 ? v / divisor : v * 255 / grid.gmax; };
  uint8_t out[768];
  for (int c = 0; c < 3; ++c)
    for (int64_t i = 0; i < 256; ++i) {
      if (k == 0) {
        out[c * 256 + i] = Byte(scaled(grid.rgb[size_t((i * rows / 256) * 3 + c)]));
        continue;
      }
      int64_t sum = 0;
      for (int64_t t = 0; t < k; ++t) sum += grid.rgb[size_t((i * k + t) * 3 + c)];
      out[c * 256 + i] = Byte(scaled(sum / k));
    }
  std::memcpy(lut, out, sizeof out);
  return kQVNoErr;
}

QVStatus ReadBinaryLUTFile(const char* path, uint8_t* lut) {
  if (!path || !lut) return kQVErrParam;
  std::string bytes;
  if (PLReadFileContents(path, 1u << 20, &bytes) != kQVNoErr) return kQVErrFileNotFound;
  LUTArbitraryMaps maps;
  LUTParseArbitraryMaps(bytes, &maps);
  if (maps.count == 0) return kQVErrEndOfFile;  // not one whole table: nothing read
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < 256; ++i) {
      uint8_t first = maps.map[0][i];
      lut[c * 256 + i] = maps.count > c + 1 ? maps.map[c + 1][first] : first;
    }
  return kQVNoErr;
}

QVStatus ReadChannelLUTFileFromFSRef(const QVFileRef* file, uint8_t* lut) { return FromRef(file, lut, ReadChannelLUTFile); }
QVStatus ReadGridLUTFileFromFSRef(const QVFileRef* file, uint8_t* lut) { return FromRef(file, lut, ReadGridLUTFile); }
QVStatus ReadBinaryLUTFileFromFSRef(const QVFileRef* file, uint8_t* lut) { return FromRef(file, lut, ReadBinaryLUTFile); }

const PreviewLUTFileKind kPreviewLUTFileKinds[4] = {
    {kPreviewLUTFileType, ".lut", "Velmora Preview LUT Files", ReadChannelLUTFile},
    {QVFourCC("8BLT"), ".amp", "Arbitrary Map Files", ReadBinaryLUTFile},
    {QVFourCC("TEXT"), ".txt", "Quantel iQ 1D LUT Files", ReadGridLUTFile},
    {QVFourCC("TEXT"), ".lut", "Autodesk 1D LUT Files", ReadChannelLUTFile},
};

int PreviewLUTLoadWithPanelID(uint8_t* lut, int32_t dialogID) {
  QVFileTypeListEntry types[5] = {};
  for (int i = 0; i < 4; ++i)
    types[i] = {kPreviewLUTFileKinds[i].type, kPreviewLUTFileKinds[i].extension, kPreviewLUTFileKinds[i].name, nullptr};
  char path[kQVMaxPath];
  int32_t kind = 0;
  if (QVGetFileSelectionSingleAsPathWithTypeList(path, sizeof path, &kind, "Load LUT", "Load", nullptr,
                                                 dialogID, types) != kQVNoErr)
    return 0;
  if (kind < 0 || kind >= 4) return 0;
  return kPreviewLUTFileKinds[kind].reader(path, lut) == kQVNoErr ? 1 : 0;
}

int PreviewLUTLoadWithPanel(uint8_t* lut) { return PreviewLUTLoadWithPanelID(lut, int32_t(QVFourCC("LDcl"))); }
