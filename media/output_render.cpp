// The frame loop every output generator shares, and the reading of one
// source frame into a planar float frame.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <atomic>

#include "core/engine_lock.h"
#include "core/pixel_transfer.h"
#include "core/task_pool.h"
#include "media/dpx_header.h"
#include "media/media_internal.h"
#include "media/movie_reader.h"
#include "media/output_internal.h"
#include "media/progress_protocol.h"
#include "media/job_list.h"

namespace media {

namespace {

constexpr uint32_t kMaxOutputSide = 16384;

const char* FileNameOf(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash ? slash + 1 : path;
}

void FillBlack(FBFrameStruct* f) {
  for (uint32_t p = 0; p < f->planeCount; ++p) {
    float* plane = reinterpret_cast<float*>(f->baseAddr + size_t(p) * f->planeBytes);
    std::fill(plane, plane + f->planeBytes / sizeof(float), 0.0f);
  }
}

// The colour planes of a planar frame scaled into another, one plane to a
// task of the pool (the luma plane is not written out, so not scaled).
struct ScaleWork {
  const FBFrameStruct* from;
  FBFrameStruct* to;
  FBScaleBuffer* temps;  // one a plane
  std::atomic<bool> failed{false};
};

void ScalePlanes(void* context, uint32_t part, uint32_t parts) {
  auto* w = static_cast<ScaleWork*>(context);
  for (uint32_t p = part; p < 3; p += parts)
    if (!FBScalePicture(kFBScalePlanarF, w->from->baseAddr + size_t(p) * w->from->planeBytes, w->from->height,
                        w->from->width, w->from->rowBytes, w->to->baseAddr + size_t(p) * w->to->planeBytes,
                        w->to->height, w->to->width, w->to->rowBytes, w->temps[p]))
      w->failed = true;
}

bool ScalePlanar(const FBFrameStruct* from, FBFrameStruct* to, FBScaleBuffer* temps) {
  ScaleWork work{from, to, temps};
  VL_EngineLockGuard hold;  // the pool serves one caller at a time
  VLMPRunParts(ScalePlanes, &work, 3, &gVLMPMaster);
  return !work.failed;
}

// Copies the overlap of picture (placed at left, top, either may be
// negative) into the output frame.
void PlacePicture(const FBFrameStruct* picture, int64_t left, int64_t top, FBFrameStruct* out) {
  const int64_t x0 = std::max<int64_t>(0, left), y0 = std::max<int64_t>(0, top);
  const int64_t x1 = std::min<int64_t>(out->width, left + picture->width);
  const int64_t y1 = std::min<int64_t>(out->height, top + picture->height);
  if (x1 <= x0 || y1 <= y0) return;
  for (uint32_t p = 0; p < 4; ++p)
    for (int64_t y = y0; y < y1; ++y) {
      const float* src = reinterpret_cast<const float*>(picture->baseAddr + size_t(p) * picture->planeBytes +
                                                        size_t(y - top) * picture->rowBytes) +
                         (x0 - left);
      float* dst = reinterpret_cast<float*>(out->baseAddr + size_t(p) * out->planeBytes + size_t(y) * out->rowBytes) + x0;
      std::memcpy(dst, src, size_t(x1 - x0) * sizeof(float));
    }
}

}  // namespace

bool JobCancelRequested(const QVOutputJobParams* params, const int32_t* cancelWord) {
  if (cancelWord && __atomic_load_n(cancelWord, __ATOMIC_ACQUIRE) == kQVProgressUserCancelled) return true;
  const QVOutputJob* job = params ? params->job : nullptr;
  return job && (__atomic_load_n(&job->cancel, __ATOMIC_ACQUIRE) != 0 ||
                 __atomic_load_n(&job->cancelWord, __ATOMIC_ACQUIRE) == kQVProgressUserCancelled);
}

namespace {

// Pixels into the planar frame in row bands over the task pool.
void TransferIn(const void* pixels, uint32_t rowBytes, FBPixFormat format, FBFrameStruct* out) {
  VL_EngineLockGuard hold;  // the pool serves one caller at a time
  FBTransferPixToFBFrame(pixels, rowBytes, 0, format, out, gNumProcessors, &gVLMPMaster);
}

}  // namespace

bool ReadSourceFrame(QVMediaFileRef* source, int64_t frame, FBFrameStruct* out) {
  RefLock lock(source);
  if (!lock.held()) return false;
  const uint32_t width = out->width, height = out->height;
  if (source->flags & kQVMediaMovie) {
    if (width != source->decodeWidth || height != source->decodeHeight) return false;
    if (!QVMovieDecodeFrame(source->movie, frame, source->moviePixels, source->movieRowBytes, width, height))
      return false;
    TransferIn(source->moviePixels, source->movieRowBytes, kFBPixFormatBGRA, out);
    return true;
  }
  if (source->flags & (kQVMediaDPX | kQVMediaCineon)) {
    if (width != source->nativeWidth || height != source->nativeHeight) return false;
    char path[1024];
    if (source->flags & kQVMediaSequence)
      SequenceFramePath(source->path, source->digitPosition, source->digitCount, source->firstSequenceNumber + frame,
                        path, sizeof path);
    else
      std::snprintf(path, sizeof path, "%s", source->path);
    const QVStatus err = (source->flags & kQVMediaCineon)
                             ? CineonReadImage(path, source->pixels, source->rowBytes, width, height, 16, false)
                             : DPXReadImage(path, source->pixels, source->rowBytes, width, height, 16, false);
    if (err != kQVNoErr) return false;
    TransferIn(source->pixels, source->rowBytes, kFBPixFormat16ARGB, out);
    return true;
  }
  if ((source->flags & kQVMediaStill) && source->stillPixels) {
    if (width != source->nativeWidth || height != source->nativeHeight) return false;
    TransferIn(source->stillPixels, source->rowBytes, kFBPixFormatBGRA, out);
    return true;
  }
  return false;
}

uint32_t OutputBegin(OutputRender* r, QVOutputJobParams* params, const char* title, const char* message) {
  r->params = params;
  if (params->job) r->cancelWord = &params->job->cancelWord;
  const QVFileRef* file = params->source.ref;
  if (!file) return QVMediaErr_ParameterError;
  if (QVMediaOpenFile(file, &r->source, kQVMediaOpenNotCacheable) != QVMediaErr_NoErr) {
    r->source = nullptr;
    return QVMediaErr_FileNotFound;
  }
  r->sourceName = FileNameOf(file->path);
  QVMediaGetFrameCount(r->source, &r->frameCount);
  QVMediaGetCurrentFrame(r->source, &r->savedFrame);
  uint32_t nativeWidth = 0, nativeHeight = 0;
  QVMediaGetImageSize(r->source, &nativeWidth, &nativeHeight);
  r->outputWidth = params->outputWidth && params->outputHeight ? params->outputWidth : nativeWidth;
  r->outputHeight = params->outputWidth && params->outputHeight ? params->outputHeight : nativeHeight;
  if (r->outputWidth == 0 || r->outputHeight == 0 || r->outputWidth > kMaxOutputSide ||
      r->outputHeight > kMaxOutputSide || nativeWidth == 0 || nativeHeight == 0) {
    OutputEnd(r);
    return QVMediaErr_ParameterError;
  }
  uint32_t dw = nativeWidth, dh = nativeHeight;
  QVMediaChooseDecodeSize(r->source, r->outputWidth, &dw, &dh, 1);
  QVMediaSetDecodeSize(r->source, dw, dh);
  {
    RefLock lock(r->source);
    r->decodeWidth = r->source->decodeWidth;
    r->decodeHeight = r->source->decodeHeight;
  }
  // Fill or fit, proportions kept.
  const double sx = double(r->outputWidth) / r->decodeWidth, sy = double(r->outputHeight) / r->decodeHeight;
  const double s = (params->flags & kQVOutputFillFrame) ? std::max(sx, sy) : std::min(sx, sy);
  r->pictureWidth = std::clamp<uint32_t>(uint32_t(std::lround(r->decodeWidth * s)), 1, kMaxOutputSide * 2);
  r->pictureHeight = std::clamp<uint32_t>(uint32_t(std::lround(r->decodeHeight * s)), 1, kMaxOutputSide * 2);
  if (std::abs(int64_t(r->pictureWidth) - int64_t(r->outputWidth)) <= 1 &&
      std::abs(int64_t(r->pictureHeight) - int64_t(r->outputHeight)) <= 1) {
    r->pictureWidth = r->outputWidth;
    r->pictureHeight = r->outputHeight;
  }
  r->pictureLeft = uint32_t((int64_t(r->outputWidth) - r->pictureWidth) / 2);
  r->pictureTop = uint32_t((int64_t(r->outputHeight) - r->pictureHeight) / 2);

  bool made = FBCreateRGBFrameBuffer(r->outputWidth, r->outputHeight, &r->output, kFBPixFormatPlanarFloat) == kQVNoErr;
  if (made) made = FBCreateRGBFrameBuffer(r->decodeWidth, r->decodeHeight, &r->decode, kFBPixFormatPlanarFloat) == kQVNoErr;
  const bool direct = r->pictureWidth == r->outputWidth && r->pictureHeight == r->outputHeight;
  if (made && !direct)
    made = FBCreateRGBFrameBuffer(r->pictureWidth, r->pictureHeight, &r->picture, kFBPixFormatPlanarFloat) == kQVNoErr;
  if (!made) {
    OutputEnd(r);
    return QVMediaErr_InsufficientMemory;
  }
  if (params->flags & kQVOutputShowProgress) {
    char text[kQVProgressTextBytes + 1];
    std::snprintf(text, sizeof text, message, r->sourceName.c_str());
    const uint32_t style = (params->flags & kQVOutputBackground) ? kQVProgressMovableModal : 0;
    const int32_t id = QVProgressCreate(title, text, 0, uint32_t(std::max<int64_t>(r->frameCount, 0)), true, 100,
                                        style, r->cancelWord, nullptr);
    r->progressId = id > 0 ? id : 0;
  }
  return QVMediaErr_NoErr;
}

bool OutputCancelled(const OutputRender* r) { return JobCancelRequested(r->params, r->cancelWord); }

uint32_t OutputNextFrame(OutputRender* r, int64_t index, bool* more) {
  *more = false;
  if (OutputCancelled(r)) return QVMediaErr_UserCanceledErr;
  QVOutputJobParams* p = r->params;
  if (p->frameProvider) {
    *more = p->frameProvider(r->output, index, r->source, p->refcon);
    return QVMediaErr_NoErr;
  }
  if (index >= r->frameCount) return QVMediaErr_NoErr;
  QVMediaSetCurrentFrame(r->source, index);
  if (!ReadSourceFrame(r->source, index, r->decode)) {
    QVMediaShowRenderError(p, "Error during render: Unable to load media frame", QVMediaErr_MediaOffline);
    FillBlack(r->decode);
  }
  if (p->frameFilter && !p->frameFilter(r->decode, index, r->source, p->refcon)) return QVMediaErr_NoErr;
  if (p->frameProcessor && !p->frameProcessor(r->decode, index, r->source, p->refcon)) return QVMediaErr_NoErr;
  if (!r->picture) {
    if (r->decode->width == r->output->width && r->decode->height == r->output->height)
      FBCopyFrameBuffer(r->decode, r->output);
    else if (!ScalePlanar(r->decode, r->output, r->scaleBuffers))
      return QVMediaErr_InsufficientMemory;
  } else {
    if (!ScalePlanar(r->decode, r->picture, r->scaleBuffers)) return QVMediaErr_InsufficientMemory;
    FillBlack(r->output);
    PlacePicture(r->picture, (int64_t(r->outputWidth) - r->pictureWidth) / 2,
                 (int64_t(r->outputHeight) - r->pictureHeight) / 2, r->output);
  }
  *more = true;
  return QVMediaErr_NoErr;
}

void OutputFrameDone(OutputRender* r, int64_t index) {
  // Progress is shown as far as memory allows; the render goes on either way.
  if (r->progressId)
    QVIgnoreStatus(QVProgressSetValue(uint32_t(r->progressId), int32_t(std::min<int64_t>(index + 1, INT32_MAX))));
  if (QVOutputJob* job = r->params->job) {
    job->progress = r->frameCount > 0 ? float(double(index + 1) / double(r->frameCount)) : 0.0f;
    QVJobListMarkDirty();
  }
}

void OutputEnd(OutputRender* r) {
  // Only memory could refuse the close; the render is over either way.
  if (r->progressId) QVIgnoreStatus(QVProgressClose(uint32_t(r->progressId)));
  r->progressId = 0;
  if (r->source) {
    QVMediaSetCurrentFrame(r->source, r->savedFrame);
    QVMediaCloseFile(&r->source);
  }
  for (FBFrameStruct** f : {&r->output, &r->decode, &r->picture}) {
    if (*f) FBDisposeFrameBuffer(*f);
    *f = nullptr;
  }
  for (FBScaleBuffer& b : r->scaleBuffers) {
    std::free(b.data);
    b.data = nullptr;
    b.size = 0;
  }
}

namespace {

inline float Unit(float v) { return v >= 0.0f ? (v <= 1.0f ? v : 1.0f) : 0.0f; }  // NaN goes to 0

struct ConvertWork {
  const FBFrameStruct* frame;
  void* rows;
  size_t rowBytes;
  bool wide, alpha;
};

void ConvertRows(void* context, uint32_t part, uint32_t parts) {
  const auto* w = static_cast<const ConvertWork*>(context);
  const FBFrameStruct* f = w->frame;
  const uint32_t first = uint32_t(uint64_t(f->height) * part / parts), last = uint32_t(uint64_t(f->height) * (part + 1) / parts);
  const uint32_t n = w->wide ? (w->alpha ? 4 : 3) : 3;
  for (uint32_t y = first; y < last; ++y) {
    uint8_t* row = static_cast<uint8_t*>(w->rows) + y * w->rowBytes;
    for (uint32_t c = 0; c < 3; ++c) {
      const float* in = reinterpret_cast<const float*>(f->baseAddr + size_t(c) * f->planeBytes + size_t(y) * f->rowBytes);
      if (w->wide) {
        uint16_t* out = reinterpret_cast<uint16_t*>(row);
        for (uint32_t x = 0; x < f->width; ++x) out[x * n + c] = uint16_t(Unit(in[x]) * 65535.0f + 0.5f);
      } else {
        for (uint32_t x = 0; x < f->width; ++x) row[x * 3 + c] = uint8_t(Unit(in[x]) * 255.0f + 0.5f);
      }
    }
    if (w->wide && w->alpha) {
      uint16_t* out = reinterpret_cast<uint16_t*>(row);
      for (uint32_t x = 0; x < f->width; ++x) out[x * 4 + 3] = 65535;
    }
  }
}

void Convert(const ConvertWork& work) {
  VL_EngineLockGuard hold;
  VLMPRunParts(ConvertRows, const_cast<ConvertWork*>(&work), 8, &gVLMPMaster);
}

}  // namespace

void PlanarToRGB8(const FBFrameStruct* f, uint8_t* rows, size_t rowBytes) {
  Convert(ConvertWork{f, rows, rowBytes, false, false});
}

void PlanarToRGB16(const FBFrameStruct* f, uint16_t* rows, size_t rowBytes, bool alpha) {
  Convert(ConvertWork{f, rows, rowBytes, true, alpha});
}

}  // namespace media
