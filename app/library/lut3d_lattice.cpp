// The lattice every 3D LUT export samples, and the road from a record to a
// whole file that they share.
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <memory>

#include "app/library/lut3d_internal.h"
#include "core/frame_buffer.h"
#include "core/pixel_convert.h"
#include "core/process_image.h"
#include "core/processing_tables.h"
#include "support/output_file.h"
#include "support/system_text.h"
#include "support/time_text.h"

namespace {

struct FrameDeleter {
  void operator()(FBFrameStruct* frame) const { FBDisposeFrameBuffer(frame); }
};
using Frame = std::unique_ptr<FBFrameStruct, FrameDeleter>;

float* Plane(FBFrameStruct* frame, int plane) {
  return reinterpret_cast<float*>(frame->baseAddr + size_t(plane) * frame->planeBytes);
}

}  // namespace

QVStatus LUT3DSample(const VL_SettingsStruct* settings, int32_t divisions, bool redFastest, bool extendedRange,
                     LUT3DSamples* samples) {
  if (!settings || !samples || divisions < 1 || divisions > kLUT3DMaxDivisions) return kQVErrParam;
  const uint32_t n = uint32_t(divisions) + 1;
  const uint32_t count = n * n * n;
  const float step = extendedRange ? float(kLUT3DExtendedTop / double(divisions)) : 1.0f / float(divisions);
  // Coordinates summed step by step, as the lattice has always been made.
  std::vector<float> axis(n);
  float sum = 0.0f;
  for (uint32_t i = 0; i < n; ++i, sum += step) axis[i] = sum;

  FBFrameStruct* made = nullptr;
  if (FBCreateRGBFrameBuffer(count, 1, &made, kFBPixFormatPlanarFloat) != kQVNoErr) return kQVErrMemory;
  Frame in(made);
  if (FBCreateRGBFrameBuffer(count, 1, &made, kFBPixFormatPlanarFloat) != kQVNoErr) return kQVErrMemory;
  Frame out(made);
  float* r = Plane(in.get(), 0);
  float* g = Plane(in.get(), 1);
  float* b = Plane(in.get(), 2);
  float* y = Plane(in.get(), 3);
  uint32_t entry = 0;
  for (uint32_t slow = 0; slow < n; ++slow)
    for (uint32_t middle = 0; middle < n; ++middle)
      for (uint32_t fast = 0; fast < n; ++fast, ++entry) {
        r[entry] = axis[redFastest ? fast : slow];
        g[entry] = axis[middle];
        b[entry] = axis[redFastest ? slow : fast];
        y[entry] = fbpix::luma(r[entry], g[entry], b[entry]);  // the fourth plane holds luma, as for a frame
      }

  QVStatus status = VL_UpdateProcessingTables(settings);
  if (status == kQVNoErr) status = ProcessImage(in.get(), out.get(), 0, 0);
  if (status != kQVNoErr) return status;
  samples->points = int32_t(n);
  samples->r.assign(Plane(out.get(), 0), Plane(out.get(), 0) + count);
  samples->g.assign(Plane(out.get(), 1), Plane(out.get(), 1) + count);
  samples->b.assign(Plane(out.get(), 2), Plane(out.get(), 2) + count);
  return kQVNoErr;
}

QVStatus LUT3DWriteFile(const VL_SettingsStruct* settings, const QVFileRef* folder, const std::string& name,
                        const LUT3DContext& parameters, const LUT3DLayout& layout, QVFileRef* result) {
  if (!folder || parameters.divisions < 1 || parameters.divisions > kLUT3DMaxDivisions) return kQVErrParam;
  char path[kQVMaxPath];
  if (!PLJoinPath(folder->path, name.c_str(), path, sizeof path)) return kQVErrParam;
  LUT3DContext context = parameters;
  context.fileName = name;
  char date[256];
  QVGetCurrentDateTimeAsCString(date, sizeof date, true, true);
  context.dateText = date;
  context.platformText = QVGetPlatformText();
  QVStatus status = LUT3DSample(settings, context.divisions, layout.redFastest, layout.extendedRange,
                                &context.samples);
  if (status != kQVNoErr) return status;
  QVOutputFile file;
  status = QVOutputFileOpen(path, &file);
  if (status != kQVNoErr) return status;
  status = layout.text(file.stream, context);
  if (status != kQVNoErr) {
    QVOutputFileAbandon(&file);
    return status;
  }
  status = QVOutputFileCommit(&file);
  if (status == kQVNoErr && result) status = PLFileRefFromPath(path, result);
  return status;
}

long LUT3DCode(double v, double top) {
  double code = std::round(v * top);  // halves away from zero
  if (!(code > 0.0)) return 0;
  return long(code < top ? code : top);
}

bool LUT3DPrint(FILE* stream, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int n = std::vfprintf(stream, format, args);
  va_end(args);
  return n >= 0;
}

QVStatus LUT3DStreamStatus(FILE* stream) {
  if (!std::ferror(stream)) return kQVNoErr;
  return QVStatusFromWriteErrno(errno ? errno : EIO);
}

bool LUT3DWriteBreakpoints(FILE* stream, int32_t range, int32_t divisions, const char* ending) {
  // One breakpoint per lattice point whatever D is (R / D steps when D divides R).
  bool ok = true;
  for (long i = 0; ok && i <= divisions; ++i) {
    long k = i * long(range) / long(divisions);
    ok = LUT3DPrint(stream, i == 0 ? "%ld" : " %ld", k < range ? k : long(range) - 1);
  }
  return ok && std::fputs(ending, stream) >= 0;
}

bool LUT3DWriteCodeRows(FILE* stream, const LUT3DSamples& samples, double top, const char* rowFormat) {
  bool ok = true;
  for (size_t i = 0; ok && i < samples.r.size(); ++i)
    ok = LUT3DPrint(stream, rowFormat, LUT3DCode(samples.r[i], top), LUT3DCode(samples.g[i], top),
                    LUT3DCode(samples.b[i], top));
  return ok;
}
