// Preview LUT files written: a text 1D LUT with a "LUT:" line.
//
// Lines end with "\n":
//   #
//   #   Preview LUT to convert 12-bit linear to 12-bit linear     (by N; "#   Preview LUT" for other N)
//   #
//   #   Creator:  Quorvane Velmora 3.0.14(309)
//   #   Platform: Linux 6.1.0
//   #   Date:     10 Dec 2026 14:05
//   #
//   LUT: 3 4096
//         0                 N red values, then N green, then N blue:
//         1                 six blanks and the value right-aligned in three
//   ...                     columns or wider
//
// The values are the ramp i / (N - 1) through the current correction, each
// round(out x (N - 1)) with halves away from zero, clamped to 0..N - 1.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "core/frame_buffer.h"
#include "core/process_image.h"
#include "platform/file_contents.h"
#include "platform/fourcc.h"
#include "settings/file_panels.h"
#include "settings/preview_lut_file.h"
#include "support/system_text.h"
#include "support/time_text.h"

namespace {

struct Depth {
  uint32_t entries;
  int bits;
};
const Depth kDepths[] = {{256, 8}, {1024, 10}, {4096, 12}, {16384, 14}, {32768, 15}, {65536, 16}};

struct FrameDeleter {
  void operator()(FBFrameStruct* f) const { FBDisposeFrameBuffer(f); }
};

std::string DateText() {
  char date[128];
  QVGetCurrentDateTimeAsCString(date, sizeof date, true, true);
  return date;
}

}  // namespace

QVStatus PreviewLUTText(uint32_t entries, const std::string& platform, const std::string& date, std::string* text) {
  if (entries < 2 || entries > 65536 || !text) return kQVErrParam;
  FBFrameStruct* rampFrame = nullptr;
  FBFrameStruct* outFrame = nullptr;
  if (FBCreateRGBFrameBuffer(entries, 1, &rampFrame, kFBPixFormatPlanarFloat) != kQVNoErr) return kQVErrMemory;
  std::unique_ptr<FBFrameStruct, FrameDeleter> ramp(rampFrame);
  if (FBCreateRGBFrameBuffer(entries, 1, &outFrame, kFBPixFormatPlanarFloat) != kQVNoErr) return kQVErrMemory;
  std::unique_ptr<FBFrameStruct, FrameDeleter> out(outFrame);
  for (uint32_t plane = 0; plane < ramp->planeCount; ++plane) {
    auto* row = reinterpret_cast<float*>(ramp->baseAddr + size_t(plane) * ramp->planeBytes);
    for (uint32_t i = 0; i < entries; ++i) row[i] = float(i) / float(entries - 1);
  }
  QVStatus status = ProcessImage(ramp.get(), out.get(), 0, 0);
  if (status != kQVNoErr) return status;

  std::string s;
  s.reserve(size_t(entries) * 3 * 10 + 512);
  s += "#\n";
  const Depth* depth = nullptr;
  for (const Depth& d : kDepths)
    if (d.entries == entries) depth = &d;
  char line[160];
  if (depth)
    std::snprintf(line, sizeof line, "#   Preview LUT to convert %d-bit linear to %d-bit linear\n", depth->bits, depth->bits);
  else
    std::snprintf(line, sizeof line, "#   Preview LUT\n");
  s += line;
  s += "#\n";
  s += "#   Creator:  Quorvane " + std::string(kPreviewLUTCreatorName) + " " + kPreviewLUTVersionText + "\n";
  s += "#   Platform: " + platform + "\n";
  s += "#   Date:     " + date + "\n";
  s += "#\n";
  std::snprintf(line, sizeof line, "LUT: 3 %lu\n", static_cast<unsigned long>(entries));
  s += line;
  const double top = double(entries - 1);
  for (int channel = 0; channel < 3; ++channel) {
    const auto* row = reinterpret_cast<const float*>(out->baseAddr + size_t(channel) * out->planeBytes);
    for (uint32_t i = 0; i < entries; ++i) {
      double v = std::round(double(row[i]) * top);  // halves away from zero
      if (!(v > 0.0)) v = 0.0;
      if (v > top) v = top;
      std::snprintf(line, sizeof line, "      %3ld\n", long(v));
      s += line;
    }
  }
  *text = std::move(s);
  return kQVNoErr;
}

QVStatus WritePreviewLUT(const VL_SettingsStruct*, const QVFileRef* folder, const std::string& name,
                         uint32_t entries) {
  if (!folder) return kQVErrParam;
  char path[kQVMaxPath];
  if (!PLJoinPath(folder->path, name.c_str(), path, sizeof path)) return kQVErrParam;
  std::string text;
  QVStatus status = PreviewLUTText(entries, QVGetPlatformText(), DateText(), &text);
  if (status != kQVNoErr) return status;
  return PLReplaceFileContents(path, text.data(), text.size());
}

QVStatus SavePreviewLUT(const VL_SettingsStruct* settings, QVFileRef* written, const char* defaultName,
                        uint32_t entries, std::string* chosen) {
  static const QVFileTypeListEntry kTypes[] = {
      {kPreviewLUTFileType, ".lut", "LUT", nullptr},
      {0, nullptr, nullptr, nullptr},
  };
  QVFileRef folder;
  std::string name;
  QVPutFileReply reply;
  QVStatus status = QVPutFileSelection(&folder, &name, &reply, "Save Preview LUT", "Save", nullptr,
                                       int32_t(QVFourCC("SVcl")), "lut", defaultName ? defaultName : "Untitled LUT",
                                       QVFourCC("QVp3"), kTypes, "LUT Files (*.lut)");
  if (status != kQVNoErr) return status;
  if (chosen) *chosen = std::string(folder.path) + "/" + name;
  status = WritePreviewLUT(settings, &folder, name, entries);
  QVIgnoreStatus(QVPutFileComplete(&reply));  // releasing a reply cannot fail
  if (status == kQVNoErr && written) {
    char path[kQVMaxPath];
    if (PLJoinPath(folder.path, name.c_str(), path, sizeof path)) status = PLFileRefFromPath(path, written);
  }
  return status;
}
